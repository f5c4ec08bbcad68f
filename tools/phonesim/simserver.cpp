#include "tools/phonesim/simserver.h"

#include "tools/phonesim/commandresult.h"
#include "tools/phonesim/controlsession.h"
#include "tools/phonesim/simadb.h"
#include "tools/phonesim/simcli.h"
#include "tools/phonesim/simstate.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QSaveFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cerrno>
#include <csignal>

namespace phonesim {

namespace {

constexpr int agentControlPort = 48888;
constexpr qint64 agentListenMs = 120000; // a started agent waits this long for the desktop

qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

SimServer::SimServer(SimState &state, QObject *parent) : QObject(parent), m_state(state)
{
    m_housekeeping = new QTimer(this);
    m_housekeeping->setInterval(500);
    connect(m_housekeeping, &QTimer::timeout, this, &SimServer::expire);
}

SimServer::~SimServer()
{
    shutdown();
}

bool SimServer::start(QString *error)
{
    m_requests = new QTcpServer(this);
    if (!m_requests->listen(QHostAddress::LocalHost, 0)) {
        *error = QStringLiteral("cannot open the control port: %1").arg(m_requests->errorString());
        return false;
    }
    connect(m_requests, &QTcpServer::newConnection, this, &SimServer::onRequestConnection);
    if (!reconcile(error))
        return false;
    m_housekeeping->start();
    return writeServerFile(error);
}

bool SimServer::writeServerFile(QString *error)
{
    QSaveFile file(m_state.path(QStringLiteral("server.json")));
    const QJsonObject info { { QStringLiteral("pid"), QCoreApplication::applicationPid() },
        { QStringLiteral("port"), int(m_requests->serverPort()) } };
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(info).toJson()) < 0 || !file.commit()) {
        *error = QStringLiteral("cannot write %1").arg(file.fileName());
        return false;
    }
    return true;
}

void SimServer::shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    QFile::remove(m_state.path(QStringLiteral("server.json")));
    const QList<QPointer<AgentSession>> sessions(m_sessions.cbegin(), m_sessions.cend());
    for (const auto &s : sessions) {
        if (s)
            s->abort(QStringLiteral("simulator stopped"));
    }
    const QList<QPointer<ControlSession>> controls(m_controls.cbegin(), m_controls.cend());
    for (const auto &c : controls) {
        if (c)
            c->abort();
    }
    for (auto &w : m_wifiControl)
        delete w.server;
    m_wifiControl.clear();
    for (auto &d : m_wifiData)
        delete d.server;
    m_wifiData.clear();
    removeAllForwards();
    delete m_requests;
    m_requests = nullptr;
    m_state.saveAll(true);
}

void SimServer::watchProcess(qint64 pid)
{
    m_watchPid = pid;
}

void SimServer::expire()
{
    if (m_watchPid > 0 && ::kill(pid_t(m_watchPid), 0) != 0 && errno == ESRCH) {
        m_watchPid = 0;
        Q_EMIT stopRequested();
        return;
    }
    const qint64 t = now();
    for (auto it = m_wifiData.begin(); it != m_wifiData.end();) {
        if (it->expiresAt < t) {
            m_state.log(it->phone, 'I', QStringLiteral("ContactsSync"),
                QStringLiteral("nobody connected to port %1; stopped listening").arg(it.key().second));
            delete it->server;
            it = m_wifiData.erase(it);
        } else {
            ++it;
        }
    }
    for (auto &agents : m_usbAgents) {
        for (auto it = agents.begin(); it != agents.end();) {
            if (it->expiresAt < t)
                it = agents.erase(it);
            else
                ++it;
        }
    }
}

// Requests from the command-line tool and the stand-in adb: one JSON object
// per connection, {"tool": "phonesim" | "adb", "args": [...], "cwd": "..."},
// answered with {"code": n, "out": base64, "err": base64}.
void SimServer::onRequestConnection()
{
    while (QTcpSocket *socket = m_requests->nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            if (socket->canReadLine())
                handleRequest(socket);
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void SimServer::handleRequest(QTcpSocket *socket)
{
    const QJsonObject request = QJsonDocument::fromJson(socket->readLine()).object();
    const QString tool = request.value(QStringLiteral("tool")).toString();
    QStringList args;
    for (const QJsonValue &v : request.value(QStringLiteral("args")).toArray())
        args.append(v.toString());
    CommandResult result;
    bool stop = false;
    if (tool == u"adb") {
        result = runAdbCommand(m_state, this, args, request.value(QStringLiteral("cwd")).toString());
    } else if (args.value(0) == u"ping") {
        result.out = "pong\n";
    } else if (args.value(0) == u"stop") {
        stop = true;
    } else {
        result = runSimCommand(m_state, this, args);
    }
    m_state.flushTranscripts();
    const QJsonObject reply { { QStringLiteral("code"), result.code },
        { QStringLiteral("out"), QString::fromLatin1(result.out.toBase64()) },
        { QStringLiteral("err"), QString::fromLatin1(result.err.toBase64()) } };
    socket->write(QJsonDocument(reply).toJson(QJsonDocument::Compact) + '\n');
    socket->disconnectFromHost();
    if (stop)
        QTimer::singleShot(0, this, &SimServer::stopRequested);
}

bool SimServer::reconcile(QString *error)
{
    QStringList problems;
    QSet<QString> wanted;
    for (SimPhone *phone : m_state.phones()) {
        const PhoneConfig &c = phone->config;
        if (!c.usbVisible() || c.usbState != u"device")
            closeUsb(c.id);
        if (!c.wifiListening()) {
            closeWifi(c.id);
            continue;
        }
        wanted.insert(c.id);
        const auto it = m_wifiControl.constFind(c.id);
        if (it != m_wifiControl.cend() && it->address == c.wifi)
            continue;
        closeWifi(c.id);
        auto *server = new QTcpServer(this);
        if (!server->listen(QHostAddress(c.wifi), agentControlPort)) {
            problems.append(QStringLiteral("cannot listen on %1:%2 for phone %3: %4")
                                .arg(c.wifi)
                                .arg(agentControlPort)
                                .arg(c.id, server->errorString()));
            delete server;
            continue;
        }
        const QString id = c.id;
        connect(server, &QTcpServer::newConnection, this, [this, id] { onWifiControlConnection(id); });
        m_wifiControl.insert(id, { c.wifi, server });
    }
    const QStringList bound = m_wifiControl.keys();
    for (const QString &id : bound) {
        if (!wanted.contains(id))
            closeWifi(id);
    }
    if (!problems.isEmpty()) {
        *error = problems.join(u'\n');
        return false;
    }
    return true;
}

void SimServer::closeWifi(const QString &phoneId)
{
    const auto it = m_wifiControl.find(phoneId);
    if (it != m_wifiControl.end()) {
        delete it->server;
        m_wifiControl.erase(it);
    }
    for (auto d = m_wifiData.begin(); d != m_wifiData.end();) {
        if (d->phone->config.id == phoneId) {
            delete d->server;
            d = m_wifiData.erase(d);
        } else {
            ++d;
        }
    }
    const QList<QPointer<ControlSession>> controls(m_controls.cbegin(), m_controls.cend());
    for (const auto &c : controls) {
        if (c && c->phone()->config.id == phoneId)
            c->abort();
    }
    const QList<QPointer<AgentSession>> sessions(m_sessions.cbegin(), m_sessions.cend());
    for (const auto &s : sessions) {
        if (s && s->phone()->config.id == phoneId && s->transport() == u"wifi")
            s->abort(QStringLiteral("WiFi off"));
    }
}

void SimServer::closeUsb(const QString &phoneId)
{
    m_usbAgents.remove(phoneId);
    const QList<QPointer<AgentSession>> sessions(m_sessions.cbegin(), m_sessions.cend());
    for (const auto &s : sessions) {
        if (s && s->phone()->config.id == phoneId && s->transport() == u"usb")
            s->abort(QStringLiteral("USB disconnected"));
    }
    SimPhone *phone = m_state.find(phoneId);
    const QString serial = phone ? phone->config.serial : QString();
    for (auto f = m_forwards.begin(); f != m_forwards.end();) {
        if (!serial.isEmpty() && f->serial == serial) {
            delete f->server;
            f = m_forwards.erase(f);
        } else {
            ++f;
        }
    }
}

void SimServer::forgetPhone(SimPhone *phone)
{
    closeWifi(phone->config.id);
    closeUsb(phone->config.id);
}

void SimServer::onWifiControlConnection(const QString &phoneId)
{
    const auto it = m_wifiControl.constFind(phoneId);
    SimPhone *phone = m_state.find(phoneId);
    if (it == m_wifiControl.cend() || !phone)
        return;
    while (QTcpSocket *socket = it->server->nextPendingConnection()) {
        auto *session = new ControlSession(m_state, phone, socket, this);
        m_controls.append(session);
        connect(session, &ControlSession::startRequested, this, &SimServer::startWifiAgent);
        connect(session, &ControlSession::finished, this, [this](ControlSession *s) {
            m_controls.removeOne(s);
            s->deleteLater();
        });
    }
}

void SimServer::startWifiAgent(SimPhone *phone, AgentSession::Mode mode, int port)
{
    const QString mode_ = mode == AgentSession::Mode::Backup ? QStringLiteral("backup") : QStringLiteral("restore");
    m_state.log(phone, 'I', QStringLiteral("ContactsSync"),
        QStringLiteral("WiFi start request: %1 on %2:%3").arg(mode_, phone->config.wifi).arg(port));
    const int delay = phone->config.faultInt(QStringLiteral("start-delay"));
    const QString id = phone->config.id;
    if (delay > 0)
        QTimer::singleShot(delay, this, [this, id, mode, port] { listenWifiData(id, mode, port); });
    else
        listenWifiData(id, mode, port);
}

void SimServer::listenWifiData(const QString &phoneId, AgentSession::Mode mode, int port)
{
    SimPhone *phone = m_state.find(phoneId);
    if (!phone || !phone->config.wifiListening())
        return;
    const QPair<QString, int> key(phone->config.wifi, port);
    auto it = m_wifiData.find(key);
    if (it == m_wifiData.end()) {
        auto *server = new QTcpServer(this);
        if (!server->listen(QHostAddress(phone->config.wifi), quint16(port))) {
            m_state.log(phone, 'E', QStringLiteral("ContactsSync"),
                QStringLiteral("cannot listen on %1:%2: %3").arg(phone->config.wifi).arg(port).arg(server->errorString()));
            delete server;
            return;
        }
        connect(server, &QTcpServer::newConnection, this, [this, key] {
            const auto d = m_wifiData.find(key);
            if (d == m_wifiData.end())
                return;
            QTcpSocket *socket = d->server->nextPendingConnection();
            const DataListener listener = *d;
            m_wifiData.erase(d);
            // One exchange per start request: stop listening.
            listener.server->close();
            listener.server->deleteLater();
            if (socket)
                startSession(listener.phone, listener.mode, socket, QStringLiteral("wifi"));
        });
        it = m_wifiData.insert(key, { phone, mode, server, 0 });
    }
    it->mode = mode;
    it->expiresAt = now() + agentListenMs;
}

void SimServer::startSession(SimPhone *phone, AgentSession::Mode mode, QTcpSocket *socket, const QString &transport)
{
    auto *session = new AgentSession(m_state, phone, mode, socket, transport, this);
    m_sessions.append(session);
    connect(session, &AgentSession::finished, this, [this](AgentSession *s) {
        m_sessions.removeOne(s);
        s->deleteLater();
    });
    session->start();
}

bool SimServer::forward(SimPhone *phone, int localPort, int remotePort, QString *error)
{
    auto it = m_forwards.find(localPort);
    if (it == m_forwards.end()) {
        auto *server = new QTcpServer(this);
        if (!server->listen(QHostAddress::LocalHost, quint16(localPort))) {
            *error = QStringLiteral("cannot bind listener: cannot bind to 127.0.0.1:%1: %2")
                         .arg(localPort)
                         .arg(server->errorString());
            delete server;
            return false;
        }
        connect(server, &QTcpServer::newConnection, this, [this, localPort] { onForwardConnection(localPort); });
        it = m_forwards.insert(localPort, { QString(), 0, server });
    }
    it->serial = phone->config.serial;
    it->remotePort = remotePort;
    return true;
}

bool SimServer::removeForward(int localPort)
{
    const auto it = m_forwards.find(localPort);
    if (it == m_forwards.end())
        return false;
    delete it->server;
    m_forwards.erase(it);
    return true;
}

void SimServer::removeAllForwards()
{
    for (auto &f : m_forwards)
        delete f.server;
    m_forwards.clear();
}

QStringList SimServer::forwardList() const
{
    QStringList list;
    for (auto it = m_forwards.cbegin(); it != m_forwards.cend(); ++it)
        list.append(QStringLiteral("%1 tcp:%2 tcp:%3").arg(it->serial).arg(it.key()).arg(it->remotePort));
    return list;
}

void SimServer::startUsbAgent(SimPhone *phone, AgentSession::Mode mode, int port)
{
    const qint64 ready = now() + phone->config.faultInt(QStringLiteral("start-delay"));
    m_usbAgents[phone->config.id].insert(port, { mode, ready, ready + agentListenMs });
}

void SimServer::onForwardConnection(int localPort)
{
    const auto it = m_forwards.constFind(localPort);
    if (it == m_forwards.cend())
        return;
    while (QTcpSocket *socket = it->server->nextPendingConnection()) {
        SimPhone *phone = m_state.findBySerial(it->serial);
        bool served = false;
        if (phone && phone->config.usbVisible() && phone->config.usbState == u"device") {
            auto &agents = m_usbAgents[phone->config.id];
            const auto agent = agents.constFind(it->remotePort);
            if (agent != agents.cend() && agent->readyAt <= now() && agent->expiresAt >= now()) {
                const AgentSession::Mode mode = agent->mode;
                agents.erase(agent);
                startSession(phone, mode, socket, QStringLiteral("usb"));
                served = true;
            } else {
                m_state.transcript(phone, 0, QStringLiteral("usb"), '!',
                    "connection on tcp:" + QByteArray::number(localPort) + " closed: no agent listening on tcp:"
                        + QByteArray::number(it->remotePort));
            }
        }
        if (!served) {
            // What adb does when nothing listens on the phone's side.
            socket->abort();
            socket->deleteLater();
        }
    }
}

void SimServer::drain(SimPhone *phone)
{
    const QList<QPointer<AgentSession>> sessions(m_sessions.cbegin(), m_sessions.cend());
    for (const auto &s : sessions) {
        if (s && s->phone() == phone)
            s->drain();
    }
}

} // namespace phonesim
