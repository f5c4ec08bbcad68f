#include "contacts/contactformat.h"
#include "contacts/localdb.h"
#include "contacts/localdbcombinerule.h"
#include "contacts/sqlite3exception.h"

#include "dbtestutil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace pim;

namespace {

QStringList folderEntries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// An entity whose every column holds a value of its own.
Entity fullEntity(const QString &tag)
{
    Entity e;
    for (int c = FirstColumn; c < data15; ++c)
        e.setText(c, QStringLiteral("%1-%2").arg(tag).arg(c));
    e.setValue(data15, QByteArray("bytes-") + tag.toLatin1());
    e.srcId = QStringLiteral("3/1/2/") + tag;
    return e;
}

// What searchContactOutlines gives for a whole contact: every phone's data1
// and data2, the first e-mail's and the first address's data1, and the first
// photo's row id, each with its row id.
Contact outlineOf(const Contact &full)
{
    Contact outline;
    outline._id = full._id;
    outline.srcId = full.srcId;
    outline.fullName = full.fullName;
    auto keep = [&](int kind, const Entity &e, QList<int> columns) {
        Entity kept;
        kept._id = e._id;
        for (int column : columns)
            kept.setText(column, e.text(column));
        outline.addEntity(kind, kept);
    };
    for (const Entity &phone : full.entitiesOf(ENTITY_PHONE))
        keep(ENTITY_PHONE, phone, { data1, data2 });
    if (const Entity *email = full.firstEntity(ENTITY_EMAIL))
        keep(ENTITY_EMAIL, *email, { data1 });
    if (const Entity *address = full.firstEntity(ENTITY_POSTAL_ADDRESS))
        keep(ENTITY_POSTAL_ADDRESS, *address, { data1 });
    if (const Entity *photo = full.firstEntity(ENTITY_PHOTO))
        keep(ENTITY_PHOTO, *photo, {});
    return outline;
}

// A database whose connection a test may query directly.
class OpenLocalDb : public LocalDb
{
public:
    using LocalDb::LocalDb;
    qint64 cacheSize()
    {
        Sqlite3Cursor cursor = connection().queryThrow("pragma cache_size");
        return cursor.moveNext() ? cursor.getInt64(0) : 0;
    }
};

QList<int> ints(std::initializer_list<int> list)
{
    return QList<int>(list);
}

} // namespace

class LocalDbTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void createReplacesFileWithEmptyTemplate();
    void createFailsWithFileName();
    void badFilesThrowOnFirstOperation_data();
    void badFilesThrowOnFirstOperation();
    void olderFilesGainTheNameIndex();
    void readOnlyFilesAreShownUnchanged_data();
    void readOnlyFilesAreShownUnchanged();
    void kindColumnSets_data();
    void kindColumnSets();
    void insertDataRowsWritesWhatInsertDataWrites_data();
    void insertDataRowsWritesWhatInsertDataWrites();
    void unknownKinds();
    void awkwardValuesRoundTrip_data();
    void awkwardValuesRoundTrip();
    void findContactByFullName_data();
    void findContactByFullName();
    void groups();
    void contactAndDataUpdates();
    void searchAll();
    void searchByGroupAndKeyword_data();
    void searchByGroupAndKeyword();
    void outlinesKeepWhatTheListShows();
    void removeFile();
    void bulkLoadBuildsIndexesWithoutChangingTheCache_data();
    void bulkLoadBuildsIndexesWithoutChangingTheCache();

private:
    std::shared_ptr<LocalDb> newDb(const QString &name = QStringLiteral("test.db"));
    qint64 addContact(LocalDb &db, const QString &name, std::initializer_list<std::pair<int, Entity>> entities);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::shared_ptr<const AbsContactCombineRule> m_rule = std::make_shared<LocalDbCombineRule>();
};

void LocalDbTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

std::shared_ptr<LocalDb> LocalDbTest::newDb(const QString &name)
{
    auto db = std::make_shared<LocalDb>(m_dir->filePath(name), m_rule);
    db->create();
    return db;
}

qint64 LocalDbTest::addContact(LocalDb &db, const QString &name,
                               std::initializer_list<std::pair<int, Entity>> entities)
{
    Contact c = dbtest::contact(name);
    db.insertContact(c);
    for (auto [kind, e] : entities)
        db.insertData(c._id, kind, e);
    return c._id;
}

void LocalDbTest::createReplacesFileWithEmptyTemplate()
{
    const QString path = m_dir->filePath(QStringLiteral("replace.db"));
    LocalDb first(path, m_rule);
    first.create();
    addContact(first, QStringLiteral("Ann"), { { ENTITY_NOTE, dbtest::entity({ { data1, QStringLiteral("n") } }) } });
    first.close();
    // A stale journal beside the old file must not be played into the new one.
    QFile::copy(path, path + QStringLiteral("-journal"));

    LocalDb db(path, m_rule);
    db.create();
    QVERIFY(!db.isOpen());
    QVERIFY(!QFileInfo::exists(path + QStringLiteral("-journal")));
    QCOMPARE(QFileInfo(path).permissions() & (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner),
             QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(dbtest::dump(path), QStringList());
    QVERIFY(db.searchContacts(0, QString()).isEmpty());
    QVERIFY(db.isOpen());
    QCOMPARE(dbtest::scalar(path, QStringLiteral("pragma page_size")), QStringLiteral("4096"));
}

void LocalDbTest::createFailsWithFileName()
{
    const QString inFolder = m_dir->filePath(QStringLiteral("folder"));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder")));
    const QString missingParent = m_dir->filePath(QStringLiteral("nowhere/x.db"));
    for (const QString &path : { inFolder, missingParent }) {
        LocalDb db(path, m_rule);
        try {
            db.create();
            QFAIL("no exception");
        } catch (const std::runtime_error &e) {
            QVERIFY2(QString::fromUtf8(e.what()).contains(QDir::toNativeSeparators(path)), e.what());
        }
    }
    QVERIFY(QFileInfo(inFolder).isDir());
    QCOMPARE(folderEntries(m_dir->path()), QStringList { QStringLiteral("folder") });
}

void LocalDbTest::badFilesThrowOnFirstOperation_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("operation");
    QTest::newRow("missing, list groups") << "missing" << "does not exist" << 0;
    QTest::newRow("missing, save") << "missing" << "does not exist" << 1;
    QTest::newRow("missing, begin") << "missing" << "does not exist" << 2;
    QTest::newRow("folder") << "folder" << "folder" << 0;
    QTest::newRow("text file") << "text" << "not a database" << 1;
    QTest::newRow("empty file") << "empty" << "no table contact, data, contact_group" << 0;
    QTest::newRow("other database") << "other" << "no table data" << 1;
    QTest::newRow("truncated") << "truncated" << "malformed" << 0;
    QTest::newRow("unreadable") << "unreadable" << "cannot be read" << 0;
}

void LocalDbTest::badFilesThrowOnFirstOperation()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QFETCH(int, operation);
    const QString path = m_dir->filePath(QStringLiteral("bad.db"));
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("bad.db")));
    } else if (kind == QLatin1String("text") || kind == QLatin1String("empty")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        if (kind == QLatin1String("text"))
            f.write(QByteArray("Name,Phone\nAnn,555\n").repeated(200));
    } else if (kind == QLatin1String("other")) {
        dbtest::exec(path, QStringLiteral("create table contact(_id integer primary key, full_name text);"
                                          "create table contact_group(_id integer primary key, name text)"));
    } else if (kind == QLatin1String("truncated") || kind == QLatin1String("unreadable")) {
        auto db = newDb(QStringLiteral("bad.db"));
        db->beginTransaction();
        for (int i = 0; i < 300; ++i)
            addContact(*db, QStringLiteral("Contact %1").arg(i),
                       { { ENTITY_NOTE, dbtest::entity({ { data1, QString(200, QLatin1Char('n')) } }) } });
        db->endTransaction(true);
        db->close();
        if (kind == QLatin1String("truncated")) {
            QFile f(path);
            QVERIFY(f.resize(f.size() / 2));
        } else {
            QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        }
    }
    const QStringList before = folderEntries(m_dir->path());
    const QByteArray bytesBefore = fileBytes(path);

    LocalDb db(path, m_rule);
    bool thrown = false;
    try {
        if (operation == 0) {
            (void)db.listGroups();
        } else if (operation == 1) {
            Contact stored;
            bool merged = false;
            Contact c = dbtest::contact(QStringLiteral("Ann"));
            c.addEntity(ENTITY_NOTE, dbtest::entity({ { data1, QStringLiteral("x") } }));
            db.saveContactMerged(c, stored, merged);
        } else {
            db.beginTransaction();
        }
    } catch (const std::runtime_error &e) {
        thrown = true;
        const QString message = QString::fromUtf8(e.what());
        QVERIFY2(message.contains(QDir::toNativeSeparators(path)), e.what());
        QVERIFY2(message.contains(reason), e.what());
    }
    QVERIFY(thrown);
    QVERIFY(!db.isOpen());
    db.endTransaction(false);   // a job's safety rollback after a failed open is harmless
    QCOMPARE(folderEntries(m_dir->path()), before);
    QCOMPARE(fileBytes(path), bytesBefore);
}

void LocalDbTest::readOnlyFilesAreShownUnchanged_data()
{
    QTest::addColumn<bool>("fileReadOnly");
    QTest::addColumn<bool>("folderReadOnly");
    QTest::addColumn<int>("operation");
    QTest::newRow("read-only file, save") << true << false << 0;
    QTest::newRow("read-only file, group") << true << false << 1;
    QTest::newRow("read-only folder, save") << false << true << 0;
    QTest::newRow("read-only folder, group") << false << true << 1;
    QTest::newRow("both, transaction") << true << true << 2;
}

void LocalDbTest::readOnlyFilesAreShownUnchanged()
{
    QFETCH(bool, fileReadOnly);
    QFETCH(bool, folderReadOnly);
    QFETCH(int, operation);
    // A file made before the name index existed: opening it writably would
    // add the index, so any write shows in the bytes.
    const QString folder = m_dir->filePath(QStringLiteral("shelf"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/kept.db");
    dbtest::copyTemplate(path);
    {
        LocalDb writer(path, m_rule);
        writer.beginTransaction();
        for (const char *name : {"Ann", "Bob", "Cyd"})
            addContact(writer, QString::fromLatin1(name), {{ENTITY_PHONE, dbtest::entity({{data1, QStringLiteral("555")}})}});
        writer.endTransaction(true);
    }
    dbtest::exec(path, QStringLiteral("drop index if exists index_contacts_full_name_nocase"));
    const QByteArray bytesBefore = fileBytes(path);
    const QStringList entriesBefore = folderEntries(folder);
    const QFileDevice::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    const QFileDevice::Permissions folderPermissions = QFile(folder).permissions();
    if (fileReadOnly)
        QVERIFY(QFile::setPermissions(path, readOnly));
    if (folderReadOnly)
        QVERIFY(QFile::setPermissions(folder, readOnly | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));

    QStringList names;
    QString refusal;
    {
        LocalDb db(path, m_rule);
        for (const Contact &contact : db.searchContacts(0, QString()))
            names << contact.fullName;
        QCOMPARE(db.listGroups().size(), 0);
        QCOMPARE(db.findContactIdByFullName(QStringLiteral("bob")) > 0, true);
        try {
            if (operation == 0) {
                Contact stored;
                bool merged = false;
                db.saveContactMerged(dbtest::contact(QStringLiteral("Dee")), stored, merged);
            } else if (operation == 1) {
                (void)db.findOrCreateGroup(QStringLiteral("Friends"));
            } else {
                db.beginTransaction();
                Contact stored;
                bool merged = false;
                db.saveContactMerged(dbtest::contact(QStringLiteral("Dee")), stored, merged);
                db.endTransaction(true);
            }
        } catch (const std::runtime_error &e) {
            refusal = QString::fromUtf8(e.what());
            db.endTransaction(false);
        }
    }
    QVERIFY(QFile::setPermissions(folder, folderPermissions));
    QVERIFY(QFile::setPermissions(path, readOnly | QFile::WriteOwner));
    QCOMPARE(names, (QStringList{"Ann", "Bob", "Cyd"}));
    QVERIFY2(refusal.contains(QStringLiteral("the database file is read-only")), qPrintable(refusal));
    QCOMPARE(fileBytes(path), bytesBefore);
    QCOMPARE(folderEntries(folder), entriesBefore);
}

void LocalDbTest::olderFilesGainTheNameIndex()
{
    const QString path = m_dir->filePath(QStringLiteral("old.db"));
    dbtest::copyTemplate(path);
    const QString indexQuery = QStringLiteral(
        "select count(*) from sqlite_master where type='index' and name='index_contacts_full_name_nocase'");
    QCOMPARE(dbtest::scalar(path, indexQuery), QStringLiteral("0"));   // the template stays as it is
    LocalDb db(path, m_rule);
    QCOMPARE(db.findContactIdByFullName(QStringLiteral("nobody")), 0);
    QCOMPARE(dbtest::scalar(path, indexQuery), QStringLiteral("1"));

    // The look-up of every merge is an index search, not a scan of the table.
    dbtest::exec(path, QStringLiteral("analyze"));
    const QString plan = dbtest::queryPlan(
        path, QStringLiteral("select _id,full_name from contact where full_name=? collate nocase order by _id"));
    QVERIFY2(plan.contains(QStringLiteral("INDEX index_contacts_full_name_nocase (full_name=?)")), qPrintable(plan));
    QVERIFY2(!plan.contains(QStringLiteral("TEMP B-TREE")), qPrintable(plan));
}

void LocalDbTest::kindColumnSets_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QList<int>>("written");
    QTest::addColumn<QList<int>>("loaded");
    const QList<int> three = ints({ 1, 2, 3 });
    QTest::newRow("name") << int(ENTITY_NAME) << ints({ 1, 2, 3, 4, 5, 6, 7, 8 }) << ints({ 1, 2, 3, 4, 5, 6, 7, 8 });
    QTest::newRow("photo") << int(ENTITY_PHOTO) << ints({ 4, 15 }) << ints({ 4, 15 });
    QTest::newRow("phone") << int(ENTITY_PHONE) << three << three;
    QTest::newRow("email") << int(ENTITY_EMAIL) << three << three;
    QTest::newRow("nickname") << int(ENTITY_NICKNAME) << three << three;
    QTest::newRow("event") << int(ENTITY_EVENT) << three << three;
    QTest::newRow("group membership") << int(ENTITY_GROUP_MEMBERSHIP) << ints({ 1, 2 }) << ints({ 1, 2 });
    QTest::newRow("im") << int(ENTITY_IM) << ints({ 1, 2, 3, 5, 6 }) << ints({ 1, 2, 3, 5, 6 });
    QTest::newRow("note") << int(ENTITY_NOTE) << ints({ 1 }) << ints({ 1 });
    QTest::newRow("organization") << int(ENTITY_ORGANIZATION) << ints({ 1, 2, 3, 4, 5, 6, 7, 9 })
                                  << ints({ 1, 2, 3, 4, 5, 6, 7, 9 });
    QTest::newRow("relation") << int(ENTITY_RELATION) << three << three;
    QTest::newRow("address") << int(ENTITY_POSTAL_ADDRESS) << ints({ 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11 })
                             << ints({ 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 });
    QTest::newRow("website") << int(ENTITY_WEBSITE) << three << three;
}

void LocalDbTest::kindColumnSets()
{
    QFETCH(int, kind);
    QFETCH(QList<int>, written);
    QFETCH(QList<int>, loaded);
    auto db = newDb();
    const QString path = db->path();
    Contact c = dbtest::contact(QStringLiteral("Ann"));
    db->insertContact(c);

    for (const QString &tag : { QStringLiteral("a"), QStringLiteral("b") }) {
        Entity e = fullEntity(tag);
        if (tag == QLatin1String("a")) {
            db->insertData(c._id, kind, e);
            QVERIFY(e._id > 0);
        } else {
            e._id = db->loadContact(c._id).entitiesOf(kind).first()._id;
            db->updateData(kind, e);   // the same column set as the insert
        }
        // What the row holds, column by column.
        for (int column = FirstColumn; column <= LastColumn; ++column) {
            const QString cell = dbtest::scalar(
                path, QStringLiteral("select data%1 from data where _id=%2").arg(column).arg(e._id));
            QString expected;
            if (!written.contains(column))
                expected = column == data15 ? QStringLiteral("NULL") : QString();
            else if (column == data15)
                expected = QStringLiteral("blob:") + QString::fromLatin1(e.bytes(data15).toHex());
            else if (kind == ENTITY_PHOTO && column == data4)
                expected = photoDigest(e);   // computed from the bytes, whatever data4 held
            else
                expected = e.text(column);
            QCOMPARE(cell, expected);
        }
        QCOMPARE(dbtest::scalar(path, QStringLiteral("select src_id from data where _id=%1").arg(e._id)), e.srcId);
        QCOMPARE(dbtest::scalar(path, QStringLiteral("select type from data where _id=%1").arg(e._id)),
                 QString::number(kind));

        const Contact back = db->loadContact(c._id);
        QCOMPARE(back.entitiesOf(kind).size(), 1);
        const Entity &got = back.entitiesOf(kind).first();
        QCOMPARE(got._id, e._id);
        QCOMPARE(got.srcId, e.srcId);
        QCOMPARE(got.columns(), loaded);
        for (int column : loaded) {
            if (kind == ENTITY_PHOTO && column == data4)
                QCOMPARE(got.text(column), photoDigest(e));
            else
                QCOMPARE(got.value(column), e.value(column));
        }
    }
}

void LocalDbTest::insertDataRowsWritesWhatInsertDataWrites_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("lastRowDeleted");   // AUTOINCREMENT: its id is never given again
    QTest::newRow("one row") << 1 << false;
    QTest::newRow("one statement's worth") << 32 << false;
    QTest::newRow("one more than a statement") << 33 << false;
    QTest::newRow("three statements") << 70 << false;
    QTest::newRow("after a deleted row") << 13 << true;
}

void LocalDbTest::insertDataRowsWritesWhatInsertDataWrites()
{
    QFETCH(int, rows);
    QFETCH(bool, lastRowDeleted);
    auto one = newDb(QStringLiteral("one.db"));
    auto many = newDb(QStringLiteral("many.db"));
    QList<qint64> expectedIds;
    QList<LocalDb::NewDataRow> batch;
    for (LocalDb *db : { one.get(), many.get() }) {
        db->beginTransaction();
        Contact first = dbtest::contact(QStringLiteral("Ann"));
        Contact second = dbtest::contact(QStringLiteral("Bob"));
        db->insertContact(first);
        db->insertContact(second);
        Entity earlier = fullEntity(QStringLiteral("earlier"));
        db->insertData(first._id, ENTITY_NOTE, earlier);
        if (lastRowDeleted)
            db->deleteData(earlier._id);
        for (int i = 0; i < rows; ++i) {
            const int kind = FirstEntityKind + i % (LastEntityKind - FirstEntityKind + 1);
            Entity e = fullEntity(QString::number(i));
            if (i % 5 == 3)
                e = dbtest::entity({ { data1, QStringLiteral("only data1 %1").arg(i) } });   // absent columns
            const qint64 contactId = i % 2 ? second._id : first._id;
            if (db == one.get()) {
                db->insertData(contactId, kind, e);
                expectedIds.append(e._id);
            } else {
                batch.append({ contactId, kind, e });
            }
        }
    }
    const qint64 firstId = many->insertDataRows(batch);
    QCOMPARE(firstId, expectedIds.first());
    one->endTransaction(true);
    many->endTransaction(true);
    one->close();
    many->close();
    QCOMPARE(dbtest::dump(many->path()), dbtest::dump(one->path()));
}

void LocalDbTest::unknownKinds()
{
    auto db = newDb();
    Contact c = dbtest::contact(QStringLiteral("Ann"));
    db->insertContact(c);
    Entity e = fullEntity(QStringLiteral("x"));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, db->insertData(c._id, 14, e));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, db->updateData(0, e));
    dbtest::exec(db->path(), QStringLiteral("insert into data(type,contact_id,data1) values(99,%1,'odd')").arg(c._id));
    const Contact back = db->loadContact(c._id);
    QCOMPARE(back.entitiesOf(99).size(), 1);
    QVERIFY(back.entitiesOf(99).first().isEmpty());
    QVERIFY(back.entitiesOf(99).first()._id > 0);
    const QList<Contact> found = db->searchContacts(0, QString());
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.first(), back);
}

void LocalDbTest::awkwardValuesRoundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("photo");
    QTest::newRow("emoji") << QString::fromUtf8("\xF0\x9F\x98\x80 Smile") << QString::fromUtf8("note \xF0\x9F\x91\x8D")
                           << QByteArray("\x89PNG", 4);
    QTest::newRow("NUL characters") << QString::fromUtf16(u"A\0B", 3) << QString::fromUtf16(u"x\0\0y", 4)
                                    << QByteArray(16, '\0');
    QTest::newRow("very long") << QString(100000, QLatin1Char('n')) << QString(2000000, QChar(0x00E9))
                               << QByteArray(1, 'p');
    QByteArray big(5 * 1024 * 1024, Qt::Uninitialized);
    for (int i = 0; i < big.size(); ++i)
        big[i] = char(i * 31 + (i >> 11));
    QTest::newRow("5 MB photo") << QStringLiteral("Photo") << QStringLiteral("n") << big;
}

void LocalDbTest::awkwardValuesRoundTrip()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QByteArray, photo);
    auto db = newDb();
    Contact c = dbtest::contact(name);
    c.srcId = text.left(50);
    Entity nameEntity = dbtest::entity({ { data2, name } });
    nameEntity.setText(data1, formatPersonName(nameEntity));
    c.addEntity(ENTITY_NAME, nameEntity);
    c.addEntity(ENTITY_NOTE, dbtest::entity({ { data1, text } }));
    Entity p;
    p.setValue(data15, photo);
    c.addEntity(ENTITY_PHOTO, p);

    Contact stored;
    bool merged = true;
    db->saveContactMerged(c, stored, merged);
    QVERIFY(!merged);
    const Contact back = db->loadContact(stored._id);
    QCOMPARE(back, stored);
    QCOMPARE(back.fullName, name);
    QCOMPARE(back.firstEntity(ENTITY_NAME)->text(data2), name);
    QCOMPARE(back.firstEntity(ENTITY_NOTE)->text(data1), text);
    QCOMPARE(back.firstEntity(ENTITY_PHOTO)->bytes(data15), photo);
    QCOMPARE(db->findContactIdByFullName(name), stored._id);
    const QList<Contact> found = db->searchContacts(0, QString());
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.first(), back);
}

void LocalDbTest::findContactByFullName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("expected");   // index into the stored names below, -1 = none
    QTest::newRow("exact") << "Ann Lee" << 0;
    QTest::newRow("other ASCII case, lowest id wins") << "ANN LEE" << 0;
    QTest::newRow("underscore is literal") << "A_B" << 2;
    QTest::newRow("underscore matches no other letter") << "AxB" << 3;
    QTest::newRow("no stored AyB") << "AyB" << -1;
    QTest::newRow("percent is literal") << "50%" << 4;
    QTest::newRow("percent matches no suffix") << "5000" << -1;
    QTest::newRow("percent matches nothing else") << "50" << -1;
    QTest::newRow("backslash") << "C:\\x" << 5;
    QTest::newRow("non-ASCII case is not folded") << QString::fromUtf8("Z\xC3\x96") << -1;
    QTest::newRow("ASCII folded beside non-ASCII") << QString::fromUtf8("z\xC3\xB6") << 6;
    QTest::newRow("NUL characters count") << QString::fromUtf16(u"n\0b", 3) << -1;
    QTest::newRow("NUL name itself") << QString::fromUtf16(u"N\0A", 3) << 7;
    QTest::newRow("empty") << "" << 8;
    QTest::newRow("prefix is not a match") << "Ann" << -1;
}

void LocalDbTest::findContactByFullName()
{
    QFETCH(QString, name);
    QFETCH(int, expected);
    auto db = newDb();
    const QStringList stored { QStringLiteral("Ann Lee"),  QStringLiteral("ann lee"),  QStringLiteral("A_B"),
                               QStringLiteral("AxB"),      QStringLiteral("50%"),      QStringLiteral("C:\\x"),
                               QString::fromUtf8("Z\xC3\xB6"), QString::fromUtf16(u"n\0a", 3), QString() };
    QList<qint64> ids;
    for (const QString &n : stored)
        ids << addContact(*db, n, {});
    QCOMPARE(db->findContactIdByFullName(name), expected < 0 ? 0 : ids.at(expected));
}

void LocalDbTest::groups()
{
    auto db = newDb();
    const qint64 friends = db->findOrCreateGroup(QStringLiteral("Friends"));
    const qint64 wild = db->findOrCreateGroup(QStringLiteral("50%_off"));
    QVERIFY(friends > 0);
    QCOMPARE(db->findOrCreateGroup(QStringLiteral("FRIENDS")), friends);
    QCOMPARE(db->findOrCreateGroup(QStringLiteral("50%_OFF")), wild);
    const qint64 literal = db->findOrCreateGroup(QStringLiteral("500 off"));   // no wildcard match
    QVERIFY(literal != wild);
    dbtest::exec(db->path(), QStringLiteral("insert into contact_group(name) values('friends')"));
    QCOMPARE(db->findOrCreateGroup(QStringLiteral("friends")), friends);   // lowest id of several
    QCOMPARE(db->listGroups(), (QList<ContactGroup> { { wild, QStringLiteral("50%_off") },
                                                      { literal, QStringLiteral("500 off") },
                                                      { friends, QStringLiteral("Friends") },
                                                      { friends + 3, QStringLiteral("friends") } }));

    const qint64 ann = addContact(*db, QStringLiteral("Ann"), {});
    const Entity first = db->setContactGroup(ann, friends, QStringLiteral("Friends"));
    QCOMPARE(first.value(data1), QVariant(friends));
    QCOMPARE(first.text(data2), QStringLiteral("Friends"));
    const Entity second = db->setContactGroup(ann, wild, QStringLiteral("50%_off"));
    const Contact c = db->loadContact(ann);
    QCOMPARE(c.entitiesOf(ENTITY_GROUP_MEMBERSHIP).size(), 1);   // the old membership went
    QCOMPARE(c.firstEntity(ENTITY_GROUP_MEMBERSHIP)->_id, second._id);
    QCOMPARE(c.firstEntity(ENTITY_GROUP_MEMBERSHIP)->text(data1), QString::number(wild));
    QCOMPARE(c.firstEntity(ENTITY_GROUP_MEMBERSHIP)->srcId, QString());

    db->deleteGroup(wild);
    QCOMPARE(db->listGroups().size(), 3);
    QCOMPARE(db->loadContact(ann).entitiesOf(ENTITY_GROUP_MEMBERSHIP).size(), 1);   // memberships stay
    db->deleteGroupMemberships(ann);
    QVERIFY(db->loadContact(ann).entitiesOf(ENTITY_GROUP_MEMBERSHIP).isEmpty());
}

void LocalDbTest::contactAndDataUpdates()
{
    auto db = newDb();
    const qint64 ann = addContact(*db, QStringLiteral("Ann"),
                                  { { ENTITY_PHONE, dbtest::entity({ { data1, QStringLiteral("555") } }) },
                                    { ENTITY_NOTE, dbtest::entity({ { data1, QStringLiteral("n") } }) } });
    const qint64 bob = addContact(*db, QStringLiteral("Bob"),
                                  { { ENTITY_PHONE, dbtest::entity({ { data1, QStringLiteral("666") } }) } });
    Contact c = db->loadContact(ann);
    QCOMPARE(c.srcId, QString());
    c.fullName = QStringLiteral("Ann Lee");
    c.srcId = QStringLiteral("0/1/2/3");
    db->updateContact(c);
    QCOMPARE(db->loadContact(ann).fullName, QStringLiteral("Ann Lee"));
    db->updateContactSrcId(ann, QStringLiteral("0/1/2/4"));
    const qint64 phoneId = c.firstEntity(ENTITY_PHONE)->_id;
    db->updateDataSrcId(phoneId, QStringLiteral("3/1/2/9"));
    c = db->loadContact(ann);
    QCOMPARE(c.srcId, QStringLiteral("0/1/2/4"));
    QCOMPARE(c.firstEntity(ENTITY_PHONE)->srcId, QStringLiteral("3/1/2/9"));

    db->deleteData(phoneId);
    c = db->loadContact(ann);
    QVERIFY(c.entitiesOf(ENTITY_PHONE).isEmpty());
    QCOMPARE(c.entitiesOf(ENTITY_NOTE).size(), 1);

    db->deleteContact(ann);
    QCOMPARE(db->loadContact(ann)._id, 0);
    QVERIFY(db->loadContact(ann).entities.isEmpty());
    QCOMPARE(dbtest::scalar(db->path(), QStringLiteral("select count(*) from data where contact_id=%1").arg(ann)),
             QStringLiteral("0"));
    QCOMPARE(db->loadContact(bob).entitiesOf(ENTITY_PHONE).size(), 1);
    QCOMPARE(db->loadContact(987654)._id, 0);
}

void LocalDbTest::searchAll()
{
    auto db = newDb();
    const Entity note = dbtest::entity({ { data1, QStringLiteral("n") } });
    addContact(*db, QStringLiteral("bob"), { { ENTITY_NOTE, note } });
    addContact(*db, QStringLiteral("Empty"), {});   // no data rows: never found
    const qint64 zed = addContact(*db, QStringLiteral("Zed"),
                                  { { ENTITY_WEBSITE, dbtest::entity({ { data1, QStringLiteral("w") } }) },
                                    { ENTITY_PHONE, dbtest::entity({ { data1, QStringLiteral("1") } }) },
                                    { ENTITY_PHONE, dbtest::entity({ { data1, QStringLiteral("2") } }) } });
    addContact(*db, QString::fromUtf8("\xC3\x84rger"), { { ENTITY_NOTE, note } });
    addContact(*db, QStringLiteral("Adam"), { { ENTITY_NOTE, note } });

    const QList<Contact> all = db->searchContacts(0, QString());
    QStringList names;
    for (const Contact &c : all)
        names << c.fullName;
    // UTF-16 code unit order: upper case, then lower case, then non-ASCII.
    QCOMPARE(names, (QStringList { "Adam", "Zed", "bob", QString::fromUtf8("\xC3\x84rger") }));
    for (const Contact &c : all)
        QCOMPARE(c, db->loadContact(c._id));
    const QList<Contact> outlines = db->searchContactOutlines(0, QString());
    QCOMPARE(outlines.size(), all.size());
    for (qsizetype i = 0; i < all.size(); ++i)
        QCOMPARE(outlines.at(i), outlineOf(all.at(i)));
    const Contact &z = all.at(1);
    QCOMPARE(z._id, zed);
    QCOMPARE(z.entitiesOf(ENTITY_PHONE).size(), 2);
    QCOMPARE(z.entitiesOf(ENTITY_PHONE).at(0).text(data1), QStringLiteral("1"));
    QCOMPARE(z.entitiesOf(ENTITY_PHONE).at(1).text(data1), QStringLiteral("2"));
}

void LocalDbTest::searchByGroupAndKeyword_data()
{
    QTest::addColumn<QString>("group");   // "" = all groups
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("everyone") << "" << "" << QStringList { "Ann", "Bob", "Cat", "Dan" };
    QTest::newRow("group") << "Friends" << "" << QStringList { "Ann", "Cat" };
    QTest::newRow("other group") << "Work" << "" << QStringList { "Bob" };
    QTest::newRow("empty group") << "Nobody" << "" << QStringList {};
    QTest::newRow("keyword in e-mail, other case") << "" << "ann" << QStringList { "Ann" };
    QTest::newRow("keyword in note") << "" << "PARIS" << QStringList { "Bob", "Dan" };
    QTest::newRow("group name never matches") << "" << "Friends" << QStringList {};
    QTest::newRow("photo never matches") << "" << "digest" << QStringList {};
    QTest::newRow("name entity matches") << "" << "cat" << QStringList { "Cat" };
    QTest::newRow("group and keyword") << "Friends" << "555" << QStringList { "Cat" };
    QTest::newRow("wildcards stay wildcards") << "" << "5_5" << QStringList { "Cat", "Dan" };
    QTest::newRow("percent wildcard") << "" << "ann%example" << QStringList { "Ann" };
    QTest::newRow("non-ASCII case not folded") << "" << QString::fromUtf8("\xC3\xA9t\xC3\xA9") << QStringList {};
}

void LocalDbTest::searchByGroupAndKeyword()
{
    QFETCH(QString, group);
    QFETCH(QString, keyword);
    QFETCH(QStringList, found);
    auto db = newDb();
    const qint64 friends = db->findOrCreateGroup(QStringLiteral("Friends"));
    const qint64 work = db->findOrCreateGroup(QStringLiteral("Work"));
    db->findOrCreateGroup(QStringLiteral("Nobody"));
    Entity photo;
    photo.setValue(data15, QByteArray("digest digest"));
    photo.setText(data1, QStringLiteral("digest"));   // not written for photos anyway
    const qint64 ann = addContact(*db, QStringLiteral("Ann"),
                                  { { ENTITY_EMAIL, dbtest::entity({ { data1, QStringLiteral("Ann@example.org") } }) },
                                    { ENTITY_PHOTO, photo } });
    const qint64 bob = addContact(*db, QStringLiteral("Bob"),
                                  { { ENTITY_NOTE, dbtest::entity({ { data1, QStringLiteral("Lives in Paris") } }) } });
    const qint64 cat = addContact(
        *db, QStringLiteral("Cat"),
        { { ENTITY_NAME, dbtest::entity({ { data1, QStringLiteral("Cat") }, { data2, QStringLiteral("Cat") } }) },
          { ENTITY_PHONE, dbtest::entity({ { data1, QStringLiteral("555") } }) } });
    addContact(*db, QStringLiteral("Dan"),
               { { ENTITY_NOTE, dbtest::entity({ { data1, QStringLiteral("paris, 1 rue de l'\xC3\x89t\xC3\xA9") } }) },
                 { ENTITY_PHONE, dbtest::entity({ { data1, QStringLiteral("5-5") } }) } });
    db->setContactGroup(ann, friends, QStringLiteral("Friends"));
    db->setContactGroup(cat, friends, QStringLiteral("Friends"));
    db->setContactGroup(bob, work, QStringLiteral("Work"));

    qint64 groupId = 0;
    for (const ContactGroup &g : db->listGroups())
        if (g.name == group)
            groupId = g._id;
    QStringList names;
    for (const Contact &c : db->searchContacts(groupId, keyword)) {
        names << c.fullName;
        QCOMPARE(c, db->loadContact(c._id));   // every entity, not only the matching ones
    }
    QCOMPARE(names, found);
    // The list's outlines: the same contacts in the same order.
    QStringList outlined;
    for (const Contact &c : db->searchContactOutlines(groupId, keyword)) {
        outlined << c.fullName;
        QCOMPARE(c, outlineOf(db->loadContact(c._id)));
    }
    QCOMPARE(outlined, found);
}

void LocalDbTest::outlinesKeepWhatTheListShows()
{
    auto db = newDb();
    auto typed = [](const char *number, const char *type) {
        return dbtest::entity({ { data1, QString::fromUtf8(number) }, { data2, QString::fromUtf8(type) } });
    };
    Entity jpeg;
    jpeg.setValue(data15, QByteArray("\xFF\xD8 first photo"));
    Entity png;
    png.setValue(data15, QByteArray("\x89PNG second photo"));
    const qint64 id = addContact(
        *db, QStringLiteral("Many"),
        { { ENTITY_NOTE, dbtest::entity({ { data1, QStringLiteral("a long note") } }) },
          { ENTITY_PHONE, typed("+1 111", "1") },
          { ENTITY_EMAIL, dbtest::entity({ { data1, QStringLiteral("first@example.org") } }) },
          { ENTITY_PHOTO, jpeg },
          { ENTITY_PHONE, typed("+1 222", "2") },
          { ENTITY_EMAIL, dbtest::entity({ { data1, QStringLiteral("second@example.org") } }) },
          { ENTITY_POSTAL_ADDRESS, dbtest::entity({ { data1, QStringLiteral("1 Main St") } }) },
          { ENTITY_PHOTO, png },
          { ENTITY_POSTAL_ADDRESS, dbtest::entity({ { data1, QStringLiteral("2 Side St") } }) } });
    addContact(*db, QStringLiteral("Note only"), { { ENTITY_NOTE, dbtest::entity({ { data1, QStringLiteral("n") } }) } });

    const QList<Contact> outlines = db->searchContactOutlines(0, QString());
    QCOMPARE(outlines.size(), 2);
    const Contact &many = outlines.at(0);
    QCOMPARE(many._id, id);
    QCOMPARE(many.entitiesOf(ENTITY_PHONE).size(), 2);
    QCOMPARE(many.entitiesOf(ENTITY_PHONE).at(1).text(data1), QStringLiteral("+1 222"));
    QCOMPARE(many.entitiesOf(ENTITY_PHONE).at(1).toInt(data2), 2);
    QCOMPARE(many.entitiesOf(ENTITY_EMAIL).size(), 1);
    QCOMPARE(many.entitiesOf(ENTITY_EMAIL).at(0).text(data1), QStringLiteral("first@example.org"));
    QCOMPARE(many.entitiesOf(ENTITY_POSTAL_ADDRESS).size(), 1);
    QCOMPARE(many.entitiesOf(ENTITY_POSTAL_ADDRESS).at(0).text(data1), QStringLiteral("1 Main St"));
    QVERIFY(!many.hasEntities(ENTITY_NOTE));
    // The photo comes without its bytes; they are read by its row id.
    QCOMPARE(many.entitiesOf(ENTITY_PHOTO).size(), 1);
    const Entity &photo = many.entitiesOf(ENTITY_PHOTO).at(0);
    QVERIFY(!photo.has(data15));
    QCOMPARE(db->loadPhotoBytes(photo._id), jpeg.bytes(data15));
    QCOMPARE(db->loadPhotoBytes(987654), QByteArray());
    // A contact with none of the listed kinds is still listed.
    QCOMPARE(outlines.at(1).fullName, QStringLiteral("Note only"));
    QCOMPARE(outlines.at(1).entityCount(), 0);
}

void LocalDbTest::removeFile()
{
    auto db = newDb();
    addContact(*db, QStringLiteral("Ann"), {});
    QVERIFY(db->isOpen());
    QVERIFY(db->removeFile());
    QVERIFY(!db->isOpen());
    QVERIFY(!QFileInfo::exists(db->path()));
    QVERIFY(!db->removeFile());
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, (void)db->listGroups());
    QVERIFY(!QFileInfo::exists(db->path()));   // opening never creates the file
}

// The indexes of a bulk load are built with a smaller page cache; whether
// they are built or one of them fails, the connection keeps its own cache.
void LocalDbTest::bulkLoadBuildsIndexesWithoutChangingTheCache_data()
{
    QTest::addColumn<bool>("fails");
    QTest::newRow("built") << false;
    QTest::newRow("an index fails") << true;
}

void LocalDbTest::bulkLoadBuildsIndexesWithoutChangingTheCache()
{
    QFETCH(bool, fails);
    const QString path = m_dir->filePath(QStringLiteral("bulk.db"));
    OpenLocalDb db(path, m_rule);
    db.create();
    const qint64 cacheBefore = db.cacheSize();   // opens the file, which gains its look-up index
    QVERIFY(cacheBefore != 0);
    const QString indexesBefore = dbtest::indexes(path);

    db.beginTransaction();
    QStringList definitions = db.dropIndexesForBulkLoad();
    QVERIFY(!definitions.isEmpty());
    Entity phone;
    phone.setText(data1, QStringLiteral("030 1"));
    addContact(db, QStringLiteral("Ann"), { { ENTITY_PHONE, phone } });
    if (fails)
        definitions.append(QStringLiteral("create index broken on no_such_table(x)"));
    bool threw = false;
    try {
        db.restoreIndexes(definitions);
    } catch (const std::exception &) {
        threw = true;
    }
    QCOMPARE(threw, fails);
    QCOMPARE(db.cacheSize(), cacheBefore);
    db.endTransaction(!fails);
    QCOMPARE(dbtest::indexes(path), indexesBefore);
    QCOMPARE(db.searchContacts(0, QString()).size(), fails ? 0 : 1);
}

QTEST_GUILESS_MAIN(LocalDbTest)
#include "localdbtest.moc"
