#ifndef CONTACTS_LOCALDB_H
#define CONTACTS_LOCALDB_H

#include "contacts/contact.h"
#include "contacts/contactgroup.h"
#include "contacts/sqlite3db.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class AbsContactCombineRule;

// One local contacts database: an SQLite file with the tables `contact`,
// `data` (one row per entity, `type` = entity kind) and `contact_group`,
// made from the template ":/res/db.db". The connection opens lazily on the
// first operation that needs it (an existing file only, never created here)
// and every failure throws an exception that names the file.
//
// Used by one thread at a time and held through std::shared_ptr by the tree
// node that shows it and by the jobs that run on it. Subclasses (the phone
// cache database) add operations on the same file.
class LocalDb
{
public:
    LocalDb(const QString &path, std::shared_ptr<const AbsContactCombineRule> combineRule);
    virtual ~LocalDb();
    LocalDb(const LocalDb &) = delete;
    LocalDb &operator=(const LocalDb &) = delete;

    [[nodiscard]] const QString &path() const { return m_path; }
    [[nodiscard]] const std::shared_ptr<const AbsContactCombineRule> &combineRule() const { return m_combineRule; }

    // Replaces whatever is at `path` with an empty copy of the template,
    // readable and writable by the user. The connection stays closed.
    void create();
    void close();
    [[nodiscard]] bool isOpen() const { return m_db.isOpen(); }
    // Closes the connection and deletes the file; true when it was removed.
    bool removeFile();

    // Transactions nest; see Sqlite3DB.
    void beginTransaction();
    void endTransaction(bool commit);

    // For a job that fills the database inside an open transaction: when
    // the database holds no contact and no entity yet, drops the indexes
    // that the merge of a new contact does not use and returns their
    // definitions, so that restoreIndexes builds them once at the end
    // instead of growing them row by row. Returns nothing for a database
    // that already holds data. A rollback brings the indexes back as well.
    [[nodiscard]] QStringList dropIndexesForBulkLoad();
    void restoreIndexes(const QStringList &definitions);

    [[nodiscard]] QList<ContactGroup> listGroups();
    // The lowest `_id` of the contacts whose full name equals `name` when
    // ASCII letter case is ignored; 0 when there is none.
    [[nodiscard]] qint64 findContactIdByFullName(const QString &name);
    // The lowest `_id` of the groups named `name` (ASCII case ignored),
    // inserting the group when there is none.
    qint64 findOrCreateGroup(const QString &name);
    void deleteGroup(qint64 groupId);
    // Deletes the contact and all of its entities.
    void deleteContact(qint64 contactId);
    void deleteData(qint64 dataId);
    void deleteGroupMemberships(qint64 contactId);
    // Makes the group the contact's only group; returns the new membership.
    Entity setContactGroup(qint64 contactId, qint64 groupId, const QString &groupName);

    // Sets contact._id to the new row id.
    void insertContact(Contact &contact);
    void updateContact(const Contact &contact);
    void updateContactSrcId(qint64 contactId, const QString &srcId);
    void updateDataSrcId(qint64 dataId, const QString &srcId);
    // Writes the kind's columns; sets entity._id to the new row id. A photo
    // is stored with the digest of its bytes in data4, and entity's data4 is
    // set to that digest. Throws for a code that is not an entity kind.
    void insertData(qint64 contactId, int kind, Entity &entity);
    void updateData(int kind, const Entity &entity);

    // One row of insertDataRows.
    struct NewDataRow
    {
        qint64 contactId;
        int kind;
        Entity entity;
    };
    // Inserts many rows with few statements, each row as insertData would
    // write it (entity._id aside), and returns the `_id` of the first; the
    // others follow it one by one, in order.
    qint64 insertDataRows(const QList<NewDataRow> &rows);

    // The contact and its entities; a contact with _id 0 when there is none.
    [[nodiscard]] Contact loadContact(qint64 contactId);
    // Contacts with at least one entity, optionally only the members of a
    // group (groupId != 0) and only those with an entity whose data1 contains
    // `keyword` (photos and group memberships aside; SQL LIKE, ASCII case
    // ignored, "%" and "_" are wildcards). Sorted by full name.
    [[nodiscard]] QList<Contact> searchContacts(qint64 groupId, const QString &keyword);
    // The same contacts in the same order without their entities: reads the
    // contact table and the data index only.
    [[nodiscard]] QList<Contact> searchContactNames(qint64 groupId, const QString &keyword);
    // The same contacts in the same order, each holding only its outline
    // entities (loadOutlineEntities).
    [[nodiscard]] QList<Contact> searchContactOutlines(qint64 groupId, const QString &keyword);
    // What a list of contacts shows of a contact: every phone (data1 and
    // data2), the first e-mail and the first postal address (data1), and the
    // first photo without its bytes (loadPhotoBytes reads them by the
    // entity's _id); each with its _id.
    [[nodiscard]] Contact::EntityMap loadOutlineEntities(qint64 contactId);
    // The same for many contacts in one pass over the entities, by contact id.
    [[nodiscard]] QHash<qint64, Contact::EntityMap> loadOutlineEntities(const QList<qint64> &contactIds);
    // The data15 bytes of one entity row; empty when there is no such row.
    [[nodiscard]] QByteArray loadPhotoBytes(qint64 dataId);

    // Stores `source`, merged into the contact of the same full name (ASCII
    // case ignored) when there is one. `stored` receives the contact as the
    // database holds it afterwards, `merged` whether it existed before.
    // Returns the entities written (inserted or updated), by kind.
    Contact::EntityMap saveContactMerged(const Contact &source, Contact &stored, bool &merged);

protected:
    // The open connection (opening it first); for subclasses' own statements.
    Sqlite3DB &connection();

private:
    // The entity as loadContact would read it back after a write: exactly the
    // kind's load columns, absent ones as empty text.
    [[nodiscard]] static Entity storedForm(int kind, const Entity &entity);
    // The entity with every column the kind writes present; absent ones
    // become empty text, as a write would store them.
    [[nodiscard]] static Entity withWriteColumns(int kind, const Entity &entity);
    void open();
    // Appends the group and keyword conditions of a search on `column`.
    static void appendSearchFilter(Sqlite3Sql &sql, const char *column, qint64 groupId, const QString &keyword);
    bool mergeEntity(int kind, QList<Entity> &stored, const Entity &source, Entity &out) const;

    std::shared_ptr<const AbsContactCombineRule> m_combineRule;
    Sqlite3DB m_db;
    QString m_path;
};

#endif
