// The main window's commands without a phone link: the two choosers and
// their rules, both context menus, the File menu and tool bar dispatch
// between the selected rows and the whole node, backup into new and
// existing databases, the database folder, disconnecting a phone, and
// phones that go away while a command waits for the user.
#include "app/datasourceselform.h"
#include "app/localdbselform.h"
#include "app/mytreeview.h"
#include "commandfixture.h"
#include "contacts/localdb.h"
#include "contacts/localdbcombinerule.h"
#include "panetestutil.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDateTime>
#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QUrl>

using Tree = ItemModelMainTree;

namespace {

const QString warnEmpty = QStringLiteral("Select one Database or enter a new Database name");
const QString warnInvalid = QStringLiteral("Invalid Local Database name(can't contain \\ / : * ? \" < > |).");

QList<Contact> phoneContacts()
{
    return {person(QStringLiteral("Ann Lee"), QStringLiteral("ann@lee.net"), QStringLiteral("555-01")),
            person(QStringLiteral("Bob Stone"), QStringLiteral("bob@annex.org")),
            person(QStringLiteral("Carla Diaz"), QStringLiteral("carla@diaz.es"), QStringLiteral("555-03"))};
}

void setModified(const QString &path, const QDateTime &when)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(when, QFileDevice::FileModificationTime));
}

} // namespace

// Receives the URLs the window asks the desktop to open.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl &url) { urls << url; }
};

class MainWindowCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void chooserNameRules_data();
    void chooserNameRules();
    void chooserListsDatabasesOldestFirst();
    void dataSourceChooserHandsBackDeviceIds();
    void dataSourceChooserWithoutItemsWarns();

    void treeMenu_data();
    void treeMenu();
    void contactMenu_data();
    void contactMenu();
    void menuEntryRunsItsCommand();

    void backupDispatch_data();
    void backupDispatch();
    void backupIntoNewDatabase_data();
    void backupIntoNewDatabase();
    void backupIntoExistingDatabaseMerges();
    void backupOfGroupTakesGroupOnly();
    void existingDatabaseReused_data();
    void existingDatabaseReused();
    void backupIntoUnwritableFolderShowsError();
    void databaseErrorIsShown();

    void openFolder();
    void disconnectRemovesNode();
    void phoneGoneWhileChooserOpen();
    void phoneGoneWhileProgressOpen();

private:
    CommandFixture f;
};

void MainWindowCommandsTest::initTestCase()
{
    QVERIFY(f.setUpProgram());
}

void MainWindowCommandsTest::init()
{
    f.clearData();
}

void MainWindowCommandsTest::cleanup()
{
    const QString problems = f.closeWindow();
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
}

void MainWindowCommandsTest::chooserNameRules_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("warning");
    QTest::newRow("plain") << "Phone-backup" << "Phone-backup.db" << "";
    QTest::newRow("lower suffix kept") << "x.db" << "x.db" << "";
    QTest::newRow("upper suffix kept") << "x.DB" << "x.DB" << "";
    QTest::newRow("mixed suffix kept") << "x.dB" << "x.dB" << "";
    QTest::newRow("leading blank kept") << " lead" << " lead.db" << "";
    QTest::newRow("trailing blank kept") << "trail " << "trail .db" << "";
    QTest::newRow("other suffix") << "contacts.vcf" << "contacts.vcf.db" << "";
    QTest::newRow("unicode") << QString::fromUtf8("Телефон 电话") << QString::fromUtf8("Телефон 电话.db") << "";
    QTest::newRow("empty") << "" << "" << warnEmpty;
    QTest::newRow("blanks only") << "   " << "" << warnEmpty;
    QTest::newRow("slash") << "a/b" << "" << warnInvalid;
    QTest::newRow("backslash") << "a\\b" << "" << warnInvalid;
    QTest::newRow("colon") << "c:" << "" << warnInvalid;
    QTest::newRow("asterisk") << "*" << "" << warnInvalid;
    QTest::newRow("question mark") << "what?" << "" << warnInvalid;
    QTest::newRow("double quote") << "\"q\"" << "" << warnInvalid;
    QTest::newRow("less than") << "a<b" << "" << warnInvalid;
    QTest::newRow("greater than") << "a>b" << "" << warnInvalid;
    QTest::newRow("bar") << "a|b" << "" << warnInvalid;
    QTest::newRow("path") << "../escape" << "" << warnInvalid;
}

void MainWindowCommandsTest::chooserNameRules()
{
    QFETCH(QString, typed);
    QFETCH(QString, result);
    QFETCH(QString, warning);
    f.answerChooser(typed);
    LocalDbSelForm form(nullptr, QString());
    QCOMPARE(form.selectedDatabaseName(), result);
    QCOMPARE(form.enteredName(), typed);
    QCOMPARE(f.answers().messageBoxTexts(), warning.isEmpty() ? QStringList() : QStringList{warning});
    if (!warning.isEmpty())
        QCOMPARE(f.answers().messageBoxes().first().icon, QMessageBox::Warning);
    QCOMPARE(LocalDbSelForm::nameProblem(typed), warning);
}

void MainWindowCommandsTest::chooserListsDatabasesOldestFirst()
{
    panetest::makeDb(f.dbPath(QStringLiteral("new.db")));
    panetest::makeDb(f.dbPath(QStringLiteral("old.db")));
    panetest::makeDb(f.dbPath(QStringLiteral("middle.db")));
    QFile(f.dbPath(QStringLiteral("notes.txt"))).open(QIODevice::WriteOnly);
    QDir().mkpath(f.dbPath(QStringLiteral("folder.db")));
    setModified(f.dbPath(QStringLiteral("old.db")), QDateTime::currentDateTime().addDays(-3));
    setModified(f.dbPath(QStringLiteral("middle.db")), QDateTime::currentDateTime().addDays(-2));

    QStringList items;
    QString suggested;
    f.answerChooser(QStringLiteral("x"), &items, &suggested);
    LocalDbSelForm form(nullptr, QStringLiteral("Phone-backup.db"));
    QCOMPARE(form.findChild<QComboBox *>(QStringLiteral("cbLocalDbNames"))->isEditable(), true);
    QCOMPARE(form.selectedDatabaseName(), QStringLiteral("x.db"));
    QCOMPARE(items, (QStringList{"", "old.db", "middle.db", "new.db"}));
    QCOMPARE(suggested, QStringLiteral("Phone-backup.db"));

    LocalDbSelForm plain(nullptr, QString());
    auto *combo = plain.findChild<QComboBox *>(QStringLiteral("cbLocalDbNames"));
    QCOMPARE(combo->currentIndex(), -1);
    QCOMPARE(combo->currentText(), QString());
    QCOMPARE(plain.size(), QSize(423, 156));
    QVERIFY(plain.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(plain.findChild<QLabel *>(QStringLiteral("label"))->text(),
             QStringLiteral("Select Database or enter a new Database name:"));
    QCOMPARE(plain.findChild<QAbstractButton *>(QStringLiteral("btnOK"))->text(), QStringLiteral("Confirm"));
    QCOMPARE(plain.findChild<QAbstractButton *>(QStringLiteral("btnClose"))->text(), QStringLiteral("Cancel"));
}

void MainWindowCommandsTest::dataSourceChooserHandsBackDeviceIds()
{
    QStringList shown;
    f.answers().answerDialog([&shown](QDialog &dialog) {
        auto *combo = dialog.findChild<QComboBox *>(QStringLiteral("cbDevice"));
        for (int i = 0; i < combo->count(); ++i)
            shown << combo->itemText(i);
        shown << dialog.findChild<QLabel *>(QStringLiteral("lbSelDevice"))->text();
        if (combo->currentIndex() != 0)
            return int(QDialog::Rejected);
        combo->setCurrentIndex(1);
        dialog.findChild<QAbstractButton *>(QStringLiteral("btnOK"))->click();
        return dialog.result();
    });
    DataSourceSelForm form;
    QCOMPARE(form.size(), QSize(421, 152));
    const QString chosen = form.selectDataSource(QStringLiteral("Pick one"),
                                                 {{QStringLiteral(":res/icon_android.png"), QStringLiteral("One"),
                                                   QStringLiteral("ID-1")},
                                                  {QStringLiteral(":res/icon_android.png"), QStringLiteral("Two"),
                                                   QStringLiteral("ID-2")}});
    QCOMPARE(chosen, QStringLiteral("ID-2"));
    QCOMPARE(shown, (QStringList{"One", "Two", "Pick one"}));

    f.answers().answerDialog(QDialog::Rejected);
    DataSourceSelForm cancelled;
    QCOMPARE(cancelled.selectDataSource(QStringLiteral("p"), {{QString(), QStringLiteral("One"), QStringLiteral("A")}}),
             QString());
}

void MainWindowCommandsTest::dataSourceChooserWithoutItemsWarns()
{
    bool stayedOpen = false;
    f.answers().answerDialog([&stayedOpen](QDialog &dialog) {
        dialog.findChild<QAbstractButton *>(QStringLiteral("btnOK"))->click();
        stayedOpen = dialog.result() != QDialog::Accepted;
        dialog.reject();
        return dialog.result();
    });
    DataSourceSelForm form;
    QCOMPARE(form.selectDataSource(QStringLiteral("p"), {}), QString());
    QVERIFY(stayedOpen);
    QCOMPARE(f.answers().messageBoxTexts(), QStringList{QStringLiteral("Please select one datasource.")});
}

void MainWindowCommandsTest::treeMenu_data()
{
    QTest::addColumn<QString>("node");
    QTest::addColumn<int>("phones");
    QTest::addColumn<QStringList>("entries");   // empty: no menu at all
    const QStringList none;
    QTest::newRow("local databases root") << "Local Databases" << 1
                                          << QStringList{"miOpenFolder", "miImport"};
    QTest::newRow("devices root") << "Devices" << 2 << none;
    QTest::newRow("one phone") << "Phone A" << 1
                               << QStringList{"miTreeBackup", "miTreeA2A(disabled)", "|", "miTreeExport",
                                              "miTreePrint", "miNewContact", "miTreeDel", "|", "miTreeUnmount"};
    QTest::newRow("two phones") << "Phone A" << 2
                                << QStringList{"miTreeBackup", "miTreeA2A", "|", "miTreeExport", "miTreePrint",
                                               "miNewContact", "miTreeDel", "|", "miTreeUnmount"};
    QTest::newRow("group under phone") << "Family" << 2
                                       << QStringList{"miTreeBackup", "miTreeA2A", "|", "miTreeExport",
                                                      "miTreePrint", "miNewContact", "miTreeDel", "|"};
    QTest::newRow("database, no phone") << "people.db" << 0
                                        << QStringList{"miTreeDB2A(disabled)", "|", "miTreeExport", "miTreePrint",
                                                       "miNewContact", "miTreeDel"};
    QTest::newRow("database, a phone") << "people.db" << 1
                                       << QStringList{"miTreeDB2A", "|", "miTreeExport", "miTreePrint",
                                                      "miNewContact", "miTreeDel"};
    QTest::newRow("group under database") << "Work" << 1
                                          << QStringList{"miTreeDB2A", "|", "miTreeExport", "miTreePrint",
                                                         "miNewContact", "miTreeDel"};
}

void MainWindowCommandsTest::treeMenu()
{
    QFETCH(QString, node);
    QFETCH(int, phones);
    QFETCH(QStringList, entries);
    panetest::makeDb(f.dbPath(QStringLiteral("people.db")), phoneContacts(), {"Work", "", ""});
    f.openWindow();
    for (int i = 0; i < phones; ++i) {
        Tree::_DBItemNode *phone = f.addPhone(QStringLiteral("Phone %1").arg(QChar(u'A' + i)),
                                              QStringLiteral("ID-%1").arg(i), {});
        phone->db->setContactGroup(0, phone->db->findOrCreateGroup(QStringLiteral("Family")),
                                   QStringLiteral("Family"));
        f.tree()->loadGroups(phone);
    }
    // Groups of a database show once it has been selected.
    QVERIFY(f.select(QStringLiteral("people.db")));
    f.treeMain()->expandAll();
    QVERIFY(f.select(node));
    QStringList shown;
    if (!entries.isEmpty())
        f.answerMenu(QString(), &shown);
    emit f.treeMain()->createContextMenu();
    QCOMPARE(f.answers().menusShown(), entries.isEmpty() ? 0 : 1);
    QCOMPARE(shown, entries);
}

void MainWindowCommandsTest::contactMenu_data()
{
    QTest::addColumn<QString>("node");
    QTest::addColumn<int>("phones");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("nothing selected") << "people.db" << 1 << QList<int>{} << QStringList{};
    QTest::newRow("database, one row")
        << "people.db" << 1 << QList<int>{0}
        << QStringList{"miContactDB2A", "|", "miContactExport", "miContactPrint", "miContactEdit",
                       "miContactSetGroup", "miContactDel"};
    QTest::newRow("database, two rows, no phone")
        << "people.db" << 0 << QList<int>{0, 2}
        << QStringList{"miContactDB2A(disabled)", "|", "miContactExport", "miContactPrint",
                       "miContactEdit(disabled)", "miContactSetGroup", "miContactDel"};
    QTest::newRow("one phone")
        << "Phone A" << 1 << QList<int>{1}
        << QStringList{"miContactBackup", "miContactA2A(disabled)", "|", "miContactExport", "miContactPrint",
                       "miContactEdit", "miContactSetGroup", "miContactDel"};
    QTest::newRow("two phones, all rows")
        << "Phone B" << 2 << QList<int>{0, 1, 2}
        << QStringList{"miContactBackup", "miContactA2A", "|", "miContactExport", "miContactPrint",
                       "miContactEdit(disabled)", "miContactSetGroup", "miContactDel"};
    QTest::newRow("group of database") << "Work" << 1 << QList<int>{0}
                                       << QStringList{"miContactDB2A", "|", "miContactExport", "miContactPrint",
                                                      "miContactEdit", "miContactSetGroup", "miContactDel"};
}

void MainWindowCommandsTest::contactMenu()
{
    QFETCH(QString, node);
    QFETCH(int, phones);
    QFETCH(QList<int>, rows);
    QFETCH(QStringList, entries);
    panetest::makeDb(f.dbPath(QStringLiteral("people.db")), phoneContacts(), {"Work", "", ""});
    f.openWindow();
    for (int i = 0; i < phones; ++i)
        f.addPhone(QStringLiteral("Phone %1").arg(QChar(u'A' + i)), QStringLiteral("ID-%1").arg(i), phoneContacts());
    QVERIFY(f.select(QStringLiteral("people.db")));
    f.treeMain()->expandAll();
    QVERIFY(f.select(node));
    f.selectRows(rows);
    QStringList shown;
    if (!entries.isEmpty())
        f.answerMenu(QString(), &shown);
    emit f.treeContacts()->createContextMenu();
    QCOMPARE(f.answers().menusShown(), entries.isEmpty() ? 0 : 1);
    QCOMPARE(shown, entries);
}

void MainWindowCommandsTest::menuEntryRunsItsCommand()
{
    f.openWindow();
    f.addPhone(QStringLiteral("Phone A"), QStringLiteral("ID-A"), phoneContacts());
    QVERIFY(f.select(QStringLiteral("Phone A")));
    f.selectRows({1});
    // Backup selected contacts from the list's menu, then the whole phone
    // from the tree's menu, each into its own database.
    f.answerMenu(QStringLiteral("miContactBackup"));
    f.answerChooser(QStringLiteral("picked"));
    emit f.treeContacts()->createContextMenu();
    QCOMPARE(CommandFixture::namesIn(f.dbPath(QStringLiteral("picked.db"))), QStringList{"Bob Stone"});

    QVERIFY(f.select(QStringLiteral("Phone A")));
    f.answerMenu(QStringLiteral("miTreeBackup"));
    f.answerChooser(QStringLiteral("all"));
    emit f.treeMain()->createContextMenu();
    QCOMPARE(CommandFixture::namesIn(f.dbPath(QStringLiteral("all.db"))),
             (QStringList{"Ann Lee", "Bob Stone", "Carla Diaz"}));
    QCOMPARE(f.answers().dialogs(), (QStringList{"LocalDbSelForm", "ProgressForm", "LocalDbSelForm", "ProgressForm"}));

    // A disabled entry runs nothing.
    QVERIFY(f.select(QStringLiteral("Phone A")));
    f.answerMenu(QStringLiteral("miTreeA2A"));
    emit f.treeMain()->createContextMenu();
    QCOMPARE(f.answers().dialogs().size(), 4);
}

void MainWindowCommandsTest::backupDispatch_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QStringList>("saved");
    QTest::newRow("tool bar, no selection") << "actBackup" << QList<int>{}
                                            << QStringList{"Ann Lee", "Bob Stone", "Carla Diaz"};
    QTest::newRow("tool bar, two rows") << "actBackup" << QList<int>{0, 2} << QStringList{"Ann Lee", "Carla Diaz"};
    QTest::newRow("tool bar, one row") << "actBackup" << QList<int>{1} << QStringList{"Bob Stone"};
}

void MainWindowCommandsTest::backupDispatch()
{
    QFETCH(QString, action);
    QFETCH(QList<int>, rows);
    QFETCH(QStringList, saved);
    f.openWindow();
    f.addPhone(QStringLiteral("Pixel"), QStringLiteral("ID-P"), phoneContacts());
    QVERIFY(f.select(QStringLiteral("Pixel")));
    f.selectRows(rows);
    QString suggested;
    f.answerChooser(QStringLiteral("out"), nullptr, &suggested);
    f.trigger(action.toLatin1().constData());
    QCOMPARE(suggested, QStringLiteral("Pixel-backup.db"));
    QCOMPARE(CommandFixture::namesIn(f.dbPath(QStringLiteral("out.db"))), saved);
}

void MainWindowCommandsTest::backupIntoNewDatabase_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("file");
    QTest::newRow("suggested") << "Pixel-backup.db" << "Pixel-backup.db";
    QTest::newRow("suffix appended") << "Phone-backup" << "Phone-backup.db";
    QTest::newRow("upper suffix kept") << "x.DB" << "x.DB";
    QTest::newRow("leading blank") << " spaced" << " spaced.db";
}

void MainWindowCommandsTest::backupIntoNewDatabase()
{
    QFETCH(QString, typed);
    QFETCH(QString, file);
    f.openWindow();
    f.addPhone(QStringLiteral("Pixel"), QStringLiteral("ID-P"), phoneContacts());
    QVERIFY(f.select(QStringLiteral("Pixel")));
    f.answerChooser(typed);
    f.trigger("actBackup");
    QVERIFY(QFileInfo(f.dbPath(file)).isFile());
    QCOMPARE(f.nodeNames(f.tree()->localDbsRoot()), QStringList{file});
    QCOMPARE(f.currentNodeName(), file);
    QCOMPARE(f.listed(), (QStringList{"Ann Lee", "Bob Stone", "Carla Diaz"}));
    QCOMPARE(f.answers().messageBoxTexts(),
             QStringList{QStringLiteral("Successfully backup 3 contacts to Local Database.")});
    QCOMPARE(f.answers().dialogs(), (QStringList{"LocalDbSelForm", "ProgressForm"}));
}

void MainWindowCommandsTest::backupIntoExistingDatabaseMerges()
{
    panetest::makeDb(f.dbPath(QStringLiteral("archive.db")),
                     {person(QStringLiteral("Bob Stone"), QStringLiteral("bob@old.org")),
                      person(QStringLiteral("Zed"), QStringLiteral("z@z.z"))},
                     {"Old friends", ""});
    f.openWindow();
    f.addPhone(QStringLiteral("Pixel"), QStringLiteral("ID-P"), phoneContacts());
    QVERIFY(f.select(QStringLiteral("Pixel")));
    QStringList items;
    f.answerChooser(QStringLiteral("archive.db"), &items);
    f.trigger("actBackup");
    QCOMPARE(items, (QStringList{"", "archive.db"}));
    QCOMPARE(f.answers().messageBoxTexts(),
             QStringList{QStringLiteral("Successfully backup 2 contacts to Local Database;1 repeated contacts merged.")});
    QCOMPARE(f.nodeNames(f.tree()->localDbsRoot()), QStringList{"archive.db"});
    QCOMPARE(f.currentNodeName(), QStringLiteral("archive.db"));
    QCOMPARE(f.listed(), (QStringList{"Ann Lee", "Bob Stone", "Carla Diaz", "Zed"}));
    // The merged contact keeps its old address and gains the new one; the
    // database's group shows under its node.
    LocalDb db(f.dbPath(QStringLiteral("archive.db")), std::make_shared<LocalDbCombineRule>());
    const Contact bob = db.loadContact(db.findContactIdByFullName(QStringLiteral("Bob Stone")));
    QStringList mails;
    for (const Entity &e : bob.entities.value(pim::ENTITY_EMAIL))
        mails << e.value(pim::data1).toString();
    mails.sort();
    QCOMPARE(mails, (QStringList{"bob@annex.org", "bob@old.org"}));
    QCOMPARE(f.nodeNames(f.tree()->localDbNodes().first()), QStringList{"Old friends"});
}

void MainWindowCommandsTest::backupOfGroupTakesGroupOnly()
{
    f.openWindow();
    Tree::_DBItemNode *phone = f.addPhone(QStringLiteral("Pixel"), QStringLiteral("ID-P"), phoneContacts());
    const qint64 friends = phone->db->findOrCreateGroup(QStringLiteral("Friends"));
    const qint64 carla = phone->db->findContactIdByFullName(QStringLiteral("Carla Diaz"));
    phone->db->setContactGroup(carla, friends, QStringLiteral("Friends"));
    f.tree()->loadGroups(phone);
    f.treeMain()->expandAll();
    QVERIFY(f.select(QStringLiteral("Friends")));
    QString suggested;
    f.answerChooser(QStringLiteral("friends"), nullptr, &suggested);
    f.trigger("actBackup");
    QCOMPARE(suggested, QStringLiteral("Pixel-backup.db"));
    QCOMPARE(CommandFixture::namesIn(f.dbPath(QStringLiteral("friends.db"))), QStringList{"Carla Diaz"});
}

void MainWindowCommandsTest::existingDatabaseReused_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("exact name") << "Archive.db";
    QTest::newRow("without suffix") << "Archive";
    QTest::newRow("other letter case") << "ARCHIVE.DB";
    QTest::newRow("lower case") << "archive";
}

void MainWindowCommandsTest::existingDatabaseReused()
{
    QFETCH(QString, typed);
    panetest::makeDb(f.dbPath(QStringLiteral("Archive.db")), {person(QStringLiteral("Zed"), QStringLiteral("z@z.z"))});
    f.openWindow();
    f.addPhone(QStringLiteral("Pixel"), QStringLiteral("ID-P"), phoneContacts());
    QVERIFY(f.select(QStringLiteral("Pixel")));
    f.answerChooser(typed);
    f.trigger("actBackup");
    QCOMPARE(f.nodeNames(f.tree()->localDbsRoot()), QStringList{"Archive.db"});
    QCOMPARE(QDir(f.dbPath(QString())).entryList(QDir::Files), QStringList{"Archive.db"});
    QCOMPARE(CommandFixture::namesIn(f.dbPath(QStringLiteral("Archive.db"))),
             (QStringList{"Ann Lee", "Bob Stone", "Carla Diaz", "Zed"}));
    QCOMPARE(f.currentNodeName(), QStringLiteral("Archive.db"));
}

void MainWindowCommandsTest::backupIntoUnwritableFolderShowsError()
{
    // A folder where the new database file should go makes creating it fail.
    QVERIFY(QDir().mkpath(f.dbPath(QStringLiteral("taken.db/inner"))));
    f.openWindow();
    f.addPhone(QStringLiteral("Pixel"), QStringLiteral("ID-P"), phoneContacts());
    QVERIFY(f.select(QStringLiteral("Pixel")));
    f.answerChooser(QStringLiteral("taken"));
    f.trigger("actBackup");
    QCOMPARE(f.answers().messageBoxes().size(), 1);
    QVERIFY2(f.answers().messageBoxTexts().first().contains(QStringLiteral("Failed to create Local Database. Error:")),
             qPrintable(f.answers().messageBoxTexts().first()));
    QCOMPARE(f.answers().dialogs(), QStringList{"LocalDbSelForm"});
    QVERIFY(f.tree()->localDbNodes().isEmpty());
}

void MainWindowCommandsTest::databaseErrorIsShown()
{
    // A database that cannot be read: the command shows the error box
    // instead of letting the exception into the event loop.
    QFile garbage(f.dbPath(QStringLiteral("broken.db")));
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(4096, 'x'));
    garbage.close();
    f.openWindow();
    Tree::_DBItemNode *node = f.tree()->localDbNodes().first();
    f.treeMain()->selectionModel()->blockSignals(true);
    f.treeMain()->setCurrentIndex(f.tree()->indexOfNode(node));
    f.treeMain()->selectionModel()->blockSignals(false);
    f.window()->miTreeExport();
    QCOMPARE(f.answers().messageBoxes().size(), 1);
    QCOMPARE(f.answers().messageBoxes().first().icon, QMessageBox::Critical);
    QVERIFY(f.answers().messageBoxTexts().first().startsWith(QStringLiteral("An Error Occurred.")));
}

void MainWindowCommandsTest::openFolder()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    f.openWindow();
    f.trigger("actOpenFolder");
    QVERIFY(f.select(QStringLiteral("Local Databases")));
    f.answerMenu(QStringLiteral("miOpenFolder"));
    emit f.treeMain()->createContextMenu();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    const QUrl expected = QUrl::fromLocalFile(QDir(f.dbPath(QString())).absolutePath());
    QCOMPARE(catcher.urls, (QList<QUrl>{expected, expected}));
}

void MainWindowCommandsTest::disconnectRemovesNode()
{
    f.openWindow();
    f.addPhone(QStringLiteral("Phone A"), QStringLiteral("ID-A"), phoneContacts());
    f.addPhone(QStringLiteral("Phone B"), QStringLiteral("ID-B"), phoneContacts());
    QVERIFY(f.select(QStringLiteral("Phone A")));
    QCOMPARE(f.listed().size(), 3);
    f.answerMenu(QStringLiteral("miTreeUnmount"));
    emit f.treeMain()->createContextMenu();
    QCOMPARE(f.nodeNames(f.tree()->devicesRoot()), QStringList{"Phone B"});
    // The cache file stays; the list no longer shows the phone's contacts.
    QVERIFY(QFileInfo::exists(f.cachePath(QStringLiteral("ID-A"))));
    QVERIFY(f.currentNodeName() != QStringLiteral("Phone A"));
}

void MainWindowCommandsTest::phoneGoneWhileChooserOpen()
{
    f.openWindow();
    f.addPhone(QStringLiteral("Pixel"), QStringLiteral("ID-P"), phoneContacts());
    QVERIFY(f.select(QStringLiteral("Pixel")));
    // The phone is unplugged while the database chooser is open: the backup
    // still stores the contacts it took before.
    f.answers().answerDialog([this](QDialog &dialog) {
        f.tree()->removeDevice(QStringLiteral("ID-P"));
        dialog.findChild<QComboBox *>(QStringLiteral("cbLocalDbNames"))->setEditText(QStringLiteral("kept"));
        dialog.findChild<QAbstractButton *>(QStringLiteral("btnOK"))->click();
        return dialog.result();
    });
    f.trigger("actBackup");
    QVERIFY(f.tree()->deviceNodes().isEmpty());
    QCOMPARE(CommandFixture::namesIn(f.dbPath(QStringLiteral("kept.db"))),
             (QStringList{"Ann Lee", "Bob Stone", "Carla Diaz"}));
    QCOMPARE(f.currentNodeName(), QStringLiteral("kept.db"));
}

void MainWindowCommandsTest::phoneGoneWhileProgressOpen()
{
    f.openWindow();
    f.addPhone(QStringLiteral("Pixel"), QStringLiteral("ID-P"), phoneContacts());
    QVERIFY(f.select(QStringLiteral("Pixel")));
    f.answerChooser(QStringLiteral("during"));
    f.answers().answerLiveDialog([this](QDialog &dialog) {
        f.tree()->removeDevice(QStringLiteral("ID-P"));
        return dialog.exec();
    });
    f.trigger("actBackup");
    QVERIFY(f.tree()->deviceNodes().isEmpty());
    QCOMPARE(CommandFixture::namesIn(f.dbPath(QStringLiteral("during.db"))).size(), 3);
}

QTEST_MAIN(MainWindowCommandsTest)
#include "mainwindowcommandstest.moc"
