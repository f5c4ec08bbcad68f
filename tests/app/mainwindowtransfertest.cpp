// The main window's commands against simulated phones: restoring a local
// database to a phone, Android to Android, the phone's store checked with
// the simulator afterwards; a failed transfer reloads the phone; phones that
// go away while a chooser or the progress dialog is open; connecting over
// WiFi and disconnecting; phones loaded through the window backed up and
// restored to.
#include "android/androidwificonnector.h"
#include "android/linktimings.h"
#include "app/mytreeview.h"
#include "commandfixture.h"
#include "contacts/localdb.h"
#include "panetestutil.h"
#include "tools/phonesim/phonesimdriver.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

using Tree = ItemModelMainTree;

namespace {

// The simulated phones of this test: each on its own loopback address.
const QString addressA = QStringLiteral("127.0.0.160");
const QString addressB = QStringLiteral("127.0.0.161");

} // namespace

class MainWindowTransferTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void restoreSelectedRowsFromContextMenu();
    void androidToAndroidNeverOffersSource_data();
    void androidToAndroidNeverOffersSource();
    void onlyPhoneIsSourceLeavesNothingToChoose();
    void phoneGoneWhileChooserOpen();
    void phoneGoneWhileProgressOpen_data();
    void phoneGoneWhileProgressOpen();
    void backupLoadedPhone();
    void restoreDatabaseToLoadedPhone_data();
    void restoreDatabaseToLoadedPhone();
    void failedTransferReloadsPhone();
    void connectViaWiFiAndDisconnect();

private:
    // Loads the simulated WiFi phone at `address` the way the WiFi dialog
    // does; returns its device id.
    QString loadPhone(const QString &address);
    // A node for the simulated WiFi phone whose cache database holds
    // `contacts` instead of the phone's own; returns its device id.
    QString addPhone(const QString &address, const QString &name, const QList<Contact> &contacts);
    // Queues the phone chooser's answer: the phone named `pick`; the names
    // offered go into *offered.
    void answerPhone(const QString &pick, QStringList *offered = nullptr);

    CommandFixture f;
    std::unique_ptr<PhoneSimDriver> m_sim;
};

void MainWindowTransferTest::initTestCase()
{
    QVERIFY(f.setUpProgram());
}

void MainWindowTransferTest::init()
{
    // The simulated agent listens right after the start request.
    LinkTimings::reset();
    LinkTimings::setStartPauseMs(100);
    f.clearData();
    m_sim = std::make_unique<PhoneSimDriver>();
    QVERIFY2(m_sim->create({"id=PA", "wifi=" + addressA, "contacts=4", "seed=7", "name=Phone A", "+", "id=PB",
                            "wifi=" + addressB, "contacts=3", "seed=9", "name=Phone B"}),
             m_sim->lastError());
    QVERIFY2(m_sim->start(), m_sim->lastError());
}

void MainWindowTransferTest::cleanup()
{
    const QString problems = f.closeWindow();
    m_sim.reset();
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
}

QString MainWindowTransferTest::addPhone(const QString &address, const QString &name, const QList<Contact> &contacts)
{
    auto wifi = std::make_shared<AndroidWifiConnector>();
    wifi->hello(address);
    f.addPhone(name, wifi->deviceId(), contacts, wifi);
    return wifi->deviceId();
}

QString MainWindowTransferTest::loadPhone(const QString &address)
{
    auto wifi = std::make_shared<AndroidWifiConnector>();
    wifi->hello(address);
    f.window()->androidDeviceIniLoad(wifi->deviceId(), wifi);
    return wifi->deviceId();
}

void MainWindowTransferTest::answerPhone(const QString &pick, QStringList *offered)
{
    f.answers().answerDialog([pick, offered](QDialog &dialog) {
        auto *combo = dialog.findChild<QComboBox *>(QStringLiteral("cbDevice"));
        if (offered) {
            offered->clear();
            for (int i = 0; i < combo->count(); ++i)
                *offered << combo->itemText(i);
        }
        const int index = combo->findText(pick);
        if (index < 0)
            return int(QDialog::Rejected);
        combo->setCurrentIndex(index);
        dialog.findChild<QAbstractButton *>(QStringLiteral("btnOK"))->click();
        return dialog.result();
    });
}

void MainWindowTransferTest::restoreSelectedRowsFromContextMenu()
{
    panetest::makeDb(f.dbPath(QStringLiteral("people.db")),
                     {person(QStringLiteral("Ann Lee"), QStringLiteral("ann@lee.net")),
                      person(QStringLiteral("Bob Stone"), QStringLiteral("bob@annex.org")),
                      person(QStringLiteral("Carla Diaz"), QStringLiteral("carla@diaz.es"))});
    f.openWindow();
    addPhone(addressB, QStringLiteral("Phone B"), {});
    QVERIFY(f.select(QStringLiteral("people.db")));
    f.selectRows({0, 2});
    f.answerMenu(QStringLiteral("miContactDB2A"));
    answerPhone(QStringLiteral("Phone B"));
    emit f.treeContacts()->createContextMenu();
    QCOMPARE(f.answers().messageBoxTexts(),
             QStringList{QStringLiteral("Successfully transferred 2 contacts to Android.")});
    const QStringList names = CommandFixture::namesInStore(m_sim->dump(QStringLiteral("PB")));
    QCOMPARE(names.size(), 5);
    QVERIFY(names.contains(QStringLiteral("Ann Lee")));
    QVERIFY(names.contains(QStringLiteral("Carla Diaz")));
    QVERIFY(!names.contains(QStringLiteral("Bob Stone")));
    QCOMPARE(f.currentNodeName(), QStringLiteral("Phone B"));
    QCOMPARE(f.listed(), (QStringList{"Ann Lee", "Carla Diaz"}));
}

void MainWindowTransferTest::androidToAndroidNeverOffersSource_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QStringList>("sent");
    const QStringList all{"Ann Lee", "Bob Stone", "Carla Diaz"};
    QTest::newRow("tool bar, whole phone") << "actA2A" << QList<int>{} << all;
    QTest::newRow("tool bar, one row") << "actA2A" << QList<int>{1} << QStringList{"Bob Stone"};
    QTest::newRow("tree menu") << "miTreeA2A" << QList<int>{} << all;
    QTest::newRow("list menu") << "miContactA2A" << QList<int>{0, 2} << QStringList{"Ann Lee", "Carla Diaz"};
}

void MainWindowTransferTest::androidToAndroidNeverOffersSource()
{
    QFETCH(QString, how);
    QFETCH(QList<int>, rows);
    QFETCH(QStringList, sent);
    f.openWindow();
    addPhone(addressA, QStringLiteral("Phone A"),
             {person(QStringLiteral("Ann Lee"), QStringLiteral("ann@lee.net"), QStringLiteral("555-01")),
              person(QStringLiteral("Bob Stone"), QStringLiteral("bob@annex.org")),
              person(QStringLiteral("Carla Diaz"), QStringLiteral("carla@diaz.es"))});
    addPhone(addressB, QStringLiteral("Phone B"), {});
    const QStringList namesA = CommandFixture::namesInStore(m_sim->dump(QStringLiteral("PA")));
    const QStringList namesB = CommandFixture::namesInStore(m_sim->dump(QStringLiteral("PB")));
    QVERIFY(f.select(QStringLiteral("Phone A")));
    f.selectRows(rows);
    QStringList offered;
    answerPhone(QStringLiteral("Phone B"), &offered);
    if (how.startsWith(QLatin1String("act"))) {
        f.trigger(how.toLatin1().constData());
    } else {
        f.answerMenu(how);
        if (how.startsWith(QLatin1String("miTree")))
            emit f.treeMain()->createContextMenu();
        else
            emit f.treeContacts()->createContextMenu();
    }
    QCOMPARE(offered, QStringList{"Phone B"});
    QStringList expected = namesB + sent;
    expected.sort();
    const QByteArray dump = m_sim->dump(QStringLiteral("PB"));
    QCOMPARE(CommandFixture::namesInStore(dump), expected);
    QCOMPARE(dump.contains("\tnumber=555-01"), sent.contains(QStringLiteral("Ann Lee")));
    // The source phone is untouched; the target is current.
    QCOMPARE(CommandFixture::namesInStore(m_sim->dump(QStringLiteral("PA"))), namesA);
    QCOMPARE(f.currentNodeName(), QStringLiteral("Phone B"));
    QCOMPARE(f.listed(), sent);
}

void MainWindowTransferTest::onlyPhoneIsSourceLeavesNothingToChoose()
{
    f.openWindow();
    addPhone(addressA, QStringLiteral("Phone A"), {person(QStringLiteral("Ann Lee"), QStringLiteral("a@b.c"))});
    QVERIFY(f.select(QStringLiteral("Phone A")));
    QStringList offered{QStringLiteral("not asked")};
    answerPhone(QStringLiteral("Phone A"), &offered);
    f.window()->miTreeA2A();
    QCOMPARE(offered, QStringList());
    QCOMPARE(f.answers().dialogs(), QStringList{"DataSourceSelForm"});
}

void MainWindowTransferTest::phoneGoneWhileChooserOpen()
{
    panetest::makeDb(f.dbPath(QStringLiteral("people.db")),
                     {person(QStringLiteral("Ann Lee"), QStringLiteral("ann@lee.net"))});
    f.openWindow();
    const QString id = addPhone(addressA, QStringLiteral("Phone A"), {});
    QVERIFY(f.select(QStringLiteral("people.db")));
    f.answers().answerDialog([this, id](QDialog &dialog) {
        f.tree()->removeDevice(id);
        dialog.findChild<QAbstractButton *>(QStringLiteral("btnOK"))->click();
        return dialog.result();
    });
    f.trigger("actDB2A");
    QVERIFY(f.tree()->deviceNodes().isEmpty());
    QCOMPARE(f.answers().dialogs(), QStringList{"DataSourceSelForm"});
    QCOMPARE(CommandFixture::namesInStore(m_sim->dump(QStringLiteral("PA"))).size(), 4);
}

void MainWindowTransferTest::phoneGoneWhileProgressOpen_data()
{
    QTest::addColumn<bool>("fails");
    QTest::newRow("job succeeds") << false;
    QTest::newRow("job fails") << true;
}

void MainWindowTransferTest::phoneGoneWhileProgressOpen()
{
    QFETCH(bool, fails);
    panetest::makeDb(f.dbPath(QStringLiteral("people.db")),
                     {person(QStringLiteral("Ann Lee"), QStringLiteral("ann@lee.net"))});
    f.openWindow();
    const QString id = addPhone(addressA, QStringLiteral("Phone A"), {});
    // The agent hangs up before it stored anything.
    if (fails)
        QVERIFY(m_sim->fault(QStringLiteral("PA"), {"drop-after-received=1", "scope=restore", "once"}));
    QVERIFY(f.select(QStringLiteral("people.db")));
    answerPhone(QStringLiteral("Phone A"));
    f.answers().answerLiveDialog([this, id](QDialog &dialog) {
        f.tree()->removeDevice(id);
        return dialog.exec();
    });
    f.trigger("actDB2A");
    // The job ran to its end on the database it holds; the phone that went
    // away is neither shown nor read again.
    QVERIFY(f.tree()->deviceNodes().isEmpty());
    QCOMPARE(f.answers().dialogs(), (QStringList{"DataSourceSelForm", "ProgressForm"}));
    QCOMPARE(f.currentNodeName(), QStringLiteral("people.db"));
    QCOMPARE(CommandFixture::namesInStore(m_sim->dump(QStringLiteral("PA"))).contains(QStringLiteral("Ann Lee")), !fails);
    QCOMPARE(f.answers().messageBoxes().size(), 1);
    QCOMPARE(f.answers().messageBoxes().first().icon, fails ? QMessageBox::Critical : QMessageBox::Information);
}

void MainWindowTransferTest::backupLoadedPhone()
{
    f.openWindow();
    loadPhone(addressA);
    const QStringList onPhone = CommandFixture::namesInStore(m_sim->dump(QStringLiteral("PA")));
    QCOMPARE(f.currentNodeName(), QStringLiteral("Phone A"));
    QCOMPARE(f.listed(), onPhone);
    // Into a new database, then again into the same one: all merged.
    f.answerChooser(QStringLiteral("phone a"));
    f.trigger("actBackup");
    f.answerChooser(QStringLiteral("phone a.db"));
    QVERIFY(f.select(QStringLiteral("Phone A")));
    f.trigger("actBackup");
    QCOMPARE(f.answers().messageBoxTexts(),
             (QStringList{QStringLiteral("Successfully backup 4 contacts to Local Database."),
                          QStringLiteral("Successfully backup 0 contacts to Local Database;4 repeated contacts merged.")}));
    QCOMPARE(f.nodeNames(f.tree()->localDbsRoot()), QStringList{"phone a.db"});
    QCOMPARE(f.currentNodeName(), QStringLiteral("phone a.db"));
    QCOMPARE(f.listed(), onPhone);
    QCOMPARE(CommandFixture::namesIn(f.dbPath(QStringLiteral("phone a.db"))), onPhone);
}

void MainWindowTransferTest::restoreDatabaseToLoadedPhone_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("tool bar") << "actDB2A";
    QTest::newRow("tree menu") << "miTreeDB2A";
}

void MainWindowTransferTest::restoreDatabaseToLoadedPhone()
{
    QFETCH(QString, action);
    // One of the database's contacts is already on the phone by name.
    const QStringList before = CommandFixture::namesInStore(m_sim->dump(QStringLiteral("PA")));
    QCOMPARE(before.size(), 4);
    panetest::makeDb(f.dbPath(QStringLiteral("people.db")),
                     {person(QStringLiteral("Ann Lee"), QStringLiteral("ann@lee.net"), QStringLiteral("555-01")),
                      person(before.first(), QStringLiteral("known@phone.org")),
                      person(QStringLiteral("Zoë Åberg"), QStringLiteral("zoe@aberg.se"))});
    f.openWindow();
    loadPhone(addressA);
    QCOMPARE(f.nodeNames(f.tree()->devicesRoot()), QStringList{"Phone A"});
    QVERIFY(f.select(QStringLiteral("people.db")));
    QStringList offered;
    answerPhone(QStringLiteral("Phone A"), &offered);
    if (action.startsWith(u'a')) {
        f.trigger(action.toLatin1().constData());
    } else {
        f.answerMenu(action);
        emit f.treeMain()->createContextMenu();
    }
    QCOMPARE(offered, QStringList{"Phone A"});
    QCOMPARE(f.answers().messageBoxTexts().last(),
             QStringLiteral("Successfully transferred 2 contacts to Android,with 1 repeated contacts merged."));
    const QByteArray dump = m_sim->dump(QStringLiteral("PA"));
    QStringList expected = before;
    expected << QStringLiteral("Ann Lee") << QStringLiteral("Zoë Åberg");
    expected.sort();
    QCOMPARE(CommandFixture::namesInStore(dump), expected);
    QVERIFY(dump.contains("\taddress=known@phone.org"));
    QVERIFY(dump.contains("\tnumber=555-01"));
    // The phone is read again and lists what it holds now.
    QCOMPARE(f.currentNodeName(), QStringLiteral("Phone A"));
    QCOMPARE(f.listed(), expected);
}

void MainWindowTransferTest::failedTransferReloadsPhone()
{
    panetest::makeDb(f.dbPath(QStringLiteral("people.db")),
                     {person(QStringLiteral("Ann Lee"), QStringLiteral("ann@lee.net"))});
    f.openWindow();
    const QString id = loadPhone(addressA);
    const Tree::_DBItemNode *first = f.tree()->deviceNodes().first();
    const QByteArray transcriptBefore = m_sim->transcript(QStringLiteral("PA"));
    QVERIFY(m_sim->fault(QStringLiteral("PA"), {"error-at=1", "scope=restore", "once"}));
    QVERIFY(f.select(QStringLiteral("people.db")));
    answerPhone(QStringLiteral("Phone A"));
    f.trigger("actDB2A");
    // The error was shown, and the phone was read again into a new node.
    QVERIFY(f.answers().messageBoxTexts().first().startsWith(QStringLiteral("An Error Occurred.")));
    QCOMPARE(f.tree()->deviceNodes().size(), 1);
    QVERIFY(f.tree()->deviceNodes().first() != first);
    QCOMPARE(f.tree()->deviceNodes().first()->deviceId, id);
    QVERIFY(m_sim->transcript(QStringLiteral("PA")).count("\tbackup\t") > transcriptBefore.count("\tbackup\t"));
}

void MainWindowTransferTest::connectViaWiFiAndDisconnect()
{
    f.openWindow();
    f.answers().answerDialog([](QDialog &dialog) {
        dialog.findChild<QLineEdit *>(QStringLiteral("txtWifiSocket"))->setText(addressB);
        dialog.findChild<QAbstractButton *>(QStringLiteral("btnConnect"))->click();
        return dialog.result();
    });
    f.trigger("actConnectViaWiFi");
    QCOMPARE(f.nodeNames(f.tree()->devicesRoot()), QStringList{"Phone B"});
    QCOMPARE(f.currentNodeName(), QStringLiteral("Phone B"));
    QCOMPARE(f.listed(), CommandFixture::namesInStore(m_sim->dump(QStringLiteral("PB"))));
    f.answerMenu(QStringLiteral("miTreeUnmount"));
    emit f.treeMain()->createContextMenu();
    QVERIFY(f.tree()->deviceNodes().isEmpty());
}

QTEST_MAIN(MainWindowTransferTest)
#include "mainwindowtransfertest.moc"
