// Which way the USB connector takes to a phone's contacts, against the
// phone simulator: the agent only in a build that carries a real agent
// package and only when it is installed or installs; the phone bridge
// otherwise. Each choice is then used for a whole backup exchange.
#include "android/linktimings.h"
#include "android/simpleprotocol.h"
#include "android/usbphoneconnector.h"
#include "tools/phonesim/phonesimdriver.h"

#include <QCoreApplication>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

using namespace simpleprotocol;

namespace {

// Below the ephemeral range, under the USB port lock.
constexpr int backupPort = 43341;

struct Exchange
{
    int contacts = -1; // name entities received; -1 when the exchange failed
    QString error;
};

Exchange backup(IAndroidConnector &connector)
{
    Exchange result;
    try {
        QTcpSocket socket;
        socket.connectToHost(connector.startBackupService(backupPort), backupPort);
        if (!socket.waitForConnected(ConnectTimeoutMs)) {
            result.error = socket.errorString();
            return result;
        }
        int contacts = 0;
        for (;;) {
            const QString line = readCommand(socket, 30000);
            contacts += line.startsWith(u"$ent:1/") ? 1 : 0;
            if (line.startsWith(u"$end:"))
                writeCommand(socket, QStringLiteral("$batch:"), QString(), true);
            if (line.startsWith(u"$bye:"))
                break;
        }
        result.contacts = contacts;
    } catch (const std::exception &e) {
        result.error = QString::fromUtf8(e.what());
    }
    return result;
}

} // namespace

class UsbPhoneConnectorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void choosesItsWay_data();
    void choosesItsWay();
    void defaultBuildUsesTheBridge();

private:
    PhoneSimDriver m_sim;
    QTranslator m_translator;
    QTemporaryDir m_dataFolder;
};

void UsbPhoneConnectorTest::initTestCase()
{
    QVERIFY(m_translator.load(QStringLiteral(":/en.qm")));
    QCoreApplication::installTranslator(&m_translator);
    // 16 generated contacts: every eighth has a photo.
    QVERIFY2(m_sim.create({ "serial=UPC1", "contacts=16", "batch-size=5" }), m_sim.lastError());
    QVERIFY2(m_sim.start(), m_sim.lastError());
    m_sim.exportEnvironment();
    QVERIFY(m_dataFolder.isValid());
}

void UsbPhoneConnectorTest::init()
{
    LinkTimings::reset();
    LinkTimings::setStartPauseMs(20);
    LinkTimings::setInstallPauseMs(20);
    QVERIFY(m_sim.fault(QStringLiteral("UPC1"), { QStringLiteral("clear") }));
    // The agent's port forward of an earlier row would hold the data port
    // the bridge listens on; a new adb server has none (and greets the
    // first call with its start-up lines, which must not matter).
    QVERIFY(m_sim.adb({ QStringLiteral("kill-server") }).ok());
    (void)m_sim.takeAdbLog();
}

void UsbPhoneConnectorTest::choosesItsWay_data()
{
    QTest::addColumn<bool>("agentBundled");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("bridge");
    QTest::addColumn<int>("installs");
    QTest::addColumn<QString>("problem"); // part of agentProblem(), or empty

    QTest::newRow("no real agent, none on the phone") << false << false << QString() << true << 0 << QString();
    QTest::newRow("no real agent, one on the phone") << false << true << QString() << true << 0 << QString();
    QTest::newRow("agent installed") << true << true << QString() << false << 0 << QString();
    QTest::newRow("agent missing, installed once") << true << false << QString() << false << 1 << QString();
    QTest::newRow("install refused") << true << false << QStringLiteral("install-failure=INSUFFICIENT_STORAGE")
                                     << true << 1 << QStringLiteral("INSUFFICIENT_STORAGE");
}

void UsbPhoneConnectorTest::choosesItsWay()
{
    QFETCH(bool, agentBundled);
    QFETCH(bool, installed);
    QFETCH(QString, fault);
    QFETCH(bool, bridge);
    QFETCH(int, installs);
    QFETCH(QString, problem);
    QVERIFY(m_sim.set(QStringLiteral("UPC1"), { QStringLiteral("installed=%1").arg(installed ? 1 : 0) }));
    if (!fault.isEmpty())
        QVERIFY(m_sim.fault(QStringLiteral("UPC1"), { fault }));

    UsbPhoneConnector connector(QStringLiteral("UPC1"), m_dataFolder.path(), QStringLiteral("adb"), agentBundled);
    connector.prepareAgent();
    QCOMPARE(connector.usesBridge(), bridge);
    QCOMPARE(connector.agentProblem().isEmpty(), !bridge || !agentBundled);
    QVERIFY2(connector.agentProblem().contains(problem), qPrintable(connector.agentProblem()));

    // The whole exchange runs the chosen way.
    const Exchange exchange = backup(connector);
    QVERIFY2(exchange.error.isEmpty(), qPrintable(exchange.error));
    QCOMPARE(exchange.contacts, 16);
    int installCalls = 0;
    int contentCalls = 0;
    int broadcasts = 0;
    for (const QStringList &call : m_sim.takeAdbLog()) {
        const QString line = call.join(u' ');
        installCalls += call.contains(QStringLiteral("install")) ? 1 : 0;
        contentCalls += line.contains(QStringLiteral("content query")) ? 1 : 0;
        broadcasts += line.contains(QStringLiteral("broadcast")) ? 1 : 0;
    }
    QCOMPARE(installCalls, installs);
    QCOMPARE(contentCalls > 0, bridge);
    QCOMPARE(broadcasts > 0, !bridge);
    // Only the bridge leaves the two photos out, and says so.
    QCOMPARE(connector.photosLeftOut(), bridge ? 2 : 0);
    QCOMPARE(connector.photosNote().isEmpty(), !bridge);
    if (bridge)
        QCOMPARE(connector.photosNote(),
                 QStringLiteral("Phone UPC1: 2 contact photos were left out. Without the Quillmarrow agent on the "
                                "phone, Android's content tool cannot carry photos; everything else was."));
}

void UsbPhoneConnectorTest::defaultBuildUsesTheBridge()
{
    // This build carries the placeholder package, not a real agent.
    QVERIFY(!UsbPhoneConnector::agentPackaged());
    UsbPhoneConnector connector(QStringLiteral("UPC1"));
    QVERIFY(connector.usesBridge());
    QVERIFY(connector.agentProblem().isEmpty());
}

QTEST_GUILESS_MAIN(UsbPhoneConnectorTest)
#include "usbphoneconnectortest.moc"
