// Every fault the simulated phone can be told to show.

#include "tests/tools/simtestclient.h"

#include <QElapsedTimer>
#include <QTemporaryFile>
#include <QTest>

class PhoneSimFaultTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void backupFaults_data();
    void backupFaults();
    void partialLineBeforeDrop();
    void carriageReturns();
    void silentAgent();
    void slowAgent();
    void agentVersion_data();
    void agentVersion();
    void oneShotFaults();
    void restoreFaults_data();
    void restoreFaults();
    void stalledRestore();
    void controlFaults();
    void slowStart();
    void adbWarnings();
    void installFailure();
    void missingPackage();

private:
    struct Seen
    {
        QList<QByteArray> lines;
        QByteArray raw;
        QByteArray partial; // bytes after the last line feed
        bool closed = false;
    };
    // Reads a backup exchange as it comes, acknowledging batches, until the
    // agent closes, says "$bye:" or stays quiet for `idleMs`.
    Seen collect(int port, int idleMs = 1500);
    bool openRestore(SimTestClient *client);

    PhoneSimDriver m_sim;
    QList<QByteArray> m_clean; // the backup without faults
    int m_port = 42240;
};

namespace {

const QString phone = QStringLiteral("127.0.0.15");

} // namespace

void PhoneSimFaultTest::initTestCase()
{
    QVERIFY2(m_sim.create({ "wifi=127.0.0.15", "contacts=5", "batch-size=2", "seed=11", "+", "serial=FT1", "contacts=1" }),
        m_sim.lastError());
    QVERIFY2(m_sim.start(), m_sim.lastError());
    const Seen clean = collect(m_port++);
    m_clean = clean.lines;
    QVERIFY(m_clean.size() > 12);
    QCOMPARE(m_clean.first(), QByteArray("$version:3"));
    QCOMPARE(m_clean.last(), QByteArray("$bye:"));
}

void PhoneSimFaultTest::init()
{
    QVERIFY(m_sim.run(QStringLiteral("fault"), { phone, QStringLiteral("clear") }).ok());
    QVERIFY(m_sim.run(QStringLiteral("fault"), { QStringLiteral("FT1"), QStringLiteral("clear") }).ok());
}

PhoneSimFaultTest::Seen PhoneSimFaultTest::collect(int port, int idleMs)
{
    Seen seen;
    SimTestClient client;
    if (!wifiControl(phone, "backup://127.0.0.1:" + QByteArray::number(port) + '/')
        || !client.connectRetrying(phone, port))
        return seen;
    QTcpSocket &s = client.socket();
    QByteArray buffer;
    for (;;) {
        if (s.bytesAvailable() == 0 && !s.waitForReadyRead(idleMs)) {
            seen.closed = s.state() != QAbstractSocket::ConnectedState;
            break;
        }
        const QByteArray chunk = s.readAll();
        seen.raw += chunk;
        buffer += chunk;
        qsizetype end;
        bool bye = false;
        while ((end = buffer.indexOf('\n')) >= 0) {
            QByteArray line = buffer.left(end);
            buffer.remove(0, end + 1);
            line.replace('\r', QByteArray());
            seen.lines.append(line);
            if (line == "$end:")
                client.send("$batch:");
            bye = bye || line == "$bye:";
        }
        if (bye) {
            seen.closed = client.waitClosed();
            break;
        }
    }
    seen.partial = buffer;
    return seen;
}

bool PhoneSimFaultTest::openRestore(SimTestClient *client)
{
    const int port = m_port++;
    return wifiControl(phone, "restore://127.0.0.1:" + QByteArray::number(port) + '/')
        && client->connectRetrying(phone, port);
}

void PhoneSimFaultTest::backupFaults_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QString>("expect"); // how the clean exchange changes
    QTest::addColumn<bool>("closedEarly");
    QTest::newRow("error at line 2") << QStringList { "error-at=2", "error-message=Kein Zugriff auf Kontakte ✗" }
                                     << "error:2" << true;
    QTest::newRow("error in a batch") << QStringList { "error-at=6" } << "error:6" << true;
    QTest::newRow("dropped after 3 lines") << QStringList { "drop-after=3" } << "first:3" << true;
    QTest::newRow("dropped at once") << QStringList { "drop-after=0" } << "first:0" << true;
    QTest::newRow("stalled in a batch") << QStringList { "stall=5" } << "first:5" << false;
    QTest::newRow("stalled after the header") << QStringList { "stall=3" } << "first:3" << false;
    QTest::newRow("stalled at once") << QStringList { "stall=0" } << "first:0" << false;
    QTest::newRow("blank line") << QStringList { "blank-line=4" } << "insert:4:" << false;
    QTest::newRow("extra line") << QStringList { "inject=4:$COUNT:99" } << "insert:4:$COUNT:99" << false;
    QTest::newRow("replaced line") << QStringList { "replace=1:$version:x" } << "replace:1:$version:x" << false;
    QTest::newRow("malformed entity") << QStringList { "malformed=2" } << "malformed:2" << false;
    QTest::newRow("no version, no count") << QStringList { "omit=version,count" } << "omit" << false;
    QTest::newRow("no bye") << QStringList { "omit=bye" } << "nobye" << false;
    QTest::newRow("restore faults only") << QStringList { "scope=restore", "error-at=1" } << "clean" << false;
}

void PhoneSimFaultTest::backupFaults()
{
    QFETCH(QStringList, faults);
    QFETCH(QString, expect);
    QFETCH(bool, closedEarly);
    QVERIFY2(m_sim.fault(phone, faults), m_sim.lastError());
    const Seen seen = collect(m_port++);

    QList<QByteArray> expected = m_clean;
    const QStringList e = expect.split(u':');
    if (e.at(0) == u"error") {
        const int n = e.at(1).toInt();
        expected = m_clean.mid(0, n - 1);
        const QString message = faults.size() > 1 ? faults.at(1).mid(14) : QString();
        QVERIFY(seen.lines.size() == n && seen.lines.last().startsWith("$error:"));
        if (!message.isEmpty())
            QCOMPARE(unb64(seen.lines.last().mid(7)), message);
        QVERIFY(!unb64(seen.lines.last().mid(7)).isEmpty());
        expected.append(seen.lines.last());
    } else if (e.at(0) == u"first") {
        expected = m_clean.mid(0, e.at(1).toInt());
    } else if (e.at(0) == u"insert") {
        expected.insert(e.at(1).toInt() - 1, expect.section(u':', 2).toUtf8());
    } else if (e.at(0) == u"replace") {
        expected[e.at(1).toInt() - 1] = expect.section(u':', 2).toUtf8();
    } else if (e.at(0) == u"malformed") {
        int ents = 0;
        for (QByteArray &line : expected) {
            if (line.startsWith("$ent:") && ++ents == e.at(1).toInt())
                line = "$ent:not-a-source-id," + line.mid(line.indexOf(',') + 1);
        }
    } else if (e.at(0) == u"omit") {
        expected.removeAt(2);
        expected.removeAt(0);
    } else if (e.at(0) == u"nobye") {
        expected.removeLast();
    }
    QCOMPARE(seen.lines, expected);
    QCOMPARE(seen.closed && !seen.lines.contains("$bye:"), closedEarly);
}

void PhoneSimFaultTest::partialLineBeforeDrop()
{
    QVERIFY(m_sim.fault(phone, { QStringLiteral("drop-mid-line=3") }));
    const Seen seen = collect(m_port++);
    QCOMPARE(seen.lines, m_clean.mid(0, 3));
    QVERIFY(seen.closed);
    QVERIFY(!seen.partial.isEmpty());
    QVERIFY(m_clean.at(3).startsWith(seen.partial));
    QVERIFY(seen.partial.size() < m_clean.at(3).size());
}

void PhoneSimFaultTest::carriageReturns()
{
    QVERIFY(m_sim.fault(phone, { QStringLiteral("crlf") }));
    const Seen seen = collect(m_port++);
    QCOMPARE(seen.lines, m_clean);
    QVERIFY(seen.raw.startsWith("\r$version:3\r\n\r$device:"));
}

void PhoneSimFaultTest::silentAgent()
{
    QVERIFY(m_sim.fault(phone, { QStringLiteral("silent") }));
    const Seen seen = collect(m_port++, 700);
    QVERIFY(seen.lines.isEmpty());
    QVERIFY(!seen.closed);
}

void PhoneSimFaultTest::slowAgent()
{
    QVERIFY(m_sim.fault(phone, { QStringLiteral("slow=25") }));
    QElapsedTimer timer;
    timer.start();
    const Seen seen = collect(m_port++);
    QCOMPARE(seen.lines, m_clean);
    QVERIFY(timer.elapsed() >= 25 * m_clean.size());
}

void PhoneSimFaultTest::agentVersion_data()
{
    QTest::addColumn<QString>("version");
    QTest::newRow("too old") << "1";
    QTest::newRow("not a number") << "x";
    QTest::newRow("newer") << "7";
}

void PhoneSimFaultTest::agentVersion()
{
    QFETCH(QString, version);
    QVERIFY(m_sim.set(phone, { QStringLiteral("version=") + version }));
    const Seen seen = collect(m_port++);
    QVERIFY(m_sim.set(phone, { QStringLiteral("version=3") }));
    QCOMPARE(seen.lines.first(), "$version:" + version.toUtf8());
    QCOMPARE(seen.lines.mid(1), m_clean.mid(1));
}

void PhoneSimFaultTest::oneShotFaults()
{
    QVERIFY(m_sim.fault(phone, { QStringLiteral("error-at=1"), QStringLiteral("once") }));
    QVERIFY(collect(m_port++).lines.first().startsWith("$error:"));
    QCOMPARE(m_sim.run(QStringLiteral("fault"), { phone }).out, QByteArray());
    QCOMPARE(collect(m_port++).lines, m_clean);
}

void PhoneSimFaultTest::restoreFaults_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QByteArray>("answer"); // "" when none comes
    QTest::addColumn<bool>("closed");
    QTest::newRow("error") << QStringList { "error-at=1", "error-message=Speicher voll" } << "$error:" + QByteArray("Speicher voll").toBase64() << true;
    QTest::newRow("no mappings") << QStringList { "no-mappings" } << QByteArray("$batch:") << false;
    QTest::newRow("wrong answer") << QStringList { "replace=1:$bye:" } << QByteArray("$bye:") << false;
    QTest::newRow("dropped while reading") << QStringList { "drop-after-received=2" } << QByteArray() << true;
    QTest::newRow("silent") << QStringList { "silent" } << QByteArray() << false;
    QTest::newRow("stalled at once") << QStringList { "stall=0" } << QByteArray() << false;
    QTest::newRow("stalled after one answer") << QStringList { "stall=1" } << QByteArray("mapping") << false;
    QTest::newRow("backup faults only") << QStringList { "scope=backup", "error-at=1" } << QByteArray("mapping") << false;
}

void PhoneSimFaultTest::restoreFaults()
{
    QFETCH(QStringList, faults);
    QFETCH(QByteArray, answer);
    QFETCH(bool, closed);
    QVERIFY(m_sim.fault(phone, faults));
    SimTestClient client;
    QVERIFY(openRestore(&client));
    client.sendLines({ "$batch:", "$ent:1/1/1/-1,,Rg==,,RGF1bHQ=,", "$end:" });
    QByteArray line;
    const bool got = client.readLine(&line, 700);
    if (answer.isEmpty()) {
        QVERIFY(!got);
    } else if (answer == "mapping") {
        QVERIFY(got);
        QCOMPARE(findMappings(line).size(), 1);
    } else {
        QCOMPARE(line, answer);
    }
    QCOMPARE(client.waitClosed(closed ? 3000 : 300), closed);
}

void PhoneSimFaultTest::stalledRestore()
{
    // The first batch is answered; the second one is neither answered nor
    // applied, and the agent keeps the connection open.
    QVERIFY(m_sim.fault(phone, { QStringLiteral("stall=1") }));
    SimTestClient client;
    QVERIFY(openRestore(&client));
    const QByteArray first = client.restoreBatch({ "$batch:", "$ent:1/1/1/-1,,"+ b64(QStringLiteral("Stall")) + ",,"
        + b64(QStringLiteral("Eins")) + ",", "$end:" });
    QCOMPARE(findMappings(first).size(), 1);
    client.sendLines({ "$batch:", "$ent:1/1/1/-2,," + b64(QStringLiteral("Stall")) + ",," + b64(QStringLiteral("Zwei")) + ",",
        "$end:" });
    QVERIFY(client.staysSilent(700));
    QCOMPARE(client.socket().state(), QAbstractSocket::ConnectedState);
    const QByteArray dump = m_sim.dump(phone);
    QVERIFY(dump.contains("family=Eins"));
    QVERIFY(!dump.contains("family=Zwei"));
    QVERIFY(m_sim.transcript(phone).contains("stalled after 1 lines"));
}

void PhoneSimFaultTest::controlFaults()
{
    QByteArray answer;
    QVERIFY(m_sim.fault(phone, { QStringLiteral("hello-error"), QStringLiteral("error-message=Dienst gestoppt ä") }));
    QVERIFY(wifiControl(phone, "hello://127.0.0.1", &answer));
    QCOMPARE(answer, "$error:" + b64(QStringLiteral("Dienst gestoppt ä")));

    QVERIFY(m_sim.fault(phone, { QStringLiteral("hello-error=0"), QStringLiteral("silent-hello") }));
    SimTestClient client;
    QVERIFY(client.connectTo(phone, 48888));
    client.send("hello://127.0.0.1");
    QVERIFY(client.staysSilent(500));

    // WiFi switched off: the control port is gone.
    QVERIFY(m_sim.run(QStringLiteral("wifi"), { phone, QStringLiteral("off") }).ok());
    QVERIFY(!client.connectTo(phone, 48888, 1000));
    QVERIFY(m_sim.run(QStringLiteral("wifi"), { phone, QStringLiteral("on") }).ok());
    QVERIFY(client.connectTo(phone, 48888, 1000));
}

void PhoneSimFaultTest::slowStart()
{
    QVERIFY(m_sim.fault(phone, { QStringLiteral("start-delay=800") }));
    const int port = m_port++;
    QVERIFY(wifiControl(phone, "backup://127.0.0.1:" + QByteArray::number(port) + '/'));
    SimTestClient client;
    QVERIFY(!client.connectTo(phone, port, 300));
    QTest::qWait(900);
    QVERIFY(client.connectTo(phone, port, 1000));
    QByteArray line;
    QVERIFY(client.readLine(&line));
    QCOMPARE(line, QByteArray("$version:3"));
}

void PhoneSimFaultTest::adbWarnings()
{
    QVERIFY(m_sim.fault(QStringLiteral("FT1"), { QStringLiteral("adb-stderr=2") }));
    const QByteArray devices = "List of devices attached\nFT1\tdevice\n\n";
    for (int run = 0; run < 3; ++run) {
        const auto r = run == 1 ? m_sim.adb({ "-s", "FT1", "shell", "pm", "-l" }) : m_sim.adb({ "devices" });
        if (run != 1)
            QCOMPARE(r.out, devices);
        QCOMPARE(r.err.isEmpty(), run == 2);
        if (run < 2)
            QVERIFY(r.err.startsWith("* daemon not running"));
    }
    QVERIFY(m_sim.fault(QStringLiteral("FT1"), { QStringLiteral("adb-stderr=always") }));
    QVERIFY(!m_sim.adb({ "devices" }).err.isEmpty());
    QVERIFY(!m_sim.adb({ "devices" }).err.isEmpty());
}

void PhoneSimFaultTest::installFailure()
{
    QVERIFY(m_sim.set(QStringLiteral("FT1"), { QStringLiteral("installed=0") }));
    QVERIFY(m_sim.fault(QStringLiteral("FT1"), { QStringLiteral("install-failure=INSUFFICIENT_STORAGE") }));
    QTemporaryFile apk;
    QVERIFY(apk.open());
    apk.write("agent package");
    apk.flush();
    const auto r = m_sim.adb({ "-s", "FT1", "install", QString(apk.fileName()) });
    QVERIFY(!r.out.contains("Success"));
    QVERIFY(r.err.contains("Failure [INSTALL_FAILED_INSUFFICIENT_STORAGE]"));
    QVERIFY(!m_sim.adb({ "-s", "FT1", "shell", "pm", "-l" }).out.contains("package:com.quillmarrow.contactssync"));
    QVERIFY(m_sim.run(QStringLiteral("fault"), { QStringLiteral("FT1"), QStringLiteral("clear") }).ok());
    QVERIFY(m_sim.adb({ "-s", "FT1", "install", QString(apk.fileName()) }).out.contains("\nSuccess\n"));
    QVERIFY(m_sim.adb({ "-s", "FT1", "shell", "pm", "-l" }).out.contains("package:com.quillmarrow.contactssync\n"));
}

void PhoneSimFaultTest::missingPackage()
{
    QVERIFY(m_sim.fault(QStringLiteral("FT1"), { QStringLiteral("missing-package") }));
    QVERIFY(!m_sim.adb({ "-s", "FT1", "shell", "pm", "-l" }).out.contains("contactssync"));
    // The broadcast reports success, but no agent answers behind the forward.
    QVERIFY(startUsbAgent(m_sim, QStringLiteral("FT1"), 23301, QStringLiteral("backup")));
    SimTestClient client;
    QVERIFY(client.connectTo(QStringLiteral("127.0.0.1"), 23301));
    QByteArray line;
    QVERIFY(!client.readLine(&line, 1000));
    QVERIFY(client.waitClosed());
    QVERIFY(m_sim.run(QStringLiteral("log"), { QStringLiteral("FT1") }).out.contains("Unable to find receiver"));

    QVERIFY(m_sim.run(QStringLiteral("fault"), { QStringLiteral("FT1"), QStringLiteral("clear") }).ok());
    QVERIFY(startUsbAgent(m_sim, QStringLiteral("FT1"), 23301, QStringLiteral("backup")));
    QVERIFY(client.connectTo(QStringLiteral("127.0.0.1"), 23301));
    QVERIFY(client.readBackup().bye);
}

QTEST_GUILESS_MAIN(PhoneSimFaultTest)
#include "phonesimfaulttest.moc"
