#ifndef CLI_CLIARGUMENTS_H
#define CLI_CLIARGUMENTS_H

#include <QMap>
#include <QString>
#include <QStringList>

// One command line split into the subcommand, its plain arguments and its
// options. Options are "--name VALUE", "-o VALUE" or flags ("--json");
// which names take a value is fixed here. "--" ends the options.
// Malformed lines throw CliError(Usage).
class CliArguments
{
public:
    explicit CliArguments(const QStringList &arguments);

    [[nodiscard]] const QString &command() const { return m_command; }
    [[nodiscard]] const QStringList &positional() const { return m_positional; }
    [[nodiscard]] bool flag(const QString &name) const { return m_flags.contains(name); }
    [[nodiscard]] bool has(const QString &name) const { return m_values.contains(name); }
    // The last value given for an option; empty when it is absent.
    [[nodiscard]] QString value(const QString &name) const { return m_values.value(name).value(0); }
    // Every value given for an option, in command line order.
    [[nodiscard]] QStringList values(const QString &name) const { return m_values.value(name); }

    // Throws CliError(Usage) unless the number of plain arguments lies in
    // [min, max] (max < 0: no upper limit) and every option used is allowed.
    void expect(int min, int max, const QStringList &allowedOptions) const;

private:
    QString m_command;
    QStringList m_positional;
    QStringList m_flags;
    QMap<QString, QStringList> m_values;
};

#endif
