#include "tools/phonesim/controlsession.h"

#include "tools/phonesim/phonewire.h"
#include "tools/phonesim/simstate.h"

#include <QRegularExpression>

namespace phonesim {

int startRequestPort(const QByteArray &argument)
{
    static const QRegularExpression pattern(QStringLiteral("^//[^/:]*:(\\d{1,5})/?$"));
    const QRegularExpressionMatch m = pattern.match(QString::fromLatin1(argument));
    const int port = m.hasMatch() ? m.captured(1).toInt() : 0;
    return port > 0 && port < 65536 ? port : 0;
}

ControlSession::ControlSession(SimState &state, SimPhone *phone, QTcpSocket *socket, QObject *parent)
    : QObject(parent), m_state(state), m_phone(phone), m_socket(socket)
{
    socket->setParent(this);
    connect(socket, &QTcpSocket::readyRead, this, &ControlSession::readInput);
    connect(socket, &QTcpSocket::disconnected, this, [this] {
        if (!m_finished) {
            m_finished = true;
            m_state.transcript(m_phone, 0, QStringLiteral("control"), '!', "connection closed");
            m_state.flushTranscript(m_phone);
            Q_EMIT finished(this);
        }
    });
    m_state.transcript(m_phone, 0, QStringLiteral("control"), '!', "connected");
}

void ControlSession::abort()
{
    if (m_socket)
        m_socket->abort();
    if (!m_finished) {
        m_finished = true;
        Q_EMIT finished(this);
    }
}

void ControlSession::readInput()
{
    m_input += m_socket->readAll();
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = m_input.indexOf('\n', start);
        if (end < 0)
            break;
        QByteArray line = m_input.mid(start, end - start);
        line.replace('\r', QByteArray());
        start = end + 1;
        handleLine(line);
    }
    m_input.remove(0, start);
    m_state.flushTranscript(m_phone);
}

void ControlSession::send(const QByteArray &line)
{
    m_state.transcript(m_phone, 0, QStringLiteral("control"), '>', line);
    m_socket->write(line + '\n');
}

void ControlSession::handleLine(const QByteArray &line)
{
    m_state.transcript(m_phone, 0, QStringLiteral("control"), '<', line);
    const PhoneConfig &config = m_phone->config;
    if (line.startsWith("hello:")) {
        if (config.hasFault(QStringLiteral("silent-hello")))
            return;
        if (config.hasFault(QStringLiteral("hello-error"))) {
            QString message = config.fault(QStringLiteral("error-message"));
            if (message.isEmpty())
                message = QStringLiteral("Simulated agent failure: Ошибка 错误");
            send("$error:" + wire::base64Text(message));
            return;
        }
        send("hello:" + config.deviceId.toUtf8());
        return;
    }
    AgentSession::Mode mode;
    QByteArray argument;
    if (line.startsWith("backup:")) {
        mode = AgentSession::Mode::Backup;
        argument = line.mid(7);
    } else if (line.startsWith("restore:")) {
        mode = AgentSession::Mode::Restore;
        argument = line.mid(8);
    } else {
        return;
    }
    const int port = startRequestPort(argument);
    if (port == 0) {
        m_state.log(m_phone, 'W', QStringLiteral("ContactsSync"),
            QStringLiteral("ignored start request: %1").arg(QString::fromLatin1(line)));
        return;
    }
    Q_EMIT startRequested(m_phone, mode, port);
}

} // namespace phonesim
