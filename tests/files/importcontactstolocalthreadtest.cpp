// The import job end to end: counts and messages, merging, nameless rows,
// cancel while reading and while storing, and the error paths.
#include "contacts/localdb.h"
#include "contacts/localdbcombinerule.h"
#include "files/importcontactstolocalthread.h"
#include "files/vcardimport.h"
#include "jobrecorder.h"
#include "tests/contacts/dbtestutil.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <memory>

using namespace pim;

namespace {

QString vcard(const QString &name, const QString &phone)
{
    return QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:%1\r\nN:;%1;;;\r\nTEL;TYPE=CELL:%2\r\nEND:VCARD\r\n")
        .arg(name, phone);
}

QString vcards(int count, const QString &prefix = QStringLiteral("Person "))
{
    QString text;
    for (int i = 1; i <= count; ++i)
        text += vcard(prefix + QString::number(i), QStringLiteral("555 %1").arg(i));
    return text;
}

// Stores a contact with one note (the database lists only contacts that
// have an entity).
Contact storeNamed(LocalDb &db, const QString &name, const QString &note = QStringLiteral("kept"))
{
    Contact c;
    c.fullName = name;
    Entity e;
    e.setText(data1, note);
    c.addEntity(ENTITY_NOTE, e);
    Contact stored;
    bool merged = false;
    db.saveContactMerged(c, stored, merged);
    return stored;
}

// The success messages without the report lines that follow them.
QStringList messageHeads(const QStringList &messages)
{
    QStringList heads;
    for (const QString &message : messages)
        heads.append(message.section(QStringLiteral("\n\n"), 0, 0));
    return heads;
}

QStringList storedNames(LocalDb &db)
{
    QStringList names;
    for (const Contact &c : db.searchContacts(0, QString()))
        names << c.fullName;
    return names;
}

} // namespace

class ImportContactsToLocalThreadTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void countsAndMessages_data();
    void countsAndMessages();
    void namelessContacts_data();
    void namelessContacts();
    void progressWhileReadingAndStoring();
    void cancelLeavesDatabaseUnchanged_data();
    void cancelLeavesDatabaseUnchanged();
    void unreadableFileGivesReaderError();
    void unknownFormat();
    void databaseFailureRollsBack();
    void runsOnItsThread();
    void reportFollowsTheSuccessMessage();

private:
    QString writeFile(const QString &name, const QByteArray &bytes);
    QTranslator m_translator;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::shared_ptr<LocalDb> m_db;
};

void ImportContactsToLocalThreadTest::initTestCase()
{
    QVERIFY(m_translator.load(QStringLiteral(":/en.qm")));
    QCoreApplication::installTranslator(&m_translator);
}

void ImportContactsToLocalThreadTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_db = std::make_shared<LocalDb>(m_dir->filePath(QStringLiteral("import.db")),
                                     std::make_shared<LocalDbCombineRule>());
    m_db->create();
    // The first open adds the case-insensitive name index; the tests compare
    // indexes from then on.
    QVERIFY(m_db->listGroups().isEmpty());
    m_db->close();
}

QString ImportContactsToLocalThreadTest::writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

void ImportContactsToLocalThreadTest::countsAndMessages_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("imported");
    QTest::addColumn<int>("merged");

    QTest::newRow("vcard, one of three exists")
        << 1 << vcards(3).toUtf8() << QStringList{QStringLiteral("person 2")}
        << "Successfully imported 2 contacts, with 1 repeated contacts merged." << 2 << 1;
    QTest::newRow("vcard, all new") << 1 << vcards(4).toUtf8() << QStringList()
                                    << "Successfully imported 4 contacts." << 4 << 0;
    QTest::newRow("csv, one of three exists")
        << 2 << QByteArray("First Name,Last Name,Mobile Phone\nAnn,Lee,1\nBob,Roe,2\nCid,Poe,3\n")
        << QStringList{QStringLiteral("Bob Roe")}
        << "Successfully imported 2 contacts, with 1 repeated contacts merged." << 2 << 1;
    QTest::newRow("empty vcard file") << 1 << QByteArray() << QStringList() << "Successfully imported 0 contacts."
                                      << 0 << 0;
    QTest::newRow("csv header only") << 2 << QByteArray("First Name,Last Name\n") << QStringList()
                                     << "Successfully imported 0 contacts." << 0 << 0;
}

void ImportContactsToLocalThreadTest::countsAndMessages()
{
    QFETCH(int, format);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, existing);
    QFETCH(QString, message);
    QFETCH(int, imported);
    QFETCH(int, merged);
    for (const QString &name : existing)
        storeNamed(*m_db, name);
    m_db->close();
    const QString indexesBefore = dbtest::indexes(m_db->path());
    QVERIFY(indexesBefore.contains(QStringLiteral("index_data_data:")));
    const QString path = writeFile(format == 1 ? QStringLiteral("in.vcf") : QStringLiteral("in.csv"), content);
    JobRecorder recorder;
    ImportContactsToLocalThread job(path, format, m_db.get(), recorder.progress());
    job.execute();
    QCOMPARE(recorder.errors, QStringList());
    QCOMPARE(messageHeads(recorder.successes), QStringList{message});
    QCOMPARE(job.importedCount(), imported);
    QCOMPARE(job.mergedCount(), merged);
    QCOMPARE(job.readCount(), imported + merged);
    QVERIFY(job.succeeded());
    QCOMPARE(storedNames(*m_db).size(), existing.size() + imported);
    // A new database is filled without its secondary indexes, which are
    // built at the end.
    m_db->close();
    QCOMPARE(dbtest::indexes(m_db->path()), indexesBefore);
    QCOMPARE(dbtest::scalar(m_db->path(), QStringLiteral("pragma integrity_check")), QStringLiteral("ok"));
}

void ImportContactsToLocalThreadTest::namelessContacts_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("skipped");
    QTest::newRow("company only")
        << QByteArray("First Name,Last Name,Company,E-mail Address,Mobile Phone\n,,Acme Corp,,\n") << QStringList{"Acme Corp"} << 0;
    QTest::newRow("e-mail only")
        << QByteArray("First Name,Last Name,Company,E-mail Address,Mobile Phone\n,,,info@example.org,\n")
        << QStringList{"info@example.org"} << 0;
    QTest::newRow("phone only")
        << QByteArray("First Name,Last Name,Company,E-mail Address,Mobile Phone\n,,,,+1 555 0100\n")
        << QStringList{"+1 555 0100"} << 0;
    QTest::newRow("company before e-mail")
        << QByteArray("First Name,Last Name,Company,E-mail Address,Mobile Phone\n,,Acme,a@b.c,1\n")
        << QStringList{"Acme"} << 0;
    QTest::newRow("named row keeps its name")
        << QByteArray("First Name,Last Name,Company,E-mail Address,Mobile Phone\nAnn,Lee,Acme,a@b.c,1\n")
        << QStringList{"Ann Lee"} << 0;
    QTest::newRow("nothing to name it by")
        << QByteArray("First Name,Last Name,Notes\n,,just a note\n") << QStringList() << 1;
}

void ImportContactsToLocalThreadTest::namelessContacts()
{
    QFETCH(QByteArray, csv);
    QFETCH(QStringList, names);
    QFETCH(int, skipped);
    JobRecorder recorder;
    ImportContactsToLocalThread job(writeFile(QStringLiteral("nameless.csv"), csv), 2, m_db.get(), recorder.progress());
    job.execute();
    QCOMPARE(recorder.errors, QStringList());
    QCOMPARE(messageHeads(recorder.successes),
             QStringList{QStringLiteral("Successfully imported %1 contacts.").arg(names.size())});
    QCOMPARE(storedNames(*m_db), names);
    QCOMPARE(job.skippedCount(), skipped);
    QCOMPARE(job.readCount(), names.size() + skipped);
}

void ImportContactsToLocalThreadTest::progressWhileReadingAndStoring()
{
    JobRecorder recorder;
    ImportContactsToLocalThread job(writeFile(QStringLiteral("four.vcf"), vcards(4).toUtf8()), 1, m_db.get(),
                                    recorder.progress());
    job.execute();
    QStringList storing;
    int reading = 0;
    for (const JobRecorder::Progress &p : std::as_const(recorder.progressReports)) {
        QCOMPARE(p.title, QStringLiteral("Importing contacts to Local Database now..."));
        if (p.text == QLatin1String("Reading the file..."))
            ++reading;
        else
            storing << QStringLiteral("%1 %2").arg(p.percent).arg(p.text);
    }
    QVERIFY(reading >= 1);
    QCOMPARE(storing, QStringList({"25 Contacts:1/4", "50 Contacts:2/4", "75 Contacts:3/4", "100 Contacts:4/4"}));
}

void ImportContactsToLocalThreadTest::cancelLeavesDatabaseUnchanged_data()
{
    QTest::addColumn<QString>("cancelAt");
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("newDatabase");
    QTest::newRow("while reading vcard") << "Reading the file..." << 1 << false;
    QTest::newRow("while reading csv") << "Reading the file..." << 2 << false;
    QTest::newRow("after the first stored") << "Contacts:2/300" << 1 << false;
    QTest::newRow("before the last") << "Contacts:299/300" << 2 << false;
    QTest::newRow("new database, after the first stored") << "Contacts:2/300" << 1 << true;
    QTest::newRow("new database, before the last") << "Contacts:299/300" << 2 << true;
}

void ImportContactsToLocalThreadTest::cancelLeavesDatabaseUnchanged()
{
    QFETCH(QString, cancelAt);
    QFETCH(int, format);
    QFETCH(bool, newDatabase);
    if (!newDatabase)
        storeNamed(*m_db, QStringLiteral("Person 7"));
    m_db->close();
    const QString indexesBefore = dbtest::indexes(m_db->path());
    const QStringList before = storedNames(*m_db);
    const Contact person7 = m_db->loadContact(m_db->findContactIdByFullName(QStringLiteral("Person 7")));

    QByteArray content;
    if (format == 1) {
        content = vcards(300).toUtf8();
    } else {
        content = "Name,Mobile Phone\n";
        for (int i = 1; i <= 300; ++i)
            content += QStringLiteral("Person %1,555 %1\n").arg(i).toUtf8();
    }
    JobRecorder recorder;
    recorder.cancelOnProgress = [cancelAt](const JobRecorder::Progress &p) { return p.text == cancelAt; };
    ImportContactsToLocalThread job(writeFile(QStringLiteral("big.in"), content), format, m_db.get(),
                                    recorder.progress());
    job.execute();
    QVERIFY(recorder.successes.isEmpty());
    QVERIFY(recorder.errors.isEmpty());
    QVERIFY(job.wasCancelled());
    QVERIFY(!job.succeeded());
    QCOMPARE(storedNames(*m_db), before);
    QCOMPARE(m_db->loadContact(person7._id), person7);
    m_db->close();
    QCOMPARE(dbtest::indexes(m_db->path()), indexesBefore);
    // The database is usable afterwards: no transaction was left open.
    storeNamed(*m_db, QStringLiteral("After"));
    QCOMPARE(storedNames(*m_db).size(), before.size() + 1);
}

void ImportContactsToLocalThreadTest::unreadableFileGivesReaderError()
{
    const QString missing = m_dir->filePath(QStringLiteral("missing.vcf"));
    QString readerError;
    try {
        VCardImport reader;
        reader.open(missing);
    } catch (const std::exception &e) {
        readerError = QString::fromUtf8(e.what());
    }
    QVERIFY(!readerError.isEmpty());
    for (const int format : {1, 2}) {
        JobRecorder recorder;
        ImportContactsToLocalThread job(missing, format, m_db.get(), recorder.progress());
        job.execute();
        QCOMPARE(recorder.errors, QStringList{readerError});
        QVERIFY(recorder.successes.isEmpty());
    }
    // A folder cannot be read as a file either.
    JobRecorder recorder;
    ImportContactsToLocalThread job(m_dir->path(), 2, m_db.get(), recorder.progress());
    job.execute();
    QCOMPARE(recorder.errors.size(), 1);
    QVERIFY(!recorder.errors.first().isEmpty());
}

void ImportContactsToLocalThreadTest::unknownFormat()
{
    JobRecorder recorder;
    ImportContactsToLocalThread job(writeFile(QStringLiteral("x.vcf"), vcards(1).toUtf8()), 3, m_db.get(),
                                    recorder.progress());
    job.execute();
    QCOMPARE(recorder.errors, QStringList{QString()});
    QVERIFY(storedNames(*m_db).isEmpty());
}

void ImportContactsToLocalThreadTest::databaseFailureRollsBack()
{
    // A database file that is no database: the job reports the error and
    // nothing throws out of it.
    const QString bogus = writeFile(QStringLiteral("bogus.db"), QByteArray(4096, 'x'));
    LocalDb db(bogus, std::make_shared<LocalDbCombineRule>());
    JobRecorder recorder;
    ImportContactsToLocalThread job(writeFile(QStringLiteral("two.vcf"), vcards(2).toUtf8()), 1, &db,
                                    recorder.progress());
    job.execute();
    QCOMPARE(recorder.errors.size(), 1);
    QVERIFY(!recorder.errors.first().isEmpty());
    QVERIFY(recorder.successes.isEmpty());
    QCOMPARE(job.importedCount(), 0);
}

void ImportContactsToLocalThreadTest::runsOnItsThread()
{
    JobRecorder recorder;
    ImportContactsToLocalThread job(writeFile(QStringLiteral("t.vcf"), vcards(5).toUtf8()), 1, m_db.get(),
                                    recorder.progress());
    job.start();
    QVERIFY(job.wait(60000));
    QTRY_COMPARE(recorder.successes.size(), 1);
    QCOMPARE(messageHeads(recorder.successes).first(), QStringLiteral("Successfully imported 5 contacts."));
    QCOMPARE(storedNames(*m_db).size(), 5);
}

// The closing message: the success text, then what the file held, what
// became of it, what could not be kept and which rows were malformed.
void ImportContactsToLocalThreadTest::reportFollowsTheSuccessMessage()
{
    storeNamed(*m_db, QStringLiteral("Bo Ng"));
    const QByteArray csv("First Name,Last Name,Shoe Size,Notes\n"
                         "Ann,Lee,38,\n"
                         "Bo,Ng,41,\n"
                         ",,,just a note\n"
                         "Cy,\"Unclosed,40,\n"
                         "Dee,Fox,,\n");
    JobRecorder recorder;
    ImportContactsToLocalThread job(writeFile(QStringLiteral("report.csv"), csv), 2, m_db.get(), recorder.progress());
    job.execute();
    QCOMPARE(recorder.errors, QStringList());
    QCOMPARE(recorder.successes.size(), 1);
    const QStringList lines = recorder.successes.first().split(u'\n');
    QCOMPARE(lines.mid(0, 2), (QStringList { "Successfully imported 3 contacts, with 1 repeated contacts merged.", "" }));
    QCOMPARE(lines.mid(2), (QStringList { "Contacts read: 5", "Imported: 3, merged with existing contacts: 1",
                                          "Skipped: 1 (1 \u00D7 nothing to name them by)",
                                          "Not kept: 3 \u00D7 Shoe Size", "Malformed rows: 1 (row 5)" }));
    QCOMPARE(job.report().malformedRows().size(), 1);
    QVERIFY(job.report().detailsText().contains(QStringLiteral("Row 5 (line 5): unbalanced quote")));
}

QTEST_GUILESS_MAIN(ImportContactsToLocalThreadTest)
#include "importcontactstolocalthreadtest.moc"
