#include "contacts/changeset.h"

#include "contacts/abscontactcombinerule.h"
#include "contacts/contactformat.h"
#include "contacts/entitykind.h"
#include "contacts/localdb.h"
#include "contacts/localdbtransaction.h"

#include <QSet>

using namespace pim;

namespace changeset {

namespace {

// Prefix, first, middle, last, suffix.
const QStringList &nameColumns()
{
    static const QStringList columns { QStringLiteral("data5"), QStringLiteral("data2"), QStringLiteral("data4"),
                                       QStringLiteral("data3"), QStringLiteral("data6") };
    return columns;
}

// The stored entity with every column the editor supplied written over it.
Entity overlaid(const Entity &stored, const Entity &edited)
{
    Entity result = stored;
    for (int column : edited.columns())
        result.setValue(column, edited.value(column));
    return result;
}

const Entity *findById(const QList<Entity> &entities, qint64 id)
{
    for (const Entity &entity : entities) {
        if (entity._id == id)
            return &entity;
    }
    return nullptr;
}

void logUpdate(int kind, const Entity &stored, const Entity &edited, const QStringList &columns)
{
    qDebug("action=ACTION_UPDATED, type=%d {", kind);
    for (const QString &column : columns) {
        qDebug("%s(src)=%s", qUtf8Printable(column), qUtf8Printable(stored.text(column)));
        qDebug("%s(cur)=%s", qUtf8Printable(column), qUtf8Printable(edited.text(column)));
    }
    qDebug("}");
}

} // namespace

const QList<int> &editorKinds()
{
    static const QList<int> kinds { ENTITY_PHOTO,        ENTITY_PHONE,    ENTITY_EMAIL,           ENTITY_NICKNAME,
                                    ENTITY_EVENT,        ENTITY_IM,       ENTITY_NOTE,            ENTITY_ORGANIZATION,
                                    ENTITY_RELATION,     ENTITY_POSTAL_ADDRESS, ENTITY_WEBSITE };
    return kinds;
}

bool isShownOnce(int kind)
{
    return kind == ENTITY_PHOTO || kind == ENTITY_NICKNAME || kind == ENTITY_NOTE || kind == ENTITY_ORGANIZATION;
}

ContactChangeSet getChanges(const Entity &name, const Contact::EntityMap &current, const AbsContactCombineRule &rule,
                            const Contact &source)
{
    ContactChangeSet result;
    QSet<qint64> seen;

    if (const Entity *stored = source.firstEntity(ENTITY_NAME)) {
        if (!entityValuesEqual(name, *stored, nameColumns())) {
            result.append({ ENTITY_NAME, ContactChange::ACTION_UPDATED, overlaid(*stored, name) });
            qDebug("action=ACTION_UPDATED, type=pim::ENTITY_NAME, fullName=%s", qUtf8Printable(formatPersonName(name)));
        }
    } else {
        result.append({ ENTITY_NAME, ContactChange::ACTION_ADDED, name });
        qDebug("action=ACTION_ADDED, type=pim::ENTITY_NAME, fullName=%s", qUtf8Printable(formatPersonName(name)));
    }

    for (auto it = current.cbegin(); it != current.cend(); ++it) {
        const int kind = it.key();
        if (kind == ENTITY_NAME || !editorKinds().contains(kind))
            continue;
        const QStringList key = rule.keyColumns(kind);
        const QStringList compare = rule.compareColumns(kind);
        const QList<Entity> &storedList = source.entitiesOf(kind);
        for (const Entity &entity : it.value()) {
            if (isEntityBlank(entity, key)) {
                qDebug("EditContactForm::getChanges, Empty Entity: type=%d, _id=%lld, srcId=%s", kind,
                       static_cast<long long>(entity._id), qUtf8Printable(entity.srcId));
                continue;
            }
            seen.insert(entity._id);
            if (entity._id == 0) {
                result.append({ kind, ContactChange::ACTION_ADDED, entity });
                qDebug("action=ACTION_ADDED, type=%d", kind);
                continue;
            }
            const Entity *stored = findById(storedList, entity._id);
            if (stored && !entityValuesEqual(entity, *stored, compare)) {
                result.append({ kind, ContactChange::ACTION_UPDATED, overlaid(*stored, entity) });
                logUpdate(kind, *stored, entity, compare);
            }
        }
    }

    for (auto it = source.entities.cbegin(); it != source.entities.cend(); ++it) {
        const int kind = it.key();
        if (!editorKinds().contains(kind))
            continue;   // the name, group memberships: not the editor's business
        const QList<Entity> &storedList = it.value();
        const qsizetype shown = isShownOnce(kind) ? qMin<qsizetype>(1, storedList.size()) : storedList.size();
        for (qsizetype i = 0; i < shown; ++i) {
            const Entity &stored = storedList[i];
            if (seen.contains(stored._id))
                continue;
            result.append({ kind, ContactChange::ACTION_DELETED, stored });
            qDebug("action=ACTION_DELETED, type=%d, _id=%lld, srcId=%s", kind, static_cast<long long>(stored._id),
                   qUtf8Printable(stored.srcId));
        }
    }
    return result;
}

qint64 applyChangeSet(LocalDb &db, const Contact &source, ContactChangeSet &changes)
{
    if (changes.isEmpty())
        return source._id;
    Contact target = source;
    LocalDbTransaction transaction(db);
    if (target._id == 0) {
        target.fullName.clear();
        for (const ContactChange &change : std::as_const(changes)) {
            if (change.kind == ENTITY_NAME && change.action == ContactChange::ACTION_ADDED) {
                target.fullName = formatPersonName(change.entity);
                break;
            }
        }
        db.insertContact(target);
    }
    const bool existed = source._id != 0;
    // The caller's set takes the new row ids only once they are committed.
    ContactChangeSet written = changes;
    for (ContactChange &change : written) {
        switch (change.action) {
        case ContactChange::ACTION_UPDATED:
            db.updateData(change.kind, change.entity);
            if (change.kind == ENTITY_NAME) {
                target.fullName = formatPersonName(change.entity);
                db.updateContact(target);
            }
            break;
        case ContactChange::ACTION_DELETED:
            db.deleteData(change.entity._id);
            break;
        case ContactChange::ACTION_ADDED:
            db.insertData(target._id, change.kind, change.entity);
            if (change.kind == ENTITY_NAME && existed) {
                target.fullName = formatPersonName(change.entity);
                db.updateContact(target);
            }
            break;
        default:
            break;
        }
    }
    transaction.commit();
    changes = std::move(written);
    return target._id;
}

} // namespace changeset
