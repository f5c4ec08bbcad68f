#include "cli/cliarguments.h"

#include "cli/clierror.h"

namespace {

const QStringList &valueOptions()
{
    static const QStringList names = { QStringLiteral("--search"), QStringLiteral("--group"),
        QStringLiteral("--to"), QStringLiteral("--format"), QStringLiteral("-o"), QStringLiteral("--wifi") };
    return names;
}

const QStringList &flagOptions()
{
    static const QStringList names = { QStringLiteral("--json"), QStringLiteral("--quiet"), QStringLiteral("-q"),
        QStringLiteral("--help"), QStringLiteral("-h") };
    return names;
}

} // namespace

CliArguments::CliArguments(const QStringList &arguments)
{
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            QString name = argument;
            QString inlineValue;
            bool hasInline = false;
            const qsizetype equals = argument.indexOf(QLatin1Char('='));
            if (argument.startsWith(QLatin1String("--")) && equals > 2) {
                name = argument.left(equals);
                inlineValue = argument.mid(equals + 1);
                hasInline = true;
            }
            if (valueOptions().contains(name)) {
                if (!hasInline) {
                    if (i + 1 >= arguments.size())
                        throw CliError(CliError::Usage, QStringLiteral("option %1 needs a value").arg(name));
                    inlineValue = arguments.at(++i);
                }
                m_values[name].append(inlineValue);
            } else if (flagOptions().contains(name) && !hasInline) {
                m_flags.append(name == QLatin1String("-q") ? QStringLiteral("--quiet")
                               : name == QLatin1String("-h") ? QStringLiteral("--help") : name);
            } else {
                throw CliError(CliError::Usage, QStringLiteral("unknown option: %1").arg(argument));
            }
            continue;
        }
        if (m_command.isEmpty())
            m_command = argument;
        else
            m_positional.append(argument);
    }
}

void CliArguments::expect(int min, int max, const QStringList &allowedOptions) const
{
    if (m_positional.size() < min)
        throw CliError(CliError::Usage, QStringLiteral("%1: missing argument").arg(m_command));
    if (max >= 0 && m_positional.size() > max)
        throw CliError(CliError::Usage,
                       QStringLiteral("%1: unexpected argument: %2").arg(m_command, m_positional.at(max)));
    const QStringList common = { QStringLiteral("--quiet"), QStringLiteral("--help") };
    for (const QString &name : m_values.keys()) {
        if (!allowedOptions.contains(name))
            throw CliError(CliError::Usage, QStringLiteral("%1: option %2 does not apply").arg(m_command, name));
    }
    for (const QString &name : m_flags) {
        if (!allowedOptions.contains(name) && !common.contains(name))
            throw CliError(CliError::Usage, QStringLiteral("%1: option %2 does not apply").arg(m_command, name));
    }
}
