#include "android/contentshell.h"

#include "android/adbcommand.h"
#include "android/linktimings.h"

#include <QProcess>

#include <stdexcept>

std::atomic<qint64> ContentShell::s_calls { 0 };

namespace {

[[noreturn]] void fail(const QString &message)
{
    throw std::runtime_error(message.toUtf8().toStdString());
}

} // namespace

ContentShell::ContentShell(const QString &serial, const QString &adbProgram)
    : m_serial(serial)
    , m_program(adbProgram)
{ }

QString ContentShell::run(const QString &line)
{
    ++s_calls;
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    // One argument: adb sends it to the phone's shell as it is.
    process.start(m_program, { QStringLiteral("-s"), m_serial, QStringLiteral("shell"), line });
    if (!process.waitForStarted(LinkTimings::adbLimitMs()))
        fail(QStringLiteral("%1 could not be started: %2").arg(m_program, process.errorString()));
    process.closeWriteChannel();
    if (!process.waitForFinished(LinkTimings::adbLimitMs()) && process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
        fail(QStringLiteral("%1 did not finish within %2 seconds").arg(m_program).arg(LinkTimings::adbLimitMs() / 1000));
    }
    const QString error = AdbCommand::withoutDaemonLines(QString::fromUtf8(process.readAllStandardError())).trimmed();
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    if (!error.isEmpty())
        fail(error);
    // A usage error of "content" ends in "[ERROR] ..." on standard output.
    const qsizetype usage = output.indexOf(QStringLiteral("\n[ERROR] "));
    if (usage >= 0 && output.contains(u"usage: adb shell content"))
        fail(output.mid(usage + 1).trimmed());
    return output;
}

int ContentShell::sdk()
{
    if (m_sdk == 0) {
        const QString text = run(QStringLiteral("getprop ro.build.version.sdk")).trimmed();
        bool ok = false;
        m_sdk = text.toInt(&ok);
        if (!ok || m_sdk <= 0)
            fail(QStringLiteral("The phone %1 did not tell its Android release: %2").arg(m_serial, text));
    }
    return m_sdk;
}

int ContentShell::maxLineBytes()
{
    return sdk() < 24 ? 3500 : 200 * 1024;
}
