#include "contacts/contactformat.h"
#include "contacts/localdb.h"
#include "contacts/localdbcombinerule.h"

#include "dbtestutil.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace pim;

namespace {

// "1=555;2=2;3=" is an entity with data1 "555", data2 "2" and an empty
// data3; entities of a list are separated by " | ". data15 is given as text.
QList<Entity> parseEntities(const QString &text)
{
    QList<Entity> list;
    if (text.isEmpty())
        return list;
    for (const QString &one : text.split(QStringLiteral(" | "))) {
        Entity e;
        for (const QString &cell : one.split(QLatin1Char(';'))) {
            const int column = cell.section(QLatin1Char('='), 0, 0).toInt();
            const QString value = cell.section(QLatin1Char('='), 1);
            if (column == data15)
                e.setValue(column, value.toUtf8());
            else
                e.setText(column, value);
        }
        list << e;
    }
    return list;
}

// The non-empty columns of each entity, in the notation above; a photo's
// data4 shows as "#" when it is the digest of its bytes.
QString render(int kind, const QList<Entity> &list)
{
    QStringList entities;
    for (const Entity &e : list) {
        QStringList cells;
        for (int column : e.columns()) {
            QString value = column == data15 ? QString::fromUtf8(e.bytes(column)) : e.text(column);
            if (value.isEmpty())
                continue;
            if (kind == ENTITY_PHOTO && column == data4 && value == photoDigest(e))
                value = QStringLiteral("#");
            cells << QStringLiteral("%1=%2").arg(column).arg(value);
        }
        entities << cells.join(QLatin1Char(';'));
    }
    return entities.join(QStringLiteral(" | "));
}

Contact withName(const QString &fullName)
{
    Contact c = dbtest::contact(fullName);
    Entity name = dbtest::entity({ { data2, fullName } });
    name.setText(data1, formatPersonName(name));
    c.addEntity(ENTITY_NAME, name);
    return c;
}

// Row id -> row text of the data, contact and group tables.
QMap<QString, QString> rowsById(const QString &path)
{
    QMap<QString, QString> rows;
    for (const QString &row : dbtest::dump(path)) {
        const QString table = row.section(QLatin1Char(':'), 0, 0);
        if (table == QLatin1String("sqlite_sequence"))
            continue;   // id counters move with every insert
        const QString id = row.section(QLatin1Char(':'), 1).section(QLatin1Char('|'), 0, 0);
        rows.insert(table + QLatin1Char('/') + id, row);
    }
    return rows;
}

} // namespace

class LocalDbMergeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void combineRuleTable_data();
    void combineRuleTable();
    void mergeEntities_data();
    void mergeEntities();
    void nameMatchIgnoresAsciiCaseAndKeepsStoredName();
    void emptyNamesMerge();
    void wildcardsInNamesAreLiteral();
    void groupMembershipsFollowGroupNames();
    void nameOnlyContact();
    void sourceIdsAreNotStored();
    void failureInsideJobTransactionRollsBackEverything();
    void failureWithoutOuterTransaction();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::shared_ptr<LocalDb> m_db;
};

void LocalDbMergeTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_db = std::make_shared<LocalDb>(m_dir->filePath(QStringLiteral("merge.db")),
                                     std::make_shared<LocalDbCombineRule>());
    m_db->create();
}

void LocalDbMergeTest::combineRuleTable_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("match");
    QTest::addColumn<QString>("compare");
    QTest::addColumn<QString>("merge");
    QTest::addColumn<bool>("single");
    QTest::newRow("0") << 0 << "" << "" << "" << "" << false;
    QTest::newRow("name") << 1 << "" << "" << "" << "" << false;
    QTest::newRow("photo") << 2 << "4" << "4" << "4" << "4 15" << true;
    QTest::newRow("phone") << 3 << "1" << "1" << "1 2 3" << "1 2 3" << false;
    QTest::newRow("email") << 4 << "1" << "1" << "1 2 3" << "1 2 3" << false;
    QTest::newRow("nickname") << 5 << "1" << "1" << "1" << "1" << true;
    QTest::newRow("event") << 6 << "1" << "1" << "1 2 3" << "1 2 3" << false;
    QTest::newRow("group membership") << 7 << "1" << "1" << "1" << "1 2" << true;
    QTest::newRow("im") << 8 << "1" << "1 5 6" << "1 5 6 2 3" << "1 5 6 2 3" << false;
    QTest::newRow("note") << 9 << "1" << "1" << "1" << "1" << false;
    QTest::newRow("organization") << 10 << "1 5 4" << "1 5 4" << "1 5 4" << "1 5 4" << true;
    QTest::newRow("relation") << 11 << "1" << "1" << "1 2 3" << "1 2 3" << false;
    QTest::newRow("address") << 12 << "1" << "1" << "10 11 8 7 4 9 2 3" << "1 10 11 8 7 4 9 2 3" << false;
    QTest::newRow("website") << 13 << "1" << "1" << "1 2 3" << "1 2 3" << false;
    QTest::newRow("14") << 14 << "" << "" << "" << "" << false;
}

void LocalDbMergeTest::combineRuleTable()
{
    QFETCH(int, kind);
    QFETCH(QString, key);
    QFETCH(QString, match);
    QFETCH(QString, compare);
    QFETCH(QString, merge);
    QFETCH(bool, single);
    auto names = [](const QString &numbers) {
        QStringList list;
        for (const QString &n : numbers.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            list << QStringLiteral("data") + n;
        return list;
    };
    const LocalDbCombineRule rule;
    const AbsContactCombineRule &abstractRule = rule;
    QCOMPARE(abstractRule.keyColumns(kind), names(key));
    QCOMPARE(abstractRule.matchColumns(kind), names(match));
    QCOMPARE(abstractRule.compareColumns(kind), names(compare));
    bool isSingle = !single;
    QCOMPARE(abstractRule.mergeColumns(kind, isSingle), names(merge));
    QCOMPARE(isSingle, single);
}

void LocalDbMergeTest::mergeEntities_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("after");     // all entities of the kind afterwards, in load order
    QTest::addColumn<QString>("written");   // what the call reports as written
    QTest::addColumn<bool>("firstRowKept");  // the first stored row keeps its id

    const int phone = ENTITY_PHONE;
    QTest::newRow("phone: new label updates the same row")
        << phone << "1=555;2=2" << "1=555;2=0;3=Boat" << "1=555;2=0;3=Boat" << "1=555;2=0;3=Boat" << true;
    QTest::newRow("phone: same number, type and label writes nothing")
        << phone << "1=555;2=0;3=Boat" << "1=555;2=0;3=Boat" << "1=555;2=0;3=Boat" << "" << true;
    QTest::newRow("phone: same values, source lacks the empty label")
        << phone << "1=555;2=2;3=" << "1=555;2=2" << "1=555;2=2" << "" << true;
    QTest::newRow("phone: empty label and other type update only the type")
        << phone << "1=555;2=2;3=Boat" << "1=555;2=3;3=" << "1=555;2=3;3=Boat" << "1=555;2=3;3=Boat" << true;
    QTest::newRow("phone: new number is added")
        << phone << "1=555;2=2" << "1=666;2=1" << "1=555;2=2 | 1=666;2=1" << "1=666;2=1" << true;
    QTest::newRow("phone: two new rows of one number in one call")
        << phone << "" << "1=555;2=1 | 1=555;2=2" << "1=555;2=1 | 1=555;2=2" << "1=555;2=1 | 1=555;2=2" << true;
    QTest::newRow("phone: the same new number twice is stored once")
        << phone << "" << "1=555;2=1 | 1=555;2=1" << "1=555;2=1" << "1=555;2=1" << true;
    QTest::newRow("e-mail: letter case makes another address")
        << int(ENTITY_EMAIL) << "1=ann@x.org" << "1=Ann@x.org" << "1=ann@x.org | 1=Ann@x.org" << "1=Ann@x.org"
        << true;
    QTest::newRow("event: other type updates")
        << int(ENTITY_EVENT) << "1=1990-05-01T00:00:00;2=3" << "1=1990-05-01T00:00:00;2=1"
        << "1=1990-05-01T00:00:00;2=1" << "1=1990-05-01T00:00:00;2=1" << true;
    QTest::newRow("relation: new name added")
        << int(ENTITY_RELATION) << "1=Bob;2=2" << "1=Eve;2=13" << "1=Bob;2=2 | 1=Eve;2=13" << "1=Eve;2=13" << true;
    QTest::newRow("website: same URL new label")
        << int(ENTITY_WEBSITE) << "1=http://a.example" << "1=http://a.example;2=0;3=Shop"
        << "1=http://a.example;2=0;3=Shop" << "1=http://a.example;2=0;3=Shop" << true;
    QTest::newRow("photo: a second photo updates the stored one")
        << int(ENTITY_PHOTO) << "15=first" << "15=second" << "4=#;15=second" << "4=#;15=second" << true;
    QTest::newRow("photo: the same photo writes nothing")
        << int(ENTITY_PHOTO) << "15=first" << "15=first" << "4=#;15=first" << "" << true;
    QTest::newRow("photo: a stale digest in memory changes nothing")
        << int(ENTITY_PHOTO) << "15=first" << "4=stale;15=first" << "4=#;15=first" << "" << true;
    QTest::newRow("photo: new photo")
        << int(ENTITY_PHOTO) << "" << "4=stale;15=new" << "4=#;15=new" << "4=#;15=new" << true;
    QTest::newRow("nickname: one per contact, overwritten")
        << int(ENTITY_NICKNAME) << "1=Bobby;2=1" << "1=Rob" << "1=Rob;2=1" << "1=Rob;2=1" << true;
    QTest::newRow("organization: empty source columns keep stored ones")
        << int(ENTITY_ORGANIZATION) << "1=ACME;4=Boss;5=R&D;6=kept" << "1=ACME;4=CEO;5="
        << "1=ACME;4=CEO;5=R&D;6=kept" << "1=ACME;4=CEO;5=R&D;6=kept" << true;
    QTest::newRow("organization: another company replaces the single one")
        << int(ENTITY_ORGANIZATION) << "1=ACME;4=Boss" << "1=Initech" << "1=Initech;4=Boss" << "1=Initech;4=Boss"
        << true;
    QTest::newRow("note: each distinct text is a note, equal ones are not repeated")
        << int(ENTITY_NOTE) << "1=a" << "1=b | 1=a" << "1=a | 1=b" << "1=b" << true;
    QTest::newRow("im: other protocol is another account")
        << int(ENTITY_IM) << "1=ann;5=4" << "1=ann;5=5" << "1=ann;5=4 | 1=ann;5=5" << "1=ann;5=5" << true;
    QTest::newRow("im: custom protocol counts")
        << int(ENTITY_IM) << "1=ann;5=0;6=Signal" << "1=ann;5=0;6=Matrix" << "1=ann;5=0;6=Signal | 1=ann;5=0;6=Matrix"
        << "1=ann;5=0;6=Matrix" << true;
    QTest::newRow("im: same account new type")
        << int(ENTITY_IM) << "1=ann;5=4" << "1=ann;5=4;2=2" << "1=ann;2=2;5=4" << "1=ann;2=2;5=4" << true;
    QTest::newRow("address: same formatted address, parts merged")
        << int(ENTITY_POSTAL_ADDRESS) << "1=1 Main St;2=1;7=Springfield" << "1=1 Main St;2=2;9=12345"
        << "1=1 Main St;2=2;7=Springfield;9=12345" << "1=1 Main St;2=2;7=Springfield;9=12345" << true;
    QTest::newRow("address: data11 is compared and written")
        << int(ENTITY_POSTAL_ADDRESS) << "1=1 Main St" << "1=1 Main St;11=x" << "1=1 Main St" << "1=1 Main St;11=x"
        << true;
}

void LocalDbMergeTest::mergeEntities()
{
    QFETCH(int, kind);
    QFETCH(QString, stored);
    QFETCH(QString, source);
    QFETCH(QString, after);
    QFETCH(QString, written);
    QFETCH(bool, firstRowKept);

    Contact first = withName(QStringLiteral("Ann Lee"));
    first.entities[kind] = parseEntities(stored);
    Contact firstStored;
    bool merged = true;
    m_db->saveContactMerged(first, firstStored, merged);
    QVERIFY(!merged);
    const QList<Entity> storedRows = m_db->loadContact(firstStored._id).entitiesOf(kind);
    if (kind != ENTITY_PHOTO)   // a stored photo gains its digest
        QCOMPARE(render(kind, storedRows), render(kind, parseEntities(stored)));
    const QMap<QString, QString> before = rowsById(m_db->path());

    Contact second = withName(QStringLiteral("ann lee"));
    second.entities[kind] = parseEntities(source);
    Contact result;
    const Contact::EntityMap writtenMap = m_db->saveContactMerged(second, result, merged);
    QVERIFY(merged);
    QCOMPARE(result._id, firstStored._id);

    const Contact loaded = m_db->loadContact(firstStored._id);
    QCOMPARE(render(kind, loaded.entitiesOf(kind)), after);
    QCOMPARE(result, loaded);   // the returned contact is what the database holds
    QCOMPARE(writtenMap.keys(), written.isEmpty() ? QList<int>() : QList<int> { kind });
    QCOMPARE(render(kind, writtenMap.value(kind)), written);
    if (firstRowKept && !storedRows.isEmpty())
        QCOMPARE(loaded.entitiesOf(kind).first()._id, storedRows.first()._id);

    // Exactly the rows the call reports were written changed.
    const QMap<QString, QString> now = rowsById(m_db->path());
    QStringList changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (before.value(it.key()) != it.value())
            changed << it.key();
    QStringList reported;
    for (const Entity &e : writtenMap.value(kind)) {
        QVERIFY(e._id > 0);
        QVERIFY(e.srcId.isEmpty());
        reported << QStringLiteral("data/%1").arg(e._id);
    }
    std::sort(reported.begin(), reported.end());
    QCOMPARE(changed, reported);
}

void LocalDbMergeTest::nameMatchIgnoresAsciiCaseAndKeepsStoredName()
{
    Contact first = withName(QStringLiteral("Ann Lee"));
    Contact stored;
    bool merged = true;
    m_db->saveContactMerged(first, stored, merged);
    QVERIFY(!merged);
    const Contact::EntityMap none;

    Contact second = withName(QStringLiteral("ANN lee"));
    second.addEntity(ENTITY_PHONE, dbtest::entity({ { data1, QStringLiteral("555") } }));
    Contact result;
    const Contact::EntityMap written = m_db->saveContactMerged(second, result, merged);
    QVERIFY(merged);
    QCOMPARE(result._id, stored._id);
    QCOMPARE(result.fullName, QStringLiteral("Ann Lee"));
    QCOMPARE(written.keys(), QList<int> { ENTITY_PHONE });
    const Contact loaded = m_db->loadContact(stored._id);
    QCOMPARE(loaded.fullName, QStringLiteral("Ann Lee"));
    QCOMPARE(loaded.entitiesOf(ENTITY_NAME).size(), 1);   // the source's name entity is not used
    QCOMPARE(loaded.firstEntity(ENTITY_NAME)->text(data2), QStringLiteral("Ann Lee"));
    QCOMPARE(dbtest::scalar(m_db->path(), QStringLiteral("select count(*) from contact")), QStringLiteral("1"));

    // Non-ASCII letters are not folded.
    m_db->saveContactMerged(withName(QString::fromUtf8("\xC3\x89lodie")), result, merged);
    QVERIFY(!merged);
    m_db->saveContactMerged(withName(QString::fromUtf8("\xC3\xA9lodie")), result, merged);
    QVERIFY(!merged);
}

void LocalDbMergeTest::emptyNamesMerge()
{
    Contact a;
    a.addEntity(ENTITY_NOTE, dbtest::entity({ { data1, QStringLiteral("one") } }));
    Contact b;
    b.addEntity(ENTITY_NOTE, dbtest::entity({ { data1, QStringLiteral("two") } }));
    Contact stored;
    bool merged = true;
    m_db->saveContactMerged(a, stored, merged);
    QVERIFY(!merged);
    QVERIFY(stored.entitiesOf(ENTITY_NAME).isEmpty());
    Contact again;
    m_db->saveContactMerged(b, again, merged);
    QVERIFY(merged);
    QCOMPARE(again._id, stored._id);
    QCOMPARE(render(ENTITY_NOTE, m_db->loadContact(stored._id).entitiesOf(ENTITY_NOTE)), QStringLiteral("1=one | 1=two"));
}

void LocalDbMergeTest::wildcardsInNamesAreLiteral()
{
    Contact stored;
    bool merged = true;
    for (const char *name : { "AxB", "500", "A_B", "50%" }) {
        m_db->saveContactMerged(withName(QString::fromLatin1(name)), stored, merged);
        QVERIFY2(!merged, name);
    }
    m_db->saveContactMerged(withName(QStringLiteral("a_b")), stored, merged);
    QVERIFY(merged);
    QCOMPARE(stored.fullName, QStringLiteral("A_B"));
    QCOMPARE(dbtest::scalar(m_db->path(), QStringLiteral("select count(*) from contact")), QStringLiteral("4"));
}

void LocalDbMergeTest::groupMembershipsFollowGroupNames()
{
    const qint64 work = m_db->findOrCreateGroup(QStringLiteral("Work"));
    const qint64 friends = m_db->findOrCreateGroup(QStringLiteral("Friends"));
    QCOMPARE(friends, work + 1);

    // The source database knew "friends" under id 7.
    Contact ann = withName(QStringLiteral("Ann"));
    Entity membership;
    membership.setValue(data1, qint64(7));
    membership.setText(data2, QStringLiteral("friends"));
    membership.srcId = QStringLiteral("7/1/1/1");
    ann.addEntity(ENTITY_GROUP_MEMBERSHIP, membership);
    Contact stored;
    bool merged = true;
    Contact::EntityMap written = m_db->saveContactMerged(ann, stored, merged);
    QCOMPARE(written.value(ENTITY_GROUP_MEMBERSHIP).size(), 1);
    const Entity w = written.value(ENTITY_GROUP_MEMBERSHIP).first();
    QCOMPARE(w.text(data1), QString::number(friends));
    QCOMPARE(w.text(data2), QStringLiteral("friends"));
    QCOMPARE(m_db->listGroups().size(), 2);
    QCOMPARE(stored.firstEntity(ENTITY_GROUP_MEMBERSHIP)->text(data1), QString::number(friends));

    // Storing it again (source still says 7) writes nothing.
    written = m_db->saveContactMerged(ann, stored, merged);
    QVERIFY(merged);
    QVERIFY(written.isEmpty());

    // A group name the database lacks creates the group; the membership is
    // one per contact, so it moves.
    Contact moved = withName(QStringLiteral("Ann"));
    membership.setValue(data1, qint64(1));
    membership.setText(data2, QStringLiteral("Climbing club"));
    moved.addEntity(ENTITY_GROUP_MEMBERSHIP, membership);
    written = m_db->saveContactMerged(moved, stored, merged);
    const QList<ContactGroup> groups = m_db->listGroups();
    QCOMPARE(groups.size(), 3);
    QCOMPARE(groups.first().name, QStringLiteral("Climbing club"));
    const Contact loaded = m_db->loadContact(stored._id);
    QCOMPARE(loaded.entitiesOf(ENTITY_GROUP_MEMBERSHIP).size(), 1);
    QCOMPARE(loaded.firstEntity(ENTITY_GROUP_MEMBERSHIP)->text(data1), QString::number(groups.first()._id));
    QCOMPARE(loaded.firstEntity(ENTITY_GROUP_MEMBERSHIP)->_id, w._id);
    QCOMPARE(m_db->searchContacts(groups.first()._id, QString()).size(), 1);
    QCOMPARE(m_db->searchContacts(friends, QString()).size(), 0);
}

void LocalDbMergeTest::nameOnlyContact()
{
    Contact stored;
    bool merged = true;
    Contact::EntityMap written = m_db->saveContactMerged(withName(QStringLiteral("Solo")), stored, merged);
    QVERIFY(!merged);
    QCOMPARE(written.keys(), QList<int> { ENTITY_NAME });
    QCOMPARE(dbtest::dump(m_db->path()).filter(QRegularExpression(QStringLiteral("^(contact|data):"))).size(), 2);
    QCOMPARE(stored, m_db->loadContact(stored._id));

    const QStringList before = dbtest::dump(m_db->path());
    written = m_db->saveContactMerged(withName(QStringLiteral("solo")), stored, merged);
    QVERIFY(merged);
    QVERIFY(written.isEmpty());
    QCOMPARE(dbtest::dump(m_db->path()), before);
}

void LocalDbMergeTest::sourceIdsAreNotStored()
{
    Contact c = withName(QStringLiteral("Ann"));
    c.srcId = QStringLiteral("0/1/2/3");
    c.entities[ENTITY_NAME][0].srcId = QStringLiteral("1/1/2/3");
    Entity phone = dbtest::entity({ { data1, QStringLiteral("555") }, { data2, QStringLiteral("2") } });
    phone.srcId = QStringLiteral("3/1/2/3");
    c.addEntity(ENTITY_PHONE, phone);
    Contact stored;
    bool merged = false;
    m_db->saveContactMerged(c, stored, merged);
    QCOMPARE(dbtest::scalar(m_db->path(), QStringLiteral("select group_concat(src_id,',') from data")),
             QStringLiteral(","));
    QCOMPARE(dbtest::scalar(m_db->path(), QStringLiteral("select src_id from contact")), QString());

    // An updated row keeps the src_id it had.
    const qint64 phoneId = stored.firstEntity(ENTITY_PHONE)->_id;
    m_db->updateDataSrcId(phoneId, QStringLiteral("3/9/9/9"));
    c.entities[ENTITY_PHONE][0].setText(data2, QStringLiteral("1"));
    const Contact::EntityMap written = m_db->saveContactMerged(c, stored, merged);
    QCOMPARE(written.value(ENTITY_PHONE).size(), 1);
    QCOMPARE(written.value(ENTITY_PHONE).first().srcId, QStringLiteral("3/9/9/9"));
    QCOMPARE(dbtest::scalar(m_db->path(), QStringLiteral("select src_id||'/'||data2 from data where _id=%1").arg(phoneId)),
             QStringLiteral("3/9/9/9/1"));
}

void LocalDbMergeTest::failureInsideJobTransactionRollsBackEverything()
{
    Contact kept = withName(QStringLiteral("Kept"));
    kept.addEntity(ENTITY_NOTE, dbtest::entity({ { data1, QStringLiteral("before the job") } }));
    Contact stored;
    bool merged = false;
    m_db->saveContactMerged(kept, stored, merged);
    m_db->close();
    // Any insert of the text "boom" fails inside SQLite.
    dbtest::exec(m_db->path(), QStringLiteral("create trigger fail before insert on data when new.data1='boom'"
                                              " begin select raise(abort, 'boom refused'); end"));
    const QStringList before = dbtest::dump(m_db->path());

    Contact good = withName(QStringLiteral("Good"));
    good.addEntity(ENTITY_NOTE, dbtest::entity({ { data1, QStringLiteral("fine") } }));
    Contact bad = withName(QStringLiteral("Bad"));
    bad.addEntity(ENTITY_PHONE, dbtest::entity({ { data1, QStringLiteral("555") } }));
    bad.addEntity(ENTITY_NOTE, dbtest::entity({ { data1, QStringLiteral("boom") } }));
    Contact mergedInto = withName(QStringLiteral("kept"));
    mergedInto.addEntity(ENTITY_NOTE, dbtest::entity({ { data1, QStringLiteral("added in the job") } }));

    m_db->beginTransaction();
    m_db->saveContactMerged(good, stored, merged);
    m_db->saveContactMerged(mergedInto, stored, merged);
    try {
        m_db->saveContactMerged(bad, stored, merged);
        QFAIL("no exception");
    } catch (const std::runtime_error &e) {
        QVERIFY2(QString::fromUtf8(e.what()).contains(QStringLiteral("boom refused")), e.what());
    }
    m_db->endTransaction(false);   // the job's single rollback

    QCOMPARE(dbtest::dump(m_db->path()), before);
    // The next job starts clean and keeps its work.
    m_db->beginTransaction();
    m_db->saveContactMerged(good, stored, merged);
    m_db->endTransaction(true);
    m_db->close();
    const QStringList after = dbtest::dump(m_db->path());
    QCOMPARE(after.size(), before.size() + 3);   // contact, name and note rows
    QVERIFY(after.filter(QStringLiteral("fine")).size() == 1);
}

void LocalDbMergeTest::failureWithoutOuterTransaction()
{
    m_db->close();
    dbtest::exec(m_db->path(), QStringLiteral("create trigger fail before insert on data when new.data1='boom'"
                                              " begin select raise(abort, 'boom refused'); end"));
    const QStringList before = dbtest::dump(m_db->path());
    Contact bad = withName(QStringLiteral("Bad"));
    bad.addEntity(ENTITY_NOTE, dbtest::entity({ { data1, QStringLiteral("boom") } }));
    Contact stored;
    bool merged = false;
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, m_db->saveContactMerged(bad, stored, merged));
    QCOMPARE(dbtest::dump(m_db->path()), before);   // no half-stored contact
    // Nothing is left open: another connection can write at once.
    dbtest::exec(m_db->path(), QStringLiteral("insert into contact_group(name) values('x')"));
}

QTEST_GUILESS_MAIN(LocalDbMergeTest)
#include "localdbmergetest.moc"
