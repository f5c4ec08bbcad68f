#include "contacts/backupcontactstolocalthread.h"

#include "contacts/localdb.h"

#include <exception>

BackupContactsToLocalThread::BackupContactsToLocalThread(const QList<Contact> &contacts, LocalDb *db,
                                                         JobProgress progress, QObject *parent)
    : QThread(parent)
    , m_contacts(contacts)
    , m_db(db)
    , m_progress(progress)
{
}

void BackupContactsToLocalThread::run()
{
    execute();
}

void BackupContactsToLocalThread::execute()
{
    const qsizetype total = m_contacts.size();
    qsizetype done = 0;
    qsizetype merged = 0;
    try {
        m_db->beginTransaction();
        const QStringList deferredIndexes = m_db->dropIndexesForBulkLoad();
        const QString title = tr("IDS_IMPORTING_CONTACTS_TO_LOCALDB");
        for (const Contact &contact : std::as_const(m_contacts)) {
            if (m_progress.isCancelled())
                break;
            ++done;
            const int percent = int(double(done) * 100.0 / double(total));
            m_progress.progress(title, percent, tr("Contacts:%1/%2").arg(done).arg(total));
            Contact stored;
            bool wasMerged = false;
            m_db->saveContactMerged(contact, stored, wasMerged);
            if (wasMerged)
                ++merged;
        }
        m_db->restoreIndexes(deferredIndexes);
        m_db->endTransaction(true);
    } catch (const std::exception &e) {
        try {
            m_db->endTransaction(false);
        } catch (const std::exception &) {
            // The first failure is the one worth reporting.
        }
        m_progress.error(QString::fromUtf8(e.what()));
        return;
    }
    if (merged == 0)
        m_progress.success(tr("IDS_SUC_IMPORT_%1_TO_LOCALDB").arg(done));
    else
        m_progress.success(tr("IDS_SUC_IMPORT_%1_TO_LOCALDB_%2_MERGED").arg(done - merged).arg(merged));
}
