#include "android/androidwificonnector.h"
#include "android/linktimings.h"
#include "android/simpleprotocol.h"
#include "android/wifiservicetimeoutexception.h"
#include "tests/android/scriptedpeer.h"
#include "tools/phonesim/phonesimdriver.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <QTest>

#include <stdexcept>

namespace {

// Each test talks to its own loopback address on the agent's control port.
QHostAddress phoneAddress(int n)
{
    return QHostAddress(QStringLiteral("127.0.0.%1").arg(n));
}

} // namespace

class AndroidWifiConnectorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void helloKeepsDeviceId_data();
    void helloKeepsDeviceId();
    void helloFailures_data();
    void helloFailures();
    void nothingListeningIsRefused();
    void startRequests_data();
    void startRequests();
    void startRequestWithoutAgentFails();
    void deviceIdsUsableAsFileNames_data();
    void deviceIdsUsableAsFileNames();
    void simulatedPhone();
};

void AndroidWifiConnectorTest::init()
{
    LinkTimings::reset();
    LinkTimings::setStartPauseMs(50);
    LinkTimings::setHelloReplyMs(600);
}

void AndroidWifiConnectorTest::helloKeepsDeviceId_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("deviceId");
    QTest::newRow("plain") << QByteArray("hello:a1b2c3d4e5\n") << "a1b2c3d4e5";
    QTest::newRow("CR LF") << QByteArray("hello:phone-7\r\n") << "phone-7";
    // Another word loses its first six characters all the same.
    QTest::newRow("other word") << QByteArray("howdy:XYZ\n") << "XYZ";
}

void AndroidWifiConnectorTest::helloKeepsDeviceId()
{
    QFETCH(QByteArray, answer);
    QFETCH(QString, deviceId);
    QByteArray received;
    ScriptedPeer agent(phoneAddress(40), simpleprotocol::AgentControlPort, [&](QTcpSocket &s) {
        received = ScriptedPeer::readLine(s);
        ScriptedPeer::send(s, answer);
        ScriptedPeer::drain(s);
    });
    QVERIFY(agent.startListening());
    AndroidWifiConnector connector;
    connector.hello(QStringLiteral("127.0.0.40"));
    QCOMPARE(connector.deviceId(), deviceId);
    QCOMPARE(connector.host(), QStringLiteral("127.0.0.40"));
    agent.wait();
    QCOMPARE(received, QByteArray("hello://127.0.0.1\n"));
}

void AndroidWifiConnectorTest::helloFailures_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("close");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("silent agent") << QByteArray() << false << "timeout"
                                  << "WifiServiceTimeoutException";
    QTest::newRow("half an answer, then silence") << QByteArray("hello:ab") << false << "timeout"
                                                  << "WifiServiceTimeoutException";
    QTest::newRow("error answer") << QByteArray(
        "$error:" + QStringLiteral("Kein Zugriff – 拒绝").toUtf8().toBase64() + "\n")
                                  << false << "remote" << QStringLiteral("Kein Zugriff – 拒绝");
    QTest::newRow("closes without answer") << QByteArray() << true << "transfer" << QString();
    QTest::newRow("blank answer") << QByteArray("\n") << false << "transfer"
                                  << "Null command.";
    QTest::newRow("empty device id") << QByteArray("hello:\n") << false << "runtime" << QString();
    QTest::newRow("path in device id") << QByteArray("hello:../../etc\n") << false << "runtime" << QString();
}

void AndroidWifiConnectorTest::helloFailures()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, close);
    QFETCH(QString, kind);
    QFETCH(QString, message);
    ScriptedPeer agent(phoneAddress(41), simpleprotocol::AgentControlPort, [&](QTcpSocket &s) {
        (void)ScriptedPeer::readLine(s);
        if (!answer.isEmpty())
            ScriptedPeer::send(s, answer);
        if (!close)
            ScriptedPeer::drain(s);
    });
    QVERIFY(agent.startListening());
    AndroidWifiConnector connector;
    QString caught;
    QString what;
    try {
        connector.hello(QStringLiteral("127.0.0.41"));
    } catch (const WifiServiceTimeoutException &e) {
        caught = QStringLiteral("timeout");
        what = QString::fromUtf8(e.what());
    } catch (const simpleprotocol::RemoteException &e) {
        caught = QStringLiteral("remote");
        what = QString::fromUtf8(e.what());
    } catch (const simpleprotocol::SocketDataTransferException &e) {
        caught = QStringLiteral("transfer");
        what = QString::fromUtf8(e.what());
    } catch (const std::runtime_error &e) {
        caught = QStringLiteral("runtime");
        what = QString::fromUtf8(e.what());
    }
    QCOMPARE(caught, kind);
    if (!message.isEmpty())
        QCOMPARE(what, message);
    QCOMPARE(connector.deviceId(), QString());
}

void AndroidWifiConnectorTest::nothingListeningIsRefused()
{
    // A refused connection is said to be refused, not a time-out.
    AndroidWifiConnector connector;
    try {
        connector.hello(QStringLiteral("127.0.0.42"));
        QFAIL("no exception");
    } catch (const WifiServiceTimeoutException &) {
        QFAIL("reported as a time-out");
    } catch (const std::runtime_error &e) {
        QVERIFY2(QString::fromUtf8(e.what()).contains(QStringLiteral("refused"), Qt::CaseInsensitive), e.what());
    }
}

void AndroidWifiConnectorTest::startRequests_data()
{
    QTest::addColumn<bool>("backup");
    QTest::addColumn<int>("port");
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("send exchange") << false << 42222 << QByteArray("restore://127.0.0.1:42222/\n");
    QTest::newRow("receive exchange") << true << 42223 << QByteArray("backup://127.0.0.1:42223/\n");
}

void AndroidWifiConnectorTest::startRequests()
{
    QFETCH(bool, backup);
    QFETCH(int, port);
    QFETCH(QByteArray, request);

    // The handshake first, then one control connection per start request.
    ScriptedPeer handshake(phoneAddress(43), simpleprotocol::AgentControlPort, [](QTcpSocket &s) {
        (void)ScriptedPeer::readLine(s);
        ScriptedPeer::send(s, "hello:dev-43\n");
        ScriptedPeer::drain(s);
    });
    QVERIFY(handshake.startListening());
    AndroidWifiConnector connector;
    connector.hello(QStringLiteral("127.0.0.43"));
    handshake.wait();

    QByteArray received;
    bool closedByUs = false;
    ScriptedPeer agent(phoneAddress(43), simpleprotocol::AgentControlPort, [&](QTcpSocket &s) {
        received = ScriptedPeer::readLine(s);
        ScriptedPeer::drain(s);
        closedByUs = s.state() != QAbstractSocket::ConnectedState;
    });
    QVERIFY(agent.startListening());
    const QString host = backup ? connector.startBackupService(port) : connector.startRestoreService(port);
    QCOMPARE(host, QStringLiteral("127.0.0.43"));
    agent.wait();
    QCOMPARE(received, request);
    QVERIFY(closedByUs);
}

void AndroidWifiConnectorTest::startRequestWithoutAgentFails()
{
    ScriptedPeer handshake(phoneAddress(44), simpleprotocol::AgentControlPort, [](QTcpSocket &s) {
        (void)ScriptedPeer::readLine(s);
        ScriptedPeer::send(s, "hello:dev-44\n");
    });
    QVERIFY(handshake.startListening());
    AndroidWifiConnector connector;
    connector.hello(QStringLiteral("127.0.0.44"));
    handshake.wait();
    // Nobody listens any more: a plain runtime_error with the socket's text.
    try {
        (void)connector.startBackupService(42222);
        QFAIL("no exception");
    } catch (const WifiServiceTimeoutException &) {
        QFAIL("a start request is no handshake");
    } catch (const std::runtime_error &e) {
        QVERIFY(!QString::fromUtf8(e.what()).isEmpty());
    }
    connector.prepareAgent(); // nothing to do over WiFi
    QCOMPARE(connector.deviceLog(), QString());
}

void AndroidWifiConnectorTest::deviceIdsUsableAsFileNames_data()
{
    QTest::addColumn<QString>("deviceId");
    QTest::addColumn<bool>("usable");
    QTest::newRow("hex") << "a1b2c3" << true;
    QTest::newRow("with colon and dots") << "192.168.1.5:5555" << true;
    QTest::newRow("non-ASCII") << QStringLiteral("Téléphone") << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("dot") << "." << false;
    QTest::newRow("dot dot") << ".." << false;
    QTest::newRow("slash") << "a/b" << false;
    QTest::newRow("backslash") << "a\\b" << false;
    QTest::newRow("control") << QStringLiteral("a\tb") << false;
}

void AndroidWifiConnectorTest::deviceIdsUsableAsFileNames()
{
    QFETCH(QString, deviceId);
    QFETCH(bool, usable);
    QCOMPARE(AndroidWifiConnector::isUsableDeviceId(deviceId), usable);
}

void AndroidWifiConnectorTest::simulatedPhone()
{
    PhoneSimDriver sim;
    QVERIFY2(sim.create({ "wifi=127.0.0.52", "contacts=3" }), sim.lastError());
    QVERIFY2(sim.start(), sim.lastError());
    const QString deviceId = QJsonDocument::fromJson(sim.run(QStringLiteral("show"), { "127.0.0.52" }).out)
                                 .object()
                                 .value(QStringLiteral("deviceId"))
                                 .toString();
    QVERIFY(!deviceId.isEmpty());

    AndroidWifiConnector connector;
    connector.hello(QStringLiteral("127.0.0.52"));
    QCOMPARE(connector.deviceId(), deviceId);

    // The agent's own faults on the control port.
    QVERIFY(sim.fault(QStringLiteral("127.0.0.52"), { "silent-hello" }));
    QVERIFY_THROWS_EXCEPTION(WifiServiceTimeoutException, AndroidWifiConnector().hello(QStringLiteral("127.0.0.52")));
    QVERIFY(sim.fault(QStringLiteral("127.0.0.52"), { "clear" }));
    QVERIFY(sim.fault(QStringLiteral("127.0.0.52"), { "hello-error" }));
    QVERIFY_THROWS_EXCEPTION(
        simpleprotocol::RemoteException, AndroidWifiConnector().hello(QStringLiteral("127.0.0.52")));
    QVERIFY(sim.fault(QStringLiteral("127.0.0.52"), { "clear" }));
    QVERIFY(sim.run(QStringLiteral("wifi"), { "127.0.0.52", "off" }).ok());
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, AndroidWifiConnector().hello(QStringLiteral("127.0.0.52")));
    // The earlier handshake's connector cannot start an exchange now.
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, (void)connector.startRestoreService(42222));
}

QTEST_GUILESS_MAIN(AndroidWifiConnectorTest)
#include "androidwificonnectortest.moc"
