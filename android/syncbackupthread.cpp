#include "android/syncbackupthread.h"

#include "android/androidcontactsdb.h"
#include "android/jobcancel.h"
#include "android/restoreexchange.h"
#include "android/wireencoding.h"
#include "contacts/entitykind.h"

#include <QtDebug>

#include <algorithm>
#include <exception>
#include <stdexcept>

using namespace pim;
using simpleprotocol::CancelledException;

namespace {

// Adds what one merge wrote to what earlier merges of the run wrote for the
// same stored contact. A row written twice is sent once, in its latest form.
void addWritten(Contact::EntityMap &into, const Contact::EntityMap &written)
{
    for (auto it = written.cbegin(); it != written.cend(); ++it) {
        QList<Entity> &list = into[it.key()];
        for (const Entity &entity : it.value()) {
            const auto same = entity._id == 0
                ? list.end()
                : std::find_if(list.begin(), list.end(), [&](const Entity &e) { return e._id == entity._id; });
            if (same != list.end())
                *same = entity;
            else
                list.append(entity);
        }
    }
}

int percentOf(qsizetype done, qsizetype total, int span, int base)
{
    return total <= 0 ? base : base + int(double(done) * span / double(total));
}

} // namespace

SyncBackupThread::SyncBackupThread(const QList<Contact> &contacts, std::shared_ptr<AndroidContactsDb> database,
    int dataPort, JobProgress progress, QObject *parent)
    : QThread(parent)
    , m_contacts(contacts)
    , m_db(std::move(database))
    , m_dataPort(dataPort)
    , m_progress(progress)
{ }

SyncBackupThread::~SyncBackupThread() = default;

void SyncBackupThread::run()
{
    execute();
}

void SyncBackupThread::checkCancelled() const
{
    if (m_progress.isCancelled())
        throw CancelledException();
}

void SyncBackupThread::execute()
{
    const JobCancel::Scope cancelScope([this] { return m_progress.isCancelled(); });
    m_sent = 0;
    m_merged = 0;
    m_createList.clear();
    m_newEntities.clear();
    m_phoneIds.clear();
    m_names.clear();

    bool inTransaction = false;
    const auto rollback = [&] {
        if (!inTransaction)
            return;
        inTransaction = false;
        try {
            m_db->endTransaction(false);
        } catch (...) {
            // The failure that led here is the one to report.
        }
    };
    try {
        if (!m_db)
            throw std::runtime_error("No phone database to send to.");
        m_db->beginTransaction();
        inTransaction = true;
        merge();
        if (!m_createList.isEmpty() || !m_newEntities.isEmpty()) {
            checkCancelled();
            m_progress.progress(tr("IDS_SYNC_START_SERVICE"), 0, QString());
            RestoreExchange exchange(m_db->connector(), m_dataPort, [this] { return m_progress.isCancelled(); });
            exchange.open(tr("IDS_ANDROID_CONNECT_FAIL%0:%1"));
            createContacts(exchange);
            sendEntities(exchange);
        }
        m_db->endTransaction(true);
        inTransaction = false;
    } catch (const CancelledException &) {
        rollback();
        return;
    } catch (const std::exception &e) {
        rollback();
        m_progress.error(QString::fromUtf8(e.what()));
        return;
    } catch (...) {
        rollback();
        m_progress.error(QStringLiteral("Unknown failure while sending contacts to the phone."));
        return;
    }

    if (m_merged > 0)
        m_progress.success(tr("IDS_SUC_TRANSFER_%1_CONTACTS_TO_ANDROID_%2_MERGED").arg(m_sent - m_merged).arg(m_merged));
    else
        m_progress.success(tr("IDS_SUC_TRANSFER_%1_CONTACTS_TO_ANDROID").arg(m_sent));
}

void SyncBackupThread::merge()
{
    const qsizetype total = m_contacts.size();
    const QString title = tr("IDS_MERGING_CONTACTS");
    for (const Contact &contact : std::as_const(m_contacts)) {
        checkCancelled();
        ++m_sent;
        m_progress.progress(title, percentOf(m_sent, total, 33, 0), QStringLiteral("Contacts:%1/%2").arg(m_sent).arg(total));

        Contact stored;
        bool wasMerged = false;
        const Contact::EntityMap added = m_db->saveContactMerged(contact, stored, wasMerged);
        if (wasMerged)
            ++m_merged;
        if (added.isEmpty())
            continue;
        // The phone names a contact by the id of its name row; a stored
        // contact without one may still carry it as its own id.
        if (const Entity *name = stored.firstEntity(ENTITY_NAME); name && !name->srcId.isEmpty())
            m_phoneIds.insert(stored._id, name->srcId);
        else if (!stored.srcId.isEmpty())
            m_phoneIds.insert(stored._id, stored.srcId);
        m_names.insert(stored._id, stored.fullName);
        // Two contacts of the list may merge into the same stored contact:
        // both contribute what they added.
        addWritten(m_newEntities[stored._id], added);
        if (added.contains(ENTITY_NAME))
            m_createList.append(stored);
    }
}

void SyncBackupThread::createContacts(RestoreExchange &exchange)
{
    const qsizetype total = m_createList.size();
    qsizetype done = 0;
    while (done < total) {
        checkCancelled();
        exchange.beginBatch();
        const qsizetype end = std::min(total, done + BatchSize);
        for (; done < end; ++done) {
            const Contact &contact = m_createList.at(done);
            if (const Entity *name = contact.firstEntity(ENTITY_NAME))
                exchange.sendEntity(ENTITY_NAME, contact._id, contact._id, *name);
        }
        for (const simpleprotocol::IdMapping &mapping : exchange.endBatch()) {
            m_db->updateContactSrcId(mapping.contactKey, mapping.newSrcId);
            m_phoneIds.insert(mapping.contactKey, mapping.newSrcId);
            m_db->updateDataSrcId(mapping.entityId, mapping.newSrcId);
        }
        m_progress.progress(tr("IDS_SEND_CHANGES_TO_ANDROID"), percentOf(done, total, 33, 33), QString());
    }
}

void SyncBackupThread::sendEntities(RestoreExchange &exchange)
{
    // Whatever a contact added besides its name can only go to the phone
    // under the phone's keys of that contact. Without them the job cannot
    // claim to have sent it.
    for (auto it = m_newEntities.cbegin(); it != m_newEntities.cend(); ++it) {
        bool hasDetails = false;
        for (auto kind = it.value().cbegin(); kind != it.value().cend(); ++kind)
            hasDetails = hasDetails || (kind.key() != ENTITY_NAME && !kind.value().isEmpty());
        if (hasDetails && !parseSrcId(m_phoneIds.value(it.key())))
            throw std::runtime_error(tr("IDS_SEND_NO_PHONE_ID_%1").arg(m_names.value(it.key())).toUtf8().toStdString());
    }

    const qsizetype total = m_newEntities.size();
    qsizetype done = 0;
    auto it = m_newEntities.cbegin();
    while (done < total) {
        checkCancelled();
        exchange.beginBatch();
        for (int inBatch = 0; inBatch < BatchSize && it != m_newEntities.cend(); ++inBatch, ++it, ++done) {
            qint64 key1 = 0;
            qint64 key2 = 0;
            if (!parseSrcId(m_phoneIds.value(it.key()), nullptr, &key1, &key2))
                continue; // only a name, which went in the create phase
            for (auto kind = it.value().cbegin(); kind != it.value().cend(); ++kind) {
                if (kind.key() == ENTITY_NAME)
                    continue;
                for (const Entity &entity : kind.value())
                    exchange.sendEntity(kind.key(), key1, key2, entity);
            }
        }
        for (const simpleprotocol::IdMapping &mapping : exchange.endBatch())
            m_db->updateDataSrcId(mapping.entityId, mapping.newSrcId);
        m_progress.progress(tr("IDS_SEND_CHANGES_TO_ANDROID"), percentOf(done, total, 33, 67), QString());
    }
}
