#ifndef ANDROID_ANDROIDSENDCHANGESTHREAD_H
#define ANDROID_ANDROIDSENDCHANGESTHREAD_H

#include "contacts/contact.h"
#include "contacts/contactchange.h"
#include "contacts/jobprogress.h"

#include <QList>
#include <QThread>

#include <memory>

class AndroidContactsDb;
class RestoreExchange;

// The change job: carries edits already written to a phone's cache database
// to the phone itself, in one exchange with the agent. One of three modes,
// chosen by a setter before the thread starts:
//
//   0  the changes of one edited contact (its change set); a contact that is
//      not on the phone yet first goes alone with its name, and the phone's
//      id for it is written back before the rest follows under its keys;
//   1  deleting a list of contacts: one batch of "$del:" lines; success
//      once the agent answered it and the connection closed cleanly;
//   2  the group membership of a list of contacts: each contact's groups on
//      the phone are dropped and its current membership (if any) added.
//
// Ids the phone assigns are written back to the cache database, each update
// on its own; nothing is rolled back. Success is an empty report. Waits for
// the agent watch the cancel flag; a cancelled job reports nothing.
class AndroidSendChangesThread : public QThread
{
    Q_OBJECT

public:
    enum Mode : int {
        NoMode = -1,
        ModeContactChanges = 0,
        ModeDeleteContacts = 1,
        ModeGroupContacts = 2,
    };

    AndroidSendChangesThread(JobProgress progress, std::shared_ptr<AndroidContactsDb> database, int dataPort,
        QObject *parent = nullptr);
    ~AndroidSendChangesThread() override;

    // Mode 0: the contact as reloaded from the cache after the edit was
    // saved, and its change set.
    void setContactChanges(const Contact &contact, const QList<ContactChange> &changes);
    // Mode 1: the contacts deleted from the cache.
    void setDeleteContacts(const QList<Contact> &contacts);
    // Mode 2: the contacts, each with its current group membership (none:
    // the contact leaves every group).
    void setGroupContacts(const QList<Contact> &contacts);

    [[nodiscard]] int mode() const { return m_mode; }

    // The whole job, on the calling thread.
    void execute();

protected:
    void run() override;

private:
    void sendContactChanges(RestoreExchange &exchange);
    void sendDeletions(RestoreExchange &exchange);
    void sendGroups(RestoreExchange &exchange);
    void checkCancelled() const;

    JobProgress m_progress;
    std::shared_ptr<AndroidContactsDb> m_db;
    int m_dataPort;
    int m_mode = NoMode;
    Contact m_contact;
    QList<ContactChange> m_changes;
    QList<Contact> m_contacts;
};

#endif
