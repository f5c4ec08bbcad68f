// The simulator's command-line tool as tests of the program use it.

#include "tests/support/testpaths.h"
#include "tests/tools/simtestclient.h"

#include <QDir>
#include <QFile>
#include <QTest>

class PhoneSimCliTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void createSeveralPhonesInOneCall();
    void dumpFormatIsStable();
    void misuse_data();
    void misuse();
    void changesShowInAdb();
    void fillAndClear();
    void commandsRunInsideTheSimulator();
    void startStopStatus();
    void transcriptRecordsExchanges();
};

void PhoneSimCliTest::createSeveralPhonesInOneCall()
{
    PhoneSimDriver sim;
    const auto r = sim.run(QStringLiteral("create"),
        { "serial=CL1", "contacts=12", "name=Ägypten Phone", "version=2", "+", "wifi=127.0.0.17", "id=home",
            "installed=0", "+", "serial=CL2", "wifi=127.0.0.18", "usb-state=offline" });
    QVERIFY2(r.ok(), r.err.constData());
    QCOMPARE(r.out, QByteArray("CL1\nhome\nCL2\n"));
    QCOMPARE(sim.run(QStringLiteral("list")).out,
        QByteArray("CL1\tserial=CL1\twifi=off\tusb=device\tagent=installed\tversion=2\tcontacts=12\tname=Ägypten Phone\n"
                   "CL2\tserial=CL2\twifi=127.0.0.18\tusb=offline\tagent=installed\tversion=3\tcontacts=0\tname=Phone CL2\n"
                   "home\tserial=\twifi=127.0.0.17\tusb=none\tagent=missing\tversion=3\tcontacts=0\tname=Phone home\n"));
    for (const QString &file : { QStringLiteral("phones/CL1/phone.json"), QStringLiteral("phones/CL1/contacts.store"),
             QStringLiteral("phones/home/phone.json") })
        QVERIFY2(QFile::exists(sim.stateDir() + u'/' + file), qPrintable(file));
    // Phones are found by id, serial, address or device id.
    QCOMPARE(sim.dump(QStringLiteral("127.0.0.17"), { QStringLiteral("--count") }), QByteArray("0\n"));
    QCOMPARE(sim.dump(QStringLiteral("CL1"), { QStringLiteral("--count") }), QByteArray("12\n"));
}

void PhoneSimCliTest::dumpFormatIsStable()
{
    QFile expected(testpaths::testData(QStringLiteral("tools/generated-seed7-3.txt")));
    QVERIFY(expected.open(QIODevice::ReadOnly));
    PhoneSimDriver sim;
    QCOMPARE(sim.run(QStringLiteral("generate"), {}).exitCode, 2); // the count is missing
    QProcess p;
    p.start(PhoneSimDriver::program(), { QStringLiteral("generate"), QStringLiteral("3"), QStringLiteral("seed=7") });
    QVERIFY(p.waitForFinished());
    const QList<QByteArray> got = p.readAllStandardOutput().split('\n');
    const QList<QByteArray> want = expected.readAll().split('\n');
    for (int i = 0; i < std::min(got.size(), want.size()); ++i)
        QCOMPARE(got.at(i), want.at(i));
    QCOMPARE(got.size(), want.size());

    // A phone filled with the same seed holds exactly these people.
    QVERIFY(sim.create({ "serial=GOLD", "contacts=3", "seed=7" }));
    QCOMPARE(sim.dump(QStringLiteral("GOLD")).split('\n'), want);
}

void PhoneSimCliTest::misuse_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("unknown command") << QStringList { "frobnicate", "STATE" } << 2 << QByteArray("unknown command");
    QTest::newRow("unknown phone") << QStringList { "dump", "STATE", "NOPE" } << 1 << QByteArray("no phone \"NOPE\"");
    QTest::newRow("unknown key") << QStringList { "create", "STATE", "colour=red" } << 2 << QByteArray("unknown attribute");
    QTest::newRow("not loopback") << QStringList { "create", "STATE", "wifi=10.0.0.2" } << 2 << QByteArray("127.0.0.0/8");
    QTest::newRow("neither USB nor WiFi") << QStringList { "create", "STATE", "name=x" } << 1 << QByteArray("serial, a WiFi");
    QTest::newRow("same serial twice") << QStringList { "create", "STATE", "serial=DUP" } << 1 << QByteArray("exists already");
    QTest::newRow("bad fault") << QStringList { "fault", "STATE", "DUP", "error-at=soon" } << 2 << QByteArray("line number");
    QTest::newRow("unknown fault") << QStringList { "fault", "STATE", "DUP", "explode" } << 2 << QByteArray("unknown fault");
    QTest::newRow("bad batch size") << QStringList { "set", "STATE", "DUP", "batch-size=0" } << 2 << QByteArray("batch-size");
    QTest::newRow("no state folder") << QStringList { "list", "/nonexistent/phonesim" } << 1 << QByteArray("no state folder");
}

void PhoneSimCliTest::misuse()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, message);
    PhoneSimDriver sim;
    QVERIFY(sim.create({ "serial=DUP" }));
    if (args.at(1) == u"STATE")
        args[1] = sim.stateDir();
    QProcess p;
    p.start(PhoneSimDriver::program(), args);
    QVERIFY(p.waitForFinished());
    QCOMPARE(p.exitCode(), exitCode);
    const QByteArray err = p.readAllStandardError();
    QVERIFY2(err.contains(message), err.constData());
}

void PhoneSimCliTest::changesShowInAdb()
{
    PhoneSimDriver sim;
    QVERIFY(sim.create({ "serial=CH1" }));
    const QByteArray header = "List of devices attached\n";
    QVERIFY(sim.set(QStringLiteral("CH1"), { QStringLiteral("usb-state=unauthorized") }));
    QCOMPARE(sim.adb({ "devices" }).out, header + "CH1\tunauthorized\n\n");
    QVERIFY(sim.run(QStringLiteral("attach"), { "CH1", "device" }).ok());
    QCOMPARE(sim.adb({ "devices" }).out, header + "CH1\tdevice\n\n");
    QVERIFY(sim.run(QStringLiteral("detach"), { "CH1" }).ok());
    QCOMPARE(sim.adb({ "devices" }).out, header + '\n');
    QVERIFY(sim.set(QStringLiteral("CH1"), { QStringLiteral("attached=1"), QStringLiteral("serial=CH1B") }));
    QCOMPARE(sim.adb({ "devices" }).out, header + "CH1B\tdevice\n\n");
    QCOMPARE(sim.run(QStringLiteral("attach"), { "CH1", "sideways" }).exitCode, 2);
}

void PhoneSimCliTest::fillAndClear()
{
    PhoneSimDriver sim;
    QVERIFY(sim.create({ "serial=F1", "+", "serial=F2" }));
    QVERIFY(sim.run(QStringLiteral("fill"), { "F1", "40", "seed=5" }).ok());
    QVERIFY(sim.run(QStringLiteral("fill"), { "F2", "30", "seed=5" }).ok());
    QVERIFY(sim.run(QStringLiteral("fill"), { "F2", "10", "seed=5", "from=30" }).ok());
    // Same people, same ids: the two phones are alike.
    QCOMPARE(sim.dump(QStringLiteral("F1")), sim.dump(QStringLiteral("F2")));
    QVERIFY(sim.run(QStringLiteral("clear"), { "F1" }).ok());
    QCOMPARE(sim.dump(QStringLiteral("F1"), { QStringLiteral("--count") }), QByteArray("0\n"));
    QVERIFY(sim.run(QStringLiteral("fill"), { "F1", "2" }).ok());
    // Ids go on growing after a clear.
    QVERIFY(sim.dump(QStringLiteral("F1")).contains("contact\t41\t1041\t"));
}

void PhoneSimCliTest::commandsRunInsideTheSimulator()
{
    PhoneSimDriver sim;
    QVERIFY(sim.create({ "serial=IN1" }));
    QVERIFY(sim.start());
    QVERIFY(sim.create({ "wifi=127.0.0.19", "id=late", "device-id=late-phone" }));
    QByteArray answer;
    QVERIFY(wifiControl(QStringLiteral("127.0.0.19"), "hello://127.0.0.1", &answer));
    QCOMPARE(answer, QByteArray("hello:late-phone"));
    QVERIFY(sim.run(QStringLiteral("wifi"), { "late", "127.0.0.20" }).ok());
    QVERIFY(!wifiControl(QStringLiteral("127.0.0.19"), "hello://127.0.0.1", &answer));
    QVERIFY(wifiControl(QStringLiteral("127.0.0.20"), "hello://127.0.0.1", &answer));
    // A second phone cannot take an address in use.
    const auto clash = sim.run(QStringLiteral("create"), { "wifi=127.0.0.20" });
    QCOMPARE(clash.exitCode, 1);
    // Without the agent there is nothing listening.
    QVERIFY(sim.set(QStringLiteral("late"), { QStringLiteral("installed=0") }));
    QVERIFY(!wifiControl(QStringLiteral("127.0.0.20"), "hello://127.0.0.1", &answer));
    QVERIFY(sim.set(QStringLiteral("late"), { QStringLiteral("installed=1") }));
    QVERIFY(sim.run(QStringLiteral("remove"), { "late" }).ok());
    QVERIFY(!wifiControl(QStringLiteral("127.0.0.20"), "hello://127.0.0.1", &answer));
    QVERIFY(!QDir(sim.stateDir() + QStringLiteral("/phones/late")).exists());
}

void PhoneSimCliTest::startStopStatus()
{
    PhoneSimDriver sim;
    QVERIFY(sim.create({ "wifi=127.0.0.21" }));
    QCOMPARE(sim.run(QStringLiteral("status")).exitCode, 3);
    QVERIFY(sim.start());
    QVERIFY(sim.start()); // already running: fine
    QVERIFY(sim.run(QStringLiteral("status")).out.startsWith("running pid="));
    QVERIFY(wifiControl(QStringLiteral("127.0.0.21"), "hello:"));
    QVERIFY(sim.stop());
    QCOMPARE(sim.run(QStringLiteral("status")).exitCode, 3);
    QVERIFY(!QFile::exists(sim.stateDir() + QStringLiteral("/server.json")));
    QVERIFY(!wifiControl(QStringLiteral("127.0.0.21"), "hello:"));
    QVERIFY(sim.stop());

    // Two simulators on one state folder: the second start finds the first.
    QVERIFY(sim.start());
    const auto serve = sim.run(QStringLiteral("serve"));
    QCOMPARE(serve.exitCode, 1);
    QVERIFY(serve.err.contains("already"));
}

void PhoneSimCliTest::transcriptRecordsExchanges()
{
    PhoneSimDriver sim;
    QVERIFY(sim.create({ "wifi=127.0.0.22", "contacts=3", "batch-size=2" }));
    QVERIFY(sim.start());
    QVERIFY(wifiControl(QStringLiteral("127.0.0.22"), "backup://127.0.0.1:42222/"));
    SimTestClient client;
    QVERIFY(client.connectRetrying(QStringLiteral("127.0.0.22"), 42222));
    QVERIFY(client.readBackup().bye);
    client.socket().disconnectFromHost();
    QVERIFY(client.waitClosed());
    const QList<QByteArray> lines = sim.transcript(QStringLiteral("127.0.0.22")).split('\n');
    QVERIFY(lines.contains("0\tcontrol\t<\tbackup://127.0.0.1:42222/"));
    QVERIFY(lines.contains("1\tbackup\t>\t$version:3"));
    QVERIFY(lines.contains("1\tbackup\t<\t$batch:"));
    QVERIFY(lines.contains("1\tbackup\t>\t$bye:"));
    int entitySummaries = 0;
    for (const QByteArray &line : lines)
        entitySummaries += line.startsWith("1\tbackup\t>\t# ") && line.endsWith(" entity lines");
    QCOMPARE(entitySummaries, 2);
    QVERIFY(sim.run(QStringLiteral("transcript"), { "127.0.0.22", "--clear" }).ok());
    QCOMPARE(sim.transcript(QStringLiteral("127.0.0.22")), QByteArray());
}

QTEST_GUILESS_MAIN(PhoneSimCliTest)
#include "phonesimclitest.moc"
