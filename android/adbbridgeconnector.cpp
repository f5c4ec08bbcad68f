#include "android/adbbridgeconnector.h"

#include "android/adbconnector.h"
#include "android/bridgesession.h"

#include <QCoreApplication>

#include <stdexcept>

namespace {

[[noreturn]] void fail(const QString &message)
{
    throw std::runtime_error(message.toUtf8().toStdString());
}

} // namespace

AdbBridgeConnector::AdbBridgeConnector(const QString &serial, const QString &adbProgram)
    : m_serial(serial)
    , m_shell(serial, adbProgram)
    , m_adb(adbProgram)
{ }

AdbBridgeConnector::~AdbBridgeConnector()
{
    finish();
}

void AdbBridgeConnector::finish()
{
    if (m_session) {
        m_session->wait();
        m_photosLeftOut = m_session->photosLeftOut();
        m_session.reset();
    }
}

int AdbBridgeConnector::photosLeftOut()
{
    finish();
    return m_photosLeftOut;
}

QString AdbBridgeConnector::explainAdbError(const QString &serial, const QString &adbText)
{
    const QString text = adbText.trimmed();
    const QString hint = stateHint(serial, text);
    return hint.isEmpty() ? text : hint;
}

QString AdbBridgeConnector::stateHint(const QString &serial, const QString &adbText)
{
    // "unauthorized" in the device list, "device unauthorized" or "device
    // still authorizing" from a command.
    if (adbText.contains(QStringLiteral("unauthorized")) || adbText.contains(QStringLiteral("authorizing")))
        return QCoreApplication::translate("AdbBridgeConnector", "IDS_ALLOW_USB_DEBUGGING%1").arg(serial);
    if (adbText.contains(QStringLiteral("no permissions")) || adbText.contains(QStringLiteral("insufficient permissions")))
        return QCoreApplication::translate("AdbBridgeConnector", "IDS_ADB_NO_PERMISSIONS%1").arg(serial);
    return QString();
}

void AdbBridgeConnector::prepareAgent()
{
    try {
        (void)m_shell.sdk();
    } catch (const std::exception &e) {
        fail(explainAdbError(m_serial, QString::fromUtf8(e.what())));
    }
}

QString AdbBridgeConnector::startSession(bool backup, int dataPort)
{
    finish(); // one exchange at a time: the last one's writes come first
    m_session = std::make_unique<BridgeSession>(m_shell, backup, dataPort);
    QString error;
    if (!m_session->startListening(&error)) {
        m_session.reset();
        fail(error);
    }
    return QString::fromLatin1(AdbConnector::LoopbackHost);
}

QString AdbBridgeConnector::startBackupService(int dataPort)
{
    return startSession(true, dataPort);
}

QString AdbBridgeConnector::startRestoreService(int dataPort)
{
    return startSession(false, dataPort);
}

int AdbBridgeConnector::servicePort(int dataPort)
{
    return m_session ? m_session->port() : dataPort;
}

QString AdbBridgeConnector::deviceLog()
{
    return m_adb.logcat(m_serial);
}
