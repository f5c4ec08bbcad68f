// The source tree model: its two roots, adding and removing phones and
// databases, groups, icons, resolving a selection, and who holds a node's
// database.
#include "app/itemmodelmaintree.h"
#include "contacts/localdb.h"
#include "contacts/localdbcombinerule.h"
#include "panetestutil.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

using Tree = ItemModelMainTree;

class ItemModelMainTreeTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void roots();
    void icons_data();
    void icons();
    void addNodes();
    void removeDevice_data();
    void removeDevice();
    void removeChildOutOfRange_data();
    void removeChildOutOfRange();
    void removeAllChildren();
    void loadGroupsInNameOrder();
    void loadGroupsReplacesChildren();
    void loadGroupsOfEmptyDatabase();
    void loadGroupsFailureKeepsChildren();
    void parentAfterSiblingRemoved();
    void countDevices();
    void currentSelection_data();
    void currentSelection();
    void droppingNodeReleasesOnlyModelHold();

private:
    [[nodiscard]] std::shared_ptr<LocalDb> db(const QString &name, const QList<Contact> &contacts = {},
                                              const QStringList &groups = {});

    QTemporaryDir m_dir;
    QTranslator m_translator;
    std::unique_ptr<Tree> m_tree;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void ItemModelMainTreeTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(m_translator.load(QStringLiteral(":/en.qm")));
    QCoreApplication::installTranslator(&m_translator);
}

void ItemModelMainTreeTest::init()
{
    m_tester.reset();
    m_tree = std::make_unique<Tree>();
    // Checks every change notification against the model's answers.
    m_tester = std::make_unique<QAbstractItemModelTester>(m_tree.get(),
                                                          QAbstractItemModelTester::FailureReportingMode::QtTest);
}

std::shared_ptr<LocalDb> ItemModelMainTreeTest::db(const QString &name, const QList<Contact> &contacts,
                                                   const QStringList &groups)
{
    return panetest::makeDb(m_dir.filePath(name), contacts, groups);
}

void ItemModelMainTreeTest::roots()
{
    QCOMPARE(m_tree->rowCount(), 2);
    QCOMPARE(m_tree->columnCount(), 1);
    const QModelIndex devices = m_tree->index(0, 0);
    const QModelIndex databases = m_tree->index(1, 0);
    QCOMPARE(devices.data().toString(), QStringLiteral("Devices"));
    QCOMPARE(devices.data(Qt::ToolTipRole).toString(), QStringLiteral("Devices"));
    QCOMPARE(databases.data().toString(), QStringLiteral("Local Databases"));
    QCOMPARE(m_tree->rowCount(devices), 0);
    QCOMPARE(m_tree->rowCount(databases), 0);
    QVERIFY(!m_tree->parent(devices).isValid());
    QVERIFY(!m_tree->index(2, 0).isValid());
    QVERIFY(!m_tree->index(0, 1).isValid());
    QVERIFY(!m_tree->headerData(0, Qt::Horizontal).isValid());
    QVERIFY(!devices.data(Qt::EditRole + 100).isValid());
    QCOMPARE(m_tree->indexOfNode(m_tree->devicesRoot()), devices);
    QCOMPARE(m_tree->indexOfNode(m_tree->localDbsRoot()), databases);
    QCOMPARE(m_tree->nodeOf(devices)->type, int(Tree::DevicesRootNode));
    QCOMPARE(m_tree->nodeOf(databases)->type, int(Tree::LocalDbsRootNode));
}

void ItemModelMainTreeTest::icons_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("resource");
    QTest::newRow("devices root") << 0 << ":res/icon_devices.png";
    QTest::newRow("databases root") << 1 << ":res/icon_databases.png";
    QTest::newRow("android phone") << 2 << ":res/icon_android.png";
    QTest::newRow("other kind of phone") << 3 << "";
    QTest::newRow("local database") << 4 << ":res/icon_database.png";
    QTest::newRow("group") << 5 << ":res/group.png";
}

void ItemModelMainTreeTest::icons()
{
    QFETCH(int, which);
    QFETCH(QString, resource);
    auto local = db(QStringLiteral("icons.db"), {panetest::contact(QStringLiteral("Ann"))}, {QStringLiteral("Team")});
    Tree::_DBItemNode *localNode = m_tree->addLocalDb(local, QStringLiteral("icons.db"));
    m_tree->loadGroups(localNode);
    Tree::_ItemNode *android = m_tree->addDevice(nullptr, QStringLiteral("Pixel"), QStringLiteral("A1"), 2);
    Tree::_ItemNode *other = m_tree->addDevice(nullptr, QStringLiteral("Other"), QStringLiteral("B1"), 1);
    const QList<const Tree::_ItemNode *> nodes{m_tree->devicesRoot(), m_tree->localDbsRoot(), android, other,
                                               localNode, localNode->children.value(0)};
    QVERIFY(nodes.at(which));
    const QVariant decoration = m_tree->indexOfNode(nodes.at(which)).data(Qt::DecorationRole);
    QCOMPARE(decoration.typeId(), QMetaType::QPixmap);
    const QPixmap pixmap = decoration.value<QPixmap>();
    if (resource.isEmpty()) {
        QVERIFY(pixmap.isNull());
        return;
    }
    QCOMPARE(pixmap.width(), 18);
    const QImage expected = QPixmap(resource).scaledToWidth(18, Qt::FastTransformation).toImage();
    QVERIFY(!expected.isNull());
    QCOMPARE(pixmap.toImage(), expected);
}

void ItemModelMainTreeTest::addNodes()
{
    auto first = db(QStringLiteral("a.db"));
    auto second = db(QStringLiteral("b.db"));
    QSignalSpy inserted(m_tree.get(), &QAbstractItemModel::rowsInserted);
    Tree::_DBItemNode *a = m_tree->addLocalDb(first, QStringLiteral("a.db"));
    Tree::_DBItemNode *b = m_tree->addLocalDb(second, QStringLiteral("b.db"));
    Tree::_DBItemNode *phone = m_tree->addDevice(first, QStringLiteral("Pixel 7"), QStringLiteral("SER1"), 2);
    QCOMPARE(inserted.size(), 3);

    QCOMPARE(m_tree->localDbNodes(), (QList<Tree::_DBItemNode *>{a, b}));
    QCOMPARE(m_tree->deviceNodes(), QList<Tree::_DBItemNode *>{phone});
    QCOMPARE(a->type, int(Tree::LocalDbNode));
    QVERIFY(a->deviceId.isEmpty());
    QCOMPARE(a->db, first);
    QCOMPARE(phone->type, int(Tree::DeviceNode));
    QCOMPARE(phone->deviceId, QStringLiteral("SER1"));
    QCOMPARE(phone->kind, 2);
    QCOMPARE(phone->parent, m_tree->devicesRoot());

    const QModelIndex bIndex = m_tree->indexOfNode(b);
    QCOMPARE(bIndex.row(), 1);
    QCOMPARE(bIndex.data().toString(), QStringLiteral("b.db"));
    QCOMPARE(bIndex.parent(), m_tree->index(1, 0));
    QCOMPARE(m_tree->index(0, 0, m_tree->index(0, 0)).data().toString(), QStringLiteral("Pixel 7"));
}

void ItemModelMainTreeTest::removeDevice_data()
{
    QTest::addColumn<QString>("deviceId");
    QTest::addColumn<QStringList>("remaining");
    QTest::newRow("first") << "ser-a" << QStringList{"Two"};
    QTest::newRow("second") << "ser-b" << QStringList{"One"};
    QTest::newRow("unknown id") << "ser-c" << QStringList{"One", "Two"};
    QTest::newRow("other letter case") << "SER-A" << QStringList{"One", "Two"};
    QTest::newRow("empty id") << "" << QStringList{"One", "Two"};
}

void ItemModelMainTreeTest::removeDevice()
{
    QFETCH(QString, deviceId);
    QFETCH(QStringList, remaining);
    m_tree->addDevice(db(QStringLiteral("one.db")), QStringLiteral("One"), QStringLiteral("ser-a"), 2);
    m_tree->addDevice(db(QStringLiteral("two.db")), QStringLiteral("Two"), QStringLiteral("ser-b"), 2);
    // A local database with an empty device id is never taken for a phone.
    m_tree->addLocalDb(db(QStringLiteral("local.db")), QStringLiteral("local.db"));
    QSignalSpy removed(m_tree.get(), &QAbstractItemModel::rowsRemoved);
    m_tree->removeDevice(deviceId);
    QStringList names;
    for (const Tree::_DBItemNode *node : m_tree->deviceNodes())
        names << node->name;
    QCOMPARE(names, remaining);
    QCOMPARE(removed.size(), remaining.size() == 2 ? 0 : 1);
    QCOMPARE(m_tree->localDbNodes().size(), 1);
}

void ItemModelMainTreeTest::removeChildOutOfRange_data()
{
    QTest::addColumn<int>("row");
    QTest::newRow("-1") << -1;
    QTest::newRow("count") << 2;
    QTest::newRow("far beyond") << 100;
}

void ItemModelMainTreeTest::removeChildOutOfRange()
{
    QFETCH(int, row);
    m_tree->addLocalDb(db(QStringLiteral("x.db")), QStringLiteral("x.db"));
    m_tree->addLocalDb(db(QStringLiteral("y.db")), QStringLiteral("y.db"));
    QSignalSpy removing(m_tree.get(), &QAbstractItemModel::rowsAboutToBeRemoved);
    m_tree->removeChild(m_tree->localDbsRoot(), row);
    m_tree->removeChild(nullptr, 0);
    QCOMPARE(removing.size(), 0);
    QCOMPARE(m_tree->localDbNodes().size(), 2);
}

void ItemModelMainTreeTest::removeAllChildren()
{
    auto local = db(QStringLiteral("groups.db"),
                    {panetest::contact(QStringLiteral("Ann")), panetest::contact(QStringLiteral("Bob"))},
                    {QStringLiteral("Family"), QStringLiteral("Work")});
    Tree::_DBItemNode *node = m_tree->addLocalDb(local, QStringLiteral("groups.db"));
    m_tree->loadGroups(node);
    QCOMPARE(node->children.size(), 2);
    QSignalSpy removed(m_tree.get(), &QAbstractItemModel::rowsRemoved);
    m_tree->removeAllChildren(node);
    QCOMPARE(removed.size(), 1);
    QCOMPARE(removed.at(0).at(0).toModelIndex(), m_tree->indexOfNode(node));
    QCOMPARE(removed.at(0).at(1).toInt(), 0);
    QCOMPARE(removed.at(0).at(2).toInt(), 1);
    QVERIFY(node->children.isEmpty());
    // Nothing to announce for a node without children.
    m_tree->removeAllChildren(node);
    QCOMPARE(removed.size(), 1);
}

void ItemModelMainTreeTest::loadGroupsInNameOrder()
{
    const QList<Contact> people{panetest::contact(QStringLiteral("Ann")), panetest::contact(QStringLiteral("Bob")),
                                panetest::contact(QStringLiteral("Cy")), panetest::contact(QStringLiteral("Di"))};
    auto local = db(QStringLiteral("order.db"), people,
                    {QStringLiteral("Zeta"), QStringLiteral("Alpha"), QStringLiteral("Mid"), QStringLiteral("Alpha")});
    Tree::_DBItemNode *node = m_tree->addLocalDb(local, QStringLiteral("order.db"));
    m_tree->loadGroups(node);
    const QList<ContactGroup> expected = local->listGroups();
    QCOMPARE(expected.size(), 3);
    QStringList names;
    for (int row = 0; row < node->children.size(); ++row) {
        auto *group = static_cast<Tree::_GroupItemNode *>(node->children.at(row));
        QCOMPARE(group->type, int(Tree::GroupNode));
        QCOMPARE(group->group, expected.at(row));
        QCOMPARE(group->parent, node);
        names << m_tree->index(row, 0, m_tree->indexOfNode(node)).data().toString();
    }
    QCOMPARE(names, (QStringList{"Alpha", "Mid", "Zeta"}));
}

void ItemModelMainTreeTest::loadGroupsReplacesChildren()
{
    auto local = db(QStringLiteral("again.db"), {panetest::contact(QStringLiteral("Ann"))}, {QStringLiteral("One")});
    Tree::_DBItemNode *node = m_tree->addLocalDb(local, QStringLiteral("again.db"));
    m_tree->loadGroups(node);
    local->findOrCreateGroup(QStringLiteral("Another"));
    QSignalSpy layout(m_tree.get(), &QAbstractItemModel::layoutChanged);
    m_tree->loadGroups(node);
    QCOMPARE(layout.size(), 1);
    QStringList names;
    for (const Tree::_ItemNode *child : node->children)
        names << child->name;
    QCOMPARE(names, (QStringList{"Another", "One"}));
}

void ItemModelMainTreeTest::loadGroupsOfEmptyDatabase()
{
    Tree::_DBItemNode *node = m_tree->addLocalDb(db(QStringLiteral("empty.db")), QStringLiteral("empty.db"));
    m_tree->loadGroups(node);
    QVERIFY(node->children.isEmpty());
    QCOMPARE(m_tree->rowCount(m_tree->indexOfNode(node)), 0);
    // A node without a database is left alone.
    Tree::_DBItemNode *bare = m_tree->addDevice(nullptr, QStringLiteral("Bare"), QStringLiteral("id"), 2);
    m_tree->loadGroups(bare);
    QVERIFY(bare->children.isEmpty());
}

void ItemModelMainTreeTest::loadGroupsFailureKeepsChildren()
{
    const QString path = m_dir.filePath(QStringLiteral("broken.db"));
    auto local = db(QStringLiteral("broken.db"), {panetest::contact(QStringLiteral("Ann"))}, {QStringLiteral("Kept")});
    Tree::_DBItemNode *node = m_tree->addLocalDb(local, QStringLiteral("broken.db"));
    m_tree->loadGroups(node);
    local->close();
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray(4096, 'x'));
    file.close();
    QVERIFY_THROWS_EXCEPTION(std::exception, m_tree->loadGroups(node));
    QCOMPARE(node->children.size(), 1);
    QCOMPARE(node->children.at(0)->name, QStringLiteral("Kept"));
}

void ItemModelMainTreeTest::parentAfterSiblingRemoved()
{
    auto first = db(QStringLiteral("p1.db"), {panetest::contact(QStringLiteral("Ann"))}, {QStringLiteral("G1")});
    auto second = db(QStringLiteral("p2.db"), {panetest::contact(QStringLiteral("Bob"))}, {QStringLiteral("G2")});
    m_tree->addDevice(first, QStringLiteral("Phone 1"), QStringLiteral("s1"), 2);
    Tree::_DBItemNode *phone2 = m_tree->addDevice(second, QStringLiteral("Phone 2"), QStringLiteral("s2"), 2);
    m_tree->loadGroups(phone2);
    // Hand out the indexes the way a view does, then remove the first phone.
    const QModelIndex group = m_tree->index(0, 0, m_tree->index(1, 0, m_tree->index(0, 0)));
    QCOMPARE(group.data().toString(), QStringLiteral("G2"));
    m_tree->removeDevice(QStringLiteral("s1"));
    const QModelIndex groupNow = m_tree->indexOfNode(phone2->children.at(0));
    const QModelIndex parent = m_tree->parent(groupNow);
    QCOMPARE(parent.row(), 0);
    QCOMPARE(parent.data().toString(), QStringLiteral("Phone 2"));
    QCOMPARE(m_tree->index(0, 0, parent), groupNow);
    // The group's rows are removed under the parent's present index.
    QSignalSpy removed(m_tree.get(), &QAbstractItemModel::rowsRemoved);
    m_tree->removeAllChildren(phone2);
    QCOMPARE(removed.at(0).at(0).toModelIndex(), parent);
}

void ItemModelMainTreeTest::countDevices()
{
    QCOMPARE(m_tree->countDevices(2), 0);
    m_tree->addDevice(nullptr, QStringLiteral("A"), QStringLiteral("1"), 2);
    m_tree->addDevice(nullptr, QStringLiteral("B"), QStringLiteral("2"), 1);
    m_tree->addDevice(nullptr, QStringLiteral("C"), QStringLiteral("3"), 2);
    m_tree->addLocalDb(nullptr, QStringLiteral("local.db"));
    QCOMPARE(m_tree->countDevices(2), 2);
    QCOMPARE(m_tree->countDevices(1), 1);
    QCOMPARE(m_tree->countDevices(0), 0);
    m_tree->removeDevice(QStringLiteral("1"));
    QCOMPARE(m_tree->countDevices(2), 1);
}

void ItemModelMainTreeTest::currentSelection_data()
{
    QTest::addColumn<QString>("pick");
    QTest::addColumn<QString>("node");
    QTest::addColumn<QString>("dbNode");
    QTest::addColumn<QString>("groupNode");
    QTest::newRow("nothing") << "" << "" << "" << "";
    QTest::newRow("devices root") << "Devices" << "Devices" << "" << "";
    QTest::newRow("databases root") << "Local Databases" << "Local Databases" << "" << "";
    QTest::newRow("phone") << "Phone" << "Phone" << "Phone" << "";
    QTest::newRow("local database") << "sel.db" << "sel.db" << "sel.db" << "";
    QTest::newRow("group of a database") << "Friends" << "Friends" << "sel.db" << "Friends";
    QTest::newRow("group of a phone") << "Gym" << "Gym" << "Phone" << "Gym";
}

void ItemModelMainTreeTest::currentSelection()
{
    QFETCH(QString, pick);
    QFETCH(QString, node);
    QFETCH(QString, dbNode);
    QFETCH(QString, groupNode);
    auto local = db(QStringLiteral("sel.db"), {panetest::contact(QStringLiteral("Ann"))}, {QStringLiteral("Friends")});
    auto phoneDb = db(QStringLiteral("phone.db"), {panetest::contact(QStringLiteral("Bob"))}, {QStringLiteral("Gym")});
    m_tree->loadGroups(m_tree->addDevice(phoneDb, QStringLiteral("Phone"), QStringLiteral("id"), 2));
    m_tree->loadGroups(m_tree->addLocalDb(local, QStringLiteral("sel.db")));
    QModelIndex current;
    if (!pick.isEmpty()) {
        const QModelIndexList found =
            m_tree->match(m_tree->index(0, 0), Qt::DisplayRole, pick, 1, Qt::MatchExactly | Qt::MatchRecursive);
        if (found.isEmpty()) {
            const QModelIndexList more =
                m_tree->match(m_tree->index(1, 0), Qt::DisplayRole, pick, 1, Qt::MatchExactly | Qt::MatchRecursive);
            QVERIFY(!more.isEmpty());
            current = more.first();
        } else {
            current = found.first();
        }
    }
    const Tree::Selection selection = m_tree->currentSelection(current);
    auto nameOf = [](const Tree::_ItemNode *n) { return n ? n->name : QString(); };
    QCOMPARE(nameOf(selection.node), node);
    QCOMPARE(nameOf(selection.dbNode), dbNode);
    QCOMPARE(nameOf(selection.groupNode), groupNode);
    if (selection.groupNode)
        QCOMPARE(selection.groupNode->group._id, selection.dbNode->db->listGroups().value(0)._id);
}

void ItemModelMainTreeTest::droppingNodeReleasesOnlyModelHold()
{
    auto phoneDb = db(QStringLiteral("held.db"), {panetest::contact(QStringLiteral("Ann"))}, {QStringLiteral("G")});
    auto local = db(QStringLiteral("dropped.db"));
    std::weak_ptr<LocalDb> phoneWeak = phoneDb;
    std::weak_ptr<LocalDb> localWeak = local;
    m_tree->loadGroups(m_tree->addDevice(std::move(phoneDb), QStringLiteral("Phone"), QStringLiteral("d1"), 2));
    m_tree->addLocalDb(std::move(local), QStringLiteral("dropped.db"));
    QVERIFY(!phoneWeak.expired());

    // A running command took its own copy of the phone's database.
    std::shared_ptr<LocalDb> command = m_tree->deviceNodes().first()->db;
    m_tree->removeDevice(QStringLiteral("d1"));
    QVERIFY(m_tree->deviceNodes().isEmpty());
    QVERIFY(!phoneWeak.expired());
    QCOMPARE(command.use_count(), 1);
    // ... and can finish its work with it.
    QCOMPARE(command->searchContacts(0, QString()).size(), 1);
    QCOMPARE(command->listGroups().size(), 1);
    command.reset();
    QVERIFY(phoneWeak.expired());

    // Nobody else held the local database: removing its node ends it.
    m_tree->removeChild(m_tree->localDbsRoot(), 0);
    QVERIFY(localWeak.expired());
}

QTEST_MAIN(ItemModelMainTreeTest)
#include "itemmodelmaintreetest.moc"
