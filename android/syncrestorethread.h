#ifndef ANDROID_SYNCRESTORETHREAD_H
#define ANDROID_SYNCRESTORETHREAD_H

#include "contacts/jobprogress.h"
#include "contacts/localdb.h"

#include <QHash>
#include <QString>
#include <QThread>

#include <memory>

class AndroidContactsDb;
class QTcpSocket;

// The receive job: reads every contact of a phone into the phone's cache
// database. It has the phone's connector make sure the agent is installed
// and start it for a "backup" exchange, connects to the data port and stores
// each "$ent:" line the agent sends, all inside one transaction that is
// committed when the agent says "$bye:". A batch is acknowledged with
// "$batch:" once its lines are stored.
//
// Reports through `progress`: a status line per phase, then one report per
// contact ("Contacts: received/expected"), and finally one success (empty
// text) or one error report. A cancel request is seen within a fraction of
// a second, also while the phone says nothing; it rolls back and reports
// nothing. Any failure after the transaction began rolls back, so the cache
// database is either filled completely or left as it was.
class SyncRestoreThread : public QThread
{
    Q_OBJECT

public:
    // The agent must speak this protocol version or a later one.
    static constexpr int MinAgentVersion = 2;
    // Longest text from the phone put into an error report; a whole photo
    // line would otherwise fill the error box.
    static constexpr int MaxReportedChars = 200;

    // The job shares the database with the tree node that shows it, so a
    // node removed meanwhile leaves the job with a valid database. The
    // receiver behind `progress` must outlive the job.
    SyncRestoreThread(std::shared_ptr<AndroidContactsDb> db, int dataPort, JobProgress progress,
                      QObject *parent = nullptr);
    ~SyncRestoreThread() override;

    // The whole job, on the calling thread.
    void execute();

    // The name the phone gave itself ("$device:"); empty when it sent none.
    // Read after the job has ended.
    [[nodiscard]] const QString &deviceName() const { return m_deviceName; }
    // Contacts announced ("$count:") and received (name entities) so far.
    [[nodiscard]] qint64 expectedCount() const { return m_expected; }
    [[nodiscard]] qint64 receivedCount() const { return m_received; }
    // Entities left out because their kind is none this program knows.
    [[nodiscard]] qint64 skippedEntities() const { return m_skipped; }

    // `text` cut to MaxReportedChars characters, with an ellipsis when cut.
    [[nodiscard]] static QString clipForReport(const QString &text);
    // received * 100 / expected, truncated and kept within 0..100; 0 while
    // no positive count is known.
    [[nodiscard]] static int percentOf(qint64 received, qint64 expected);

protected:
    void run() override;

private:
    // Phase 1: agent, start request, data connection. False when the job was
    // cancelled meanwhile.
    bool setUp(QTcpSocket &socket);
    // Phase 2, inside the transaction: reads lines until "$bye:". False when
    // the job was cancelled.
    bool receive(QTcpSocket &socket);
    // One batch after "$batch:", up to and including the acknowledgement.
    void receiveBatch(QTcpSocket &socket);
    void storeEntity(const QString &line, QHash<qint64, qint64> &batchContacts);
    // Writes the entity rows received so far.
    void flushRows();
    [[nodiscard]] QString readCommand(QTcpSocket &socket);
    void rollBack();

    std::shared_ptr<AndroidContactsDb> m_db;
    int m_dataPort;
    JobProgress m_progress;
    QString m_status;
    QString m_deviceName;
    qint64 m_expected = 0;
    qint64 m_received = 0;
    qint64 m_skipped = 0;
    // Entity rows are written a few dozen at a time, with the secondary
    // indexes of the new cache built once at the end.
    QList<LocalDb::NewDataRow> m_pendingRows;
    QStringList m_deferredIndexes;
};

#endif
