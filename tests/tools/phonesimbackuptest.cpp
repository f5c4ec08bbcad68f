// The simulated agent's "backup" exchange, driven through its sockets and
// its stand-in adb by a plain line client.

#include "tests/tools/simtestclient.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

class PhoneSimBackupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void usbExchangeSendsHeaderThenBatches();
    void nextBatchWaitsForAcknowledgement();
    void linesAreStableAndMatchTheStore();
    void helloAnswersTheDeviceId();
    void oneExchangePerStartRequest();
    void tenThousandContacts();
    void twoPhonesAtOnce();
    void twoSimulatorsAtOnce();
    void unpluggingDropsTheExchange();

private:
    // Checks the shape of a whole backup and returns the number of contacts.
    int checkBackup(const SimTestClient::Backup &backup, int batchSize);
    SimTestClient::Backup wifiBackup(const QString &address, int port);

    PhoneSimDriver m_sim;
};

namespace {

const QString usbSerial = QStringLiteral("BK1");
const QString wifiPhone = QStringLiteral("127.0.0.11");
const QString bigPhone = QStringLiteral("127.0.0.12");

} // namespace

void PhoneSimBackupTest::initTestCase()
{
    QVERIFY2(m_sim.create({ "serial=BK1", "contacts=45", "batch-size=10", "name=Телефон Ü", "+", "wifi=127.0.0.11",
                 "contacts=30", "batch-size=7", "+", "wifi=127.0.0.12", "contacts=10000", "batch-size=100" }),
        m_sim.lastError());
    QVERIFY2(m_sim.start(), m_sim.lastError());
}

int PhoneSimBackupTest::checkBackup(const SimTestClient::Backup &backup, int batchSize)
{
    static const QRegularExpression srcId(QStringLiteral("^(\\-?\\d+)/(\\-?\\d+)/(\\-?\\d+)/(\\-?\\d+)$"));
    [&] {
        QVERIFY2(backup.bye && !backup.broken && backup.error.isEmpty(), backup.error.constData());
        QCOMPARE(backup.header.size(), 3);
        QVERIFY(backup.header.at(0).startsWith("$version:"));
        QVERIFY(backup.header.at(1).startsWith("$device:"));
        QVERIFY(backup.header.at(2).startsWith("$count:"));
    }();
    int contacts = 0;
    QSet<QByteArray> seenRowIds;
    for (int b = 0; b < backup.batches.size(); ++b) {
        const QList<QByteArray> &batch = backup.batches.at(b);
        QSet<QString> namesInBatch;
        int names = 0;
        for (const QByteArray &line : batch) {
            const QByteArray id = line.mid(5, line.indexOf(',') - 5);
            const auto m = srcId.match(QString::fromLatin1(id));
            if (!line.startsWith("$ent:") || !m.hasMatch()) {
                qWarning("bad line %s", line.constData());
                return -1;
            }
            const QString keys = m.captured(2) + u'/' + m.captured(3);
            if (m.captured(1) == u"1") {
                ++names;
                namesInBatch.insert(keys);
            } else if (!namesInBatch.contains(keys)) {
                qWarning("entity before or without its name in the batch: %s", line.constData());
                return -1;
            }
            if (seenRowIds.contains(id)) {
                qWarning("source id sent twice: %s", id.constData());
                return -1;
            }
            seenRowIds.insert(id);
        }
        if (batch.isEmpty() || !batch.first().startsWith("$ent:1/") || names > batchSize
            || (b + 1 < backup.batches.size() && names != batchSize)) {
            qWarning("batch %d holds %d contacts", b, names);
            return -1;
        }
        contacts += names;
    }
    if (backup.header.value(2) != "$count:" + QByteArray::number(contacts))
        return -1;
    return contacts;
}

SimTestClient::Backup PhoneSimBackupTest::wifiBackup(const QString &address, int port)
{
    SimTestClient client;
    if (!wifiControl(address, "backup://127.0.0.1:" + QByteArray::number(port) + '/')
        || !client.connectRetrying(address, port))
        return { {}, {}, false, "no connection", true };
    return client.readBackup();
}

void PhoneSimBackupTest::usbExchangeSendsHeaderThenBatches()
{
    QVERIFY(startUsbAgent(m_sim, usbSerial, 23101, QStringLiteral("backup")));
    SimTestClient client;
    QVERIFY(client.connectTo(QStringLiteral("127.0.0.1"), 23101));
    const SimTestClient::Backup backup = client.readBackup();
    QCOMPARE(backup.header,
        (QList<QByteArray> { "$version:3", "$device:" + b64(QStringLiteral("Телефон Ü")), "$count:45" }));
    QCOMPARE(checkBackup(backup, 10), 45);
    QCOMPARE(backup.batches.size(), 5);
    QVERIFY(client.waitClosed()); // the agent ends the exchange after "$bye:"
}

void PhoneSimBackupTest::nextBatchWaitsForAcknowledgement()
{
    QVERIFY(wifiControl(wifiPhone, "backup://127.0.0.1:42222/"));
    SimTestClient client;
    QVERIFY(client.connectRetrying(wifiPhone, 42222));
    QByteArray line;
    do {
        QVERIFY(client.readLine(&line));
    } while (line != "$end:");
    QVERIFY(client.staysSilent(400));
    client.send("$batch:");
    QVERIFY(client.readLine(&line));
    QCOMPARE(line, QByteArray("$batch:"));
    QVERIFY(client.readLine(&line));
    QVERIFY(line.startsWith("$ent:1/"));
    // Another word than "$batch:" is no acknowledgement.
    do {
        QVERIFY(client.readLine(&line));
    } while (line != "$end:");
    client.send("$BATCH:");
    client.send("$count:1");
    QVERIFY(client.staysSilent(300));
}

void PhoneSimBackupTest::linesAreStableAndMatchTheStore()
{
    const SimTestClient::Backup first = wifiBackup(wifiPhone, 42223);
    const SimTestClient::Backup second = wifiBackup(wifiPhone, 42224);
    QCOMPARE(checkBackup(first, 7), 30);
    QCOMPARE(first.batches, second.batches);
    QList<QByteArray> sent;
    for (const auto &batch : first.batches)
        sent += batch;
    QList<QByteArray> dumped = m_sim.dump(wifiPhone, { QStringLiteral("--wire") }).split('\n');
    dumped.removeAll(QByteArray());
    QCOMPARE(sent, dumped);
}

void PhoneSimBackupTest::helloAnswersTheDeviceId()
{
    QByteArray answer;
    QVERIFY(wifiControl(wifiPhone, "hello://127.0.0.1", &answer));
    QVERIFY(answer.startsWith("hello:"));
    QVERIFY(answer.size() > 6);
    QVERIFY(m_sim.run(QStringLiteral("show"), { wifiPhone }).out.contains("\"deviceId\": \"" + answer.mid(6) + '"'));
    QByteArray again;
    QVERIFY(wifiControl(wifiPhone, "hello://127.0.0.1", &again));
    QCOMPARE(again, answer);
    // The id works as a handle for the phone on the command line.
    QVERIFY(m_sim.run(QStringLiteral("show"), { QString::fromLatin1(answer.mid(6)) }).ok());
}

void PhoneSimBackupTest::oneExchangePerStartRequest()
{
    QVERIFY(wifiControl(wifiPhone, "backup://127.0.0.1:42225/"));
    SimTestClient first, second;
    QVERIFY(first.connectRetrying(wifiPhone, 42225));
    QByteArray line;
    QVERIFY(first.readLine(&line)); // the agent has taken the connection
    QVERIFY(!second.connectTo(wifiPhone, 42225, 1000));

    // Over USB the forward stays, but the agent serves one connection per
    // broadcast; adb closes the others at once.
    QVERIFY(startUsbAgent(m_sim, usbSerial, 23102, QStringLiteral("backup")));
    SimTestClient usb1, usb2;
    QVERIFY(usb1.connectTo(QStringLiteral("127.0.0.1"), 23102));
    QVERIFY(usb1.readLine(&line));
    QVERIFY(usb2.connectTo(QStringLiteral("127.0.0.1"), 23102));
    QVERIFY(!usb2.readLine(&line, 2000));
    QVERIFY(usb2.waitClosed());
}

void PhoneSimBackupTest::tenThousandContacts()
{
    const SimTestClient::Backup backup = wifiBackup(bigPhone, 42222);
    QCOMPARE(checkBackup(backup, 100), 10000);
    QVERIFY(backup.entities() > 50000);
}

void PhoneSimBackupTest::twoPhonesAtOnce()
{
    QVERIFY(startUsbAgent(m_sim, usbSerial, 23103, QStringLiteral("backup")));
    QVERIFY(wifiControl(wifiPhone, "backup://127.0.0.1:42226/"));
    SimTestClient usb, wifi;
    QVERIFY(usb.connectTo(QStringLiteral("127.0.0.1"), 23103));
    QVERIFY(wifi.connectRetrying(wifiPhone, 42226));
    // Alternate batch by batch between the two phones.
    int byes = 0, names[2] = { 0, 0 };
    SimTestClient *clients[2] = { &usb, &wifi };
    bool done[2] = { false, false };
    while (byes < 2) {
        for (int i = 0; i < 2; ++i) {
            QByteArray line;
            while (!done[i]) {
                QVERIFY(clients[i]->readLine(&line));
                names[i] += line.startsWith("$ent:1/");
                if (line == "$end:") {
                    clients[i]->send("$batch:");
                    break;
                }
                if (line == "$bye:") {
                    done[i] = true;
                    ++byes;
                }
            }
        }
    }
    QCOMPARE(names[0], 45);
    QCOMPARE(names[1], 30);
}

void PhoneSimBackupTest::twoSimulatorsAtOnce()
{
    PhoneSimDriver other;
    QVERIFY2(other.create({ "serial=OTHER1", "contacts=12", "+", "wifi=127.0.0.13", "contacts=3" }), other.lastError());
    QVERIFY2(other.start(), other.lastError());

    // One stand-in adb sees the USB phones of both state folders.
    const auto devices = other.adb({ QStringLiteral("devices") }); // this state only
    QCOMPARE(devices.out, QByteArray("List of devices attached\nOTHER1\tdevice\n\n"));
    // Started by its bare name, as the program does, from the exported PATH.
    m_sim.exportEnvironment({ other.stateDir() });
    QProcess adb;
    adb.start(QStringLiteral("adb"), { QStringLiteral("devices") });
    QVERIFY2(adb.waitForFinished(), qPrintable(adb.errorString()));
    QCOMPARE(adb.readAllStandardOutput(), QByteArray("List of devices attached\nBK1\tdevice\nOTHER1\tdevice\n\n"));

    QVERIFY(startUsbAgent(other, QStringLiteral("OTHER1"), 23104, QStringLiteral("backup")));
    SimTestClient usb;
    QVERIFY(usb.connectTo(QStringLiteral("127.0.0.1"), 23104));
    QCOMPARE(checkBackup(usb.readBackup(), 50), 12);
    QCOMPARE(checkBackup(wifiBackup(QStringLiteral("127.0.0.13"), 42222), 50), 3);
    QCOMPARE(checkBackup(wifiBackup(wifiPhone, 42227), 7), 30);
    QVERIFY(other.stop());
    QVERIFY(!wifiControl(QStringLiteral("127.0.0.13"), "hello:"));
}

void PhoneSimBackupTest::unpluggingDropsTheExchange()
{
    QVERIFY(startUsbAgent(m_sim, usbSerial, 23105, QStringLiteral("backup")));
    SimTestClient client;
    QVERIFY(client.connectTo(QStringLiteral("127.0.0.1"), 23105));
    QByteArray line;
    QVERIFY(client.readLine(&line));
    QVERIFY(m_sim.run(QStringLiteral("detach"), { usbSerial }).ok());
    QVERIFY(client.waitClosed());
    QVERIFY(!m_sim.adb({ QStringLiteral("devices") }).out.contains("BK1"));
    QVERIFY(!startUsbAgent(m_sim, usbSerial, 23105, QStringLiteral("backup")));
    QVERIFY(m_sim.run(QStringLiteral("attach"), { usbSerial }).ok());
    QVERIFY(startUsbAgent(m_sim, usbSerial, 23105, QStringLiteral("backup")));
    QVERIFY(client.connectTo(QStringLiteral("127.0.0.1"), 23105));
    QCOMPARE(checkBackup(client.readBackup(), 10), 45);
}

QTEST_GUILESS_MAIN(PhoneSimBackupTest)
#include "phonesimbackuptest.moc"
