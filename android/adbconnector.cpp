#include "android/adbconnector.h"

#include "android/jobcancel.h"
#include "android/linktimings.h"
#include "app/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>

#include <stdexcept>

namespace {

[[noreturn]] void fail(const QString &message)
{
    throw std::runtime_error(message.toUtf8().toStdString());
}

} // namespace

AdbConnector::AdbConnector(const QString &serial, const QString &dataFolder, const QString &adbProgram)
    : m_adb(adbProgram)
    , m_serial(serial)
    , m_dataFolder(dataFolder)
{ }

QString AdbConnector::agentPackagePath() const
{
    const QString folder = m_dataFolder.isEmpty() ? platform::dataFolder() : m_dataFolder;
    // adb installs only files named *.apk (or *.apex).
    return QDir(folder).filePath(QString::fromLatin1(AgentPackage) + QStringLiteral(".apk"));
}

void AdbConnector::prepareAgent()
{
    if (m_adb.listPackages(m_serial).contains(QString::fromLatin1(AgentPackage)))
        return;

    const QString target = agentPackagePath();
    QDir().mkpath(QFileInfo(target).absolutePath());
    if (QFile::exists(target) && !QFile::remove(target))
        fail(QStringLiteral("Cannot replace %1.").arg(QDir::toNativeSeparators(target)));
    if (!QFile::copy(QString::fromLatin1(AgentResource), target))
        fail(QStringLiteral("Cannot write %1.").arg(QDir::toNativeSeparators(target)));
    QFile::setPermissions(target, QFileDevice::ReadUser | QFileDevice::WriteUser);

    // The copy is only for adb: it goes once the install is over, whatever
    // the outcome.
    struct Remove
    {
        QString path;
        ~Remove() { QFile::remove(path); }
    } removeCopy { target };
    m_adb.install(m_serial, target);
    JobCancel::pause(LinkTimings::installPauseMs());
}

void AdbConnector::forwardDataPort(int dataPort)
{
    try {
        m_adb.forward(m_serial, dataPort, dataPort);
        m_localPort = dataPort;
        return;
    } catch (const std::runtime_error &e) {
        // adb: "cannot bind listener: ... in use". The device's port lies in
        // the system's range for outgoing connections, so any program may
        // hold it here for a while; the phone's side keeps its number.
        if (!QString::fromUtf8(e.what()).contains(QLatin1String("cannot bind")))
            throw;
    }
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        fail(QStringLiteral("No free local port for the phone: %1").arg(probe.errorString()));
    const int freePort = probe.serverPort();
    probe.close();
    m_adb.forward(m_serial, freePort, dataPort);
    m_localPort = freePort;
}

int AdbConnector::servicePort(int dataPort)
{
    return m_localPort > 0 ? m_localPort : dataPort;
}

QString AdbConnector::startService(const QString &dataUriFormat, int dataPort)
{
    forwardDataPort(dataPort);
    m_adb.activityManager(m_serial, QStringLiteral("broadcast"), QString::fromLatin1(AgentReceiver), QString(),
        dataUriFormat.arg(dataPort), QStringList(), QString());
    // Time for the agent to open its listening socket.
    JobCancel::pause(LinkTimings::startPauseMs());
    return QString::fromLatin1(LoopbackHost);
}

QString AdbConnector::startBackupService(int dataPort)
{
    return startService(QStringLiteral("sync://backup:%1/"), dataPort);
}

QString AdbConnector::startRestoreService(int dataPort)
{
    return startService(QStringLiteral("sync://restore:%1/"), dataPort);
}

QString AdbConnector::deviceLog()
{
    return m_adb.logcat(m_serial);
}
