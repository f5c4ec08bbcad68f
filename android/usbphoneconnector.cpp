#include "android/usbphoneconnector.h"

#include <QCoreApplication>
#include <QDebug>

UsbPhoneConnector::UsbPhoneConnector(
    const QString &serial, const QString &dataFolder, const QString &adbProgram, bool agentBundled)
    : m_agent(serial, dataFolder, adbProgram)
    , m_bridge(serial, adbProgram)
    , m_agentBundled(agentBundled)
    , m_serial(serial)
{ }

bool UsbPhoneConnector::agentPackaged()
{
#ifdef QM_REAL_AGENT
    return true;
#else
    return false;
#endif
}

void UsbPhoneConnector::prepareAgent()
{
    if (m_agentBundled && m_path != Path::Bridge) {
        try {
            m_agent.prepareAgent();
            m_path = Path::Agent;
            return;
        } catch (const std::exception &e) {
            // An install the phone refuses (or an adb that cannot install)
            // leaves the bridge, which needs nothing on the phone.
            m_agentProblem = QString::fromUtf8(e.what());
            qDebug("Android Sync, agent not usable on %s, using the phone bridge: %s", qPrintable(m_serial), e.what());
        }
    }
    m_path = Path::Bridge;
    m_bridge.prepareAgent();
}

IAndroidConnector &UsbPhoneConnector::chosen()
{
    if (m_path == Path::Undecided)
        prepareAgent();
    return m_path == Path::Agent ? static_cast<IAndroidConnector &>(m_agent) : m_bridge;
}

bool UsbPhoneConnector::usesBridge()
{
    return &chosen() == &m_bridge;
}

int UsbPhoneConnector::photosLeftOut()
{
    return m_path == Path::Bridge ? m_bridge.photosLeftOut() : 0;
}

QString UsbPhoneConnector::photosNote()
{
    const int photos = photosLeftOut();
    if (photos == 0)
        return QString();
    return QCoreApplication::translate("UsbPhoneConnector", "IDS_PHOTOS_LEFT_OUT%1%2").arg(m_serial).arg(photos);
}

QString UsbPhoneConnector::startBackupService(int dataPort)
{
    return chosen().startBackupService(dataPort);
}

QString UsbPhoneConnector::startRestoreService(int dataPort)
{
    return chosen().startRestoreService(dataPort);
}

int UsbPhoneConnector::servicePort(int dataPort)
{
    return chosen().servicePort(dataPort);
}

QString UsbPhoneConnector::deviceLog()
{
    return m_agent.deviceLog();
}
