#include "android/bridgesession.h"

#include "android/phonebridge.h"
#include "android/simpleprotocol.h"

#include <QDebug>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

namespace {

// How long the sync job has to connect after the start request.
constexpr int ConnectWaitMs = 30000;

} // namespace

BridgeSession::BridgeSession(ContentShell &shell, bool backup, int port)
    : m_shell(shell)
    , m_backup(backup)
    , m_port(port)
{ }

BridgeSession::~BridgeSession()
{
    stop();
    wait();
}

bool BridgeSession::startListening(QString *error)
{
    start();
    m_ready.acquire();
    if (!m_error.isEmpty()) {
        wait();
        *error = m_error;
        return false;
    }
    return true;
}

void BridgeSession::run()
{
    QTcpServer server;
    // The device's port lies in the system's range for outgoing
    // connections, so any program may hold it for a while; the bridge is
    // only ever reached from this program, and takes a free port then.
    if (!server.listen(QHostAddress::LocalHost, quint16(m_port))
        && !(server.serverError() == QAbstractSocket::AddressInUseError && server.listen(QHostAddress::LocalHost, 0))) {
        m_error = QStringLiteral("Cannot listen on 127.0.0.1:%1: %2").arg(m_port).arg(server.errorString());
        m_ready.release();
        return;
    }
    m_port = server.serverPort();
    m_ready.release();
    std::unique_ptr<QTcpSocket> socket;
    for (int waited = 0; waited < ConnectWaitMs && !m_stop; waited += simpleprotocol::WaitSliceMs) {
        if (server.waitForNewConnection(simpleprotocol::WaitSliceMs)) {
            socket.reset(server.nextPendingConnection());
            break;
        }
    }
    server.close();
    if (!socket)
        return;
    PhoneBridge bridge(m_shell, simpleprotocol::cancelFlag(&m_stop));
    try {
        if (m_backup)
            bridge.serveBackup(*socket);
        else
            bridge.serveRestore(*socket);
    } catch (const std::exception &e) {
        qDebug("Phone bridge: %s", e.what());
    }
    m_photos = bridge.photosLeftOut();
    socket->disconnectFromHost();
    if (socket->state() != QAbstractSocket::UnconnectedState)
        socket->waitForDisconnected(2000);
}
