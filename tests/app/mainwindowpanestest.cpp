// The main window's panes working together: the local databases found at
// start-up, the actions a tree selection switches, loading the list for a
// database or group, the keyword search, the card following the list, and
// databases that cannot be read.
#include "app/contactdisplayer.h"
#include "app/itemmodelcontacts.h"
#include "app/itemmodelmaintree.h"
#include "app/mainwindow.h"
#include "app/modalanswers.h"
#include "app/mytreeview.h"
#include "app/platform.h"
#include "contacts/localdb.h"
#include "panetestutil.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTranslator>

using namespace pim;
using panetest::contact;
using panetest::entity;
using Tree = ItemModelMainTree;

namespace {

const QStringList switchedActions{"actBackup", "actA2A", "actDB2A", "actExport", "actPrint", "actNewContact",
                                  "actDelete"};

Contact person(const QString &name, const QString &email, const QString &mobile = QString())
{
    Contact c = contact(name, {{ENTITY_EMAIL, entity({{data1, email}, {data2, QStringLiteral("1")}})}});
    if (!mobile.isEmpty())
        c.addEntity(ENTITY_PHONE, entity({{data1, mobile}, {data2, QStringLiteral("2")}}));
    return c;
}

void setModified(const QString &path, const QDateTime &when)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(when, QFileDevice::FileModificationTime));
}

void writeGarbage(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

class MainWindowPanesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void startupListsDatabasesOldestFirst();
    void emptyDataFolderShowsBothRoots();
    void rootSelectionEmptiesEverything_data();
    void rootSelectionEmptiesEverything();
    void actionRules_data();
    void actionRules();
    void selectingDatabaseListsContacts();
    void groupNarrowsListAndSearchKeepsGroup();
    void search_data();
    void search();
    void emptyResultClearsCard();
    void selectingAnotherNodeClearsKeyword();
    void cardFollowsContactSelection();
    void treeClickClearsContactSelection();
    void unreadableDatabase_data();
    void unreadableDatabase();
    void searchFailureShowsError();
    void showContacts();

private:
    void openWindow();
    [[nodiscard]] QString dbPath(const QString &name) const { return m_dataDir.filePath(name); }
    void makeSampleDbs();
    [[nodiscard]] Tree *tree() const;
    [[nodiscard]] QModelIndex nodeIndex(const QString &name) const;
    void select(const QString &name);
    [[nodiscard]] QStringList listed() const;
    [[nodiscard]] QString cardName() const;
    [[nodiscard]] QStringList enabledActions() const;
    template <typename T>
    T *find(const char *name) const
    {
        return m_window->findChild<T *>(QLatin1String(name));
    }

    QTemporaryDir m_home;
    QDir m_dataDir;
    QTranslator m_translator;
    std::unique_ptr<ModalAnswers> m_answers;
    std::unique_ptr<MainWindow> m_window;
};

void MainWindowPanesTest::initTestCase()
{
    QVERIFY(m_home.isValid());
    qputenv("HOME", m_home.path().toUtf8());
    qunsetenv("XDG_DATA_HOME");
    QVERIFY(m_translator.load(QStringLiteral(":/en.qm")));
    QCoreApplication::installTranslator(&m_translator);
    m_dataDir.setPath(platform::localDbFolder());
    QVERIFY(m_dataDir.absolutePath().startsWith(m_home.path()));
}

void MainWindowPanesTest::init()
{
    QVERIFY(m_dataDir.removeRecursively());
    QVERIFY(m_dataDir.mkpath(QStringLiteral(".")));
    m_answers = std::make_unique<ModalAnswers>();
}

void MainWindowPanesTest::cleanup()
{
    m_window.reset();
    QVERIFY2(m_answers->problems().isEmpty(), qPrintable(m_answers->problems().join(u'\n')));
    m_answers.reset();
}

void MainWindowPanesTest::openWindow()
{
    m_window = std::make_unique<MainWindow>();
    m_window->resize(1000, 600);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void MainWindowPanesTest::makeSampleDbs()
{
    panetest::makeDb(dbPath(QStringLiteral("people.db")),
                     {person(QStringLiteral("Dan Ek"), QStringLiteral("dan@ek.se")),
                      person(QStringLiteral("Bob Stone"), QStringLiteral("bob@annex.org"), QStringLiteral("555-02")),
                      person(QStringLiteral("Ann Lee"), QStringLiteral("ann@lee.net"), QStringLiteral("555-01")),
                      person(QStringLiteral("Carla Diaz"), QStringLiteral("carla@diaz.es"))},
                     {QString(), QStringLiteral("Work"), QStringLiteral("Friends"), QStringLiteral("Friends")});
    panetest::makeDb(dbPath(QStringLiteral("other.db")), {person(QStringLiteral("Zed"), QStringLiteral("z@z.z"))});
    setModified(dbPath(QStringLiteral("people.db")), QDateTime::currentDateTime().addDays(-2));
}

Tree *MainWindowPanesTest::tree() const
{
    return qobject_cast<Tree *>(find<MyTreeView>("treeMain")->model());
}

QModelIndex MainWindowPanesTest::nodeIndex(const QString &name) const
{
    const QModelIndexList found = tree()->match(tree()->index(0, 0), Qt::DisplayRole, name, 1,
                                                Qt::MatchExactly | Qt::MatchRecursive | Qt::MatchWrap);
    return found.value(0);
}

void MainWindowPanesTest::select(const QString &name)
{
    const QModelIndex index = nodeIndex(name);
    QVERIFY2(index.isValid(), qPrintable(name));
    find<MyTreeView>("treeMain")->setCurrentIndex(index);
}

QStringList MainWindowPanesTest::listed() const
{
    QStringList names;
    const QAbstractItemModel *model = find<MyTreeView>("treeContacts")->model();
    for (int row = 0; row < model->rowCount(); ++row)
        names << model->index(row, 0).data().toString();
    return names;
}

QString MainWindowPanesTest::cardName() const
{
    auto *label = find<ContactDisplayer>("wdContactInfo")->widget()->findChild<QLabel *>(QStringLiteral("lbName"));
    return label ? label->text().section(u'\n', 0, 0) : QString();
}

QStringList MainWindowPanesTest::enabledActions() const
{
    QStringList names;
    for (const QString &name : switchedActions) {
        if (m_window->findChild<QAction *>(name)->isEnabled())
            names << name;
    }
    return names;
}

void MainWindowPanesTest::startupListsDatabasesOldestFirst()
{
    const QDateTime now = QDateTime::currentDateTime();
    for (const auto &[name, age] : {std::pair{"newest.db", 1}, std::pair{"oldest.db", 30}, std::pair{"middle.db", 10},
                                    std::pair{"Also-middle.db", 10}}) {
        panetest::makeDb(dbPath(QLatin1String(name)));
        setModified(dbPath(QLatin1String(name)), now.addDays(-age));
    }
    // Neither a folder nor a file of another kind is a database.
    QVERIFY(m_dataDir.mkdir(QStringLiteral("folder.db")));
    writeGarbage(dbPath(QStringLiteral("notes.txt")), "hello");
    openWindow();

    QCOMPARE(tree()->rowCount(), 2);
    QCOMPARE(tree()->index(0, 0).data().toString(), QStringLiteral("Devices"));
    QStringList names;
    for (const Tree::_DBItemNode *node : tree()->localDbNodes()) {
        names << node->name;
        QCOMPARE(node->type, int(Tree::LocalDbNode));
        QVERIFY(node->deviceId.isEmpty());
        QCOMPARE(node->db->path(), dbPath(node->name));
        QVERIFY(node->db->combineRule());
    }
    QCOMPARE(names, (QStringList{"oldest.db", "Also-middle.db", "middle.db", "newest.db"}));
    auto *view = find<MyTreeView>("treeMain");
    QVERIFY(view->isExpanded(tree()->index(0, 0)));
    QVERIFY(view->isExpanded(tree()->index(1, 0)));
    // Groups are read when a database is first selected, not before.
    for (const Tree::_DBItemNode *node : tree()->localDbNodes())
        QVERIFY(node->children.isEmpty());
    QVERIFY(view->selectionModel()->selectedIndexes().isEmpty());
}

void MainWindowPanesTest::emptyDataFolderShowsBothRoots()
{
    openWindow();
    QCOMPARE(tree()->rowCount(), 2);
    QCOMPARE(tree()->index(0, 0).data().toString(), QStringLiteral("Devices"));
    QCOMPARE(tree()->index(1, 0).data().toString(), QStringLiteral("Local Databases"));
    QCOMPARE(tree()->rowCount(tree()->index(1, 0)), 0);
    QCOMPARE(find<QLabel>("lbTotal")->text(), QStringLiteral("Total:0"));
    QCOMPARE(listed(), QStringList());
}

void MainWindowPanesTest::rootSelectionEmptiesEverything_data()
{
    QTest::addColumn<QString>("root");
    QTest::newRow("devices") << "Devices";
    QTest::newRow("local databases") << "Local Databases";
}

void MainWindowPanesTest::rootSelectionEmptiesEverything()
{
    QFETCH(QString, root);
    makeSampleDbs();
    openWindow();
    select(QStringLiteral("people.db"));
    find<MyTreeView>("treeContacts")->setCurrentIndex(find<MyTreeView>("treeContacts")->model()->index(1, 0));
    QVERIFY(!cardName().isEmpty());
    QVERIFY(!enabledActions().isEmpty());

    select(root);
    QCOMPARE(enabledActions(), QStringList());
    QVERIFY(m_window->findChild<QAction *>(QStringLiteral("actImport"))->isEnabled());
    QCOMPARE(listed(), QStringList());
    QCOMPARE(find<QLabel>("lbTotal")->text(), QStringLiteral("Total:0"));
    QVERIFY(find<ContactDisplayer>("wdContactInfo")->widget()->findChildren<QWidget *>().isEmpty());
}

void MainWindowPanesTest::actionRules_data()
{
    QTest::addColumn<int>("androids");
    QTest::addColumn<bool>("otherPhone");
    QTest::addColumn<QString>("pick");
    QTest::addColumn<QStringList>("enabled");
    const QStringList all = switchedActions;
    const QStringList common{"actExport", "actPrint", "actNewContact", "actDelete"};
    QTest::newRow("database, no phone") << 0 << false << "people.db" << common;
    QTest::newRow("database, one android") << 1 << false << "people.db" << (QStringList{"actDB2A"} + common);
    QTest::newRow("database group, two androids") << 2 << false << "Friends" << (QStringList{"actDB2A"} + common);
    QTest::newRow("database, other phone only") << 0 << true << "people.db" << common;
    QTest::newRow("android, alone") << 1 << false << "Phone 1" << (QStringList{"actBackup"} + common);
    QTest::newRow("android, with another") << 2 << false << "Phone 2" << (QStringList{"actBackup", "actA2A"} + common);
    QTest::newRow("android, with another kind") << 1 << true << "Phone 1" << (QStringList{"actBackup"} + common);
    QTest::newRow("android group, with another") << 2 << false << "Gym 1" << (QStringList{"actBackup", "actA2A"} + common);
    QTest::newRow("other kind of phone") << 2 << true << "Other phone"
                                         << QStringList{"actBackup", "actExport", "actPrint"};
}

void MainWindowPanesTest::actionRules()
{
    QFETCH(int, androids);
    QFETCH(bool, otherPhone);
    QFETCH(QString, pick);
    QFETCH(QStringList, enabled);
    makeSampleDbs();
    openWindow();
    for (int i = 1; i <= androids; ++i) {
        auto db = panetest::makeDb(dbPath(QStringLiteral("cache%1").arg(i)), {person(QStringLiteral("P"), "p@p")},
                                   {QStringLiteral("Gym %1").arg(i)});
        tree()->addDevice(db, QStringLiteral("Phone %1").arg(i), QStringLiteral("serial-%1").arg(i), 2);
    }
    if (otherPhone) {
        auto db = panetest::makeDb(dbPath(QStringLiteral("cache-other")), {person(QStringLiteral("Q"), "q@q")});
        tree()->addDevice(db, QStringLiteral("Other phone"), QStringLiteral("serial-x"), 1);
    }
    // Groups show once their database has been selected.
    select(QStringLiteral("people.db"));
    for (Tree::_DBItemNode *node : tree()->deviceNodes())
        tree()->loadGroups(node);
    select(QStringLiteral("Devices"));
    select(pick);
    QCOMPARE(enabledActions(), enabled);
}

void MainWindowPanesTest::selectingDatabaseListsContacts()
{
    makeSampleDbs();
    openWindow();
    select(QStringLiteral("people.db"));
    // A stale keyword and banner from an earlier search go away.
    find<QLineEdit>("txtKeyword")->setText(QStringLiteral("ann"));
    find<QToolButton>("btnSearch")->click();
    QVERIFY(find<QLabel>("lbDisplayKeyword")->isVisible());
    select(QStringLiteral("Local Databases"));
    select(QStringLiteral("people.db"));

    QCOMPARE(listed(), (QStringList{"Ann Lee", "Bob Stone", "Carla Diaz", "Dan Ek"}));
    QCOMPARE(find<QLabel>("lbTotal")->text(), QStringLiteral("Total:4"));
    auto *contacts = find<MyTreeView>("treeContacts");
    QCOMPARE(contacts->currentIndex().row(), 0);
    QVERIFY(contacts->selectionModel()->selectedIndexes().isEmpty());
    QCOMPARE(cardName(), QString());
    QVERIFY(find<QLineEdit>("txtKeyword")->text().isEmpty());
    QVERIFY(find<QLabel>("lbDisplayKeyword")->isHidden());

    const QModelIndex node = nodeIndex(QStringLiteral("people.db"));
    QVERIFY(find<MyTreeView>("treeMain")->isExpanded(node));
    QStringList groups;
    for (int row = 0; row < tree()->rowCount(node); ++row)
        groups << tree()->index(row, 0, node).data().toString();
    QCOMPARE(groups, (QStringList{"Friends", "Work"}));

    // The columns of a listed row.
    const QAbstractItemModel *model = contacts->model();
    QCOMPARE(model->index(1, 1).data().toString(), QStringLiteral("555-02"));
    QCOMPARE(model->index(1, 2).data().toString(), QStringLiteral("bob@annex.org"));
}

void MainWindowPanesTest::groupNarrowsListAndSearchKeepsGroup()
{
    makeSampleDbs();
    openWindow();
    select(QStringLiteral("people.db"));
    select(QStringLiteral("Friends"));
    QCOMPARE(listed(), (QStringList{"Ann Lee", "Carla Diaz"}));
    QCOMPARE(find<QLabel>("lbTotal")->text(), QStringLiteral("Total:2"));
    QVERIFY(find<MyTreeView>("treeMain")->currentIndex() == nodeIndex(QStringLiteral("Friends")));

    // Bob's e-mail also holds "ann", but Bob is not a friend.
    find<QLineEdit>("txtKeyword")->setText(QStringLiteral("ann"));
    QTest::keyClick(find<QLineEdit>("txtKeyword"), Qt::Key_Return);
    QCOMPARE(listed(), QStringList{"Ann Lee"});
    QCOMPARE(find<QLabel>("lbDisplayKeyword")->text(), QStringLiteral("Keyword:ann"));
    QCOMPARE(find<MyTreeView>("treeMain")->currentIndex(), nodeIndex(QStringLiteral("Friends")));

    select(QStringLiteral("Work"));
    QCOMPARE(listed(), QStringList{"Bob Stone"});
}

void MainWindowPanesTest::search_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<bool>("byEnter");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("banner");
    QTest::newRow("button") << "ann" << false << QStringList{"Ann Lee", "Bob Stone"} << "Keyword:ann";
    QTest::newRow("enter, other case") << "ANN" << true << QStringList{"Ann Lee", "Bob Stone"} << "Keyword:ANN";
    QTest::newRow("blanks around") << "  carla \t" << false << QStringList{"Carla Diaz"} << "Keyword:carla";
    QTest::newRow("phone number") << "555-01" << true << QStringList{"Ann Lee"} << "Keyword:555-01";
    QTest::newRow("markup is shown as typed") << "<b>nn</b>" << false << QStringList{} << "Keyword:<b>nn</b>";
    QTest::newRow("only blanks") << "   " << false << QStringList{"Ann Lee", "Bob Stone", "Carla Diaz", "Dan Ek"}
                                 << "";
    QTest::newRow("empty") << "" << true << QStringList{"Ann Lee", "Bob Stone", "Carla Diaz", "Dan Ek"} << "";
}

void MainWindowPanesTest::search()
{
    QFETCH(QString, keyword);
    QFETCH(bool, byEnter);
    QFETCH(QStringList, expected);
    QFETCH(QString, banner);
    makeSampleDbs();
    openWindow();
    select(QStringLiteral("people.db"));
    // A banner from an earlier search must not outlive a blank one.
    find<QLineEdit>("txtKeyword")->setText(QStringLiteral("dan"));
    find<QToolButton>("btnSearch")->click();
    QCOMPARE(listed(), QStringList{"Dan Ek"});

    find<QLineEdit>("txtKeyword")->setText(keyword);
    if (byEnter)
        QTest::keyClick(find<QLineEdit>("txtKeyword"), Qt::Key_Enter);
    else
        QTest::mouseClick(find<QToolButton>("btnSearch"), Qt::LeftButton);
    QCOMPARE(listed(), expected);
    QCOMPARE(find<QLabel>("lbTotal")->text(), QStringLiteral("Total:%1").arg(expected.size()));
    auto *label = find<QLabel>("lbDisplayKeyword");
    QCOMPARE(label->isVisible(), !banner.isEmpty());
    QCOMPARE(label->textFormat(), Qt::PlainText);
    if (!banner.isEmpty())
        QCOMPARE(label->text(), banner);
    if (expected.isEmpty())
        return;
    // The first hit is current and selected, so the card shows it.
    auto *contacts = find<MyTreeView>("treeContacts");
    QCOMPARE(contacts->currentIndex().row(), 0);
    QVERIFY(contacts->selectionModel()->isRowSelected(0, QModelIndex()));
    QCOMPARE(cardName(), expected.first());
}

void MainWindowPanesTest::emptyResultClearsCard()
{
    makeSampleDbs();
    openWindow();
    select(QStringLiteral("people.db"));
    auto *contacts = find<MyTreeView>("treeContacts");
    contacts->setCurrentIndex(contacts->model()->index(2, 0));
    QCOMPARE(cardName(), QStringLiteral("Carla Diaz"));
    find<QLineEdit>("txtKeyword")->setText(QStringLiteral("nobody-at-all"));
    find<QToolButton>("btnSearch")->click();
    QCOMPARE(listed(), QStringList());
    QCOMPARE(find<QLabel>("lbTotal")->text(), QStringLiteral("Total:0"));
    QVERIFY(!contacts->currentIndex().isValid());
    QCOMPARE(cardName(), QString());
    QVERIFY(find<ContactDisplayer>("wdContactInfo")->widget()->findChildren<QWidget *>().isEmpty());
    QCOMPARE(find<QLabel>("lbDisplayKeyword")->text(), QStringLiteral("Keyword:nobody-at-all"));
}

void MainWindowPanesTest::selectingAnotherNodeClearsKeyword()
{
    makeSampleDbs();
    openWindow();
    select(QStringLiteral("people.db"));
    find<QLineEdit>("txtKeyword")->setText(QStringLiteral("bob"));
    find<QToolButton>("btnSearch")->click();
    QCOMPARE(listed(), QStringList{"Bob Stone"});
    select(QStringLiteral("other.db"));
    QCOMPARE(listed(), QStringList{"Zed"});
    QVERIFY(find<QLineEdit>("txtKeyword")->text().isEmpty());
    QVERIFY(find<QLabel>("lbDisplayKeyword")->isHidden());
    // A later search without a keyword lists the whole database again.
    find<QToolButton>("btnSearch")->click();
    QCOMPARE(listed(), QStringList{"Zed"});
}

void MainWindowPanesTest::cardFollowsContactSelection()
{
    makeSampleDbs();
    openWindow();
    select(QStringLiteral("people.db"));
    auto *contacts = find<MyTreeView>("treeContacts");
    QItemSelectionModel *selection = contacts->selectionModel();
    const QAbstractItemModel *model = contacts->model();
    const auto rows = QItemSelectionModel::Select | QItemSelectionModel::Rows;

    selection->select(model->index(2, 0), rows);
    QCOMPARE(cardName(), QStringLiteral("Carla Diaz"));
    // The most recently added row is shown.
    selection->select(model->index(0, 0), rows);
    QCOMPARE(cardName(), QStringLiteral("Ann Lee"));
    // A change that only removes rows clears the card.
    selection->select(model->index(0, 0), QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    QCOMPARE(cardName(), QString());
    // An index without a contact (not the name column) clears it too.
    selection->select(model->index(3, 0), rows);
    QCOMPARE(cardName(), QStringLiteral("Dan Ek"));
    m_window->onContactsTreeItemSelected(QItemSelection(model->index(1, 2), model->index(1, 2)), QItemSelection());
    QCOMPARE(cardName(), QString());
}

void MainWindowPanesTest::treeClickClearsContactSelection()
{
    makeSampleDbs();
    openWindow();
    select(QStringLiteral("people.db"));
    auto *contacts = find<MyTreeView>("treeContacts");
    contacts->setCurrentIndex(contacts->model()->index(1, 0));
    QCOMPARE(cardName(), QStringLiteral("Bob Stone"));
    auto *treeMain = find<MyTreeView>("treeMain");
    const QRect rect = treeMain->visualRect(nodeIndex(QStringLiteral("people.db")));
    QVERIFY(rect.isValid());
    QTest::mouseClick(treeMain->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    QVERIFY(contacts->selectionModel()->selectedIndexes().isEmpty());
    QCOMPARE(cardName(), QString());
}

void MainWindowPanesTest::unreadableDatabase_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("not a database") << QByteArray(8192, 'x');
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("truncated header") << QByteArray("SQLite format 3\0", 16);
}

void MainWindowPanesTest::unreadableDatabase()
{
    QFETCH(QByteArray, content);
    makeSampleDbs();
    writeGarbage(dbPath(QStringLiteral("broken.db")), content);
    openWindow();
    select(QStringLiteral("people.db"));
    QCOMPARE(listed().size(), 4);

    // While the box is up, the list no longer shows the previous database.
    int rowsUnderBox = -1;
    m_answers->answerMessageBox([this, &rowsUnderBox](QMessageBox &) {
        rowsUnderBox = find<MyTreeView>("treeContacts")->model()->rowCount();
        return QMessageBox::Ok;
    });
    select(QStringLiteral("broken.db"));
    QCOMPARE(m_answers->messageBoxes().size(), 1);
    QCOMPARE(rowsUnderBox, 0);
    const ModalAnswers::MessageBoxShown box = m_answers->messageBoxes().first();
    QCOMPARE(box.icon, QMessageBox::Critical);
    QVERIFY2(box.text.startsWith(QStringLiteral("An Error Occurred.")), qPrintable(box.text));
    QVERIFY2(box.text.contains(QStringLiteral("Error info: \"")), qPrintable(box.text));
    auto *treeMain = find<MyTreeView>("treeMain");
    QVERIFY(!treeMain->currentIndex().isValid());
    QVERIFY(treeMain->selectionModel()->selectedIndexes().isEmpty());
    QCOMPARE(listed(), QStringList());
    QCOMPARE(find<QLabel>("lbTotal")->text(), QStringLiteral("Total:0"));
    QCOMPARE(enabledActions(), QStringList());

    // The other databases keep working.
    select(QStringLiteral("other.db"));
    QCOMPARE(listed(), QStringList{"Zed"});
    select(QStringLiteral("Friends"));
    QCOMPARE(listed(), (QStringList{"Ann Lee", "Carla Diaz"}));
    QCOMPARE(m_answers->messageBoxes().size(), 1);
}

void MainWindowPanesTest::searchFailureShowsError()
{
    makeSampleDbs();
    openWindow();
    select(QStringLiteral("other.db"));
    QCOMPARE(listed(), QStringList{"Zed"});
    // The file goes bad behind the program's back.
    for (Tree::_DBItemNode *node : tree()->localDbNodes())
        node->db->close();
    writeGarbage(dbPath(QStringLiteral("other.db")), QByteArray(8192, 'y'));
    find<QLineEdit>("txtKeyword")->setText(QStringLiteral("zed"));
    find<QToolButton>("btnSearch")->click();
    QCOMPARE(m_answers->messageBoxes().size(), 1);
    QCOMPARE(m_answers->messageBoxes().first().icon, QMessageBox::Critical);
    QVERIFY(find<QLabel>("lbDisplayKeyword")->isHidden());
}

void MainWindowPanesTest::showContacts()
{
    openWindow();
    m_window->showContacts({contact(QStringLiteral("One")), contact(QStringLiteral("Two")),
                            contact(QStringLiteral("Three"))});
    QCOMPARE(find<QLabel>("lbTotal")->text(), QStringLiteral("Total:3"));
    auto *contacts = find<MyTreeView>("treeContacts");
    QCOMPARE(contacts->currentIndex(), contacts->model()->index(0, 0));
    QCOMPARE(cardName(), QStringLiteral("One"));
    m_window->showContacts({});
    QCOMPARE(find<QLabel>("lbTotal")->text(), QStringLiteral("Total:0"));
    QVERIFY(!contacts->currentIndex().isValid());
    QCOMPARE(cardName(), QString());
}

QTEST_MAIN(MainWindowPanesTest)
#include "mainwindowpanestest.moc"
