// The send and change jobs, unchanged, against a phone reached through the
// phone bridge (no agent installed): what they send lands in the simulated
// phone's contacts provider, and the phone's ids come back into the cache.
#include "android/adbbridgeconnector.h"
#include "android/androidcontactsdb.h"
#include "android/androidsendchangesthread.h"
#include "android/contentshell.h"
#include "android/syncbackupthread.h"
#include "android/syncrestorethread.h"
#include "android/wireencoding.h"
#include "contacts/contactchange.h"
#include "contacts/entitykind.h"
#include "tests/contacts/dbtestutil.h"
#include "tools/phonesim/phonesimdriver.h"

#include "phonecache.h"

#include <QCoreApplication>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <memory>

using namespace pim;
using dbtest::Recorder;

namespace {

// Ports below the ephemeral range, under the USB port lock.
constexpr int portOne = 23321; // below the ephemeral range: no client connection holds it
constexpr int portTwo = 23322;

Entity entityOf(std::initializer_list<std::pair<int, QVariant>> values)
{
    Entity e;
    for (const auto &[column, value] : values)
        e.setValue(column, value);
    return e;
}

QList<Contact> people(const QString &family, int count)
{
    QList<Contact> list;
    for (int i = 1; i <= count; ++i) {
        Contact c;
        const QString given = QStringLiteral("Bridget%1").arg(i, 2, 10, QLatin1Char('0'));
        c.fullName = given + u' ' + family;
        c.addEntity(ENTITY_NAME, entityOf({ { data1, c.fullName }, { data2, given }, { data3, family } }));
        c.addEntity(ENTITY_PHONE, entityOf({ { data1, QStringLiteral("+49 30 7770%1").arg(i) }, { data2, 2 } }));
        c.addEntity(ENTITY_EMAIL, entityOf({ { data1, QStringLiteral("b%1@example.org").arg(i) }, { data2, 0 } }));
        list << c;
    }
    return list;
}

// Every contact of a cache with its entities, by full name.
QList<Contact> allContacts(AndroidContactsDb &db)
{
    QList<Contact> list;
    for (const Contact &c : db.searchContacts(0, QString()))
        list << db.loadContact(c._id);
    return list;
}

} // namespace

class BridgeJobsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void sendJob();
    void changeJob();
    void twoPhonesAtOnce();
    void unpluggedPhoneFailsTheJob();
    void busyDataPortIsAvoided_data();
    void busyDataPortIsAvoided();

private:
    std::shared_ptr<AndroidContactsDb> cacheFor(const QString &serial, const QString &file);
    void run(QThread &job, Recorder &recorder);

    QTranslator m_translator;
    PhoneSimDriver m_sim;
    QTemporaryDir m_dir;
    std::shared_ptr<AndroidContactsDb> m_db; // JOB1's cache, filled by sendJob
};

void BridgeJobsTest::initTestCase()
{
    QVERIFY(m_translator.load(QStringLiteral(":/en.qm")));
    QCoreApplication::installTranslator(&m_translator);
    QVERIFY2(m_sim.create({ "serial=JOB1", "+", "serial=JOB2", "sdk=28" }), m_sim.lastError());
    QVERIFY2(m_sim.start(), m_sim.lastError());
    m_sim.exportEnvironment();
}

std::shared_ptr<AndroidContactsDb> BridgeJobsTest::cacheFor(const QString &serial, const QString &file)
{
    auto db = std::make_shared<AndroidContactsDb>(m_dir.filePath(file), std::make_shared<AdbBridgeConnector>(serial));
    db->create();
    return db;
}

void BridgeJobsTest::run(QThread &job, Recorder &recorder)
{
    QVERIFY(phonecache::runJob(job));
    QCOMPARE(recorder.errors, QStringList());
    QCOMPARE(recorder.successes.size(), 1);
}

void BridgeJobsTest::sendJob()
{
    m_db = cacheFor(QStringLiteral("JOB1"), QStringLiteral("job1.db"));
    Recorder recorder;
    const qint64 before = ContentShell::adbCalls();
    SyncBackupThread job(people(QStringLiteral("Send"), 25), m_db, portOne, JobProgress(&recorder, &recorder.cancel));
    run(job, recorder);
    QCOMPARE(recorder.successes.first(), QStringLiteral("Successfully transferred 25 contacts to Android."));
    // Two batches of names, two of details: a few adb calls each, not one
    // per contact.
    QVERIFY2(ContentShell::adbCalls() - before <= 20, qPrintable(QString::number(ContentShell::adbCalls() - before)));

    const QByteArray dump = m_sim.dump(QStringLiteral("JOB1"));
    QCOMPARE(m_sim.dump(QStringLiteral("JOB1"), { "--count" }).trimmed(), QByteArray("25"));
    QVERIFY(dump.contains("\tphone\ttype=mobile\tlabel=\tnumber=+49 30 777025"));
    QVERIFY(dump.contains("\temail\ttype=other\tlabel=\taddress=b25@example.org"));
    // Every cached row is named by the phone's id of that row.
    int rows = 0;
    for (const Contact &c : allContacts(*m_db)) {
        for (int kind : { ENTITY_NAME, ENTITY_PHONE, ENTITY_EMAIL }) {
            const Entity *e = c.firstEntity(kind);
            QVERIFY(e);
            QVERIFY2(dump.contains("row\t" + e->srcId.toUtf8() + '\t'), qPrintable(e->srcId));
            ++rows;
        }
    }
    QCOMPARE(rows, 75);
}

void BridgeJobsTest::changeJob()
{
    QVERIFY(m_db);
    QList<Contact> all = allContacts(*m_db);
    QVERIFY(all.size() >= 3);

    // Edit one number, add an e-mail address.
    Contact first = all.at(0);
    Entity number = *first.firstEntity(ENTITY_PHONE);
    number.setText(data1, QStringLiteral("+49 30 1234"));
    Entity added = entityOf({ { data1, QStringLiteral("new@example.org") }, { data2, 2 } });
    added._id = 777777;
    {
        Recorder recorder;
        AndroidSendChangesThread job(JobProgress(&recorder, &recorder.cancel), m_db, portOne);
        job.setContactChanges(first, { ContactChange { ENTITY_PHONE, ContactChange::ACTION_UPDATED, number },
                                         ContactChange { ENTITY_EMAIL, ContactChange::ACTION_ADDED, added } });
        run(job, recorder);
    }
    QByteArray dump = m_sim.dump(QStringLiteral("JOB1"));
    QVERIFY(dump.contains("row\t" + number.srcId.toUtf8() + "\tphone\ttype=mobile\tlabel=\tnumber=+49 30 1234\n"));
    QVERIFY(dump.contains("\temail\ttype=work\tlabel=\taddress=new@example.org"));

    // Group the second contact, then take it out of every group.
    Contact second = all.at(1);
    second.addEntity(ENTITY_GROUP_MEMBERSHIP, entityOf({ { data2, QStringLiteral("Bridge Crew") } }));
    {
        Recorder recorder;
        AndroidSendChangesThread job(JobProgress(&recorder, &recorder.cancel), m_db, portOne);
        job.setGroupContacts({ second });
        run(job, recorder);
    }
    QVERIFY(m_sim.dump(QStringLiteral("JOB1")).contains("\tgroup\tgroup=Bridge Crew\n"));
    {
        Recorder recorder;
        AndroidSendChangesThread job(JobProgress(&recorder, &recorder.cancel), m_db, portOne);
        job.setGroupContacts({ all.at(1) });
        run(job, recorder);
    }
    QVERIFY(!m_sim.dump(QStringLiteral("JOB1")).contains("\tgroup\tgroup=Bridge Crew\n"));

    // Delete the third contact; the job does not wait for the phone, the
    // bridge still carries the batch out before its next exchange.
    {
        Recorder recorder;
        AndroidSendChangesThread job(JobProgress(&recorder, &recorder.cancel), m_db, portOne);
        job.setDeleteContacts({ all.at(2) });
        run(job, recorder);
        // The next exchange on this connector waits for the last one.
        std::static_pointer_cast<AdbBridgeConnector>(m_db->connector())->finish();
    }
    QCOMPARE(m_sim.dump(QStringLiteral("JOB1"), { "--count" }).trimmed(), QByteArray("24"));
    QVERIFY(!m_sim.dump(QStringLiteral("JOB1")).contains(all.at(2).fullName.toUtf8()));
}

void BridgeJobsTest::twoPhonesAtOnce()
{
    auto one = cacheFor(QStringLiteral("JOB1"), QStringLiteral("twin1.db"));
    auto two = cacheFor(QStringLiteral("JOB2"), QStringLiteral("twin2.db"));
    Recorder r1, r2;
    SyncBackupThread a(people(QStringLiteral("Twin"), 12), one, portOne, JobProgress(&r1, &r1.cancel));
    SyncBackupThread b(people(QStringLiteral("Twin"), 12), two, portTwo, JobProgress(&r2, &r2.cancel));
    a.start();
    b.start();
    QVERIFY(a.wait(120000));
    QVERIFY(b.wait(120000));
    QCoreApplication::sendPostedEvents();
    QCOMPARE(r1.errors, QStringList());
    QCOMPARE(r2.errors, QStringList());
    QVERIFY(m_sim.dump(QStringLiteral("JOB1")).contains("given=Bridget12\tmiddle=\tfamily=Twin"));
    QVERIFY(m_sim.dump(QStringLiteral("JOB2")).contains("given=Bridget12\tmiddle=\tfamily=Twin"));
    QCOMPARE(m_sim.dump(QStringLiteral("JOB2"), { "--count" }).trimmed(), QByteArray("12"));
}

void BridgeJobsTest::busyDataPortIsAvoided_data()
{
    QTest::addColumn<bool>("receive"); // else send
    QTest::newRow("receive") << true;
    QTest::newRow("send") << false;
}

void BridgeJobsTest::busyDataPortIsAvoided()
{
    QFETCH(bool, receive);
    // Another program (or an outgoing connection) holds the device's port.
    QTcpServer squatter;
    QVERIFY(squatter.listen(QHostAddress::LocalHost, quint16(portTwo)));
    auto db = cacheFor(QStringLiteral("JOB2"), receive ? QStringLiteral("busy-in.db") : QStringLiteral("busy-out.db"));
    const auto onPhone = [this] { return m_sim.dump(QStringLiteral("JOB2"), { "--count" }).trimmed().toInt(); };
    const int before = onPhone();
    Recorder recorder;
    std::unique_ptr<QThread> job;
    if (receive)
        job = std::make_unique<SyncRestoreThread>(db, portTwo, JobProgress(&recorder, &recorder.cancel));
    else
        job = std::make_unique<SyncBackupThread>(people(QStringLiteral("Busy"), 3), db, portTwo,
                                                 JobProgress(&recorder, &recorder.cancel));
    run(*job, recorder);
    QVERIFY(!squatter.hasPendingConnections());
    if (receive) {
        QCOMPARE(allContacts(*db).size(), before);
    } else {
        QCOMPARE(onPhone(), before + 3);
        QCOMPARE(allContacts(*db).size(), 3);
    }
}

void BridgeJobsTest::unpluggedPhoneFailsTheJob()
{
    auto db = cacheFor(QStringLiteral("JOB2"), QStringLiteral("unplugged.db"));
    QVERIFY(m_sim.run(QStringLiteral("detach"), { QStringLiteral("JOB2") }).ok());
    Recorder recorder;
    SyncBackupThread job(people(QStringLiteral("Gone"), 3), db, portTwo, JobProgress(&recorder, &recorder.cancel));
    QVERIFY(phonecache::runJob(job));
    QCOMPARE(recorder.successes, QStringList());
    QCOMPARE(recorder.errors.size(), 1);
    QVERIFY2(recorder.errors.first().contains(QStringLiteral("not found")), qPrintable(recorder.errors.first()));
    // Nothing half-done in the cache: the job rolled back.
    QCOMPARE(allContacts(*db).size(), 0);
    QVERIFY(m_sim.run(QStringLiteral("attach"), { QStringLiteral("JOB2") }).ok());
}

QTEST_GUILESS_MAIN(BridgeJobsTest)
#include "bridgejobstest.moc"
