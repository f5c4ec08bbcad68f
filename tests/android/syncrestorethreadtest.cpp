// The receive job against simulated phones: what the phone holds ends up in
// the cache database in one transaction, every failure rolls back with a
// readable message, and Cancel works even while the phone says nothing.
#include "android/adbconnector.h"
#include "android/androidcontactsdb.h"
#include "android/androidwificonnector.h"
#include "android/linktimings.h"
#include "android/syncrestorethread.h"
#include "tools/phonesim/phonesimdriver.h"

#include "tests/contacts/dbtestutil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <memory>

using dbtest::Recorder;

namespace {

// Phones of this test file, one WiFi address each.
const QString fullPhone = QStringLiteral("127.0.0.60");    // 30 contacts, batches of 7
const QString faultyPhone = QStringLiteral("127.0.0.61");  // 12 contacts, faults per test
const QString usbSerial = QStringLiteral("RCV0000USB1");
constexpr int dataPort = 42222;

int contactCount(const QString &path)
{
    return dbtest::scalar(path, QStringLiteral("select count(*) from contact")).toInt();
}

int dataCount(const QString &path)
{
    return dbtest::scalar(path, QStringLiteral("select count(*) from data")).toInt();
}

bool hasEverySecondaryIndex(const QString &path)
{
    const QString indexes = dbtest::indexes(path);
    for (const char *name : { "index_contacts_src_id:", "index_contacts_full_name:", "index_data_contact:",
                              "index_data_data:", "index_data_src_id:" }) {
        if (!indexes.contains(QLatin1String(name))) {
            qWarning("missing %s in %s", name, qPrintable(indexes));
            return false;
        }
    }
    return true;
}

} // namespace

class SyncRestoreThreadTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void percentOf_data();
    void percentOf();
    void clipForReport_data();
    void clipForReport();
    void receivesWhatThePhoneHolds();
    void failuresRollBack_data();
    void failuresRollBack();
    void headerLinesMayBeMissing_data();
    void headerLinesMayBeMissing();
    void unknownKindsAreSkipped();
    void cancelWhilePhoneStalls_data();
    void cancelWhilePhoneStalls();
    void jobKeepsDatabaseAlive();
    void missingAgentIsInstalledOnce();
    void cancelWhileAgentStarts_data();
    void cancelWhileAgentStarts();

private:
    std::shared_ptr<AndroidContactsDb> wifiCache(const QString &address, const QString &file);

    QTranslator m_translator;
    PhoneSimDriver m_sim;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void SyncRestoreThreadTest::initTestCase()
{
    QVERIFY(m_translator.load(QStringLiteral(":/en.qm")));
    QCoreApplication::installTranslator(&m_translator);
    QVERIFY2(m_sim.create({ "wifi=127.0.0.60", "contacts=30", "batch-size=7", "seed=5", "name=Pixel Ø 7", "+",
                            "wifi=127.0.0.61", "contacts=12", "batch-size=5", "seed=6", "+", "serial=RCV0000USB1",
                            "contacts=9", "installed=0", "name=USB Phone" }),
             m_sim.lastError());
    QVERIFY2(m_sim.start(), m_sim.lastError());
    m_sim.exportEnvironment();
}

void SyncRestoreThreadTest::init()
{
    LinkTimings::reset();
    // The WiFi agent opens its data port shortly after the start request.
    LinkTimings::setStartPauseMs(200);
    LinkTimings::setInstallPauseMs(0);
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(m_sim.run(QStringLiteral("fault"), { faultyPhone, QStringLiteral("clear") }).ok());
}

void SyncRestoreThreadTest::cleanup()
{
    QVERIFY(m_sim.set(faultyPhone, { QStringLiteral("version=3") }));
}

std::shared_ptr<AndroidContactsDb> SyncRestoreThreadTest::wifiCache(const QString &address, const QString &file)
{
    auto connector = std::make_shared<AndroidWifiConnector>();
    connector->hello(address);
    auto db = std::make_shared<AndroidContactsDb>(m_dir->filePath(file), connector);
    db->create();
    return db;
}

void SyncRestoreThreadTest::percentOf_data()
{
    QTest::addColumn<qint64>("received");
    QTest::addColumn<qint64>("expected");
    QTest::addColumn<int>("percent");
    QTest::newRow("no count yet") << qint64(5) << qint64(0) << 0;
    QTest::newRow("negative count") << qint64(5) << qint64(-3) << 0;
    QTest::newRow("a third") << qint64(1) << qint64(3) << 33;
    QTest::newRow("truncated") << qint64(2) << qint64(3) << 66;
    QTest::newRow("all") << qint64(30) << qint64(30) << 100;
    QTest::newRow("more than announced") << qint64(31) << qint64(30) << 100;
    QTest::newRow("huge counts") << qint64(4000000000) << qint64(8000000000) << 50;
}

void SyncRestoreThreadTest::percentOf()
{
    QFETCH(qint64, received);
    QFETCH(qint64, expected);
    QFETCH(int, percent);
    QCOMPARE(SyncRestoreThread::percentOf(received, expected), percent);
}

void SyncRestoreThreadTest::clipForReport_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("clipped");
    const QString exact(SyncRestoreThread::MaxReportedChars, QLatin1Char('x'));
    QTest::newRow("short") << QStringLiteral("Speicher voll") << QStringLiteral("Speicher voll");
    QTest::newRow("exactly the limit") << exact << exact;
    QTest::newRow("one more") << exact + QLatin1Char('y') << exact + QChar(0x2026);
    QTest::newRow("a photo line") << QStringLiteral("2/1/1/1,") + QString(100000, QLatin1Char('A'))
                                  << QStringLiteral("2/1/1/1,")
            + QString(SyncRestoreThread::MaxReportedChars - 8, QLatin1Char('A')) + QChar(0x2026);
}

void SyncRestoreThreadTest::clipForReport()
{
    QFETCH(QString, text);
    QFETCH(QString, clipped);
    QCOMPARE(SyncRestoreThread::clipForReport(text), clipped);
}

void SyncRestoreThreadTest::receivesWhatThePhoneHolds()
{
    auto db = wifiCache(fullPhone, QStringLiteral("full"));
    Recorder recorder;
    SyncRestoreThread job(db, dataPort, JobProgress(&recorder, &recorder.cancel));
    job.start();
    QVERIFY(job.wait(60000));
    QCoreApplication::processEvents();

    QCOMPARE(recorder.errors, QStringList());
    QCOMPARE(recorder.successes, QStringList { QString() });
    QCOMPARE(job.deviceName(), QStringLiteral("Pixel Ø 7"));
    QCOMPARE(job.expectedCount(), 30);
    QCOMPARE(job.receivedCount(), 30);

    // The phase texts, then one report per contact.
    QVERIFY(recorder.progress.size() == 3 + 30);
    QCOMPARE(recorder.progress.at(0).status, QStringLiteral("Checking and installing Quillmarrow Contacts Sync now..."));
    QCOMPARE(recorder.progress.at(1).status, QStringLiteral("Starting Sync Service now..."));
    QCOMPARE(recorder.progress.at(2).status, QStringLiteral("Backing up Contacts now..."));
    QCOMPARE(recorder.progress.at(3).text, QStringLiteral("Contacts: 1/30"));
    QCOMPARE(recorder.progress.at(3).percent, 3);
    QCOMPARE(recorder.progress.last().status, QStringLiteral("Loading contacts from Android now..."));
    QCOMPARE(recorder.progress.last().text, QStringLiteral("Contacts: 30/30"));
    QCOMPARE(recorder.progress.last().percent, 100);

    // Every contact and every row the phone holds; names as the phone
    // formats them; groups once each, memberships pointing at them.
    const QString path = db->path();
    QCOMPARE(contactCount(path), 30);
    const QByteArray dump = m_sim.dump(fullPhone);
    QCOMPARE(dataCount(path), int(dump.count("\nrow\t") + (dump.startsWith("row\t") ? 1 : 0)));
    QCOMPARE(dbtest::scalar(path, QStringLiteral("select count(*) from data where contact_id = 0")), QStringLiteral("0"));
    const int membershipsOnPhone = int(dump.count("\tgroup\tgroup="));
    QVERIFY(membershipsOnPhone > 0);
    QCOMPARE(dbtest::scalar(path, QStringLiteral("select count(*) from data where type = 7")),
             QString::number(membershipsOnPhone));
    QCOMPARE(dbtest::scalar(path, QStringLiteral("select count(distinct name) from contact_group")),
             dbtest::scalar(path, QStringLiteral("select count(*) from contact_group")));
    QCOMPARE(dbtest::scalar(path, QStringLiteral("select count(*) from data where type = 7 and cast(data1 as integer) "
                                                 "not in (select _id from contact_group)")),
             QStringLiteral("0"));
    const QList<ContactGroup> groups = db->listGroups();
    QVERIFY(!groups.isEmpty());
    for (const QByteArray &line : dump.split('\n')) {
        if (line.startsWith("contact\t")) {
            const QString name = QString::fromUtf8(line.split('\t').value(3));
            QVERIFY2(db->findContactIdByFullName(name) > 0, qPrintable(name));
        }
    }
    QCOMPARE(db->searchContacts(0, QString()).size(), 30);
    // The secondary indexes, left out while the rows came in, are back.
    db->close();
    QVERIFY(hasEverySecondaryIndex(path));
    QCOMPARE(dbtest::scalar(path, QStringLiteral("pragma integrity_check")), QStringLiteral("ok"));
}

void SyncRestoreThreadTest::failuresRollBack_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("message");   // exact text, or a prefix ending in "*"
    const QString tooOld = QStringLiteral("This is not the latest version of Quillmarrow Contacts Sync on Android. "
                                          "3.0.3 needed. Please update it from Google Play.");
    QTest::newRow("agent version 1") << QStringList() << "1" << tooOld;
    QTest::newRow("agent version not a number") << QStringList() << "x" << tooOld;
    QTest::newRow("error mid-batch")
        << QStringList { "error-at=14", "error-message=Kontakte gesperrt: Доступ запрещён" } << "3"
        << QStringLiteral("Kontakte gesperrt: Доступ запрещён");
    QTest::newRow("long error text is cut")
        << QStringList { "error-at=6", "error-message=" + QString(600, QLatin1Char('E')) } << "3"
        << QString(SyncRestoreThread::MaxReportedChars, QLatin1Char('E')) + QChar(0x2026);
    QTest::newRow("malformed entity line") << QStringList { "malformed=3" } << "3" << QStringLiteral("Invalid:$ent:not-a-source-id,*");
    QTest::newRow("blank line") << QStringList { "blank-line=9" } << "3" << QStringLiteral("Null command.");
    QTest::newRow("dropped mid-batch") << QStringList { "drop-after=12" } << "3"
                                       << QStringLiteral("The remote host closed the connection");
    QTest::newRow("dropped in the middle of a line") << QStringList { "drop-mid-line=7" } << "3"
                                                     << QStringLiteral("The remote host closed the connection");
}

void SyncRestoreThreadTest::failuresRollBack()
{
    QFETCH(QStringList, faults);
    QFETCH(QString, version);
    QFETCH(QString, message);
    QVERIFY(m_sim.set(faultyPhone, { QStringLiteral("version=") + version }));
    if (!faults.isEmpty())
        QVERIFY2(m_sim.fault(faultyPhone, faults), m_sim.lastError());

    auto db = wifiCache(faultyPhone, QStringLiteral("faulty"));
    const QStringList before = dbtest::dump(db->path());
    Recorder recorder;
    SyncRestoreThread job(db, dataPort + 1, JobProgress(&recorder, &recorder.cancel));
    job.execute();

    QCOMPARE(recorder.successes, QStringList());
    QCOMPARE(recorder.errors.size(), 1);
    if (message.endsWith(QLatin1Char('*')))
        QVERIFY2(recorder.errors.first().startsWith(message.chopped(1)), qPrintable(recorder.errors.first()));
    else
        QCOMPARE(recorder.errors.first(), message);
    QVERIFY(recorder.errors.first().size() <= SyncRestoreThread::MaxReportedChars + 10);
    db->close();
    QCOMPARE(dbtest::dump(db->path()), before);
    QVERIFY(hasEverySecondaryIndex(db->path()));
}

void SyncRestoreThreadTest::headerLinesMayBeMissing_data()
{
    QTest::addColumn<QString>("omit");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("lastPercent");
    QTest::newRow("no version") << "version" << "Phone wifi-127.0.0.61" << 100;
    QTest::newRow("no count") << "count" << "Phone wifi-127.0.0.61" << 0;
    QTest::newRow("no device name") << "device" << QString() << 100;
}

void SyncRestoreThreadTest::headerLinesMayBeMissing()
{
    QFETCH(QString, omit);
    QFETCH(QString, name);
    QFETCH(int, lastPercent);
    QVERIFY(m_sim.fault(faultyPhone, { QStringLiteral("omit=") + omit }));
    auto db = wifiCache(faultyPhone, QStringLiteral("header"));
    Recorder recorder;
    SyncRestoreThread job(db, dataPort + 1, JobProgress(&recorder, &recorder.cancel));
    job.execute();
    QCOMPARE(recorder.errors, QStringList());
    QCOMPARE(recorder.successes.size(), 1);
    QCOMPARE(job.deviceName(), name);
    QCOMPARE(contactCount(db->path()), 12);
    for (const Recorder::Progress &p : std::as_const(recorder.progress))
        QVERIFY(p.percent >= 0 && p.percent <= 100);
    QCOMPARE(recorder.progress.last().percent, lastPercent);
}

void SyncRestoreThreadTest::unknownKindsAreSkipped()
{
    // Lines 1-3 are the header, line 4 opens the first batch: the lines of a
    // kind from a newer agent go into the first batch.
    QVERIFY(m_sim.fault(faultyPhone, { QStringLiteral("inject=6:$ent:14/1/1001/77,")
                                       + QString::fromLatin1(QByteArray("x").toBase64()) }));
    auto db = wifiCache(faultyPhone, QStringLiteral("kinds"));
    Recorder recorder;
    SyncRestoreThread job(db, dataPort + 1, JobProgress(&recorder, &recorder.cancel));
    job.execute();
    QCOMPARE(recorder.errors, QStringList());
    QCOMPARE(recorder.successes.size(), 1);
    QCOMPARE(job.skippedEntities(), 1);
    QCOMPARE(contactCount(db->path()), 12);
    QCOMPARE(dbtest::scalar(db->path(), QStringLiteral("select count(*) from data where type < 1 or type > 13")),
             QStringLiteral("0"));
}

void SyncRestoreThreadTest::cancelWhilePhoneStalls_data()
{
    QTest::addColumn<int>("stallAt");   // lines sent before the phone falls silent; -1: after the first batch
    QTest::addColumn<int>("reportsBeforeCancel");
    QTest::newRow("stalled before the header") << 0 << 3;
    QTest::newRow("stalled in a batch") << 6 << 4;
    QTest::newRow("stalled after a batch") << -1 << 3 + 5;
}

void SyncRestoreThreadTest::cancelWhilePhoneStalls()
{
    QFETCH(int, stallAt);
    QFETCH(int, reportsBeforeCancel);
    if (stallAt < 0) {
        // Header, "$batch:", the entity lines of the first five contacts,
        // "$end:": then the phone waits for our acknowledgement, gets it and
        // says nothing more.
        const QList<QByteArray> wire = m_sim.dump(faultyPhone, { QStringLiteral("--wire") }).split('\n');
        int names = 0;
        int lines = 0;
        for (const QByteArray &line : wire) {
            if (line.startsWith("$ent:1/") && ++names > 5)
                break;
            lines += line.startsWith("$ent:") ? 1 : 0;
        }
        stallAt = 3 + 1 + lines + 1;
    }
    QVERIFY(m_sim.fault(faultyPhone, { QStringLiteral("stall=%1").arg(stallAt) }));
    auto db = wifiCache(faultyPhone, QStringLiteral("stall"));
    const QStringList before = dbtest::dump(db->path());
    Recorder recorder;
    SyncRestoreThread job(db, dataPort + 1, JobProgress(&recorder, &recorder.cancel));
    job.start();
    // Wait for the phone to go quiet: the reports it got to, then nothing.
    QTRY_VERIFY_WITH_TIMEOUT(recorder.progress.size() >= reportsBeforeCancel, 30000);
    QVERIFY(m_sim.transcript(faultyPhone).contains("stalled after"));
    QVERIFY(!job.isFinished());
    recorder.cancel = true;
    QVERIFY(job.wait(30000));
    QCoreApplication::processEvents();
    QCOMPARE(recorder.errors, QStringList());
    QCOMPARE(recorder.successes, QStringList());
    db->close();
    QCOMPARE(dbtest::dump(db->path()), before);
}

void SyncRestoreThreadTest::cancelWhileAgentStarts_data()
{
    QTest::addColumn<bool>("usb");
    QTest::newRow("WiFi") << false;
    QTest::newRow("USB") << true;
}

void SyncRestoreThreadTest::cancelWhileAgentStarts()
{
    QFETCH(bool, usb);
    // The pause that gives the agent time to open its port is long on a
    // slow phone; Cancel must not wait for it to run out.
    LinkTimings::setStartPauseMs(60000);
    std::shared_ptr<AndroidContactsDb> db;
    if (usb) {
        db = std::make_shared<AndroidContactsDb>(m_dir->filePath(QStringLiteral("usb.db")),
                                                 std::make_shared<AdbConnector>(usbSerial, m_dir->path()));
        db->create();
    } else {
        db = wifiCache(fullPhone, QStringLiteral("starting"));
    }
    const QStringList before = dbtest::dump(db->path());
    Recorder recorder;
    SyncRestoreThread job(db, 23191, JobProgress(&recorder, &recorder.cancel));
    job.start();
    QTRY_VERIFY_WITH_TIMEOUT(recorder.progress.size() >= 2, 30000);
    QCOMPARE(recorder.progress.last().status, QStringLiteral("Starting Sync Service now..."));
    QElapsedTimer sinceCancel;
    sinceCancel.start();
    recorder.cancel = true;
    QVERIFY(job.wait(30000));
    QVERIFY2(sinceCancel.elapsed() < 2000, qPrintable(QString::number(sinceCancel.elapsed())));
    QCoreApplication::processEvents();
    QCOMPARE(recorder.errors, QStringList());
    QCOMPARE(recorder.successes, QStringList());
    db->close();
    QCOMPARE(dbtest::dump(db->path()), before);
}

void SyncRestoreThreadTest::jobKeepsDatabaseAlive()
{
    // The tree node that showed the phone may go while the job runs.
    auto db = wifiCache(fullPhone, QStringLiteral("alive"));
    const QString path = db->path();
    const std::weak_ptr<AndroidContactsDb> watch = db;
    Recorder recorder;
    auto job = std::make_unique<SyncRestoreThread>(std::move(db), dataPort, JobProgress(&recorder, &recorder.cancel));
    QVERIFY(!watch.expired());
    job->execute();
    QCOMPARE(recorder.successes.size(), 1);
    QVERIFY(!watch.expired());
    job.reset();
    QVERIFY(watch.expired());
    QCOMPARE(contactCount(path), 30);
}

void SyncRestoreThreadTest::missingAgentIsInstalledOnce()
{
    auto connector = std::make_shared<AdbConnector>(usbSerial, m_dir->path());
    for (int round = 1; round <= 2; ++round) {
        m_sim.takeAdbLog();
        auto db = std::make_shared<AndroidContactsDb>(m_dir->filePath(usbSerial), connector);
        db->create();
        Recorder recorder;
        SyncRestoreThread job(db, 23190, JobProgress(&recorder, &recorder.cancel));
        job.execute();
        QCOMPARE(recorder.errors, QStringList());
        QCOMPARE(recorder.successes.size(), 1);
        QCOMPARE(job.deviceName(), QStringLiteral("USB Phone"));
        QCOMPARE(contactCount(db->path()), 9);
        int installs = 0;
        for (const QStringList &args : m_sim.takeAdbLog())
            installs += args.contains(QStringLiteral("install")) ? 1 : 0;
        QCOMPARE(installs, round == 1 ? 1 : 0);
    }
}

QTEST_GUILESS_MAIN(SyncRestoreThreadTest)
#include "syncrestorethreadtest.moc"
