#include "android/adbcommand.h"

#include "android/linktimings.h"

#include <QByteArray>
#include <QProcess>

#include <stdexcept>

namespace {

// Output as 8-bit characters up to the first NUL byte.
QString outputText(const QByteArray &bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    return QString::fromLatin1(nul < 0 ? bytes : bytes.left(nul));
}

[[noreturn]] void fail(const QString &message)
{
    throw std::runtime_error(message.toUtf8().toStdString());
}

QList<QStringView> linesOf(const QString &text)
{
    return QStringView(text).split(u'\n');
}

} // namespace

AdbCommand::AdbCommand(const QString &program)
    : m_program(program)
{ }

QString AdbCommand::run(const QStringList &arguments, bool raise, int timeoutMs)
{
    // A process object per call, created on the calling thread: a command
    // object may be made on one thread and used on another.
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(m_program, arguments, QIODevice::ReadWrite);
    if (!process.waitForStarted(timeoutMs))
        return QString(); // not found or not startable: no output at all
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs) && process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
        fail(QStringLiteral("%1 did not finish within %2 seconds: %1 %3")
                 .arg(m_program)
                 .arg(timeoutMs / 1000.0)
                 .arg(arguments.join(QLatin1Char(' '))));
    }
    const QString error = withoutDaemonLines(outputText(process.readAllStandardError()));
    const QString output = outputText(process.readAllStandardOutput());
    if (error.isEmpty())
        return output;
    if (raise)
        fail(error);
    return error + QLatin1Char('\n') + output;
}

QSet<QString> AdbCommand::devices()
{
    return parseDevices(run({ QStringLiteral("devices") }, true, LinkTimings::adbLimitMs()));
}

QMap<QString, QString> AdbCommand::deviceStates()
{
    return parseDeviceStates(run({ QStringLiteral("devices") }, true, LinkTimings::adbLimitMs()));
}

void AdbCommand::killServer()
{
    run({ QStringLiteral("kill-server") }, false, LinkTimings::adbLimitMs());
}

void AdbCommand::forward(const QString &serial, int localPort, int devicePort)
{
    run({ QStringLiteral("-s"), serial, QStringLiteral("forward"), QStringLiteral("tcp:%1").arg(localPort),
            QStringLiteral("tcp:%1").arg(devicePort) },
        true, LinkTimings::adbLimitMs());
}

void AdbCommand::install(const QString &serial, const QString &packagePath)
{
    const QString text = run(
        { QStringLiteral("-s"), serial, QStringLiteral("install"), packagePath }, false, LinkTimings::installLimitMs());
    if (!hasSuccessLine(text))
        fail(text);
}

void AdbCommand::uninstall(const QString &serial, const QString &packageName)
{
    const QString text = run(
        { QStringLiteral("-s"), serial, QStringLiteral("uninstall"), packageName }, true, LinkTimings::adbLimitMs());
    if (!hasSuccessLine(text))
        fail(text);
}

QSet<QString> AdbCommand::listPackages(const QString &serial)
{
    return parsePackages(
        run({ QStringLiteral("-s"), serial, QStringLiteral("shell"), QStringLiteral("pm"), QStringLiteral("-l") }, true,
            LinkTimings::adbLimitMs()));
}

void AdbCommand::activityManager(const QString &serial, const QString &subcommand, const QString &component,
    const QString &action, const QString &data, const QStringList &categories, const QString &mimeType)
{
    const QString text
        = run(activityManagerArguments(serial, subcommand, component, action, data, categories, mimeType), false,
            LinkTimings::adbLimitMs());
    if (hasErrorLine(text))
        fail(text);
}

QString AdbCommand::logcat(const QString &serial)
{
    return run(
        { QStringLiteral("-s"), serial, QStringLiteral("shell"), QStringLiteral("logcat"), QStringLiteral("-d") },
        false, LinkTimings::adbLimitMs());
}

QSet<QString> AdbCommand::parseDevices(const QString &output)
{
    // Phones in any other state (offline, unauthorized, ...) are left out
    // until they are ready.
    QSet<QString> serials;
    const QMap<QString, QString> states = parseDeviceStates(output);
    for (auto it = states.cbegin(); it != states.cend(); ++it) {
        if (it.value() == u"device")
            serials.insert(it.key());
    }
    return serials;
}

QMap<QString, QString> AdbCommand::parseDeviceStates(const QString &output)
{
    QMap<QString, QString> states;
    bool listing = false;
    for (QStringView line : linesOf(output)) {
        line = line.trimmed();
        if (!listing) {
            listing = line.compare(u"List of devices attached", Qt::CaseInsensitive) == 0;
            continue;
        }
        qsizetype gap = 0;
        while (gap < line.size() && !line.at(gap).isSpace())
            ++gap;
        QStringView state = line.mid(gap).trimmed();
        if (gap == 0 || state.isEmpty())
            continue;
        for (const QStringView end : { QStringView(u" ("), QStringView(u";") }) {
            const qsizetype at = state.indexOf(end);
            if (at > 0)
                state = state.left(at).trimmed();
        }
        states.insert(line.left(gap).toString(), state.toString());
    }
    return states;
}

QSet<QString> AdbCommand::parsePackages(const QString &output)
{
    QSet<QString> packages;
    for (QStringView line : linesOf(output)) {
        line = line.trimmed();
        if (line.startsWith(u"package:"))
            packages.insert(line.mid(8).trimmed().toString());
    }
    return packages;
}

bool AdbCommand::hasSuccessLine(const QString &text)
{
    for (QStringView line : linesOf(text)) {
        if (line.trimmed().compare(u"Success", Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool AdbCommand::hasErrorLine(const QString &text)
{
    for (QStringView line : linesOf(text)) {
        if (line.trimmed().toString().toLower().startsWith(u"error:"))
            return true;
    }
    return false;
}

QString AdbCommand::withoutDaemonLines(const QString &errorText)
{
    if (!errorText.startsWith(u"* daemon") && !errorText.contains(u"\n* daemon"))
        return errorText;
    QStringList kept;
    for (const QString &line : errorText.split(u'\n')) {
        if (!line.startsWith(u"* daemon not running") && !line.startsWith(u"* daemon started successfully"))
            kept.append(line);
    }
    QString text = kept.join(u'\n');
    return text.trimmed().isEmpty() ? QString() : text;
}

QStringList AdbCommand::activityManagerArguments(const QString &serial, const QString &subcommand,
    const QString &component, const QString &action, const QString &data, const QStringList &categories,
    const QString &mimeType)
{
    QStringList arguments { QStringLiteral("-s"), serial, QStringLiteral("shell"), QStringLiteral("am"), subcommand };
    const auto option = [&arguments](const QString &flag, const QString &value) {
        if (!value.isEmpty())
            arguments << flag << value;
    };
    option(QStringLiteral("-n"), component);
    option(QStringLiteral("-a"), action);
    option(QStringLiteral("-d"), data);
    for (const QString &category : categories)
        arguments << QStringLiteral("-c") << category;
    option(QStringLiteral("-t"), mimeType);
    return arguments;
}
