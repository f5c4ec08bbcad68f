// The export job end to end: every file type, the HTML and Word folder
// layout, CR LF text, progress, cancel, and the error paths.
#include "exportfixtures.h"
#include "files/exporttofilethread.h"
#include "files/vcardimport.h"
#include "jobrecorder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

using namespace pim;
using exportfixture::contact;
using exportfixture::entity;
using exportfixture::readFile;

namespace {

QList<Contact> someContacts(int n)
{
    QList<Contact> contacts;
    for (int i = 1; i <= n; ++i)
        contacts << contact(i, QStringLiteral("Person %1").arg(i),
                            {{ENTITY_NAME, entity({{data2, QStringLiteral("Person")}, {data3, QString::number(i)}})},
                             {ENTITY_PHONE, entity({{data1, QStringLiteral("555 %1").arg(i)}, {data2, QStringLiteral("2")}})},
                             {ENTITY_NOTE, entity({{data1, QStringLiteral("line one\nline two")}})}});
    return contacts;
}

} // namespace

class ExportToFileThreadTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(m_translator.load(QStringLiteral(":/en.qm")));
        QCoreApplication::installTranslator(&m_translator);
    }
    void eachType_data();
    void eachType();
    void runsOnItsThread();
    void textLinesEndWithCrLf();
    void wordIsTheHtmlPageInItsFolder();
    void emptyListWritesHeaderAndFooter_data();
    void emptyListWritesHeaderAndFooter();
    void percentages();
    void cancelMidwayLeavesNoFile_data();
    void cancelMidwayLeavesNoFile();
    void unwritableTargetReportsFileError();
    void fullDeviceIsNoSuccess();
    void unknownType();

private:
    QTemporaryDir m_dir;
    QTranslator m_translator;
};

void ExportToFileThreadTest::eachType_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("start");
    QTest::newRow("vcard") << 1 << "c.vcf" << QByteArray("BEGIN:VCARD");
    QTest::newRow("csv") << 2 << "c.csv" << QByteArray("First Name,Last Name,Tel:Mobile,Notes\n");
    QTest::newRow("text") << 3 << "c.txt" << QByteArray("First Name               Last Name");
    QTest::newRow("html") << 4 << "c.html" << QByteArray("<!DOCTYPE html");
    // The typed name wins over the filter's suffix.
    QTest::newRow("vcard as .txt") << 1 << "x.txt" << QByteArray("BEGIN:VCARD");
}

void ExportToFileThreadTest::eachType()
{
    QFETCH(int, type);
    QFETCH(QString, name);
    QFETCH(QByteArray, start);
    const QString path = m_dir.filePath(QStringLiteral("each/") + QString::number(type) + u'/' + name);
    QDir().mkpath(QFileInfo(path).path());
    JobRecorder recorder;
    ExportToFileThread job(someContacts(3), type, path, recorder.progress());
    job.execute();
    QCOMPARE(recorder.errors, QStringList());
    QCOMPARE(recorder.successes, QStringList{QStringLiteral("Successfully exported 3 contacts to File.")});
    QVERIFY(job.succeeded());
    QCOMPARE(job.exportedCount(), 3);
    const QByteArray written = readFile(ExportToFileThread::targetFile(type, path));
    QVERIFY2(written.startsWith(start), written.left(80).constData());
    if (type == 1) {
        VCardImport reader;
        reader.open(path);
        QCOMPARE(reader.count(), 3);
    }
}

void ExportToFileThreadTest::runsOnItsThread()
{
    const QString path = m_dir.filePath(QStringLiteral("thread.csv"));
    JobRecorder recorder;
    ExportToFileThread job(someContacts(5), 2, path, recorder.progress());
    job.start();
    QVERIFY(job.wait(60000));
    // The reports are queued to the receiver's thread.
    QTRY_COMPARE(recorder.successes.size(), 1);
    QCOMPARE(recorder.progressReports.size(), 5);
    QCOMPARE(readFile(path).count("\nPerson,"), 5);
}

void ExportToFileThreadTest::textLinesEndWithCrLf()
{
    const QString path = m_dir.filePath(QStringLiteral("crlf.txt"));
    JobRecorder recorder;
    ExportToFileThread job(someContacts(2), 3, path, recorder.progress());
    job.execute();
    const QByteArray written = readFile(path);
    QCOMPARE(written.count("\r\n"), 3);
    QCOMPARE(written.count('\n'), 3);
    // The note's own line break became a space, not a line.
    QVERIFY(written.contains("line one line two"));
}

void ExportToFileThreadTest::wordIsTheHtmlPageInItsFolder()
{
    const QString path = m_dir.filePath(QStringLiteral("word/a.doc"));
    QDir().mkpath(m_dir.filePath(QStringLiteral("word")));
    JobRecorder recorder;
    ExportToFileThread job(someContacts(2), 4, path, recorder.progress());
    job.execute();
    QCOMPARE(recorder.successes.size(), 1);
    QVERIFY(QFileInfo(path).isDir());
    QVERIFY(QFileInfo(path + QStringLiteral("/a.doc")).isFile());
    QVERIFY(QFileInfo(path + QStringLiteral("/photos/contact.png")).isFile());
    const QByteArray page = readFile(path + QStringLiteral("/a.doc"));
    QVERIFY(page.startsWith("<!DOCTYPE html"));
    QVERIFY(page.endsWith("</body></html>"));
    QCOMPARE(page.count("<div class=\"ct_name\">"), 2);
}

void ExportToFileThreadTest::emptyListWritesHeaderAndFooter_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("emptyFile");
    QTest::newRow("vcard") << 1 << true;
    QTest::newRow("csv") << 2 << false;
    QTest::newRow("html") << 4 << false;
}

void ExportToFileThreadTest::emptyListWritesHeaderAndFooter()
{
    QFETCH(int, type);
    QFETCH(bool, emptyFile);
    const QString path = m_dir.filePath(QStringLiteral("empty%1.out").arg(type));
    JobRecorder recorder;
    ExportToFileThread job({}, type, path, recorder.progress());
    job.execute();
    QCOMPARE(recorder.successes, QStringList{QStringLiteral("Successfully exported 0 contacts to File.")});
    QVERIFY(recorder.progressReports.isEmpty());
    const QString target = ExportToFileThread::targetFile(type, path);
    QVERIFY(QFileInfo(target).isFile());
    QCOMPARE(readFile(target).isEmpty(), emptyFile);
}

void ExportToFileThreadTest::percentages()
{
    JobRecorder recorder;
    ExportToFileThread job(someContacts(4), 2, m_dir.filePath(QStringLiteral("pct.csv")), recorder.progress());
    job.execute();
    QCOMPARE(recorder.progressReports.size(), 4);
    const int expected[] = {25, 50, 75, 100};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(recorder.progressReports.at(i).percent, expected[i]);
        QCOMPARE(recorder.progressReports.at(i).text, QStringLiteral("Contacts:%1/4").arg(i + 1));
        QCOMPARE(recorder.progressReports.at(i).title, QStringLiteral("Exporting contacts to File now..."));
    }
    JobRecorder thirds;
    ExportToFileThread three(someContacts(3), 2, m_dir.filePath(QStringLiteral("pct3.csv")), thirds.progress());
    three.execute();
    QCOMPARE(thirds.progressReports.at(0).percent, 33);
    QCOMPARE(thirds.progressReports.at(1).percent, 66);
}

void ExportToFileThreadTest::cancelMidwayLeavesNoFile_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("existedBefore");
    QTest::newRow("csv") << 2 << false;
    QTest::newRow("csv over an old file") << 2 << true;
    QTest::newRow("text") << 3 << false;
    QTest::newRow("html") << 4 << false;
}

void ExportToFileThreadTest::cancelMidwayLeavesNoFile()
{
    QFETCH(int, type);
    QFETCH(bool, existedBefore);
    const QString path = m_dir.filePath(QStringLiteral("cancel%1%2.out").arg(type).arg(existedBefore));
    const QString target = ExportToFileThread::targetFile(type, path);
    if (existedBefore) {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old content");
    }
    JobRecorder recorder;
    recorder.cancelOnProgress = [](const JobRecorder::Progress &p) { return p.text == QLatin1String("Contacts:3/10"); };
    ExportToFileThread job(someContacts(10), type, path, recorder.progress());
    job.execute();
    QCOMPARE(recorder.progressReports.size(), 3);
    QVERIFY(recorder.successes.isEmpty());
    QVERIFY(recorder.errors.isEmpty());
    QVERIFY(!job.succeeded());
    QVERIFY(!QFileInfo::exists(target));
}

void ExportToFileThreadTest::unwritableTargetReportsFileError()
{
    // A folder that does not exist, and a folder where the file should be.
    const QString missing = m_dir.filePath(QStringLiteral("no/such/folder/x.csv"));
    JobRecorder recorder;
    ExportToFileThread job(someContacts(2), 2, missing, recorder.progress());
    job.execute();
    QFile probe(missing);
    QVERIFY(!probe.open(QIODevice::WriteOnly));
    QCOMPARE(recorder.errors, QStringList{probe.errorString()});
    QVERIFY(recorder.successes.isEmpty());

    const QString folder = m_dir.filePath(QStringLiteral("isafolder.vcf"));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/inside")));
    JobRecorder second;
    ExportToFileThread onFolder(someContacts(2), 1, folder, second.progress());
    onFolder.execute();
    QCOMPARE(second.errors.size(), 1);
    QVERIFY(!second.errors.first().isEmpty());
    // What the job could not open is left as it was.
    QVERIFY(QFileInfo(folder + QStringLiteral("/inside")).isDir());
}

void ExportToFileThreadTest::fullDeviceIsNoSuccess()
{
    // /dev/full accepts the open and refuses every byte, like a full disk.
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        QSKIP("no /dev/full here");
    JobRecorder recorder;
    ExportToFileThread job(someContacts(20), 2, QStringLiteral("/dev/full"), recorder.progress());
    job.execute();
    QVERIFY(recorder.successes.isEmpty());
    QCOMPARE(recorder.errors.size(), 1);
    QVERIFY2(recorder.errors.first().contains(QLatin1String("space"), Qt::CaseInsensitive),
             qPrintable(recorder.errors.first()));
    QVERIFY(!job.succeeded());
    // Not a file this job made: it stays.
    QVERIFY(QFileInfo::exists(QStringLiteral("/dev/full")));
}

void ExportToFileThreadTest::unknownType()
{
    JobRecorder recorder;
    const QString path = m_dir.filePath(QStringLiteral("unknown.out"));
    ExportToFileThread job(someContacts(1), 7, path, recorder.progress());
    job.execute();
    QCOMPARE(recorder.errors, QStringList{QString()});
    QVERIFY(!QFileInfo::exists(path));
}

QTEST_GUILESS_MAIN(ExportToFileThreadTest)
#include "exporttofilethreadtest.moc"
