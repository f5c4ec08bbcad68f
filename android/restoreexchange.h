#ifndef ANDROID_RESTOREEXCHANGE_H
#define ANDROID_RESTOREEXCHANGE_H

#include "android/iandroidconnector.h"
#include "android/simpleprotocol.h"

#include <QList>
#include <QSet>
#include <QString>

#include <memory>
#include <utility>

class Entity;
class QTcpSocket;

// One exchange in which the program writes to the phone (the agent's
// "restore" service), as the send and change jobs hold it:
//
//     $batch:                      PC -> agent
//     $ent:1/17/17/-40,...         rows to create or replace
//     $del:3/812/640/9002          rows or contacts to delete
//     $ungroup:812                 drop a contact's groups
//     $end:
//     $batch:1/17/17/-40=>1/812/640/9001     agent -> PC, the ids it assigned
//
// Lives on the job's thread: the socket is created by open() on the calling
// thread and used and destroyed there. Every wait for the agent is a short
// slice between looks at the job's cancel flag, so a silent or stalled phone
// never keeps a cancelled job alive for more than a fraction of a second
// after the connector returned.
//
// Only the ids this exchange sent as provisional ones (a row without a
// phone id: kind/key1/key2/-_id) are taken from an answer; anything else the
// agent lists is logged and left alone.
class RestoreExchange
{
public:
    RestoreExchange(PAndroidConnector connector, int dataPort, simpleprotocol::CancelCheck cancelled);
    ~RestoreExchange();
    RestoreExchange(const RestoreExchange &) = delete;
    RestoreExchange &operator=(const RestoreExchange &) = delete;

    // Starts the agent's restore service through the connector and connects
    // within 15 s. `connectFailMessage` is the translated
    // "Failed to Connect to %0:%1." text; it is thrown as std::runtime_error
    // with host and port filled in when the connection fails.
    void open(const QString &connectFailMessage);

    void beginBatch();
    // "$ent:" with the entity line; a row without srcId goes with the
    // provisional id kind/key1/key2/-_id and is expected back in the answer.
    void sendEntity(int kind, qint64 key1, qint64 key2, const Entity &entity);
    void sendDelete(const QString &srcId);
    void sendUngroup(qint64 contactKey);
    // Ends the batch and reads the agent's answer, which must start with
    // "$batch:". Returns the mappings of this batch's provisional ids.
    QList<simpleprotocol::IdMapping> endBatch();
    // The last answer line, as it came.
    [[nodiscard]] const QString &lastAnswer() const { return m_lastAnswer; }

    // Waits until everything written has left the socket, then closes the
    // connection. Throws when the connection broke first or the agent
    // reported an error in the meantime.
    void close();

    // Lines written since open(), for the log of a failure.
    [[nodiscard]] qint64 linesSent() const { return m_linesSent; }

    // The error for an answer that is not "$batch:".
    [[nodiscard]] static QString invalidAnswerMessage(const QString &answer);

private:
    void write(const QString &word, const QString &argument, bool flush);
    void checkCancelled() const;
    QTcpSocket &socket();

    PAndroidConnector m_connector;
    int m_dataPort;
    simpleprotocol::CancelCheck m_cancelled;
    std::unique_ptr<QTcpSocket> m_socket;
    // (contact key, row id) of the provisional ids of the current batch.
    QSet<std::pair<qint64, qint64>> m_provisional;
    QString m_lastAnswer;
    qint64 m_linesSent = 0;
};

#endif
