// Duplicate merging of LocalDb: storing a contact into a database that may
// already hold it.
#include "contacts/localdb.h"

#include "contacts/abscontactcombinerule.h"
#include "contacts/contactformat.h"
#include "contacts/entitykind.h"


using namespace pim;

namespace {

// True when writing `candidate` over the row that holds `current` would leave
// the row's merged values as they are.
bool leavesRowUnchanged(const Entity &current, const Entity &candidate, const QStringList &columns)
{
    for (const QString &name : columns) {
        const int column = Entity::columnNumber(name);
        if (!variantValuesEqual(current.value(column), candidate.value(column)))
            return false;
    }
    return true;
}

} // namespace

bool LocalDb::mergeEntity(int kind, QList<Entity> &stored, const Entity &source, Entity &out) const
{
    const QStringList match = m_combineRule->matchColumns(kind);
    bool single = false;
    const QStringList merge = m_combineRule->mergeColumns(kind, single);
    if (merge.isEmpty())
        return false;   // no rule for the kind (the name): never merged

    bool found = false;
    if (single) {
        if (!stored.isEmpty()) {
            out = stored.first();
            found = true;
        }
    } else {
        for (const Entity &candidate : stored) {
            if (entityValuesEqual(candidate, source, match)) {
                out = candidate;
                found = true;
                break;
            }
        }
    }
    if (!found) {
        // A new entity is stored whole (type codes and labels outside the
        // merge columns included), unless it carries nothing to merge.
        if (isEntityBlank(source, merge))
            return false;
        out = source;
        out._id = 0;
        out.srcId.clear();
        stored.append(out);   // later source entities of this call may match it
        return true;
    }
    if (entityValuesEqual(out, source, merge))
        return false;
    // Source values fill in or replace the stored ones, but an empty source
    // value never clears a stored one.
    for (const QString &name : merge) {
        const int column = Entity::columnNumber(name);
        if (!source.text(column).isEmpty())
            out.setValue(column, source.value(column));
    }
    return true;
}

Contact::EntityMap LocalDb::saveContactMerged(const Contact &source, Contact &stored, bool &merged)
{
    Sqlite3DB &db = connection();
    const qint64 existingId = findContactIdByFullName(source.fullName);
    Contact::EntityMap written;

    // New rows are written together once the contact is done; until then
    // they have no `_id`. Each place that holds a copy of a new row is noted
    // (kind, index in `written` or in the stored list) and gets its id then.
    Contact target;
    QList<NewDataRow> newRows;
    struct IdPlace
    {
        bool inWritten;
        int kind;
        qsizetype index;
        qsizetype row;
    };
    QList<IdPlace> idPlaces;
    auto queueInsert = [&](int kind, const Entity &entity) {
        newRows.append({ target._id, kind, entity });
        QList<Entity> &list = written[kind];
        list.append(entity);
        idPlaces.append({ true, kind, list.size() - 1, newRows.size() - 1 });
        return newRows.size() - 1;
    };

    db.beginTran();
    try {
        if (existingId != 0) {
            merged = true;
            target = loadContact(existingId);   // its name and srcId stay as they are
        } else {
            merged = false;
            target.fullName = source.fullName;
            insertContact(target);
            if (const Entity *sourceName = source.firstEntity(ENTITY_NAME)) {
                Entity name = *sourceName;
                name._id = 0;
                name.srcId.clear();
                const qsizetype row = queueInsert(ENTITY_NAME, name);
                target.entities[ENTITY_NAME].append(storedForm(ENTITY_NAME, name));
                idPlaces.append({ false, ENTITY_NAME, 0, row });
            }
        }

        for (auto kindIt = source.entities.cbegin(); kindIt != source.entities.cend(); ++kindIt) {
            const int kind = kindIt.key();
            if (kindIt.value().isEmpty())
                continue;
            bool single = false;
            const QStringList mergeColumns = m_combineRule->mergeColumns(kind, single);
            QList<Entity> &storedList = target.entities[kind];

            // What this call wrote, applied to the returned contact once the
            // kind is done, so that matching sees the stored state the same
            // way throughout: new rows by their place in storedList, updated
            // rows by id.
            QList<std::pair<qsizetype, qsizetype>> inserted;   // place in storedList, new row
            QList<Entity> updated;
            QList<qsizetype> insertedAgain;   // a second new row matched to an earlier new one
            auto latestUpdate = [&updated](qint64 id) -> const Entity * {
                for (qsizetype i = updated.size() - 1; i >= 0; --i) {
                    if (updated.at(i)._id == id)
                        return &updated.at(i);
                }
                return nullptr;
            };

            for (const Entity &sourceEntity : kindIt.value()) {
                // Compared as the database would hold it: a column the source
                // lacks is the empty text the row holds, not a difference.
                const Entity entity = withWriteColumns(kind, sourceEntity);
                Entity out;
                const qsizetype before = storedList.size();
                if (!mergeEntity(kind, storedList, entity, out))
                    continue;
                if (kind == ENTITY_GROUP_MEMBERSHIP) {
                    // Memberships follow the group's name into this database.
                    out.setValue(data1, findOrCreateGroup(out.text(data2)));
                }
                if (kind == ENTITY_PHOTO)
                    out.setText(data4, photoDigest(out));   // what the row will hold

                if (out._id != 0) {
                    // An update that would leave the row as it is writes nothing:
                    // source entities may lack columns the row holds as '', and a
                    // membership may carry the source database's group id.
                    const Entity *current = latestUpdate(out._id);
                    if (!current) {
                        for (const Entity &e : std::as_const(storedList)) {
                            if (e._id == out._id) {
                                current = &e;
                                break;
                            }
                        }
                    }
                    if (current && leavesRowUnchanged(*current, out, mergeColumns))
                        continue;
                    updateData(kind, out);
                    updated.append(out);
                    written[kind].append(out);
                } else {
                    const qsizetype row = queueInsert(kind, out);
                    if (storedList.size() > before)
                        inserted.append({ before, row });
                    else
                        insertedAgain.append(row);
                }
            }

            for (const auto &[index, row] : std::as_const(inserted)) {
                storedList[index] = storedForm(kind, newRows.at(row).entity);
                idPlaces.append({ false, kind, index, row });
            }
            if (!updated.isEmpty()) {
                for (Entity &e : storedList) {
                    if (const Entity *latest = e._id != 0 ? latestUpdate(e._id) : nullptr)
                        e = storedForm(kind, *latest);
                }
            }
            for (qsizetype row : std::as_const(insertedAgain)) {
                storedList.append(storedForm(kind, newRows.at(row).entity));
                idPlaces.append({ false, kind, storedList.size() - 1, row });
            }
        }
        for (auto it = target.entities.begin(); it != target.entities.end();)
            it = it.value().isEmpty() ? target.entities.erase(it) : std::next(it);

        if (!newRows.isEmpty()) {
            const qint64 firstId = insertDataRows(newRows);
            for (const IdPlace &place : std::as_const(idPlaces)) {
                QList<Entity> &list = place.inWritten ? written[place.kind] : target.entities[place.kind];
                list[place.index]._id = firstId + place.row;
            }
        }

        db.commitTran();
        stored = std::move(target);
    } catch (...) {
        // The inner level ends here without SQL: the transaction stays open
        // for the caller, marked so that its end rolls everything back. With
        // no caller's transaction around it, this rolls back at once.
        try {
            db.rollbackTran();
        } catch (...) {
        }
        throw;
    }
    return written;
}
