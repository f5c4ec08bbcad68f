// Change sets of an edited contact: what the comparison reports, and how a
// set is written into a database.
#include "contacts/changeset.h"
#include "contacts/contactformat.h"
#include "contacts/localdb.h"
#include "contacts/localdbcombinerule.h"
#include "contacts/localdbtransaction.h"
#include "contacts/sqlite3exception.h"

#include "dbtestutil.h"

#include <QTemporaryDir>
#include <QTest>

using namespace pim;

namespace {

Entity row(qint64 id, std::initializer_list<std::pair<int, QString>> values)
{
    Entity e = dbtest::entity(values);
    e._id = id;
    e.srcId = id ? QStringLiteral("%1/7/1007/%2").arg(id % 13 + 1).arg(id + 100) : QString();
    return e;
}

Entity photo(qint64 id, const QByteArray &bytes)
{
    Entity e;
    e._id = id;
    e.setValue(data15, bytes);
    e.setText(data4, photoDigest(e));
    return e;
}

// A contact as the database loads it, with something of every kind,
// including what the editor does not show.
Contact storedContact()
{
    Contact c;
    c._id = 40;
    c.srcId = QStringLiteral("1/7/1007/-1");
    c.fullName = QStringLiteral("Ann Lee");
    c.addEntity(ENTITY_NAME, row(1, { { data1, "Ann Lee" }, { data2, "Ann" }, { data3, "Lee" }, { data4, "" },
                                      { data5, "" }, { data6, "" }, { data7, "an" }, { data8, "li" } }));
    c.addEntity(ENTITY_PHOTO, photo(2, "first picture"));
    c.addEntity(ENTITY_PHONE, row(3, { { data1, "+1 555 0100" }, { data2, "2" }, { data3, "" } }));
    c.addEntity(ENTITY_PHONE, row(4, { { data1, "+1 555 0101" }, { data2, "1" }, { data3, "" } }));
    c.addEntity(ENTITY_PHONE, row(5, { { data1, "+1 555 0102" }, { data2, "0" }, { data3, "Boat" } }));
    c.addEntity(ENTITY_EMAIL, row(6, { { data1, "ann@example.org" }, { data2, "1" }, { data3, "" } }));
    c.addEntity(ENTITY_NICKNAME, row(7, { { data1, "Annie" }, { data2, "1" }, { data3, "" } }));
    c.addEntity(ENTITY_NICKNAME, row(8, { { data1, "Lee-Lee" }, { data2, "1" }, { data3, "" } }));
    c.addEntity(ENTITY_EVENT, row(9, { { data1, "--05-17" }, { data2, "3" }, { data3, "" } }));
    c.addEntity(ENTITY_GROUP_MEMBERSHIP, row(10, { { data1, "4" }, { data2, "Friends" } }));
    c.addEntity(ENTITY_NOTE, row(11, { { data1, "first note" } }));
    c.addEntity(ENTITY_NOTE, row(12, { { data1, "second note" } }));
    c.addEntity(ENTITY_ORGANIZATION, row(13, { { data1, "Acme" }, { data2, "0" }, { data3, "Board" }, { data4, "Boss" },
                                              { data5, "R&D" }, { data6, "" }, { data7, "" }, { data9, "" } }));
    c.addEntity(ENTITY_ORGANIZATION, row(18, { { data1, "Side Job" }, { data4, "" }, { data5, "" } }));
    c.addEntity(ENTITY_POSTAL_ADDRESS,
                row(14, { { data1, "1 Main St\nSpringfield IL 62701\nUSA" }, { data2, "1" }, { data3, "" },
                          { data4, "1 Main St" }, { data5, "PO box 5" }, { data6, "Uptown" }, { data7, "Springfield" },
                          { data8, "IL" }, { data9, "62701" }, { data10, "USA" } }));
    c.addEntity(ENTITY_IM, row(15, { { data1, "ann@jabber" }, { data2, "1" }, { data3, "" }, { data5, "7" },
                                    { data6, "" } }));
    c.addEntity(ENTITY_RELATION, row(16, { { data1, "Bob" }, { data2, "14" }, { data3, "" } }));
    c.addEntity(ENTITY_WEBSITE, row(17, { { data1, "https://ann.example" }, { data2, "1" }, { data3, "" } }));
    return c;
}

// The columns the editor shows per kind.
QList<int> shownColumns(int kind)
{
    switch (kind) {
    case ENTITY_NAME:
        return { data1, data2, data3, data4, data5, data6 };
    case ENTITY_PHOTO:
        return { data4, data15 };
    case ENTITY_NICKNAME:
    case ENTITY_NOTE:
        return { data1 };
    case ENTITY_ORGANIZATION:
        return { data1, data4, data5 };
    case ENTITY_IM:
        return { data1, data2, data3, data5, data6 };
    case ENTITY_POSTAL_ADDRESS:
        return { data1, data2, data3, data4, data7, data8, data9, data10 };
    default:
        return { data1, data2, data3 };
    }
}

Entity shown(int kind, const Entity &stored)
{
    Entity e;
    e._id = stored._id;
    e.srcId = stored.srcId;
    for (int column : shownColumns(kind))
        e.setValue(column, stored.value(column));
    return e;
}

// What an editor opened on the contact hands over when nothing was touched.
Contact::EntityMap editorView(const Contact &source)
{
    Contact::EntityMap map;
    for (int kind : changeset::editorKinds()) {
        const QList<Entity> &list = source.entitiesOf(kind);
        if (list.isEmpty()) {
            if (kind != ENTITY_PHOTO)
                map[kind];
            continue;
        }
        for (const Entity &e : list) {
            map[kind].append(shown(kind, e));
            if (changeset::isShownOnce(kind))
                break;
        }
    }
    return map;
}

// "kind:ACTION:_id" per change.
QStringList describe(const ContactChangeSet &changes)
{
    QStringList out;
    for (const ContactChange &c : changes)
        out << QStringLiteral("%1:%2:%3").arg(c.kind).arg(actionName(c.action)).arg(c.entity._id);
    return out;
}

} // namespace

class ChangeSetTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void changes_data();
    void changes();
    void untouchedContactGivesNoChange();
    void updatesKeepHiddenColumns_data();
    void updatesKeepHiddenColumns();
    void newContactStartsWithItsName();
    void logsEveryChange();
    void applyWritesEveryAction();
    void applyGivesAddedEntitiesTheirRowIds();
    void applyNewContact_data();
    void applyNewContact();
    void addedNameRenamesTheContact();
    void applyEmptySetWritesNothing();
    void applyFailureRollsBack();
    void applyInsideAnOuterTransaction();
    void transactionRollsBackOnlyItsOwn();

private:
    std::shared_ptr<LocalDb> newDb();
    // Stores the contact as loadContact would give it back.
    Contact store(LocalDb &db, Contact contact);

    std::unique_ptr<QTemporaryDir> m_dir;
    LocalDbCombineRule m_rule;
};

void ChangeSetTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

std::shared_ptr<LocalDb> ChangeSetTest::newDb()
{
    auto db = std::make_shared<LocalDb>(m_dir->filePath(QStringLiteral("t.db")),
                                        std::make_shared<LocalDbCombineRule>());
    db->create();
    return db;
}

Contact ChangeSetTest::store(LocalDb &db, Contact contact)
{
    contact._id = 0;
    db.insertContact(contact);
    for (auto it = contact.entities.begin(); it != contact.entities.end(); ++it) {
        for (Entity &e : it.value())
            db.insertData(contact._id, it.key(), e);
    }
    return db.loadContact(contact._id);
}

// Each edit is "kind,index,column,value": index -1 appends a new row,
// column 0 removes the row, a photo's digest follows its bytes.
void ChangeSetTest::changes_data()
{
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("nothing") << QStringList() << QStringList();
    QTest::newRow("label of one of three phones")
        << QStringList { "3,1,3,Boat" } << QStringList { "3:ACTION_UPDATED:4" };
    QTest::newRow("type of a phone") << QStringList { "3,0,2,3" } << QStringList { "3:ACTION_UPDATED:3" };
    QTest::newRow("e-mail added and old one removed")
        << QStringList { "4,-1,1,new@example.org", "4,0,0," }
        << QStringList { "4:ACTION_ADDED:0", "4:ACTION_DELETED:6" };
    QTest::newRow("second phone row removed only") << QStringList { "3,1,0," } << QStringList { "3:ACTION_DELETED:4" };
    QTest::newRow("formatted address only") << QStringList { "12,0,1,somewhere else" } << QStringList();
    QTest::newRow("city of an address") << QStringList { "12,0,7,Shelbyville" } << QStringList { "12:ACTION_UPDATED:14" };
    QTest::newRow("blank row added") << QStringList { "3,-1,1," } << QStringList();
    QTest::newRow("only value of a phone cleared") << QStringList { "3,2,1," } << QStringList { "3:ACTION_DELETED:5" };
    QTest::newRow("photo removed") << QStringList { "2,0,0," } << QStringList { "2:ACTION_DELETED:2" };
    QTest::newRow("photo replaced") << QStringList { "2,0,15,other picture" } << QStringList { "2:ACTION_UPDATED:2" };
    QTest::newRow("last name") << QStringList { "1,0,3,Li" } << QStringList { "1:ACTION_UPDATED:1" };
    QTest::newRow("name display text only") << QStringList { "1,0,1,whatever" } << QStringList();
    QTest::newRow("first note changed, second kept")
        << QStringList { "9,0,1,changed note" } << QStringList { "9:ACTION_UPDATED:11" };
    QTest::newRow("first note cleared") << QStringList { "9,0,1," } << QStringList { "9:ACTION_DELETED:11" };
    QTest::newRow("nickname removed") << QStringList { "5,0,0," } << QStringList { "5:ACTION_DELETED:7" };
    QTest::newRow("organization department")
        << QStringList { "10,0,5,Sales" } << QStringList { "10:ACTION_UPDATED:13" };
    QTest::newRow("IM protocol") << QStringList { "8,0,5,1" } << QStringList { "8:ACTION_UPDATED:15" };
    QTest::newRow("event date") << QStringList { "6,0,1,1990-05-17T00:00:00" } << QStringList { "6:ACTION_UPDATED:9" };
    QTest::newRow("additions before deletions, kinds ascending")
        << QStringList { "13,0,0,", "3,-1,1,+1 555 0199", "11,0,1,Robert" }
        << QStringList { "3:ACTION_ADDED:0", "11:ACTION_UPDATED:16", "13:ACTION_DELETED:17" };
    QTest::newRow("markup, RTL and emoji are plain values")
        << QStringList { "4,-1,1,<b>x</b>@example.org", "11,0,1,\u05e9\u05dc\u05d5\u05dd \U0001F600" }
        << QStringList { "4:ACTION_ADDED:0", "11:ACTION_UPDATED:16" };
}

void ChangeSetTest::changes()
{
    QFETCH(QStringList, edits);
    QFETCH(QStringList, expected);

    const Contact source = storedContact();
    Entity name = shown(ENTITY_NAME, *source.firstEntity(ENTITY_NAME));
    Contact::EntityMap current = editorView(source);
    for (const QString &edit : edits) {
        const QStringList f = edit.split(QLatin1Char(','));
        const int kind = f[0].toInt();
        const int index = f[1].toInt();
        const int column = f[2].toInt();
        const QString value = f.mid(3).join(QLatin1Char(','));
        Entity *target = nullptr;
        if (kind == ENTITY_NAME) {
            target = &name;
        } else if (index < 0) {
            current[kind].append(Entity());
            target = &current[kind].last();
        } else if (column == 0) {
            current[kind].removeAt(index);
            continue;
        } else {
            target = &current[kind][index];
        }
        if (column == data15) {
            target->setValue(data15, value.toUtf8());
            target->setText(data4, photoDigest(*target));
        } else {
            target->setText(column, value);
        }
    }
    const ContactChangeSet result = changeset::getChanges(name, current, m_rule, source);
    QCOMPARE(describe(result), expected);
    for (const ContactChange &change : result) {
        if (change.action != ContactChange::ACTION_ADDED) {
            const QList<Entity> &stored = source.entitiesOf(change.kind);
            const auto it = std::find_if(stored.begin(), stored.end(),
                                         [&](const Entity &e) { return e._id == change.entity._id; });
            QVERIFY(it != stored.end());
            QCOMPARE(change.entity.srcId, it->srcId);
        } else {
            QVERIFY(change.entity.srcId.isEmpty());
        }
    }
}

void ChangeSetTest::untouchedContactGivesNoChange()
{
    // Two notes, two nicknames, two organizations, a labelled organization,
    // a group membership and a year-less birthday: none of it is reported.
    const Contact source = storedContact();
    const ContactChangeSet result = changeset::getChanges(shown(ENTITY_NAME, *source.firstEntity(ENTITY_NAME)),
                                                          editorView(source), m_rule, source);
    QVERIFY2(result.isEmpty(), qPrintable(describe(result).join(QLatin1Char(' '))));

    // The same after a round trip through a database.
    auto db = newDb();
    const Contact loaded = store(*db, source);
    QCOMPARE(loaded.entitiesOf(ENTITY_NOTE).size(), 2);
    const ContactChangeSet again = changeset::getChanges(shown(ENTITY_NAME, *loaded.firstEntity(ENTITY_NAME)),
                                                         editorView(loaded), m_rule, loaded);
    QVERIFY2(again.isEmpty(), qPrintable(describe(again).join(QLatin1Char(' '))));
}

void ChangeSetTest::updatesKeepHiddenColumns_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("editedColumn");
    QTest::addColumn<QList<int>>("keptColumns");

    QTest::newRow("organization type and label") << int(ENTITY_ORGANIZATION) << int(data1) << QList<int> { data2, data3 };
    QTest::newRow("address data5 and data6") << int(ENTITY_POSTAL_ADDRESS) << int(data7) << QList<int> { data5, data6 };
    QTest::newRow("nickname type") << int(ENTITY_NICKNAME) << int(data1) << QList<int> { data2 };
    QTest::newRow("name data7 and data8") << int(ENTITY_NAME) << int(data2) << QList<int> { data7, data8 };
}

void ChangeSetTest::updatesKeepHiddenColumns()
{
    QFETCH(int, kind);
    QFETCH(int, editedColumn);
    QFETCH(QList<int>, keptColumns);

    const Contact source = storedContact();
    Entity name = shown(ENTITY_NAME, *source.firstEntity(ENTITY_NAME));
    Contact::EntityMap current = editorView(source);
    Entity &edited = kind == ENTITY_NAME ? name : current[kind][0];
    edited.setText(editedColumn, QStringLiteral("Changed"));

    const ContactChangeSet result = changeset::getChanges(name, current, m_rule, source);
    QCOMPARE(result.size(), 1);
    QCOMPARE(result[0].action, int(ContactChange::ACTION_UPDATED));
    const Entity &stored = *source.firstEntity(kind);
    QCOMPARE(result[0].entity.text(editedColumn), QStringLiteral("Changed"));
    for (int column : keptColumns)
        QCOMPARE(result[0].entity.text(column), stored.text(column));

    // Written and read back, the hidden columns are still there.
    auto db = newDb();
    const Contact loaded = store(*db, source);
    Entity loadedName = shown(ENTITY_NAME, *loaded.firstEntity(ENTITY_NAME));
    Contact::EntityMap view = editorView(loaded);
    Entity &e = kind == ENTITY_NAME ? loadedName : view[kind][0];
    e.setText(editedColumn, QStringLiteral("Changed"));
    ContactChangeSet set = changeset::getChanges(loadedName, view, m_rule, loaded);
    changeset::applyChangeSet(*db, loaded, set);
    const Contact after = db->loadContact(loaded._id);
    for (int column : keptColumns)
        QCOMPARE(after.firstEntity(kind)->text(column), stored.text(column));
    QCOMPARE(after.firstEntity(kind)->text(editedColumn), QStringLiteral("Changed"));
}

void ChangeSetTest::newContactStartsWithItsName()
{
    Entity name = dbtest::entity({ { data2, "Ann" }, { data3, "" }, { data4, "" }, { data5, "" }, { data6, "" } });
    name.setText(data1, formatPersonName(name));
    Contact::EntityMap current;
    current[ENTITY_PHONE].append(dbtest::entity({ { data1, "123" }, { data2, "2" }, { data3, "" } }));
    current[ENTITY_EMAIL].append(dbtest::entity({ { data1, "" }, { data2, "1" }, { data3, "" } }));
    const ContactChangeSet result = changeset::getChanges(name, current, m_rule, Contact());
    QCOMPARE(describe(result), (QStringList { "1:ACTION_ADDED:0", "3:ACTION_ADDED:0" }));
    QCOMPARE(result[0].entity.text(data1), QStringLiteral("Ann"));
}

void ChangeSetTest::logsEveryChange()
{
    const Contact source = storedContact();
    Entity name = shown(ENTITY_NAME, *source.firstEntity(ENTITY_NAME));
    name.setText(data3, QStringLiteral("Li"));
    Contact::EntityMap current = editorView(source);
    current[ENTITY_PHONE][0].setText(data1, QStringLiteral("+1 555 0111"));
    current[ENTITY_EMAIL].append(dbtest::entity({ { data1, "x@example.org" }, { data2, "1" }, { data3, "" } }));
    current[ENTITY_EMAIL].append(dbtest::entity({ { data1, "" }, { data2, "1" }, { data3, "" } }));
    current[ENTITY_WEBSITE].clear();

    QTest::ignoreMessage(QtDebugMsg, "action=ACTION_UPDATED, type=pim::ENTITY_NAME, fullName=Ann Li");
    QTest::ignoreMessage(QtDebugMsg, "action=ACTION_UPDATED, type=3 {");
    QTest::ignoreMessage(QtDebugMsg, "data1(src)=+1 555 0100");
    QTest::ignoreMessage(QtDebugMsg, "data1(cur)=+1 555 0111");
    QTest::ignoreMessage(QtDebugMsg, "data2(src)=2");
    QTest::ignoreMessage(QtDebugMsg, "data2(cur)=2");
    QTest::ignoreMessage(QtDebugMsg, "data3(src)=");
    QTest::ignoreMessage(QtDebugMsg, "data3(cur)=");
    QTest::ignoreMessage(QtDebugMsg, "}");
    QTest::ignoreMessage(QtDebugMsg, "action=ACTION_ADDED, type=4");
    QTest::ignoreMessage(QtDebugMsg, "EditContactForm::getChanges, Empty Entity: type=4, _id=0, srcId=");
    QTest::ignoreMessage(QtDebugMsg, "action=ACTION_DELETED, type=13, _id=17, srcId=5/7/1007/117");
    QCOMPARE(changeset::getChanges(name, current, m_rule, source).size(), 4);
}

void ChangeSetTest::applyWritesEveryAction()
{
    auto db = newDb();
    const Contact loaded = store(*db, storedContact());
    Entity name = shown(ENTITY_NAME, *loaded.firstEntity(ENTITY_NAME));
    name.setText(data2, QStringLiteral("Anna"));
    name.setText(data1, formatPersonName(name));
    Contact::EntityMap current = editorView(loaded);
    current[ENTITY_PHONE][0].setText(data1, QStringLiteral("+1 555 0111"));
    current[ENTITY_EMAIL].removeFirst();
    current[ENTITY_EMAIL].append(dbtest::entity({ { data1, "new@example.org" }, { data2, "2" }, { data3, "" } }));
    ContactChangeSet set = changeset::getChanges(name, current, m_rule, loaded);
    QCOMPARE(set.size(), 4);
    QCOMPARE(changeset::applyChangeSet(*db, loaded, set), loaded._id);

    const Contact after = db->loadContact(loaded._id);
    QCOMPARE(after.fullName, QStringLiteral("Anna Lee"));
    QCOMPARE(after.srcId, loaded.srcId);
    QCOMPARE(after.entitiesOf(ENTITY_PHONE)[0].text(data1), QStringLiteral("+1 555 0111"));
    QCOMPARE(after.entitiesOf(ENTITY_PHONE)[0].srcId, loaded.entitiesOf(ENTITY_PHONE)[0].srcId);
    QCOMPARE(after.entitiesOf(ENTITY_EMAIL).size(), 1);
    QCOMPARE(after.entitiesOf(ENTITY_EMAIL)[0].text(data1), QStringLiteral("new@example.org"));
    // What the editor did not show is all still there.
    QCOMPARE(after.entitiesOf(ENTITY_NOTE).size(), 2);
    QCOMPARE(after.entitiesOf(ENTITY_NICKNAME).size(), 2);
    QCOMPARE(after.entitiesOf(ENTITY_ORGANIZATION).size(), 2);
    QCOMPARE(after.entitiesOf(ENTITY_GROUP_MEMBERSHIP).size(), 1);
    QCOMPARE(after.entitiesOf(ENTITY_EVENT)[0].text(data1), QStringLiteral("--05-17"));
}

void ChangeSetTest::applyGivesAddedEntitiesTheirRowIds()
{
    auto db = newDb();
    const Contact loaded = store(*db, storedContact());
    Contact::EntityMap current = editorView(loaded);
    current[ENTITY_EMAIL].append(dbtest::entity({ { data1, "new@example.org" }, { data2, "2" }, { data3, "" } }));
    current[ENTITY_PHONE].append(dbtest::entity({ { data1, "777" }, { data2, "2" }, { data3, "" } }));
    ContactChangeSet set =
        changeset::getChanges(shown(ENTITY_NAME, *loaded.firstEntity(ENTITY_NAME)), current, m_rule, loaded);
    QCOMPARE(set.size(), 2);
    changeset::applyChangeSet(*db, loaded, set);
    const Contact after = db->loadContact(loaded._id);
    QCOMPARE(set[0].entity._id, after.entitiesOf(ENTITY_PHONE).last()._id);
    QCOMPARE(set[1].entity._id, after.entitiesOf(ENTITY_EMAIL).last()._id);
    QVERIFY(set[0].entity._id != 0 && set[1].entity._id != 0);
}

void ChangeSetTest::applyNewContact_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("fullName");

    QTest::newRow("first name only") << "Ann" << "" << "Ann";
    QTest::newRow("both") << "Ann" << "Lee" << "Ann Lee";
    QTest::newRow("markup") << "<i>Ann</i>" << "&amp;" << "<i>Ann</i> &amp;";
    QTest::newRow("rtl and emoji") << "\u05e9\u05e8\u05d4" << "\U0001F600" << "\u05e9\u05e8\u05d4 \U0001F600";
}

void ChangeSetTest::applyNewContact()
{
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(QString, fullName);

    auto db = newDb();
    Entity name = dbtest::entity({ { data2, first }, { data3, last }, { data4, "" }, { data5, "" }, { data6, "" } });
    name.setText(data1, formatPersonName(name));
    Contact::EntityMap current;
    current[ENTITY_NOTE].append(Entity());
    current[ENTITY_NOTE][0].setText(data1, QString(10000, QLatin1Char('n')));
    ContactChangeSet set = changeset::getChanges(name, current, m_rule, Contact());
    const qint64 id = changeset::applyChangeSet(*db, Contact(), set);
    QVERIFY(id > 0);
    const Contact after = db->loadContact(id);
    QCOMPARE(after.fullName, fullName);
    QCOMPARE(after.firstEntity(ENTITY_NAME)->text(data1), fullName);
    QCOMPARE(after.firstEntity(ENTITY_NOTE)->text(data1).size(), 10000);
    QCOMPARE(db->findContactIdByFullName(fullName), id);
}

void ChangeSetTest::addedNameRenamesTheContact()
{
    auto db = newDb();
    Contact nameless = dbtest::contact(QString());
    nameless.addEntity(ENTITY_PHONE, dbtest::entity({ { data1, "5" }, { data2, "2" }, { data3, "" } }));
    const Contact loaded = store(*db, nameless);
    QCOMPARE(loaded.fullName, QString());
    Entity name = dbtest::entity({ { data2, "Zoë" }, { data3, "" }, { data4, "" }, { data5, "" }, { data6, "" } });
    name.setText(data1, formatPersonName(name));
    ContactChangeSet set = changeset::getChanges(name, editorView(loaded), m_rule, loaded);
    QCOMPARE(describe(set), QStringList { "1:ACTION_ADDED:0" });
    changeset::applyChangeSet(*db, loaded, set);
    QCOMPARE(db->loadContact(loaded._id).fullName, QStringLiteral("Zoë"));
}

void ChangeSetTest::applyEmptySetWritesNothing()
{
    auto db = newDb();
    const Contact loaded = store(*db, storedContact());
    db->close();
    const QStringList before = dbtest::dump(db->path());
    ContactChangeSet none;
    QCOMPARE(changeset::applyChangeSet(*db, loaded, none), loaded._id);
    db->close();
    QCOMPARE(dbtest::dump(db->path()), before);
}

void ChangeSetTest::applyFailureRollsBack()
{
    auto db = newDb();
    const Contact loaded = store(*db, storedContact());
    db->close();
    const QStringList before = dbtest::dump(db->path());

    ContactChangeSet set;
    set.append({ ENTITY_PHONE, ContactChange::ACTION_DELETED, loaded.entitiesOf(ENTITY_PHONE)[0] });
    set.append({ ENTITY_EMAIL, ContactChange::ACTION_ADDED, dbtest::entity({ { data1, "a@b" } }) });
    set.append({ 99, ContactChange::ACTION_ADDED, dbtest::entity({ { data1, "bad kind" } }) });
    const ContactChangeSet original = set;
    QVERIFY_THROWS_EXCEPTION(Sqlite3Exception, changeset::applyChangeSet(*db, loaded, set));
    QCOMPARE(set, original);   // no ids of rows that were rolled back
    db->close();
    QCOMPARE(dbtest::dump(db->path()), before);

    // The database is usable afterwards: nothing is left open.
    set.removeLast();
    changeset::applyChangeSet(*db, loaded, set);
    QCOMPARE(db->loadContact(loaded._id).entitiesOf(ENTITY_PHONE).size(), 2);
}

void ChangeSetTest::applyInsideAnOuterTransaction()
{
    // The set's own transaction nests in the caller's; the caller's rollback
    // still undoes it.
    auto db = newDb();
    const Contact loaded = store(*db, storedContact());
    ContactChangeSet set;
    set.append({ ENTITY_PHONE, ContactChange::ACTION_DELETED, loaded.entitiesOf(ENTITY_PHONE)[0] });
    {
        LocalDbTransaction outer(*db);
        changeset::applyChangeSet(*db, loaded, set);
    }
    QCOMPARE(db->loadContact(loaded._id).entitiesOf(ENTITY_PHONE).size(), 3);
}

void ChangeSetTest::transactionRollsBackOnlyItsOwn()
{
    auto db = newDb();
    Contact c = dbtest::contact(QStringLiteral("Kept"));
    {
        LocalDbTransaction transaction(*db);
        db->insertContact(c);
        transaction.commit();
        QVERIFY(!transaction.isOpen());
        transaction.rollback();   // after the commit: nothing happens
    }
    QCOMPARE(db->loadContact(c._id).fullName, QStringLiteral("Kept"));

    Contact d = dbtest::contact(QStringLiteral("Dropped"));
    {
        LocalDbTransaction transaction(*db);
        db->insertContact(d);
    }
    QCOMPARE(db->loadContact(d._id)._id, 0);

    // A begin that fails opens nothing and the object is never made.
    LocalDb missing(m_dir->filePath(QStringLiteral("missing.db")), std::make_shared<LocalDbCombineRule>());
    QVERIFY_THROWS_EXCEPTION(Sqlite3Exception, LocalDbTransaction { missing });
}

QTEST_GUILESS_MAIN(ChangeSetTest)
#include "changesettest.moc"
