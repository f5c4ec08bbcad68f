#ifndef ANDROID_SYNCBACKUPTHREAD_H
#define ANDROID_SYNCBACKUPTHREAD_H

#include "contacts/contact.h"
#include "contacts/jobprogress.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QThread>

#include <memory>

class AndroidContactsDb;
class RestoreExchange;

// The send job: puts contacts onto a phone (restoring a local database to
// it, or transferring another phone's contacts). Three phases, all inside
// one transaction of the phone's cache database:
//
//   merge   every contact is merged into the cache database (0-33 %); this
//           tells which contacts are new to the phone and which entities
//           are new for the contacts it already has;
//   create  the new contacts' name rows go to the agent, 20 contacts a
//           batch, and the ids the phone assigns are written back (33-66 %);
//   details the new entities of every contact go to the agent under the
//           phone's keys of their contact, 20 contacts a batch (67-100 %).
//
// Nothing new for the phone: no connection at all. A failure rolls the
// cache database back and reports the message; a cancel (polled before each
// contact, each batch and while waiting for the agent) rolls back without a
// report. What the agent already stored stays on the phone; the next receive
// brings the cache in line again.
class SyncBackupThread : public QThread
{
    Q_OBJECT

public:
    static constexpr int BatchSize = 20;

    SyncBackupThread(const QList<Contact> &contacts, std::shared_ptr<AndroidContactsDb> database, int dataPort,
        JobProgress progress, QObject *parent = nullptr);
    ~SyncBackupThread() override;

    // The whole job, on the calling thread.
    void execute();

protected:
    void run() override;

private:
    void merge();
    void createContacts(RestoreExchange &exchange);
    void sendEntities(RestoreExchange &exchange);
    void checkCancelled() const;

    QList<Contact> m_contacts;
    std::shared_ptr<AndroidContactsDb> m_db;
    int m_dataPort;
    JobProgress m_progress;

    // Working data of one run.
    qsizetype m_sent = 0;
    qsizetype m_merged = 0;
    QList<Contact> m_createList;                  // stored contacts new to the phone
    QMap<qint64, Contact::EntityMap> m_newEntities; // cache contact _id -> entities to send
    QMap<qint64, QString> m_phoneIds;             // cache contact _id -> phone's id of its name
    QMap<qint64, QString> m_names;                // cache contact _id -> full name, for messages
};

#endif
