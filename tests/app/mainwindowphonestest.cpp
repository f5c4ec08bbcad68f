// Phones coming and going in the main window, end to end: the simulator's
// stand-in adb reports USB phones to the device monitor, the receive job
// reads them, and the source tree shows them under "Devices".
#include "android/androidmonitor.h"
#include "android/androidwificonnector.h"
#include "android/dataport.h"
#include "android/devicecachename.h"
#include "android/linktimings.h"
#include "android/usbphoneconnector.h"
#include "app/itemmodelcontacts.h"
#include "app/itemmodelmaintree.h"
#include "app/mainwindow.h"
#include "app/modalanswers.h"
#include "app/mytreeview.h"
#include "app/platform.h"
#include "app/taskactivity.h"
#include "app/taskrunner.h"
#include "contacts/backupcontactstolocalthread.h"
#include "contacts/editcontactform.h"
#include "contacts/entitieseditor.h"
#include "contacts/entitykind.h"
#include "contacts/localdb.h"
#include "panetestutil.h"
#include "tools/phonesim/phonesimdriver.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>

using Tree = ItemModelMainTree;

namespace {

// Every name under "Devices", in tree order, with its device id.
QStringList devices(const Tree &tree)
{
    QStringList out;
    for (const Tree::_DBItemNode *node : tree.deviceNodes())
        out << node->name + u'=' + node->deviceId;
    return out;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class MainWindowPhonesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void usbPhonesAtStart();
    void unplugRemovesNodeAndKeepsCache();
    void replugReplacesNode();
    void cancelDuringFirstLoad();
    void tooOldAgentShowsError();
    void agentMissingIsInstalledOnce();
    void usbPhoneArrivesThroughBridge();
    void editOnUsbPhoneGoesThroughBridge();
    void unauthorizedPhoneShowsHint_data();
    void unauthorizedPhoneShowsHint();
    void phoneWithoutNameShowsItsId();
    void reArrivalWaitsForRunningLoad();
    void hostileDeviceIdStaysInCacheFolder_data();
    void hostileDeviceIdStaysInCacheFolder();
    void treeChangesWhileJobRuns();
    void offlinePhones();
    void wifiDialogLoadsPhone();

private:
    // agent: USB phones are reached through the bundled agent, as in a
    // build that carries a real agent package; else the default connector.
    void openWindow(bool agent = false);
    [[nodiscard]] QString statusText() const { return m_window->statusBar()->currentMessage(); }
    [[nodiscard]] Tree &tree() const;
    [[nodiscard]] MyTreeView *treeView() const { return m_window->findChild<MyTreeView *>(QStringLiteral("treeMain")); }
    [[nodiscard]] QString currentName() const;
    [[nodiscard]] QString total() const { return m_window->findChild<QLabel *>(QStringLiteral("lbTotal"))->text(); }
    [[nodiscard]] QString cachePath(const QString &devId) const
    {
        return QDir(MainWindow::phoneCacheFolder()).filePath(deviceCacheFileName(devId));
    }
    bool attach(const QString &serial) { return m_sim.run(QStringLiteral("attach"), {serial}).ok(); }
    bool detach(const QString &serial) { return m_sim.run(QStringLiteral("detach"), {serial}).ok(); }

    QTemporaryDir m_home;
    QTranslator m_translator;
    PhoneSimDriver m_sim;
    std::unique_ptr<ModalAnswers> m_answers;
    std::unique_ptr<MainWindow> m_window;
};

void MainWindowPhonesTest::initTestCase()
{
    QVERIFY(m_home.isValid());
    qputenv("HOME", m_home.path().toUtf8());
    qunsetenv("XDG_DATA_HOME");
    QVERIFY(m_translator.load(QStringLiteral(":/en.qm")));
    QCoreApplication::installTranslator(&m_translator);
    // Two phones plugged in from the start, more plugged in later, WiFi
    // phones for the direct loads.
    QVERIFY2(m_sim.create({"serial=QMW0001", "contacts=25", "batch-size=10", "seed=3", "name=Galaxy Ü", "+",
                           "serial=QMW0002", "contacts=6", "seed=4", "name=Pixel", "+",                      //
                           "serial=QMW0003", "contacts=4", "attached=0", "name=Late", "+",                   //
                           "serial=QMW0004", "contacts=3", "attached=0", "version=1", "+",                   //
                           "serial=QMW0005", "contacts=17", "attached=0", "installed=0", "seed=5",
                           "name=Bridged", "+",                                                              //
                           "serial=QMW0006", "contacts=2", "attached=0", "installed=0", "+",                 //
                           "serial=QMW0007", "contacts=2", "attached=0", "installed=0", "+",                 //
                           "wifi=127.0.0.70", "contacts=40", "batch-size=5", "seed=8", "name=Slow WiFi", "+", //
                           "wifi=127.0.0.71", "contacts=2", "name=Plain WiFi"}),
             m_sim.lastError());
    QVERIFY2(m_sim.start(), m_sim.lastError());
    m_sim.exportEnvironment();
}

void MainWindowPhonesTest::init()
{
    LinkTimings::reset();
    LinkTimings::setPollIntervalMs(150);
    LinkTimings::setInstallPauseMs(0);
    // The USB agent listens once its broadcast returns; the WiFi agent
    // opens its data port shortly after the start request.
    LinkTimings::setStartPauseMs(200);
    m_answers = std::make_unique<ModalAnswers>();
}

void MainWindowPhonesTest::cleanup()
{
    // A phone that did not arrive usually said why in a message box.
    if (QTest::currentTestFailed()) {
        for (const QString &text : m_answers->messageBoxTexts())
            qWarning("message box shown: %s", qPrintable(text));
    }
    m_window.reset();
    QVERIFY2(m_answers->problems().isEmpty(), qPrintable(m_answers->problems().join(u'\n')));
    m_answers.reset();
    QVERIFY(!TaskActivity::instance().isBusy());
}

void MainWindowPhonesTest::openWindow(bool agent)
{
    m_window = std::make_unique<MainWindow>();
    if (agent) {
        m_window->setUsbConnectorFactory([](const QString &serial) {
            return std::make_shared<UsbPhoneConnector>(serial, QString(), QStringLiteral("adb"), true);
        });
    }
    QVERIFY(MainWindow::deviceMonitor());
    QCOMPARE(MainWindow::deviceMonitor()->parent(), m_window.get());
}

Tree &MainWindowPhonesTest::tree() const
{
    return *static_cast<Tree *>(treeView()->model());
}

QString MainWindowPhonesTest::currentName() const
{
    return treeView()->currentIndex().data().toString();
}

void MainWindowPhonesTest::usbPhonesAtStart()
{
    openWindow();
    QTRY_COMPARE_WITH_TIMEOUT(tree().deviceNodes().size(), 2, 60000);
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    QStringList shown = devices(tree());
    shown.sort();
    // Through the phone bridge a phone is named by its maker and model.
    QCOMPARE(shown, (QStringList{QStringLiteral("phonesim Galaxy Ü=QMW0001"), QStringLiteral("phonesim Pixel=QMW0002")}));
    QCOMPARE(m_answers->messageBoxes().size(), 0);
    QCOMPARE(m_answers->dialogs().size(), 2);

    // The first two devices of the run take the first two data ports.
    const QList<int> ports{dataPortFor(QStringLiteral("QMW0001")), dataPortFor(QStringLiteral("QMW0002"))};
    QCOMPARE(std::min(ports[0], ports[1]), 42222);
    QCOMPARE(std::max(ports[0], ports[1]), 42223);

    // Each node has the phone's groups and the last one loaded is current,
    // its contacts listed.
    for (Tree::_DBItemNode *node : tree().deviceNodes()) {
        QVERIFY(!node->children.isEmpty());
        QVERIFY(QFile::exists(cachePath(node->deviceId)));
    }
    const Tree::_DBItemNode *current = tree().currentSelection(treeView()->currentIndex()).dbNode;
    QVERIFY(current);
    QCOMPARE(current, tree().deviceNodes().last());
    QCOMPARE(total(), QStringLiteral("Total:%1").arg(current->deviceId == u"QMW0001" ? 25 : 6));
    QCOMPARE(tree().deviceNode(QStringLiteral("QMW0001"))->name, QStringLiteral("phonesim Galaxy Ü"));
}

void MainWindowPhonesTest::unplugRemovesNodeAndKeepsCache()
{
    openWindow();
    QTRY_COMPARE_WITH_TIMEOUT(tree().deviceNodes().size(), 2, 60000);
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    const QByteArray cache = fileBytes(cachePath(QStringLiteral("QMW0002")));
    QVERIFY(!cache.isEmpty());
    QVERIFY(detach(QStringLiteral("QMW0002")));
    QTRY_VERIFY_WITH_TIMEOUT(!tree().deviceNode(QStringLiteral("QMW0002")), 30000);
    QVERIFY(tree().deviceNode(QStringLiteral("QMW0001")));
    QCOMPARE(fileBytes(cachePath(QStringLiteral("QMW0002"))), cache);
    QVERIFY(attach(QStringLiteral("QMW0002")));
}

void MainWindowPhonesTest::replugReplacesNode()
{
    openWindow();
    QTRY_COMPARE_WITH_TIMEOUT(tree().deviceNodes().size(), 2, 60000);
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    // Plugged in again, and a third phone meanwhile: one node per phone.
    QVERIFY(detach(QStringLiteral("QMW0001")));
    QTRY_VERIFY_WITH_TIMEOUT(!tree().deviceNode(QStringLiteral("QMW0001")), 30000);
    QVERIFY(attach(QStringLiteral("QMW0001")));
    QVERIFY(attach(QStringLiteral("QMW0003")));
    QTRY_COMPARE_WITH_TIMEOUT(tree().deviceNodes().size(), 3, 60000);
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    // A load asked for again (the WiFi dialog, a reload) replaces the node.
    m_window->androidDeviceIniLoad(QStringLiteral("QMW0003"),
                                   std::make_shared<UsbPhoneConnector>(QStringLiteral("QMW0003")));
    QStringList shown = devices(tree());
    shown.sort();
    QCOMPARE(shown, (QStringList{QStringLiteral("phonesim Galaxy Ü=QMW0001"), QStringLiteral("phonesim Late=QMW0003"),
                                 QStringLiteral("phonesim Pixel=QMW0002")}));
    QCOMPARE(currentName(), QStringLiteral("phonesim Late"));
    QCOMPARE(total(), QStringLiteral("Total:4"));
    QVERIFY(detach(QStringLiteral("QMW0003")));
}

void MainWindowPhonesTest::cancelDuringFirstLoad()
{
    QVERIFY(m_sim.fault(QStringLiteral("QMW0003"), {QStringLiteral("stall=6"), QStringLiteral("once")}));
    // The stall is the agent's: this load goes through the agent.
    openWindow(true);
    QTRY_COMPARE_WITH_TIMEOUT(tree().deviceNodes().size(), 2, 60000);
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    bool stalled = false;
    m_answers->answerLiveDialog([&](QDialog &form) {
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &form, [&] {
            if (m_sim.transcript(QStringLiteral("QMW0003")).contains("stalled after")) {
                stalled = true;
                form.reject();
            }
        });
        poll.start(100);
        return form.exec();
    });
    const int dialogsBefore = int(m_answers->dialogs().size());
    QVERIFY(attach(QStringLiteral("QMW0003")));
    QTRY_VERIFY_WITH_TIMEOUT(stalled, 60000);
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    QCOMPARE(m_answers->dialogs().size(), dialogsBefore + 1);
    QCOMPARE(tree().deviceNodes().size(), 2);
    QVERIFY(!tree().deviceNode(QStringLiteral("QMW0003")));
    QCOMPARE(m_answers->messageBoxes().size(), 0);
    // The cache holds nothing of the cancelled receive.
    LocalDb cache(cachePath(QStringLiteral("QMW0003")), nullptr);
    QCOMPARE(cache.searchContacts(0, QString()).size(), 0);
    QVERIFY(detach(QStringLiteral("QMW0003")));
}

void MainWindowPhonesTest::tooOldAgentShowsError()
{
    openWindow(true);
    QTRY_COMPARE_WITH_TIMEOUT(tree().deviceNodes().size(), 2, 60000);
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    QVERIFY(attach(QStringLiteral("QMW0004")));
    QTRY_COMPARE_WITH_TIMEOUT(m_answers->messageBoxes().size(), 1, 60000);
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    QVERIFY2(m_answers->messageBoxes().first().text.contains(QStringLiteral("3.0.3 needed")),
             qPrintable(m_answers->messageBoxes().first().text));
    QVERIFY(!tree().deviceNode(QStringLiteral("QMW0004")));
    LocalDb cache(cachePath(QStringLiteral("QMW0004")), nullptr);
    QCOMPARE(cache.searchContacts(0, QString()).size(), 0);
    QVERIFY(detach(QStringLiteral("QMW0004")));
}

void MainWindowPhonesTest::agentMissingIsInstalledOnce()
{
    // A build with a real agent package installs it on a phone that lacks
    // it, once, and reads the phone through it.
    openWindow(true);
    QTRY_COMPARE_WITH_TIMEOUT(tree().deviceNodes().size(), 2, 60000);
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    (void)m_sim.takeAdbLog();
    QVERIFY(attach(QStringLiteral("QMW0007")));
    QTRY_VERIFY_WITH_TIMEOUT(tree().deviceNode(QStringLiteral("QMW0007")), 60000);
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    int installs = 0;
    int contentCalls = 0;
    for (const QStringList &call : m_sim.takeAdbLog()) {
        installs += call.contains(QStringLiteral("install")) ? 1 : 0;
        contentCalls += call.join(u' ').contains(QStringLiteral("content query")) ? 1 : 0;
    }
    QCOMPARE(installs, 1);
    QCOMPARE(contentCalls, 0);
    QCOMPARE(total(), QStringLiteral("Total:2"));
    QCOMPARE(m_answers->messageBoxes().size(), 0);
    QVERIFY(detach(QStringLiteral("QMW0007")));
    QVERIFY(m_sim.set(QStringLiteral("QMW0007"), {QStringLiteral("installed=0")}));
}

void MainWindowPhonesTest::usbPhoneArrivesThroughBridge()
{
    // No agent on the phone and none installed: the window reads the phone
    // through the phone bridge (adb shell content) and shows its node with
    // the phone's contacts and groups.
    openWindow();
    QTRY_COMPARE_WITH_TIMEOUT(tree().deviceNodes().size(), 2, 60000);
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    (void)m_sim.takeAdbLog();
    QVERIFY(attach(QStringLiteral("QMW0005")));
    QTRY_VERIFY_WITH_TIMEOUT(tree().deviceNode(QStringLiteral("QMW0005")), 60000);
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    QCOMPARE(m_answers->messageBoxes().size(), 0);

    bool contentQueried = false;
    for (const QStringList &call : m_sim.takeAdbLog()) {
        QVERIFY2(!call.contains(QStringLiteral("install")), qPrintable(call.join(u' ')));
        QVERIFY2(!call.join(u' ').contains(QStringLiteral("am broadcast")), qPrintable(call.join(u' ')));
        contentQueried = contentQueried || call.join(u' ').contains(QStringLiteral("content query"));
    }
    QVERIFY(contentQueried);

    // The phone's own name, every contact, every group of the phone.
    const Tree::_DBItemNode *node = tree().deviceNode(QStringLiteral("QMW0005"));
    QCOMPARE(node->name, QStringLiteral("phonesim Bridged"));
    QCOMPARE(currentName(), QStringLiteral("phonesim Bridged"));
    QCOMPARE(total(), QStringLiteral("Total:17"));
    QStringList phoneGroups;
    int photos = 0;
    for (const QByteArray &line : m_sim.dump(QStringLiteral("QMW0005")).split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() >= 3 && fields.at(0) == "group")
            phoneGroups << QString::fromUtf8(fields.at(2));
        if (fields.size() >= 3 && fields.at(0) == "row" && fields.at(2) == "photo")
            ++photos;
    }
    QVERIFY(!phoneGroups.isEmpty());
    QStringList shownGroups;
    for (const Tree::_ItemNode *group : node->children)
        shownGroups << group->name;
    for (const QString &group : std::as_const(phoneGroups))
        QVERIFY2(shownGroups.contains(group), qPrintable(shownGroups.join(u',')));

    // The photos stayed on the phone, and the status bar says so.
    QVERIFY(photos > 0);
    QVERIFY2(statusText().contains(QStringLiteral("%1 contact photos were left out").arg(photos)),
             qPrintable(statusText()));
    QVERIFY(detach(QStringLiteral("QMW0005")));
}

void MainWindowPhonesTest::editOnUsbPhoneGoesThroughBridge()
{
    // A number edited in the window reaches the USB phone's own contacts
    // provider through the bridge, on the phone's row.
    openWindow();
    QTRY_COMPARE_WITH_TIMEOUT(tree().deviceNodes().size(), 2, 60000);
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    QVERIFY(attach(QStringLiteral("QMW0005")));
    QTRY_VERIFY_WITH_TIMEOUT(tree().deviceNode(QStringLiteral("QMW0005")), 60000);
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    auto *contacts = m_window->findChild<MyTreeView *>(QStringLiteral("treeContacts"));
    QVERIFY(contacts);
    auto *list = qobject_cast<ItemModelContacts *>(contacts->model());
    QVERIFY(list);
    int row = -1;
    for (int i = 0; i < list->rowCount() && row < 0; ++i)
        row = list->contacts()[i].hasEntities(pim::ENTITY_PHONE) ? i : -1;
    QVERIFY(row >= 0);
    // The list holds outlines; the editor shows the whole contact.
    const Contact before = list->fullContact(list->contactIndex(row));
    const QString srcId = before.entitiesOf(pim::ENTITY_PHONE)[0].srcId;
    QVERIFY(!srcId.isEmpty());
    const QString number = QStringLiteral("+47 915 00 $(id) 'x'");
    m_answers->answerDialog([&](QDialog &dialog) {
        auto *form = qobject_cast<EditContactForm *>(&dialog);
        if (!form)
            return int(QDialog::Rejected);
        form->findChild<EntitiesEditor *>(QStringLiteral("wdPhones"))->rowWidgets(0)[1]->setProperty("text", number);
        form->onBtnSavePressed();
        return form->result();
    });
    (void)m_sim.takeAdbLog();
    Q_EMIT contacts->doubleClicked(list->contactIndex(row));
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    QCOMPARE(m_answers->messageBoxes().size(), 0);
    bool updated = false;
    for (const QStringList &call : m_sim.takeAdbLog())
        updated = updated || call.join(u' ').contains(QStringLiteral("content update"));
    QVERIFY(updated);
    const QByteArray row0 = "row\t" + srcId.toUtf8() + "\tphone\t";
    bool found = false;
    for (const QByteArray &line : m_sim.dump(QStringLiteral("QMW0005")).split('\n'))
        found = found || (line.startsWith(row0) && line.endsWith("\tnumber=" + number.toUtf8()));
    QVERIFY2(found, qPrintable(srcId));
    QVERIFY(detach(QStringLiteral("QMW0005")));
}

void MainWindowPhonesTest::unauthorizedPhoneShowsHint_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("hint");
    QTest::newRow("unauthorized") << "unauthorized" << "allow USB debugging";
    QTest::newRow("authorizing") << "authorizing" << "allow USB debugging";
    QTest::newRow("no permissions") << "no-permissions" << "udev rules";
}

void MainWindowPhonesTest::unauthorizedPhoneShowsHint()
{
    QFETCH(QString, state);
    QFETCH(QString, hint);
    openWindow();
    QTRY_COMPARE_WITH_TIMEOUT(tree().deviceNodes().size(), 2, 60000);
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    QVERIFY(m_sim.set(QStringLiteral("QMW0006"), {QStringLiteral("attached=1"), QStringLiteral("usb-state=") + state}));
    QTRY_VERIFY_WITH_TIMEOUT(statusText().contains(hint), 30000);
    QVERIFY2(statusText().contains(QStringLiteral("QMW0006")), qPrintable(statusText()));
    QVERIFY(!tree().deviceNode(QStringLiteral("QMW0006")));
    QCOMPARE(m_answers->messageBoxes().size(), 0);
    // The user allows it on the phone: the phone arrives, the hint goes.
    QVERIFY(m_sim.set(QStringLiteral("QMW0006"), {QStringLiteral("usb-state=device")}));
    QTRY_VERIFY_WITH_TIMEOUT(tree().deviceNode(QStringLiteral("QMW0006")), 60000);
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    QVERIFY2(!statusText().contains(hint), qPrintable(statusText()));
    QCOMPARE(total(), QStringLiteral("Total:2"));
    QVERIFY(detach(QStringLiteral("QMW0006")));
}

void MainWindowPhonesTest::phoneWithoutNameShowsItsId()
{
    QVERIFY(m_sim.fault(QStringLiteral("127.0.0.71"), {QStringLiteral("omit=device"), QStringLiteral("once")}));
    openWindow();
    QTRY_COMPARE_WITH_TIMEOUT(tree().deviceNodes().size(), 2, 60000);
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    auto connector = std::make_shared<AndroidWifiConnector>();
    connector->hello(QStringLiteral("127.0.0.71"));
    m_window->androidDeviceIniLoad(connector->deviceId(), connector);
    const Tree::_DBItemNode *node = tree().deviceNode(connector->deviceId());
    QVERIFY(node);
    QCOMPARE(node->name, connector->deviceId());
    QCOMPARE(total(), QStringLiteral("Total:2"));
}

void MainWindowPhonesTest::reArrivalWaitsForRunningLoad()
{
    // The phone comes again while its first load still runs: the second load
    // waits for the first one to end and then replaces it; there is never a
    // second node and the running job keeps its cache file.
    openWindow();
    QTRY_COMPARE_WITH_TIMEOUT(tree().deviceNodes().size(), 2, 60000);
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    QVERIFY(m_sim.fault(QStringLiteral("127.0.0.70"), {QStringLiteral("slow=5"), QStringLiteral("once")}));
    auto connector = std::make_shared<AndroidWifiConnector>();
    connector->hello(QStringLiteral("127.0.0.70"));
    const QString devId = connector->deviceId();
    int formsDuringFirst = -1;
    bool cacheKept = false;
    m_answers->answerLiveDialog([&](QDialog &form) {
        QTimer::singleShot(300, &form, [&] {
            const QByteArray before = fileBytes(cachePath(devId));
            const int forms = int(m_answers->dialogs().size());
            m_window->androidDeviceIniLoad(devId, connector);
            m_window->androidDeviceIniLoad(devId, connector);
            formsDuringFirst = int(m_answers->dialogs().size()) - forms;
            cacheKept = QFile::exists(cachePath(devId)) && fileBytes(cachePath(devId)).size() >= before.size();
            QCOMPARE(tree().deviceNode(devId), nullptr);
        });
        return form.exec();
    });
    m_window->androidDeviceIniLoad(devId, connector);
    QCOMPARE(formsDuringFirst, 0);
    QVERIFY(cacheKept);
    QVERIFY(tree().deviceNode(devId));
    // The waiting load runs once the first has ended, and replaces its node.
    QTRY_COMPARE_WITH_TIMEOUT(m_answers->dialogs().size(), 4, 60000);
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    int nodes = 0;
    for (const Tree::_DBItemNode *node : tree().deviceNodes())
        nodes += node->deviceId == devId ? 1 : 0;
    QCOMPARE(nodes, 1);
    QCOMPARE(tree().deviceNode(devId)->name, QStringLiteral("Slow WiFi"));
}

void MainWindowPhonesTest::hostileDeviceIdStaysInCacheFolder_data()
{
    QTest::addColumn<QString>("devId");
    QTest::addColumn<QString>("victim");   // a file the id points at, relative to the data folder
    QTest::newRow("parent path") << "../data/My.db"
                                 << "data/My.db";
    QTest::newRow("absolute path") << QDir(platform::dataFolder()).filePath(QStringLiteral("data/Work.db"))
                                   << "data/Work.db";
    QTest::newRow("dot dot") << ".."
                             << "";
    QTest::newRow("usb over tcp") << "192.168.1.5:5555"
                                  << "";
}

void MainWindowPhonesTest::hostileDeviceIdStaysInCacheFolder()
{
    QFETCH(QString, devId);
    QFETCH(QString, victim);
    QString victimPath;
    QByteArray victimBytes;
    if (!victim.isEmpty()) {
        victimPath = QDir(platform::dataFolder()).filePath(victim);
        QDir().mkpath(QFileInfo(victimPath).absolutePath());
        panetest::makeDb(victimPath, {panetest::contact(QStringLiteral("Keep Me"))});
        victimBytes = fileBytes(victimPath);
        QVERIFY(!victimBytes.isEmpty());
    }
    openWindow();
    QTRY_COMPARE_WITH_TIMEOUT(tree().deviceNodes().size(), 2, 60000);
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    auto connector = std::make_shared<AndroidWifiConnector>();
    connector->hello(QStringLiteral("127.0.0.71"));
    m_window->androidDeviceIniLoad(devId, connector);

    const Tree::_DBItemNode *node = tree().deviceNode(devId);
    QVERIFY(node);
    QCOMPARE(node->name, QStringLiteral("Plain WiFi"));
    const QFileInfo cache(node->db->path());
    QCOMPARE(cache.absolutePath(), QDir(MainWindow::phoneCacheFolder()).absolutePath());
    QVERIFY(cache.fileName() != devId);
    QVERIFY(cache.exists());
    if (!victimPath.isEmpty())
        QCOMPARE(fileBytes(victimPath), victimBytes);
}

void MainWindowPhonesTest::treeChangesWhileJobRuns()
{
    // A job writes a local database while phones come and go: the window
    // never reads that database before the job has ended, even when the
    // tree's current node moves onto it.
    const QString dbPath = QDir(platform::localDbFolder()).filePath(QStringLiteral("Target.db"));
    QList<Contact> existing;
    for (int i = 0; i < 5; ++i)
        existing << panetest::contact(QStringLiteral("Existing %1").arg(i));
    panetest::makeDb(dbPath, existing);
    openWindow();
    QTRY_COMPARE_WITH_TIMEOUT(tree().deviceNodes().size(), 2, 60000);
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    Tree::_DBItemNode *target = nullptr;
    for (Tree::_DBItemNode *node : tree().localDbNodes())
        target = node->name == u"Target.db" ? node : target;
    QVERIFY(target);

    QList<Contact> incoming;
    for (int i = 0; i < 3000; ++i)
        incoming << panetest::contact(QStringLiteral("Incoming %1").arg(i, 4, 10, QLatin1Char('0')));
    QStringList seenWhileRunning;
    bool changed = false;
    m_answers->answerLiveDialog([&](QDialog &form) {
        QTimer::singleShot(0, &form, [&] {
            // The database being written becomes current; both phones go,
            // one comes back, another arrives.
            treeView()->setCurrentIndex(tree().indexOfNode(target));
            seenWhileRunning << total();
            m_window->androidDeviceDisconnected(QStringLiteral("QMW0001"));
            m_window->androidDeviceDisconnected(QStringLiteral("QMW0002"));
            seenWhileRunning << total();
            m_window->androidDeviceUSBConnected(QStringLiteral("QMW0002"));
            seenWhileRunning << total();
            changed = true;
        });
        return form.exec();
    });
    {
        TaskRunner task(QStringLiteral("backup"), nullptr);
        BackupContactsToLocalThread job(incoming, target->db.get(), task.progress());
        QVERIFY(task.run(job));
    }
    QVERIFY(changed);
    QCOMPARE(seenWhileRunning, (QStringList{QStringLiteral("Total:0"), QStringLiteral("Total:0"), QStringLiteral("Total:0")}));
    // Once the job has ended, the phone that came back is loaded (and made
    // current); the database the job wrote then lists every contact.
    QTRY_VERIFY_WITH_TIMEOUT(tree().deviceNode(QStringLiteral("QMW0002")), 60000);
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    treeView()->setCurrentIndex(tree().indexOfNode(target));
    QTRY_COMPARE(total(), QStringLiteral("Total:3005"));
    QVERIFY(!tree().deviceNode(QStringLiteral("QMW0001")));
}

void MainWindowPhonesTest::offlinePhones()
{
    // Files in android_virtual are phones without a connection, in name
    // order; the last one is current.
    QDir virtualDir(QDir(platform::dataFolder()).filePath(QStringLiteral("android_virtual")));
    QVERIFY(QDir().mkpath(virtualDir.path()));
    panetest::makeDb(virtualDir.filePath(QStringLiteral("b.db")),
                     {panetest::contact(QStringLiteral("Bea")), panetest::contact(QStringLiteral("Bo"))});
    panetest::makeDb(virtualDir.filePath(QStringLiteral("a.db")), {panetest::contact(QStringLiteral("Ada"))});
    QVERIFY(QDir().mkpath(virtualDir.filePath(QStringLiteral("c.db"))));   // a folder is no phone
    QVERIFY(detach(QStringLiteral("QMW0001")));
    QVERIFY(detach(QStringLiteral("QMW0002")));
    openWindow();
    QCOMPARE(devices(tree()), (QStringList{QStringLiteral("a=a.db"), QStringLiteral("b=b.db")}));
    QCOMPARE(currentName(), QStringLiteral("b"));
    QCOMPARE(total(), QStringLiteral("Total:2"));
    QVERIFY(virtualDir.removeRecursively());
    QVERIFY(attach(QStringLiteral("QMW0001")));
    QVERIFY(attach(QStringLiteral("QMW0002")));
}

void MainWindowPhonesTest::wifiDialogLoadsPhone()
{
    openWindow();
    QTRY_COMPARE_WITH_TIMEOUT(tree().deviceNodes().size(), 2, 60000);
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    m_answers->answerDialog([](QDialog &dialog) {
        dialog.findChild<QLineEdit *>(QStringLiteral("txtWifiSocket"))->setText(QStringLiteral("127.0.0.71"));
        QMetaObject::invokeMethod(&dialog, "onBtnConnect");
        return dialog.result();
    });
    QAction *connect = m_window->findChild<QAction *>(QStringLiteral("actConnectViaWiFi"));
    QVERIFY(connect);
    connect->trigger();
    QTRY_VERIFY(!TaskActivity::instance().isBusy());
    QCOMPARE(currentName(), QStringLiteral("Plain WiFi"));
    QCOMPARE(total(), QStringLiteral("Total:2"));
    QCOMPARE(tree().deviceNodes().size(), 3);
}

QTEST_MAIN(MainWindowPhonesTest)
#include "mainwindowphonestest.moc"
