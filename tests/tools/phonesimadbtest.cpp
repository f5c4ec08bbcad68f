// The stand-in adb: every command line the program runs, with output shaped
// like the real adb's.

#include "tests/tools/simtestclient.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class PhoneSimAdbTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void devices();
    void devicesWithoutState();
    void unknownSerial_data();
    void unknownSerial();
    void unusableStates_data();
    void unusableStates();
    void forwardAndBroadcastStartTheAgent();
    void broadcastOutput_data();
    void broadcastOutput();
    void forwardNeedsRunningSimulator();
    void forwardRefusesBadPorts();
    void packages();
    void installAndUninstall();
    void logcat();
    void killServerDropsForwards();
    void commandLinesAreLogged();

private:
    PhoneSimDriver m_sim;
};

namespace {

const QString receiver = QStringLiteral("com.quillmarrow.contactssync/.AdbSyncBroadcastReceiver");

QStringList broadcast(const QString &serial, const QString &uri)
{
    return { "-s", serial, "shell", "am", "broadcast", "-n", receiver, "-d", uri };
}

} // namespace

void PhoneSimAdbTest::initTestCase()
{
    QVERIFY2(m_sim.create({ "serial=ADB1", "contacts=3", "name=Pixel 7 Pro", "+", "serial=ADB2", "usb-state=unauthorized",
                 "+", "serial=ADB3", "usb-state=offline", "+", "serial=ADB4", "attached=0", "+", "wifi=127.0.0.16" }),
        m_sim.lastError());
    QVERIFY2(m_sim.start(), m_sim.lastError());
}

void PhoneSimAdbTest::devices()
{
    const auto r = m_sim.adb({ "devices" });
    QCOMPARE(r.out, QByteArray("List of devices attached\nADB1\tdevice\nADB2\tunauthorized\nADB3\toffline\n\n"));
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.exitCode, 0);
    const auto l = m_sim.adb({ "devices", "-l" });
    QVERIFY(l.out.contains("ADB1\tdevice product:phonesim model:Pixel_7_Pro device:phonesim transport_id:1\n"));
    // Without a serial, a command needs exactly one phone.
    const auto ambiguous = m_sim.adb({ "shell", "pm", "-l" });
    QCOMPARE(ambiguous.out, QByteArray());
    QCOMPARE(ambiguous.err, QByteArray("adb: more than one device/emulator\n"));
}

void PhoneSimAdbTest::devicesWithoutState()
{
    QProcess adb;
    QProcessEnvironment env = m_sim.environment();
    env.remove(QStringLiteral("PHONESIM_STATE"));
    adb.setProcessEnvironment(env);
    adb.start(PhoneSimDriver::adbDirectory() + QStringLiteral("/adb"), { QStringLiteral("devices") });
    QVERIFY(adb.waitForFinished());
    QCOMPARE(adb.readAllStandardOutput(), QByteArray("List of devices attached\n\n"));
    QCOMPARE(adb.readAllStandardError(), QByteArray());
}

void PhoneSimAdbTest::unknownSerial_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("forward") << QStringList { "-s", "NOPE", "forward", "tcp:23401", "tcp:23401" };
    QTest::newRow("install") << QStringList { "-s", "NOPE", "install", "/dev/null" };
    QTest::newRow("uninstall") << QStringList { "-s", "NOPE", "uninstall", "com.quillmarrow.contactssync" };
    QTest::newRow("packages") << QStringList { "-s", "NOPE", "shell", "pm", "-l" };
    QTest::newRow("broadcast") << broadcast(QStringLiteral("NOPE"), QStringLiteral("sync://backup:23401/"));
    QTest::newRow("logcat") << QStringList { "-s", "NOPE", "shell", "logcat", "-d" };
    QTest::newRow("detached phone") << QStringList { "-s", "ADB4", "shell", "pm", "-l" };
    QTest::newRow("WiFi phone's address") << QStringList { "-s", "127.0.0.16", "shell", "pm", "-l" };
}

void PhoneSimAdbTest::unknownSerial()
{
    QFETCH(QStringList, args);
    const auto r = m_sim.adb(args);
    QCOMPARE(r.out, QByteArray());
    QCOMPARE(r.err, "error: device '" + args.at(1).toUtf8() + "' not found\n");
}

void PhoneSimAdbTest::unusableStates_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QByteArray>("firstLine");
    QTest::newRow("unauthorized") << "ADB2" << QByteArray("error: device unauthorized.");
    QTest::newRow("offline") << "ADB3" << QByteArray("error: device offline");
}

void PhoneSimAdbTest::unusableStates()
{
    QFETCH(QString, serial);
    QFETCH(QByteArray, firstLine);
    for (const QStringList &args : { QStringList { "-s", serial, "shell", "pm", "-l" },
             QStringList { "-s", serial, "forward", "tcp:23402", "tcp:23402" } }) {
        const auto r = m_sim.adb(args);
        QCOMPARE(r.out, QByteArray());
        QCOMPARE(r.err.split('\n').first(), firstLine);
    }
}

void PhoneSimAdbTest::forwardAndBroadcastStartTheAgent()
{
    const auto forward = m_sim.adb({ "-s", "ADB1", "forward", "tcp:23403", "tcp:23403" });
    QCOMPARE(forward.out, QByteArray());
    QCOMPARE(forward.err, QByteArray());
    QCOMPARE(m_sim.adb({ "-s", "ADB1", "forward", "--list" }).out, QByteArray("ADB1 tcp:23403 tcp:23403\n"));

    // Before the broadcast nothing listens on the phone: adb accepts and closes.
    SimTestClient client;
    QVERIFY(client.connectTo(QStringLiteral("127.0.0.1"), 23403));
    QVERIFY(client.waitClosed());

    const auto r = m_sim.adb(broadcast(QStringLiteral("ADB1"), QStringLiteral("sync://restore:23403/")));
    QCOMPARE(r.out, QByteArray("Broadcasting: Intent { dat=sync://restore:23403/ flg=0x400000 cmp=" + receiver.toUtf8()
                        + " }\nBroadcast completed: result=0\n"));
    QCOMPARE(r.err, QByteArray());
    QVERIFY(client.connectTo(QStringLiteral("127.0.0.1"), 23403));
    QCOMPARE(findMappings(client.restoreBatch({ "$ent:1/2/2/-3,,QQ==,,Qg==," })).size(), 1);

    // The data port of the phone is what the broadcast names, whatever the local port.
    QVERIFY(m_sim.adb({ "-s", "ADB1", "forward", "tcp:23404", "tcp:23499" }).err.isEmpty());
    QVERIFY(m_sim.adb(broadcast(QStringLiteral("ADB1"), QStringLiteral("sync://backup:23499/"))).err.isEmpty());
    QVERIFY(client.connectTo(QStringLiteral("127.0.0.1"), 23404));
    QVERIFY(client.readBackup().bye);
}

void PhoneSimAdbTest::broadcastOutput_data()
{
    QTest::addColumn<QStringList>("amArgs");
    QTest::addColumn<QByteArray>("intent");
    QTest::newRow("action, category and type")
        << QStringList { "-a", "android.intent.action.VIEW", "-c", "a.B", "-c", "c.D", "-t", "text/plain" }
        << QByteArray("act=android.intent.action.VIEW cat=[a.B,c.D] typ=text/plain flg=0x400000");
    QTest::newRow("data only") << QStringList { "-d", "sync://backup:1/" } << QByteArray("dat=sync://backup:1/ flg=0x400000");
}

void PhoneSimAdbTest::broadcastOutput()
{
    QFETCH(QStringList, amArgs);
    QFETCH(QByteArray, intent);
    const auto r = m_sim.adb(QStringList { "-s", "ADB1", "shell", "am", "broadcast" } + amArgs);
    QCOMPARE(r.out, "Broadcasting: Intent { " + intent + " }\nBroadcast completed: result=0\n");
    const auto other = m_sim.adb({ "-s", "ADB1", "shell", "am", "start", "-n", receiver });
    QVERIFY(other.out.toLower().startsWith("error:"));
}

void PhoneSimAdbTest::forwardNeedsRunningSimulator()
{
    PhoneSimDriver idle;
    QVERIFY(idle.create({ "serial=IDLE1" }));
    const auto forward = idle.adb({ "-s", "IDLE1", "forward", "tcp:23405", "tcp:23405" });
    QVERIFY(forward.err.startsWith("error: cannot bind listener"));
    const auto r = idle.adb(broadcast(QStringLiteral("IDLE1"), QStringLiteral("sync://backup:23405/")));
    QVERIFY(r.out.contains("Broadcast completed: result=0"));
    QVERIFY(r.err.toLower().startsWith("error:"));
    // Everything else works without it.
    QCOMPARE(idle.adb({ "devices" }).out, QByteArray("List of devices attached\nIDLE1\tdevice\n\n"));
}

void PhoneSimAdbTest::forwardRefusesBadPorts()
{
    for (const QStringList &ports : { QStringList { "tcp:23406" }, QStringList { "tcp:0", "tcp:1" },
             QStringList { "localabstract:x", "tcp:1" }, QStringList { "tcp:70000", "tcp:1" } }) {
        const auto r = m_sim.adb(QStringList { "-s", "ADB1", "forward" } + ports);
        QVERIFY(!r.err.isEmpty());
        QCOMPARE(r.out, QByteArray());
    }
}

void PhoneSimAdbTest::packages()
{
    const auto r = m_sim.adb({ "-s", "ADB1", "shell", "pm", "-l" });
    QCOMPARE(r.err, QByteArray());
    const QList<QByteArray> lines = r.out.split('\n');
    QVERIFY(lines.contains("package:com.quillmarrow.contactssync"));
    QVERIFY(lines.contains("package:android"));
    for (const QByteArray &line : lines)
        QVERIFY(line.isEmpty() || line.startsWith("package:"));
    QCOMPARE(m_sim.adb({ "-s", "ADB1", "shell", "pm", "list", "packages", "quillmarrow" }).out,
        QByteArray("package:com.quillmarrow.contactssync\n"));
}

void PhoneSimAdbTest::installAndUninstall()
{
    const auto uninstall = m_sim.adb({ "-s", "ADB1", "uninstall", "com.quillmarrow.contactssync" });
    QCOMPARE(uninstall.out, QByteArray("Success\n"));
    QVERIFY(!m_sim.adb({ "-s", "ADB1", "shell", "pm", "-l" }).out.contains("contactssync"));
    const auto again = m_sim.adb({ "-s", "ADB1", "uninstall", "com.quillmarrow.contactssync" });
    QCOMPARE(again.out, QByteArray("Failure [DELETE_FAILED_INTERNAL_ERROR]\n"));

    // Like adb, only files named *.apk (or *.apex) are installed.
    QTemporaryDir dir;
    QFile bare(dir.filePath(QStringLiteral("com.quillmarrow.contactssync")));
    QVERIFY(bare.open(QIODevice::WriteOnly));
    bare.write("PK\x03\x04 agent");
    bare.close();
    const auto refused = m_sim.adb({ "-s", "ADB1", "install", bare.fileName() });
    QCOMPARE(refused.exitCode, 1);
    QCOMPARE(refused.err, "adb: filename doesn't end .apk or .apex: " + bare.fileName().toUtf8() + '\n');
    QVERIFY(!m_sim.run(QStringLiteral("show"), { QStringLiteral("ADB1") }).out.contains("\"agentInstalled\": true"));

    // A path relative to the working folder or absolute.
    QVERIFY(QFile::copy(bare.fileName(), dir.filePath(QStringLiteral("com.quillmarrow.contactssync.apk"))));
    QProcess adb;
    adb.setProcessEnvironment(m_sim.environment());
    adb.setWorkingDirectory(dir.path());
    adb.start(PhoneSimDriver::adbDirectory() + QStringLiteral("/adb"),
        { QStringLiteral("-s"), QStringLiteral("ADB1"), QStringLiteral("install"), QStringLiteral("com.quillmarrow.contactssync.apk") });
    QVERIFY(adb.waitForFinished());
    QCOMPARE(adb.readAllStandardOutput(), QByteArray("Performing Streamed Install\nSuccess\n"));
    QVERIFY(m_sim.adb({ "-s", "ADB1", "shell", "pm", "-l" }).out.contains("package:com.quillmarrow.contactssync\n"));
    QVERIFY(m_sim.run(QStringLiteral("show"), { QStringLiteral("ADB1") }).out.contains("\"agentInstalled\": true"));

    const auto missing = m_sim.adb({ "-s", "ADB1", "install", dir.filePath(QStringLiteral("nothing.apk")) });
    QVERIFY(missing.err.startsWith("adb: failed to stat"));
    QVERIFY(!missing.out.contains("Success"));
}

void PhoneSimAdbTest::logcat()
{
    QVERIFY(m_sim.adb(broadcast(QStringLiteral("ADB1"), QStringLiteral("sync://backup:23407/"))).err.isEmpty());
    const auto r = m_sim.adb({ "-s", "ADB1", "shell", "logcat", "-d" });
    QVERIFY(r.out.startsWith("--------- beginning of main\n"));
    static const QRegularExpression threadtime(
        QStringLiteral("^\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} +\\d+ +\\d+ [VDIWE] [^:]+: .*$"));
    const QList<QByteArray> lines = r.out.split('\n');
    bool started = false;
    for (const QByteArray &line : lines.mid(1)) {
        if (line.isEmpty())
            continue;
        QVERIFY2(threadtime.match(QString::fromUtf8(line)).hasMatch(), line.constData());
        started = started || line.contains("I ContactsSync: backup service listening on port 23407");
    }
    QVERIFY(started);
    QCOMPARE(m_sim.adb({ "-s", "ADB1", "shell", "logcat", "-c" }).out, QByteArray());
    QCOMPARE(m_sim.adb({ "-s", "ADB1", "shell", "logcat", "-d" }).out, QByteArray("--------- beginning of main\n"));
}

void PhoneSimAdbTest::killServerDropsForwards()
{
    QVERIFY(m_sim.adb({ "-s", "ADB1", "forward", "tcp:23408", "tcp:23408" }).err.isEmpty());
    SimTestClient client;
    QVERIFY(client.connectTo(QStringLiteral("127.0.0.1"), 23408));
    const auto r = m_sim.adb({ "kill-server" });
    QCOMPARE(r.out, QByteArray());
    QCOMPARE(r.err, QByteArray());
    QVERIFY(!client.connectTo(QStringLiteral("127.0.0.1"), 23408, 1000));
    QCOMPARE(m_sim.adb({ "-s", "ADB1", "forward", "--list" }).out, QByteArray());
    // The phones are still there.
    QVERIFY(m_sim.adb({ "devices" }).out.contains("ADB1\tdevice"));
}

void PhoneSimAdbTest::commandLinesAreLogged()
{
    QVERIFY(m_sim.run(QStringLiteral("adb-log"), { QStringLiteral("--clear") }).ok());
    m_sim.adb({ "-s", "ADB1", "shell", "pm", "-l" });
    m_sim.adb({ "-s", "NOPE", "shell", "pm", "-l" });
    const QList<QByteArray> lines = m_sim.run(QStringLiteral("adb-log")).out.split('\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(QJsonDocument::fromJson(lines.at(0)).array().toVariantList(),
        QVariantList({ "-s", "ADB1", "shell", "pm", "-l" }));
    QCOMPARE(QJsonDocument::fromJson(lines.at(1)).array().at(1).toString(), QStringLiteral("NOPE"));
}

QTEST_GUILESS_MAIN(PhoneSimAdbTest)
#include "phonesimadbtest.moc"
