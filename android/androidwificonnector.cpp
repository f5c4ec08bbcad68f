#include "android/androidwificonnector.h"

#include "android/cancellableconnect.h"
#include "android/jobcancel.h"
#include "android/linktimings.h"
#include "android/simpleprotocol.h"
#include "android/wifiservicetimeoutexception.h"

#include <QTcpSocket>

#include <stdexcept>

using namespace simpleprotocol;

void AndroidWifiConnector::hello(const QString &host, const std::function<bool()> &cancelled)
{
    m_host = host;
    QTcpSocket socket;
    switch (CancellableConnect::connect(socket, host, AgentControlPort, cancelled, ConnectTimeoutMs)) {
    case CancellableConnect::Connected:
        break;
    case CancellableConnect::Cancelled:
        throw CancelledException();
    case CancellableConnect::Failed:
        // Nobody listens at that address: say so rather than "time-out".
        if (socket.error() == QAbstractSocket::ConnectionRefusedError)
            throw std::runtime_error(socket.errorString().toUtf8().toStdString());
        throw WifiServiceTimeoutException();
    }

    writeCommand(socket, QStringLiteral("hello:"), QStringLiteral("//127.0.0.1"), true);
    QString line;
    try {
        // Bounded: this runs on the user-interface thread.
        line = readCommand(socket, LinkTimings::helloReplyMs(), cancelled);
    } catch (const SocketDataTransferException &) {
        if (socket.state() == QAbstractSocket::ConnectedState && socket.error() == QAbstractSocket::SocketTimeoutError)
            throw WifiServiceTimeoutException();
        throw;
    }
    socket.close();

    // The answer is "hello:" and the id; whatever else comes loses its first
    // six characters all the same.
    const QString deviceId = line.mid(6);
    if (!isUsableDeviceId(deviceId))
        throw std::runtime_error(
            QStringLiteral("The phone answered with an unusable device id: %1").arg(line).toUtf8().toStdString());
    m_deviceId = deviceId;
}

bool AndroidWifiConnector::isUsableDeviceId(const QString &deviceId)
{
    if (deviceId.isEmpty() || deviceId == u"." || deviceId == u"..")
        return false;
    for (const QChar c : deviceId) {
        if (c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return true;
}

QString AndroidWifiConnector::startService(const QString &word, int dataPort)
{
    QTcpSocket socket;
    socket.connectToHost(m_host, AgentControlPort, QIODevice::ReadWrite);
    if (!socket.waitForConnected(ConnectTimeoutMs))
        throw std::runtime_error(socket.errorString().toUtf8().toStdString());
    writeCommand(socket, word, QStringLiteral("//127.0.0.1:%1/").arg(dataPort), true);
    // Time for the agent to open its listening socket; nothing is read.
    JobCancel::pause(LinkTimings::startPauseMs());
    socket.close();
    return m_host;
}

QString AndroidWifiConnector::startBackupService(int dataPort)
{
    return startService(QStringLiteral("backup:"), dataPort);
}

QString AndroidWifiConnector::startRestoreService(int dataPort)
{
    return startService(QStringLiteral("restore:"), dataPort);
}
