#include "contacts/localdb.h"

#include "contacts/abscontactcombinerule.h"
#include "contacts/contactformat.h"
#include "contacts/entitykind.h"
#include "contacts/sqlite3exception.h"

#include <QDir>
#include <QHash>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <initializer_list>

using namespace pim;

namespace {

const char TemplateResource[] = ":/res/db.db";

// Page cache of a connection, in KiB (SQLite takes a negative cache_size as
// KiB). Files made from older templates have 1 KiB pages, which make the
// indexes of a large address book deep; keeping them in memory is what lets
// bulk imports grow linearly.
constexpr int PageCacheKiB = 64 * 1024;
// ... and while the indexes of a bulk load are built (see restoreIndexes).
constexpr int IndexBuildCacheKiB = 4 * 1024;

// Permissions by the mode bits as well as by access(2): a file marked
// read-only (or unreadable) is treated so even by a process that could
// override the marks.
bool isReadableFile(const QFileInfo &file)
{
    return file.isReadable() && (file.permissions() & (QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
}

bool hasWritePermission(const QFileInfo &entry)
{
    return entry.isWritable() && (entry.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
}

// Writing a database also writes a journal beside it, so its folder must
// take new files too.
bool isWritableFile(const QFileInfo &file)
{
    return hasWritePermission(file) && hasWritePermission(QFileInfo(file.absolutePath()));
}

// Columns written and read per kind, in this order.
struct KindColumns
{
    std::initializer_list<int> write;
    std::initializer_list<int> read;
};

const KindColumns *columnsOf(int kind)
{
    static const std::initializer_list<int> threeColumns { data1, data2, data3 };
    static const KindColumns kinds[] = {
        // ENTITY_NAME
        { { data1, data2, data3, data4, data5, data6, data7, data8 },
          { data1, data2, data3, data4, data5, data6, data7, data8 } },
        // ENTITY_PHOTO: the digest of the bytes, then the bytes
        { { data4, data15 }, { data4, data15 } },
        { threeColumns, threeColumns },   // ENTITY_PHONE
        { threeColumns, threeColumns },   // ENTITY_EMAIL
        { threeColumns, threeColumns },   // ENTITY_NICKNAME
        { threeColumns, threeColumns },   // ENTITY_EVENT
        // ENTITY_GROUP_MEMBERSHIP: group id as decimal text, group name
        { { data1, data2 }, { data1, data2 } },
        // ENTITY_IM
        { { data1, data2, data3, data5, data6 }, { data1, data2, data3, data5, data6 } },
        // ENTITY_NOTE
        { { data1 }, { data1 } },
        // ENTITY_ORGANIZATION
        { { data1, data2, data3, data4, data5, data6, data7, data9 },
          { data1, data2, data3, data4, data5, data6, data7, data9 } },
        { threeColumns, threeColumns },   // ENTITY_RELATION
        // ENTITY_POSTAL_ADDRESS: data11 is written but not read back
        { { data1, data2, data3, data4, data5, data6, data7, data8, data9, data10, data11 },
          { data1, data2, data3, data4, data5, data6, data7, data8, data9, data10 } },
        { threeColumns, threeColumns },   // ENTITY_WEBSITE
    };
    return isEntityKind(kind) ? &kinds[kind - FirstEntityKind] : nullptr;
}

const KindColumns &requireColumns(const QString &path, int kind)
{
    const KindColumns *columns = columnsOf(kind);
    if (!columns)
        throw Sqlite3Exception(path, QStringLiteral("%1 is not an entity kind").arg(kind));
    return *columns;
}

QByteArray insertDataSql(int kind)
{
    QByteArray names = "insert into data(contact_id,type,src_id";
    QByteArray marks = ") values(?,?,?";
    for (int column : columnsOf(kind)->write) {
        names += ",data" + QByteArray::number(column);
        marks += ",?";
    }
    return names + marks + ')';
}

QByteArray updateDataSql(int kind)
{
    QByteArray sql = "update data set src_id=?";
    for (int column : columnsOf(kind)->write)
        sql += ",data" + QByteArray::number(column) + "=?";
    return sql + " where _id=?";
}

// The statement texts per kind, built once.
const QByteArray &kindSql(int kind, bool insert)
{
    static const auto texts = [] {
        std::array<std::array<QByteArray, 2>, LastEntityKind + 1> t;
        for (int k = FirstEntityKind; k <= LastEntityKind; ++k)
            t[size_t(k)] = { updateDataSql(k), insertDataSql(k) };
        return t;
    }();
    return texts[size_t(kind)][insert ? 1 : 0];
}

// One of the kind's written columns as the row holds it: a photo's data4
// is its digest.
void bindValue(Sqlite3Sql &sql, int kind, int column, const Entity &entity, const QString &digest)
{
    if (kind == ENTITY_PHOTO && column == data4)
        sql.addTextParam(digest);
    else if (column == data15)
        sql.addBlobParam(entity.bytes(data15));
    else
        sql.addTextParam(entity.text(column));   // absent: ''
}

void bindColumns(Sqlite3Sql &sql, int kind, const Entity &entity, const QString &digest)
{
    for (int column : columnsOf(kind)->write)
        bindValue(sql, kind, column, entity, digest);
}

// Rows per multi-row insert. Each statement run costs SQLite a fixed amount
// (the AUTOINCREMENT counter is read and written once per statement, not once
// per row), so one contact's rows go in one statement.
constexpr int MaxRowsPerInsert = 32;

// Every column any kind writes, in the row shape of the multi-row insert.
constexpr std::array<int, 12> AllWriteColumns { data1, data2, data3, data4, data5,  data6,
                                                 data7, data8, data9, data10, data11, data15 };

const QByteArray &insertRowsSql(int rows)
{
    static const auto texts = [] {
        QByteArray names = "insert into data(contact_id,type,src_id";
        QByteArray row = "(?,?,?";
        for (int column : AllWriteColumns) {
            names += ",data" + QByteArray::number(column);
            row += ",?";
        }
        row += ')';
        std::array<QByteArray, MaxRowsPerInsert + 1> t;
        QByteArray sql = names + ") values" + row;
        for (int n = 1; n <= MaxRowsPerInsert; ++n) {
            t[size_t(n)] = sql;
            sql += ',' + row;
        }
        return t;
    }();
    return texts[size_t(rows)];
}

// Binds one row of the multi-row insert: the kind's write columns as
// insertData binds them, and what the table's defaults would give for the
// others ('' for text, NULL for the bytes), so the stored row is the same.
void bindRow(Sqlite3Sql &sql, qint64 contactId, int kind, const Entity &entity, const QString &digest)
{
    sql.addInt64Param(contactId).addIntParam(kind).addTextParam(entity.srcId);
    const std::initializer_list<int> &write = columnsOf(kind)->write;
    for (int column : AllWriteColumns) {
        if (std::find(write.begin(), write.end(), column) != write.end())
            bindValue(sql, kind, column, entity, digest);
        else if (column == data15)
            sql.addNullParam();
        else
            sql.addTextParam(QString());
    }
}

// Result positions of the data table's columns, looked up once per query.
struct DataColumns
{
    explicit DataColumns(const Sqlite3Cursor &cursor)
        : id(cursor.columnIndex("_id"))
        , type(cursor.columnIndex("type"))
        , srcId(cursor.columnIndex("src_id"))
        , contactId(cursor.columnIndex("contact_id"))
    {
        for (int c = FirstColumn; c <= LastColumn; ++c)
            value[size_t(c)] = cursor.columnIndex(("data" + QByteArray::number(c)).constData());
    }

    int id;
    int type;
    int srcId;
    int contactId;
    std::array<int, LastColumn + 1> value {};
};

// The entity of the current row, with the load columns of its kind; a row
// whose type is no entity kind gives an entity without values.
Entity readEntity(const Sqlite3Cursor &cursor, const DataColumns &at, int kind)
{
    Entity entity;
    entity._id = cursor.getInt64(at.id);
    entity.srcId = cursor.getText(at.srcId);
    if (const KindColumns *columns = columnsOf(kind)) {
        entity.reserve(int(columns->read.size()));
        for (int column : columns->read) {
            if (column == data15)
                entity.setValue(column, cursor.getBlob(at.value[size_t(column)]));
            else
                entity.setValue(column, cursor.getText(at.value[size_t(column)]));
        }
    }
    return entity;
}

// Equality with ASCII letters folded, as SQL LIKE and NOCASE compare.
bool asciiCaseInsensitiveEqual(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a.at(i).unicode();
        char16_t y = b.at(i).unicode();
        if (x >= u'A' && x <= u'Z')
            x = char16_t(x + 32);
        if (y >= u'A' && y <= u'Z')
            y = char16_t(y + 32);
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

LocalDb::LocalDb(const QString &path, std::shared_ptr<const AbsContactCombineRule> combineRule)
    : m_combineRule(std::move(combineRule))
    , m_path(path)
{
}

LocalDb::~LocalDb() = default;

Sqlite3DB &LocalDb::connection()
{
    if (!m_db.isOpen())
        open();
    return m_db;
}

void LocalDb::open()
{
    // Looking at a database must not change it. A file the user may not
    // write, or one in a folder where SQLite could not put its journal, is
    // opened read-only: it is shown, and every change to it is refused.
    const QFileInfo info(m_path);
    if (info.isFile() && !isReadableFile(info))
        throw Sqlite3Exception(m_path, QStringLiteral("the database file cannot be read"), SQLITE_PERM);
    const bool writable = !info.isFile() || isWritableFile(info);
    m_db.openThrow(m_path, writable ? Sqlite3DB::ReadWrite : Sqlite3DB::ReadOnly);
    try {
        QStringList missing { QStringLiteral("contact"), QStringLiteral("data"), QStringLiteral("contact_group") };
        Sqlite3Cursor tables = m_db.queryThrow("select name from sqlite_master where type='table'");
        while (tables.moveNext())
            missing.removeAll(tables.getText("name"));
        if (!missing.isEmpty()) {
            throw Sqlite3Exception(m_path,
                                   QStringLiteral("this is not a contacts database (no table %1)")
                                       .arg(missing.join(QStringLiteral(", "))));
        }
        m_db.executeThrow(QStringLiteral("pragma cache_size=-%1").arg(PageCacheKiB));
        // Serves the case-insensitive full-name look-up of every merge; files
        // made before it existed gain it here. A read-only file does without
        // (its look-ups are slower, not different).
        if (writable) {
            m_db.executeThrow("create index if not exists index_contacts_full_name_nocase"
                              " on contact(full_name collate nocase)");
        }
    } catch (...) {
        m_db.close();
        throw;
    }
}

void LocalDb::create()
{
    close();
    const QFileInfo info(m_path);
    if (info.isDir())
        throw Sqlite3Exception(m_path, QStringLiteral("this is a folder, not a database file"));
    if (info.exists() || info.isSymLink()) {
        QFile old(m_path);
        if (!old.remove())
            throw Sqlite3Exception(m_path, old.errorString());
    }
    // A journal left beside the replaced file would be played back into the
    // new one on the first open.
    for (const char *suffix : { "-journal", "-wal", "-shm" })
        QFile::remove(m_path + QLatin1String(suffix));

    QFile source(QString::fromLatin1(TemplateResource));
    if (!source.copy(m_path))
        throw Sqlite3Exception(m_path, source.errorString());
    if (!QFile::setPermissions(m_path, QFile::ReadUser | QFile::WriteUser))
        throw Sqlite3Exception(m_path, QStringLiteral("cannot make the file readable and writable"));
}

void LocalDb::close()
{
    m_db.close();
}

bool LocalDb::removeFile()
{
    close();
    return QFile::remove(m_path);
}

void LocalDb::beginTransaction()
{
    connection().beginTran();
}

void LocalDb::endTransaction(bool commit)
{
    if (commit) {
        connection().commitTran();
    } else if (m_db.isOpen()) {
        m_db.rollbackTran();   // nothing to roll back when the open itself failed
    }
}

QStringList LocalDb::dropIndexesForBulkLoad()
{
    Sqlite3DB &db = connection();
    if (!db.inTransaction())
        return {};
    {
        Sqlite3Cursor filled = db.queryThrow("select exists(select 1 from contact) or exists(select 1 from data)");
        if (!filled.moveNext() || filled.getInt64(0) != 0)
            return {};
    }
    // Kept: the case-insensitive full-name index finds the contact a new
    // one merges into, and the data index by contact loads that contact.
    QStringList names;
    QStringList definitions;
    {
        Sqlite3Cursor indexes = db.queryThrow(
            "select name,sql from sqlite_master where type='index' and sql is not null and name in"
            " ('index_contacts_src_id','index_contacts_full_name','index_data_data','index_data_src_id')"
            " order by name");
        while (indexes.moveNext()) {
            names.append(indexes.getText(0));
            definitions.append(indexes.getText(1));
        }
    }
    for (const QString &name : std::as_const(names))
        db.executeThrow(QStringLiteral("drop index \"%1\"").arg(name));
    return definitions;
}

void LocalDb::restoreIndexes(const QStringList &definitions)
{
    if (definitions.isEmpty())
        return;
    Sqlite3DB &db = connection();
    // SQLite sorts the keys of a new index in runs as large as the page
    // cache, and a run of tens of megabytes sorts at half the speed of
    // small runs merged from temporary files (its lists are linked all over
    // memory): the indexes are built with a small cache.
    qint64 cacheSize = -PageCacheKiB;   // as SQLite states it: pages, or KiB when negative
    {
        Sqlite3Cursor current = db.queryThrow("pragma cache_size");
        if (current.moveNext())
            cacheSize = current.getInt64(0);
    }
    const auto setCache = [&db](qint64 size) { db.executeThrow(QStringLiteral("pragma cache_size=%1").arg(size)); };
    setCache(-IndexBuildCacheKiB);
    try {
        for (const QString &sql : definitions)
            db.executeThrow(sql);
    } catch (...) {
        try {
            setCache(cacheSize);
        } catch (const std::exception &) {
            // The failed index is the failure worth reporting.
        }
        throw;
    }
    setCache(cacheSize);
}

QList<ContactGroup> LocalDb::listGroups()
{
    QList<ContactGroup> groups;
    Sqlite3Cursor cursor = connection().queryThrow("select * from contact_group order by name asc");
    while (cursor.moveNext())
        groups.append(ContactGroup { cursor.getInt64("_id"), cursor.getText("name") });
    return groups;
}

qint64 LocalDb::findContactIdByFullName(const QString &name)
{
    // Equality under NOCASE is LIKE's ASCII case folding without its
    // wildcards, and the index on full_name collate nocase serves it. The
    // check in C++ keeps texts with NUL characters apart, which SQLite's
    // folding compares only up to the first NUL.
    Sqlite3Sql sql("select _id,full_name from contact where full_name=? collate nocase order by _id");
    sql.addTextParam(name);
    Sqlite3Cursor cursor = connection().queryThrow(sql);
    while (cursor.moveNext()) {
        if (asciiCaseInsensitiveEqual(cursor.getText(1), name))
            return cursor.getInt64(0);
    }
    return 0;
}

qint64 LocalDb::findOrCreateGroup(const QString &name)
{
    Sqlite3DB &db = connection();
    {
        Sqlite3Sql sql("select _id,name from contact_group where name=? collate nocase order by _id");
        sql.addTextParam(name);
        Sqlite3Cursor cursor = db.queryThrow(sql);
        while (cursor.moveNext()) {
            if (asciiCaseInsensitiveEqual(cursor.getText(1), name))
                return cursor.getInt64(0);
        }
    }
    Sqlite3Sql insert("insert into contact_group(name) values(?)");
    insert.addTextParam(name);
    db.executeThrow(insert);
    return db.lastInsertId();
}

void LocalDb::deleteGroup(qint64 groupId)
{
    connection().executeThrow(Sqlite3Sql("delete from contact_group where _id=?").addInt64Param(groupId));
}

void LocalDb::deleteContact(qint64 contactId)
{
    Sqlite3DB &db = connection();
    db.executeThrow(Sqlite3Sql("delete from data where contact_id=?").addInt64Param(contactId));
    db.executeThrow(Sqlite3Sql("delete from contact where _id=?").addInt64Param(contactId));
}

void LocalDb::deleteData(qint64 dataId)
{
    connection().executeThrow(Sqlite3Sql("delete from data where _id=?").addInt64Param(dataId));
}

void LocalDb::deleteGroupMemberships(qint64 contactId)
{
    connection().executeThrow(Sqlite3Sql("delete from data where type=? and contact_id=?")
                                  .addIntParam(ENTITY_GROUP_MEMBERSHIP)
                                  .addInt64Param(contactId));
}

Entity LocalDb::setContactGroup(qint64 contactId, qint64 groupId, const QString &groupName)
{
    Sqlite3DB &db = connection();
    deleteGroupMemberships(contactId);
    db.executeThrow(Sqlite3Sql("insert into data(type,contact_id,data1,data2) values(?,?,?,?)")
                        .addIntParam(ENTITY_GROUP_MEMBERSHIP)
                        .addInt64Param(contactId)
                        .addTextParam(QString::number(groupId))
                        .addTextParam(groupName));
    Entity membership;
    membership._id = db.lastInsertId();
    membership.setValue(data1, groupId);
    membership.setText(data2, groupName);
    return membership;
}

void LocalDb::insertContact(Contact &contact)
{
    Sqlite3DB &db = connection();
    db.executeThrow(Sqlite3Sql("insert into contact(src_id,full_name) values(?,?)")
                        .addTextParam(contact.srcId)
                        .addTextParam(contact.fullName));
    contact._id = db.lastInsertId();
}

void LocalDb::updateContact(const Contact &contact)
{
    connection().executeThrow(Sqlite3Sql("update contact set src_id=?, full_name=? where _id=?")
                                  .addTextParam(contact.srcId)
                                  .addTextParam(contact.fullName)
                                  .addInt64Param(contact._id));
}

void LocalDb::updateContactSrcId(qint64 contactId, const QString &srcId)
{
    connection().executeThrow(
        Sqlite3Sql("update contact set src_id=? where _id=?").addTextParam(srcId).addInt64Param(contactId));
}

void LocalDb::updateDataSrcId(qint64 dataId, const QString &srcId)
{
    connection().executeThrow(
        Sqlite3Sql("update data set src_id=? where _id=?").addTextParam(srcId).addInt64Param(dataId));
}

void LocalDb::insertData(qint64 contactId, int kind, Entity &entity)
{
    requireColumns(m_path, kind);
    Sqlite3DB &db = connection();
    const QString digest = kind == ENTITY_PHOTO ? photoDigest(entity) : QString();
    Sqlite3Sql sql;
    sql.addInt64Param(contactId).addIntParam(kind).addTextParam(entity.srcId);
    sql.appendSql(kindSql(kind, true).constData());
    bindColumns(sql, kind, entity, digest);
    db.executeThrow(sql);
    entity._id = db.lastInsertId();
    if (kind == ENTITY_PHOTO)
        entity.setText(data4, digest);
}

qint64 LocalDb::insertDataRows(const QList<NewDataRow> &rows)
{
    for (const NewDataRow &row : rows)
        requireColumns(m_path, row.kind);
    Sqlite3DB &db = connection();
    qint64 firstId = 0;
    for (qsizetype start = 0; start < rows.size(); start += MaxRowsPerInsert) {
        const int count = int(std::min<qsizetype>(MaxRowsPerInsert, rows.size() - start));
        Sqlite3Sql sql(insertRowsSql(count));
        sql.reserveParams(qsizetype(count) * qsizetype(3 + AllWriteColumns.size()));
        for (qsizetype i = start; i < start + count; ++i) {
            const NewDataRow &row = rows.at(i);
            bindRow(sql, row.contactId, row.kind, row.entity,
                    row.kind == ENTITY_PHOTO ? photoDigest(row.entity) : QString());
        }
        db.executeThrow(sql);
        // The rows of one statement take consecutive ids in VALUES order: an
        // AUTOINCREMENT id is always one more than the largest given before.
        const qint64 lastId = db.lastInsertId();
        if (start == 0)
            firstId = lastId - count + 1;
    }
    return firstId;
}

void LocalDb::updateData(int kind, const Entity &entity)
{
    requireColumns(m_path, kind);
    Sqlite3DB &db = connection();
    Sqlite3Sql sql(kindSql(kind, false).constData());
    sql.addTextParam(entity.srcId);
    bindColumns(sql, kind, entity, kind == ENTITY_PHOTO ? photoDigest(entity) : QString());
    sql.addInt64Param(entity._id);
    db.executeThrow(sql);
}

Entity LocalDb::storedForm(int kind, const Entity &entity)
{
    Entity result;
    result._id = entity._id;
    result.srcId = entity.srcId;
    if (const KindColumns *columns = columnsOf(kind)) {
        result.reserve(int(columns->read.size()));
        for (int column : columns->read) {
            if (column == data15)
                result.setValue(column, entity.bytes(column));
            else
                result.setValue(column, entity.text(column));
        }
    }
    return result;
}

Entity LocalDb::withWriteColumns(int kind, const Entity &entity)
{
    const KindColumns *columns = columnsOf(kind);
    if (!columns)
        return entity;
    // Room for the written columns from the start (a copy keeps the room it
    // is assigned into), rather than growing as missing columns are added.
    Entity result;
    result.reserve(int(columns->write.size()));
    result = entity;
    for (int column : columns->write) {
        if (!result.has(column))
            result.setValue(column, column == data15 ? QVariant(QByteArray()) : QVariant(QString()));
    }
    return result;
}

Contact LocalDb::loadContact(qint64 contactId)
{
    Sqlite3DB &db = connection();
    Contact contact;
    {
        Sqlite3Cursor cursor = db.queryThrow(Sqlite3Sql("select * from contact where _id=?").addInt64Param(contactId));
        if (!cursor.moveNext())
            return contact;
        contact._id = cursor.getInt64("_id");
        contact.srcId = cursor.getText("src_id");
        contact.fullName = cursor.getText("full_name");
    }
    Sqlite3Cursor cursor = db.queryThrow(Sqlite3Sql("select * from data where contact_id=?").addInt64Param(contactId));
    const DataColumns at(cursor);
    while (cursor.moveNext()) {
        const int kind = int(cursor.getInt64(at.type));
        contact.entities[kind].append(readEntity(cursor, at, kind));
    }
    return contact;
}

void LocalDb::appendSearchFilter(Sqlite3Sql &sql, const char *column, qint64 groupId, const QString &keyword)
{
    if (groupId != 0) {
        sql.appendSql(QStringLiteral(" and %1 in (select contact_id from data where type=? and data1=?)")
                          .arg(QLatin1String(column)));
        sql.addIntParam(ENTITY_GROUP_MEMBERSHIP).addTextParam(QString::number(groupId));
    }
    if (!keyword.isEmpty()) {
        // A search, not a merge: "%" and "_" typed by the user stay wildcards.
        sql.appendSql(QStringLiteral(" and %1 in (select contact_id from data where type not in (?,?) and data1 like ?)")
                          .arg(QLatin1String(column)));
        sql.addIntParam(ENTITY_GROUP_MEMBERSHIP)
            .addIntParam(ENTITY_PHOTO)
            .addTextParam(QLatin1Char('%') + keyword + QLatin1Char('%'));
    }
}

namespace {

// Up to this many contacts are looked up one by one rather than in one pass
// over every entity.
constexpr qsizetype FewOutlines = 256;

constexpr std::array<int, 4> OutlineKinds { ENTITY_PHONE, ENTITY_EMAIL, ENTITY_POSTAL_ADDRESS, ENTITY_PHOTO };

// Adds the current row (contact_id, _id, type, data1, data2) to an outline:
// every phone, the first entity of the other kinds.
void addOutlineEntity(Contact::EntityMap &entities, const Sqlite3Cursor &cursor)
{
    const int kind = int(cursor.getInt64(2));
    QList<Entity> &list = entities[kind];
    if (kind != ENTITY_PHONE && !list.isEmpty())
        return;
    Entity entity;
    entity._id = cursor.getInt64(1);
    if (kind != ENTITY_PHOTO)
        entity.setText(data1, cursor.getText(3));
    if (kind == ENTITY_PHONE)
        entity.setText(data2, cursor.getText(4));
    list.append(std::move(entity));
}

} // namespace

QList<Contact> LocalDb::searchContactNames(qint64 groupId, const QString &keyword)
{
    Sqlite3Sql sql("select _id,src_id,full_name from contact as c"
                   " where exists (select 1 from data where contact_id=c._id)");
    appendSearchFilter(sql, "c._id", groupId, keyword);
    sql.appendSql(" order by c._id");
    Sqlite3Cursor cursor = connection().queryThrow(sql);
    QList<Contact> result;
    while (cursor.moveNext()) {
        Contact contact;
        contact._id = cursor.getInt64(0);
        contact.srcId = cursor.getText(1);
        contact.fullName = cursor.getText(2);
        result.append(std::move(contact));
    }
    sortContacts(result);
    return result;
}

QList<Contact> LocalDb::searchContactOutlines(qint64 groupId, const QString &keyword)
{
    QList<Contact> result = searchContactNames(groupId, keyword);
    QList<qint64> ids;
    ids.reserve(result.size());
    for (const Contact &contact : std::as_const(result))
        ids.append(contact._id);
    QHash<qint64, Contact::EntityMap> entities = loadOutlineEntities(ids);
    for (Contact &contact : result)
        contact.entities = entities.take(contact._id);
    return result;
}

Contact::EntityMap LocalDb::loadOutlineEntities(qint64 contactId)
{
    Sqlite3Sql sql("select contact_id,_id,type,data1,data2 from data where contact_id=? and type in (?,?,?,?)"
                   " order by _id");
    sql.addInt64Param(contactId);
    for (int kind : OutlineKinds)
        sql.addIntParam(kind);
    Sqlite3Cursor cursor = connection().queryThrow(sql);
    Contact::EntityMap entities;
    while (cursor.moveNext())
        addOutlineEntity(entities, cursor);
    return entities;
}

QHash<qint64, Contact::EntityMap> LocalDb::loadOutlineEntities(const QList<qint64> &contactIds)
{
    QHash<qint64, Contact::EntityMap> result;
    result.reserve(contactIds.size());
    for (qint64 id : contactIds)
        result.insert(id, Contact::EntityMap());
    if (result.size() <= FewOutlines) {
        for (auto it = result.begin(); it != result.end(); ++it)
            it.value() = loadOutlineEntities(it.key());
        return result;
    }
    // One pass in row order (the "+" keeps SQLite from going through the
    // type index row by row), which is each contact's load order as well.
    Sqlite3Sql sql("select contact_id,_id,type,data1,data2 from data where +type in (?,?,?,?)");
    for (int kind : OutlineKinds)
        sql.addIntParam(kind);
    Sqlite3Cursor cursor = connection().queryThrow(sql);
    while (cursor.moveNext()) {
        const auto entities = result.find(cursor.getInt64(0));
        if (entities != result.end())
            addOutlineEntity(*entities, cursor);
    }
    return result;
}

QByteArray LocalDb::loadPhotoBytes(qint64 dataId)
{
    Sqlite3Cursor cursor = connection().queryThrow(Sqlite3Sql("select data15 from data where _id=?").addInt64Param(dataId));
    return cursor.moveNext() ? cursor.getBlob(0) : QByteArray();
}

QList<Contact> LocalDb::searchContacts(qint64 groupId, const QString &keyword)
{
    Sqlite3Sql sql("select d.*,c.full_name,c.src_id as csrc_id from data as d"
                   " inner join contact as c on d.contact_id=c._id");
    if (groupId != 0 || !keyword.isEmpty())
        sql.appendSql(" where 1=1");
    appendSearchFilter(sql, "contact_id", groupId, keyword);
    sql.appendSql(" order by contact_id asc");

    Sqlite3Cursor cursor = connection().queryThrow(sql);
    const DataColumns at(cursor);
    const int fullName = cursor.columnIndex("full_name");
    const int contactSrcId = cursor.columnIndex("csrc_id");

    QList<Contact> result;
    Contact current;
    while (cursor.moveNext()) {
        const qint64 contactId = cursor.getInt64(at.contactId);
        if (contactId != current._id) {
            if (current._id != 0)
                result.append(std::move(current));
            current = Contact();
            current._id = contactId;
            current.srcId = cursor.getText(contactSrcId);
            current.fullName = cursor.getText(fullName);
        }
        const int kind = int(cursor.getInt64(at.type));
        current.entities[kind].append(readEntity(cursor, at, kind));
    }
    if (current._id != 0)
        result.append(std::move(current));
    sortContacts(result);
    return result;
}
