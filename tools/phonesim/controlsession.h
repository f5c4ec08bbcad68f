#ifndef TOOLS_PHONESIM_CONTROLSESSION_H
#define TOOLS_PHONESIM_CONTROLSESSION_H

#include "tools/phonesim/agentsession.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTcpSocket>

namespace phonesim {

class SimState;
struct SimPhone;

// One connection to the agent's WiFi control port (48888):
//
//   "hello:<anything>"          answered with "hello:" + the phone's device id
//   "backup://127.0.0.1:P/"     the agent serves one backup exchange on port P
//   "restore://127.0.0.1:P/"    ... one restore exchange on port P
//
// Nothing is answered to the start requests. Other lines are ignored.
class ControlSession : public QObject
{
    Q_OBJECT

public:
    ControlSession(SimState &state, SimPhone *phone, QTcpSocket *socket, QObject *parent = nullptr);

    SimPhone *phone() const { return m_phone; }
    void abort();

Q_SIGNALS:
    void startRequested(phonesim::SimPhone *phone, phonesim::AgentSession::Mode mode, int port);
    void finished(phonesim::ControlSession *session);

private:
    void readInput();
    void handleLine(const QByteArray &line);
    void send(const QByteArray &line);

    SimState &m_state;
    SimPhone *m_phone;
    QPointer<QTcpSocket> m_socket;
    QByteArray m_input;
    bool m_finished = false;
};

// The port of a start request argument "//host:port/"; 0 when there is none.
int startRequestPort(const QByteArray &argument);

} // namespace phonesim

#endif
