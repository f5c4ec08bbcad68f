#include "contacts/backupcontactstolocalthread.h"
#include "contacts/localdb.h"
#include "contacts/localdbcombinerule.h"

#include "dbtestutil.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

using namespace pim;
using dbtest::Recorder;

namespace {

QList<Contact> people(const QStringList &names)
{
    QList<Contact> list;
    for (const QString &name : names) {
        Contact c = dbtest::contact(name);
        Entity n = dbtest::entity({ { data1, name }, { data2, name } });
        c.addEntity(ENTITY_NAME, n);
        c.addEntity(ENTITY_PHONE, dbtest::entity({ { data1, QStringLiteral("555 ") + name } }));
        list << c;
    }
    return list;
}

// Every index of the file with its definition, one text.
QStringList numbered(const QString &prefix, int count)
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names << prefix + QString::number(i);
    return names;
}

} // namespace

class BackupContactsToLocalThreadTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void countsAndMessages_data();
    void countsAndMessages();
    void progressReports();
    void failureRollsBackEverything();
    void newDatabaseEndsWithEveryIndex();
    void failureInNewDatabaseKeepsEveryIndex();
    void unreadableDatabaseReportsItsName();
    void runsOnItsOwnThread();

private:
    QTranslator m_translator;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::shared_ptr<LocalDb> m_db;
};

void BackupContactsToLocalThreadTest::initTestCase()
{
    QVERIFY(m_translator.load(QStringLiteral(":/en.qm")));
    QCoreApplication::installTranslator(&m_translator);
}

void BackupContactsToLocalThreadTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_db = std::make_shared<LocalDb>(m_dir->filePath(QStringLiteral("backup.db")),
                                     std::make_shared<LocalDbCombineRule>());
    m_db->create();
}

void BackupContactsToLocalThreadTest::countsAndMessages_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QStringList>("incoming");
    QTest::addColumn<int>("cancelAfter");   // progress reports before the user cancels; -1 never
    QTest::addColumn<int>("contactsAfter");
    QTest::addColumn<QString>("message");
    QTest::newRow("10 of which 3 exist")
        << QStringList { "C3", "c5", "C9" } << numbered(QStringLiteral("C"), 10) << -1 << 10
        << "Successfully backup 7 contacts to Local Database;3 repeated contacts merged.";
    QTest::newRow("all new") << QStringList() << numbered(QStringLiteral("N"), 5) << -1 << 5
                             << "Successfully backup 5 contacts to Local Database.";
    QTest::newRow("a name twice in the list") << QStringList() << QStringList { "Ann", "Bob", "ann" } << -1 << 2
                                              << "Successfully backup 2 contacts to Local Database;1 repeated "
                                                 "contacts merged.";
    QTest::newRow("empty list") << QStringList { "Old" } << QStringList() << -1 << 1
                                << "Successfully backup 0 contacts to Local Database.";
    QTest::newRow("cancel after 4 of 10 keeps 4") << QStringList() << numbered(QStringLiteral("C"), 10) << 4 << 4
                                                  << "Successfully backup 4 contacts to Local Database.";
    QTest::newRow("cancel before the first") << QStringList() << numbered(QStringLiteral("C"), 3) << 0 << 0
                                             << "Successfully backup 0 contacts to Local Database.";
    QTest::newRow("cancel after a merge") << QStringList { "C1" } << numbered(QStringLiteral("C"), 3) << 2 << 2
                                          << "Successfully backup 1 contacts to Local Database;1 repeated "
                                             "contacts merged.";
}

void BackupContactsToLocalThreadTest::countsAndMessages()
{
    QFETCH(QStringList, existing);
    QFETCH(QStringList, incoming);
    QFETCH(int, cancelAfter);
    QFETCH(int, contactsAfter);
    QFETCH(QString, message);
    for (const Contact &c : people(existing)) {
        Contact stored;
        bool merged = false;
        m_db->saveContactMerged(c, stored, merged);
    }
    Recorder recorder;
    recorder.cancelAfterProgress = cancelAfter;
    recorder.cancel = cancelAfter == 0;
    BackupContactsToLocalThread job(people(incoming), m_db.get(), JobProgress(&recorder, &recorder.cancel));
    job.execute();

    QCOMPARE(recorder.errors, QStringList());
    QCOMPARE(recorder.successes, QStringList { message });
    QCOMPARE(recorder.progress.size(), cancelAfter < 0 ? incoming.size() : cancelAfter);
    QCOMPARE(dbtest::scalar(m_db->path(), QStringLiteral("select count(*) from contact")).toInt(), contactsAfter);
    // The job left no transaction open: another connection writes at once.
    dbtest::exec(m_db->path(), QStringLiteral("insert into contact_group(name) values('probe')"));
    // Every contact that was reported is in the database with its phone.
    for (int i = 0; i < recorder.progress.size(); ++i) {
        const qint64 id = m_db->findContactIdByFullName(incoming.at(i));
        QVERIFY(id != 0);
        QVERIFY(!m_db->loadContact(id).entitiesOf(ENTITY_PHONE).isEmpty());
    }
}

void BackupContactsToLocalThreadTest::progressReports()
{
    Recorder recorder;
    BackupContactsToLocalThread job(people({ "A", "B", "C" }), m_db.get(), JobProgress(&recorder, &recorder.cancel));
    job.execute();
    QCOMPARE(recorder.progress.size(), 3);
    const QList<int> percents { 33, 66, 100 };
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(recorder.progress.at(i).status, QStringLiteral("Backing up contacts to Local Database"));
        QCOMPARE(recorder.progress.at(i).percent, percents.at(i));
        QCOMPARE(recorder.progress.at(i).text, QStringLiteral("Contacts:%1/3").arg(i + 1));
    }
}

void BackupContactsToLocalThreadTest::failureRollsBackEverything()
{
    for (const Contact &c : people({ "Kept" })) {
        Contact stored;
        bool merged = false;
        m_db->saveContactMerged(c, stored, merged);
    }
    m_db->close();
    dbtest::exec(m_db->path(), QStringLiteral("create trigger fail before insert on data when new.data1='555 Bad'"
                                              " begin select raise(abort, 'boom refused'); end"));
    const QStringList before = dbtest::dump(m_db->path());

    Recorder recorder;
    BackupContactsToLocalThread job(people({ "One", "kept", "Two", "Bad", "Three" }), m_db.get(),
                                    JobProgress(&recorder, &recorder.cancel));
    job.execute();
    QCOMPARE(recorder.successes, QStringList());
    QCOMPARE(recorder.errors.size(), 1);
    QVERIFY2(recorder.errors.first().contains(QStringLiteral("boom refused")), qPrintable(recorder.errors.first()));
    QVERIFY2(recorder.errors.first().contains(QDir::toNativeSeparators(m_db->path())),
             qPrintable(recorder.errors.first()));
    QCOMPARE(recorder.progress.size(), 4);
    QCOMPARE(dbtest::dump(m_db->path()), before);

    // The database is usable at once: the next job stores and keeps its work.
    Recorder next;
    BackupContactsToLocalThread again(people({ "One", "Two" }), m_db.get(), JobProgress(&next, &next.cancel));
    again.execute();
    QCOMPARE(next.successes.size(), 1);
    m_db->close();
    QCOMPARE(dbtest::scalar(m_db->path(), QStringLiteral("select count(*) from contact")), QStringLiteral("3"));
}

void BackupContactsToLocalThreadTest::newDatabaseEndsWithEveryIndex()
{
    // Opening adds an index to files made before it existed.
    QVERIFY(m_db->listGroups().isEmpty());
    m_db->close();
    const QString before = dbtest::indexes(m_db->path());
    QVERIFY(before.contains(QStringLiteral("index_data_src_id")));
    QVERIFY(before.contains(QStringLiteral("index_contacts_full_name:")));
    Recorder recorder;
    BackupContactsToLocalThread job(people({ "Ann", "Bob", "ann", "Cy" }), m_db.get(),
                                    JobProgress(&recorder, &recorder.cancel));
    job.execute();
    QCOMPARE(recorder.errors, QStringList());
    m_db->close();
    QCOMPARE(dbtest::indexes(m_db->path()), before);
    QCOMPARE(dbtest::scalar(m_db->path(), QStringLiteral("pragma integrity_check")), QStringLiteral("ok"));
    QCOMPARE(dbtest::scalar(m_db->path(), QStringLiteral("select count(*) from contact")), QStringLiteral("3"));
    QCOMPARE(dbtest::scalar(m_db->path(), QStringLiteral("select count(*) from data where type=%1").arg(ENTITY_PHONE)),
             QStringLiteral("4"));   // "ann" merged into Ann with its own number
    // The rebuilt index serves the look-up by value.
    QCOMPARE(dbtest::scalar(m_db->path(), QStringLiteral("select count(*) from data indexed by index_data_data"
                                                         " where type=%1 and data1='555 Bob'")
                                              .arg(ENTITY_PHONE)),
             QStringLiteral("1"));
}

void BackupContactsToLocalThreadTest::failureInNewDatabaseKeepsEveryIndex()
{
    // Opening adds an index to files made before it existed.
    QVERIFY(m_db->listGroups().isEmpty());
    m_db->close();
    const QString before = dbtest::indexes(m_db->path());
    dbtest::exec(m_db->path(), QStringLiteral("create trigger fail before insert on data when new.data1='555 Bad'"
                                              " begin select raise(abort, 'boom refused'); end"));
    Recorder recorder;
    BackupContactsToLocalThread job(people({ "One", "Two", "Bad" }), m_db.get(),
                                    JobProgress(&recorder, &recorder.cancel));
    job.execute();
    QCOMPARE(recorder.errors.size(), 1);
    m_db->close();
    QCOMPARE(dbtest::indexes(m_db->path()), before);
    QCOMPARE(dbtest::scalar(m_db->path(), QStringLiteral("select count(*) from contact")), QStringLiteral("0"));
}

void BackupContactsToLocalThreadTest::unreadableDatabaseReportsItsName()
{
    const QString path = m_dir->filePath(QStringLiteral("gone/missing.db"));
    LocalDb missing(path, std::make_shared<LocalDbCombineRule>());
    Recorder recorder;
    BackupContactsToLocalThread job(people({ "A" }), &missing, JobProgress(&recorder, &recorder.cancel));
    job.execute();
    QCOMPARE(recorder.successes, QStringList());
    QCOMPARE(recorder.errors.size(), 1);
    QVERIFY2(recorder.errors.first().contains(QDir::toNativeSeparators(path)), qPrintable(recorder.errors.first()));
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("gone"))));
}

void BackupContactsToLocalThreadTest::runsOnItsOwnThread()
{
    Recorder recorder;
    auto job = std::make_unique<BackupContactsToLocalThread>(people(numbered(QStringLiteral("T"), 20)), m_db.get(),
                                                             JobProgress(&recorder, &recorder.cancel));
    job->start();
    QTRY_COMPARE(recorder.successes.size(), 1);
    QVERIFY(job->wait(10000));
    QCOMPARE(recorder.successes.first(), QStringLiteral("Successfully backup 20 contacts to Local Database."));
    QCOMPARE(recorder.progress.size(), 20);
    for (int i = 0; i < 20; ++i)   // queued, so in order
        QCOMPARE(recorder.progress.at(i).text, QStringLiteral("Contacts:%1/20").arg(i + 1));
    QVERIFY(recorder.errors.isEmpty());
    QCOMPARE(m_db->searchContacts(0, QString()).size(), 20);
}

QTEST_GUILESS_MAIN(BackupContactsToLocalThreadTest)
#include "backupcontactstolocalthreadtest.moc"
