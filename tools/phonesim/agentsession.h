#ifndef TOOLS_PHONESIM_AGENTSESSION_H
#define TOOLS_PHONESIM_AGENTSESSION_H

#include "tools/phonesim/phoneconfig.h"
#include "tools/phonesim/restoreapplier.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpSocket>

#include <memory>

class QTimer;

namespace phonesim {

class SimState;
struct SimPhone;

// One data exchange of the simulated agent on an accepted connection.
//
// Backup (the phone sends): "$version:", "$device:", "$count:", then per
// batch "$batch:", the "$ent:" lines of up to batch-size contacts (name row
// first), "$end:", and it waits for the desktop's "$batch:" before the next
// batch; finally "$bye:" and the agent closes the connection.
//
// Restore (the phone receives): batches of "$ent:", "$del:" and "$ungroup:"
// between "$batch:" and "$end:"; each "$end:" is answered with one line
// "$batch:" followed by the id mappings of the rows created, separated by
// commas. The store is written to disk before the answer goes out.
//
// Failures are reported with "$error:" and the Base64 of a UTF-8 message;
// the agent then closes the connection. The phone's faults (a copy taken
// when the exchange starts) change what goes out, see README.md.
class AgentSession : public QObject
{
    Q_OBJECT

public:
    enum class Mode { Backup, Restore };

    AgentSession(SimState &state, SimPhone *phone, Mode mode, QTcpSocket *socket, const QString &transport,
        QObject *parent = nullptr);
    ~AgentSession() override;

    SimPhone *phone() const { return m_phone; }
    QString transport() const { return m_transport; }
    void start();
    // Reads and handles whatever the desktop has sent already.
    void drain();
    // Drops the connection at once (unplugged cable, WiFi off, server stop).
    void abort(const QString &reason);

Q_SIGNALS:
    void finished(phonesim::AgentSession *session);

private:
    struct Pending
    {
        QByteArray bytes;
        bool closeAfter = false;
        bool abortAfter = false;
    };

    bool faultApplies() const;
    void readInput();
    void handleLine(const QByteArray &line);
    void sendHeader();
    void sendNextBatch();
    void sendBye();
    void fail(const QString &message);
    // From now on nothing more goes out and nothing received is acted upon;
    // the connection stays open until the desktop closes it.
    void stall();
    // Queues one outgoing line, applying the line faults.
    void sendLine(QByteArray line);
    void sendRaw(Pending pending);
    void pump();
    void pumpOne();
    bool writeNext();
    void record(char direction, const QByteArray &line);
    void finishTranscriptBatch();
    void onDisconnected();
    void finish();

    SimState &m_state;
    SimPhone *m_phone;
    Mode m_mode;
    QPointer<QTcpSocket> m_socket;
    QString m_transport;
    QString m_channel;
    qint64 m_exchange = 0;
    PhoneConfig m_faults; // the configuration at start, faults included
    bool m_active = false; // line faults apply to this exchange
    bool m_plain = true;   // no line fault, no delay: batches go out in one write
    int m_slowMs = 0;
    bool m_silent = false;
    int m_stallAfter = -1; // "stall" fault: lines sent before the agent falls silent
    bool m_stalled = false;
    bool m_closing = false;
    bool m_finished = false;

    QByteArray m_input;
    int m_sent = 0;
    int m_entSent = 0;
    int m_received = 0;
    int m_transcriptEnts = 0;

    // backup
    qint64 m_cursor = 0;
    bool m_waitingAck = false;
    int m_contactsSent = 0;

    // restore
    std::unique_ptr<RestoreApplier> m_applier;

    QList<Pending> m_queue;
    QTimer *m_pumpTimer = nullptr;
};

} // namespace phonesim

#endif
