#ifndef CONTACTS_BACKUPCONTACTSTOLOCALTHREAD_H
#define CONTACTS_BACKUPCONTACTSTOLOCALTHREAD_H

#include "contacts/contact.h"
#include "contacts/jobprogress.h"

#include <QList>
#include <QThread>

class LocalDb;

// The backup job: stores contacts that are already in memory into a local
// database, merging those whose full name is already there, all inside one
// transaction. It reports "Contacts:done/total" before each contact, polls
// the cancel flag between contacts (what was stored before a cancel is
// kept), and ends with exactly one success or error report. On an error
// nothing of the job stays in the database.
class BackupContactsToLocalThread : public QThread
{
    Q_OBJECT

public:
    // `db` and the receiver behind `progress` must outlive the job.
    BackupContactsToLocalThread(const QList<Contact> &contacts, LocalDb *db, JobProgress progress,
                                QObject *parent = nullptr);

    // The whole job, on the calling thread.
    void execute();

protected:
    void run() override;

private:
    QList<Contact> m_contacts;
    LocalDb *m_db;
    JobProgress m_progress;
};

#endif
