#include "android/androidsendchangesthread.h"

#include "android/androidcontactsdb.h"
#include "android/jobcancel.h"
#include "android/restoreexchange.h"
#include "android/wireencoding.h"
#include "contacts/entitykind.h"

#include <QHash>
#include <QtDebug>

#include <exception>
#include <stdexcept>

using namespace pim;
using simpleprotocol::CancelledException;

namespace {

[[noreturn]] void fail(const QString &message)
{
    throw std::runtime_error(message.toUtf8().toStdString());
}

// The phone's keys of a contact: those of its own id, else those of its
// name row's id.
bool phoneKeys(const Contact &contact, qint64 &key1, qint64 &key2)
{
    if (parseSrcId(contact.srcId, nullptr, &key1, &key2))
        return true;
    const Entity *name = contact.firstEntity(ENTITY_NAME);
    return name && parseSrcId(name->srcId, nullptr, &key1, &key2);
}

} // namespace

AndroidSendChangesThread::AndroidSendChangesThread(
    JobProgress progress, std::shared_ptr<AndroidContactsDb> database, int dataPort, QObject *parent)
    : QThread(parent)
    , m_progress(progress)
    , m_db(std::move(database))
    , m_dataPort(dataPort)
{ }

AndroidSendChangesThread::~AndroidSendChangesThread() = default;

void AndroidSendChangesThread::setContactChanges(const Contact &contact, const QList<ContactChange> &changes)
{
    m_mode = ModeContactChanges;
    m_contact = contact;
    m_changes = changes;
    m_contacts.clear();
}

void AndroidSendChangesThread::setDeleteContacts(const QList<Contact> &contacts)
{
    m_mode = ModeDeleteContacts;
    m_contacts = contacts;
    m_contact = Contact();
    m_changes.clear();
}

void AndroidSendChangesThread::setGroupContacts(const QList<Contact> &contacts)
{
    m_mode = ModeGroupContacts;
    m_contacts = contacts;
    m_contact = Contact();
    m_changes.clear();
}

void AndroidSendChangesThread::run()
{
    execute();
}

void AndroidSendChangesThread::checkCancelled() const
{
    if (m_progress.isCancelled())
        throw CancelledException();
}

void AndroidSendChangesThread::execute()
{
    const JobCancel::Scope cancelScope([this] { return m_progress.isCancelled(); });
    try {
        if (!m_db)
            fail(QStringLiteral("No phone database to send the changes to."));
        if (m_mode == NoMode)
            fail(QStringLiteral("No changes were chosen to send to the phone."));
        if (m_mode == ModeContactChanges) {
            qint64 key1 = 0;
            qint64 key2 = 0;
            // Neither on the phone nor with a name to put it there under:
            // no phone keys exist for the changes.
            if (!phoneKeys(m_contact, key1, key2) && !m_contact.hasEntities(ENTITY_NAME))
                fail(tr("IDS_CHANGES_NEED_PHONE_CONTACT_%1").arg(m_contact.fullName));
        }
        m_progress.progress(tr("IDS_SYNC_START_SERVICE"), 0, QString());
        RestoreExchange exchange(m_db->connector(), m_dataPort, [this] { return m_progress.isCancelled(); });
        exchange.open(tr("IDS_ANDROID_CONNECT_FAIL%0:%1"));
        switch (m_mode) {
        case ModeContactChanges:
            sendContactChanges(exchange);
            break;
        case ModeDeleteContacts:
            sendDeletions(exchange);
            break;
        case ModeGroupContacts:
            sendGroups(exchange);
            break;
        default:
            break;
        }
    } catch (const CancelledException &) {
        return;
    } catch (const std::exception &e) {
        m_progress.error(QString::fromUtf8(e.what()));
        return;
    } catch (...) {
        m_progress.error(QStringLiteral("Unknown failure while sending changes to the phone."));
        return;
    }
    m_progress.success(QString());
}

void AndroidSendChangesThread::sendContactChanges(RestoreExchange &exchange)
{
    m_progress.progress(tr("IDS_SENGING_CHANGES_TO_DEVICE"), 99, QString());
    qint64 key1 = 0;
    qint64 key2 = 0;
    // Rows that received the phone's id on the way, by _id.
    QHash<qint64, QString> assigned;
    if (!phoneKeys(m_contact, key1, key2)) {
        // Not on the phone yet: the name goes alone first, and its answer
        // names the new phone contact.
        const Entity *name = m_contact.firstEntity(ENTITY_NAME);
        if (!name)
            fail(tr("IDS_CHANGES_NEED_PHONE_CONTACT_%1").arg(m_contact.fullName));
        exchange.beginBatch();
        exchange.sendEntity(ENTITY_NAME, m_contact._id, m_contact._id, *name);
        const QList<simpleprotocol::IdMapping> mappings = exchange.endBatch();
        if (mappings.isEmpty())
            fail(RestoreExchange::invalidAnswerMessage(exchange.lastAnswer()));
        const simpleprotocol::IdMapping &first = mappings.first();
        m_db->updateContactSrcId(first.contactKey, first.newSrcId);
        m_db->updateDataSrcId(first.entityId, first.newSrcId);
        assigned.insert(first.entityId, first.newSrcId);
        parseSrcId(first.newSrcId, nullptr, &key1, &key2);
    }

    exchange.beginBatch();
    for (const ContactChange &change : std::as_const(m_changes)) {
        Entity entity = change.entity;
        if (entity.srcId.isEmpty() && assigned.contains(entity._id))
            entity.srcId = assigned.value(entity._id);
        switch (change.action) {
        case ContactChange::ACTION_ADDED:
            if (change.kind == ENTITY_NAME)
                break; // a new contact's name went with the first batch
            exchange.sendEntity(change.kind, key1, key2, entity);
            break;
        case ContactChange::ACTION_UPDATED:
            exchange.sendEntity(change.kind, key1, key2, entity);
            break;
        case ContactChange::ACTION_DELETED:
            exchange.sendDelete(buildSrcId(change.kind, key1, key2, entity));
            break;
        default:
            break;
        }
    }
    for (const simpleprotocol::IdMapping &mapping : exchange.endBatch())
        m_db->updateDataSrcId(mapping.entityId, mapping.newSrcId);
}

void AndroidSendChangesThread::sendDeletions(RestoreExchange &exchange)
{
    exchange.beginBatch();
    for (const Contact &contact : std::as_const(m_contacts)) {
        if (const Entity *name = contact.firstEntity(ENTITY_NAME))
            exchange.sendDelete(buildSrcId(ENTITY_NAME, 0, 0, *name));
    }
    // The agent answers once it has applied the whole batch; only then, and
    // with the connection closed cleanly, are the contacts gone.
    exchange.endBatch();
    exchange.close();
}

void AndroidSendChangesThread::sendGroups(RestoreExchange &exchange)
{
    exchange.beginBatch();
    for (const Contact &contact : std::as_const(m_contacts)) {
        qint64 key1 = 0;
        qint64 key2 = 0;
        if (!phoneKeys(contact, key1, key2))
            continue; // not on the phone
        // The phone adds a membership row beside the ones it has, so the
        // contact leaves its groups first; its membership then comes back
        // as a new row, even one that had a phone id before.
        exchange.sendUngroup(key1);
        if (const Entity *group = contact.firstEntity(ENTITY_GROUP_MEMBERSHIP)) {
            Entity membership = *group;
            membership.srcId.clear();
            exchange.sendEntity(ENTITY_GROUP_MEMBERSHIP, key1, key2, membership);
        }
    }
    for (const simpleprotocol::IdMapping &mapping : exchange.endBatch())
        m_db->updateDataSrcId(mapping.entityId, mapping.newSrcId);
}
