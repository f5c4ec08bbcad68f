// The main window's commands against simulated phones: restoring a local
// database to a phone, Android to Android, the phone's store checked with
// the simulator afterwards; a failed transfer reloads the phone; phones that
// go away while a chooser or the progress dialog is open; connecting over
// WiFi and disconnecting.
#include "android/androidwificonnector.h"
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

// The display names of a phone's store, sorted.
QStringList storeNames(const QByteArray &dump)
{
    QStringList names;
    for (const QByteArray &line : dump.split('\n')) {
        if (line.startsWith("contact\t"))
            names << QString::fromUtf8(line.split('\t').value(3));
    }
    names.sort();
    return names;
}

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

private:
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
    const QStringList names = storeNames(m_sim->dump(QStringLiteral("PB")));
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
    const QStringList namesA = storeNames(m_sim->dump(QStringLiteral("PA")));
    const QStringList namesB = storeNames(m_sim->dump(QStringLiteral("PB")));
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
    QCOMPARE(storeNames(dump), expected);
    QCOMPARE(dump.contains("\tnumber=555-01"), sent.contains(QStringLiteral("Ann Lee")));
    // The source phone is untouched; the target is current.
    QCOMPARE(storeNames(m_sim->dump(QStringLiteral("PA"))), namesA);
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
    QCOMPARE(storeNames(m_sim->dump(QStringLiteral("PA"))).size(), 4);
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
    QCOMPARE(storeNames(m_sim->dump(QStringLiteral("PA"))).contains(QStringLiteral("Ann Lee")), !fails);
    QCOMPARE(f.answers().messageBoxes().size(), 1);
    QCOMPARE(f.answers().messageBoxes().first().icon, fails ? QMessageBox::Critical : QMessageBox::Information);
}

QTEST_MAIN(MainWindowTransferTest)
#include "mainwindowtransfertest.moc"
