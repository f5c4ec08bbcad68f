#ifndef TOOLS_PHONESIM_SIMSERVER_H
#define TOOLS_PHONESIM_SIMSERVER_H

#include "tools/phonesim/agentsession.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

class QTcpServer;
class QTcpSocket;
class QTimer;

namespace phonesim {

class ControlSession;
class SimState;
struct SimPhone;

// The running simulator of one state folder. It plays every phone of the
// folder and the port forwarding part of the adb server:
//
// - the agent's WiFi control port 48888 on the address of each WiFi phone;
// - a one-exchange data listener on the phone's address for each WiFi
//   start request ("backup:" / "restore:");
// - for each "adb forward tcp:L tcp:R", a listener on 127.0.0.1:L; a
//   connection is served when the phone's agent was started on port R by a
//   broadcast, and closed at once otherwise (as adb does when nothing
//   listens on the phone);
// - a control port on 127.0.0.1 (written to STATE/server.json) on which the
//   command-line tool and the stand-in adb run their commands in this
//   process, so that everything touching the phones happens in one place.
class SimServer : public QObject
{
    Q_OBJECT

public:
    explicit SimServer(SimState &state, QObject *parent = nullptr);
    ~SimServer() override;

    bool start(QString *error);
    void shutdown();
    void watchProcess(qint64 pid);

    // For commands executed inside the server.
    bool reconcile(QString *error);
    bool forward(SimPhone *phone, int localPort, int remotePort, QString *error);
    bool removeForward(int localPort);
    void removeAllForwards();
    QStringList forwardList() const;
    void startUsbAgent(SimPhone *phone, AgentSession::Mode mode, int port);
    void drain(SimPhone *phone);
    void forgetPhone(SimPhone *phone);

Q_SIGNALS:
    void stopRequested();

private:
    struct DataListener
    {
        SimPhone *phone = nullptr;
        AgentSession::Mode mode = AgentSession::Mode::Backup;
        QTcpServer *server = nullptr;
        qint64 expiresAt = 0;
    };
    struct Forward
    {
        QString serial;
        int remotePort = 0;
        QTcpServer *server = nullptr;
    };
    struct UsbAgent
    {
        AgentSession::Mode mode = AgentSession::Mode::Backup;
        qint64 readyAt = 0;
        qint64 expiresAt = 0;
    };
    struct WifiControl
    {
        QString address;
        QTcpServer *server = nullptr;
    };

    void onRequestConnection();
    void handleRequest(QTcpSocket *socket);
    void onWifiControlConnection(const QString &phoneId);
    void onForwardConnection(int localPort);
    void startWifiAgent(SimPhone *phone, AgentSession::Mode mode, int port);
    void listenWifiData(const QString &phoneId, AgentSession::Mode mode, int port);
    void startSession(SimPhone *phone, AgentSession::Mode mode, QTcpSocket *socket, const QString &transport);
    void closeWifi(const QString &phoneId);
    void closeUsb(const QString &phoneId);
    void expire();
    bool writeServerFile(QString *error);

    SimState &m_state;
    QTcpServer *m_requests = nullptr;
    QTimer *m_housekeeping = nullptr;
    qint64 m_watchPid = 0;
    QHash<QString, WifiControl> m_wifiControl;    // by phone id
    QMap<QPair<QString, int>, DataListener> m_wifiData; // (address, port)
    QMap<int, Forward> m_forwards;                // by local port
    QHash<QString, QMap<int, UsbAgent>> m_usbAgents; // phone id -> port
    QList<AgentSession *> m_sessions;
    QList<ControlSession *> m_controls;
    bool m_shutDown = false;
};

} // namespace phonesim

#endif
