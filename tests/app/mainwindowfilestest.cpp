// The main window's file commands: export to each type through the tool bar
// and both context menus (default name, filters, suffix rule, the question
// before replacing a file the suffix rule found, PDF), printing through the
// preview, import of vCard and CSV files into new and current databases,
// and failures shown as errors instead of successes.
#include "app/mytreeview.h"
#include "commandfixture.h"
#include "contacts/localdb.h"
#include "panetestutil.h"

#include <QDialog>
#include <QFile>
#include <QPrintPreviewWidget>
#include <QRegularExpression>
#include <QTest>

using Tree = ItemModelMainTree;

namespace {

const QString allFilters = QStringLiteral(
    "VCard Files(*.vcf);;CSV Files(*.csv);;Text Files(*.txt);;HTML files(*.html);;Word files(*.doc);;PDF "
    "files(*.pdf)");
const QString importFilters = QStringLiteral("VCard Files(*.vcf);;CSV Files(*.csv)");

QList<Contact> sample()
{
    return {person(QStringLiteral("Ann Lee"), QStringLiteral("ann@lee.net"), QStringLiteral("555-01")),
            person(QStringLiteral("Bob Stone"), QStringLiteral("bob@annex.org")),
            person(QStringLiteral("Carla Diaz"), QStringLiteral("carla@diaz.es"), QStringLiteral("555-03"))};
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace

class MainWindowFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void exportEachType_data();
    void exportEachType();
    void exportAsksForFile();
    void exportSelection_data();
    void exportSelection();
    void exportCancelled_data();
    void exportCancelled();
    void replaceQuestion_data();
    void replaceQuestion();
    void exportFailureIsNoSuccess_data();
    void exportFailureIsNoSuccess();
    void printPreview_data();
    void printPreview();
    void importFile_data();
    void importFile();
    void importIntoCurrentDatabaseRefreshesList_data();
    void importIntoCurrentDatabaseRefreshesList();
    void importCancelled();

private:
    QString out(const QString &name) const { return QDir(f.homePath()).filePath(QStringLiteral("out/") + name); }

    CommandFixture f;
};

void MainWindowFilesTest::initTestCase()
{
    QVERIFY(f.setUpProgram());
}

void MainWindowFilesTest::init()
{
    f.clearData();
    QDir(out(QString())).removeRecursively();
    QVERIFY(QDir().mkpath(out(QString())));
    panetest::makeDb(f.dbPath(QStringLiteral("people.db")), sample(), {"Work", "", "Work"});
    f.openWindow();
    QVERIFY(f.select(QStringLiteral("people.db")));
}

void MainWindowFilesTest::cleanup()
{
    const QString problems = f.closeWindow();
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
}

void MainWindowFilesTest::exportEachType_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");   // the file that holds the contacts
    QTest::addColumn<QByteArray>("marker"); // found once per contact, or at the start
    QTest::addColumn<int>("markers");
    QTest::newRow("vCard") << "VCard Files(*.vcf)" << "list" << "list.vcf" << QByteArray("BEGIN:VCARD") << 3;
    QTest::newRow("vCard into .txt") << "VCard Files(*.vcf)" << "list.txt" << "list.txt" << QByteArray("BEGIN:VCARD")
                                     << 3;
    QTest::newRow("CSV") << "CSV Files(*.csv)" << "list" << "list.csv" << QByteArray("ann@lee.net") << 1;
    QTest::newRow("text") << "Text Files(*.txt)" << "list" << "list.txt" << QByteArray("\r\n") << -1;
    QTest::newRow("HTML") << "HTML files(*.html)" << "page" << "page.html/page.html" << QByteArray("<html") << 1;
    QTest::newRow("Word") << "Word files(*.doc)" << "list" << "list.doc/list.doc" << QByteArray("<html") << 1;
    QTest::newRow("PDF") << "PDF files(*.pdf)" << "cards" << "cards.pdf" << QByteArray("%PDF") << 1;
    QTest::newRow("PDF, suffix kept") << "PDF files(*.pdf)" << "cards.bin" << "cards.bin" << QByteArray("%PDF") << 1;
}

void MainWindowFilesTest::exportEachType()
{
    QFETCH(QString, filter);
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QFETCH(QByteArray, marker);
    QFETCH(int, markers);
    f.answers().answerFile(out(typed), filter);
    f.trigger("actExport");
    const QByteArray bytes = readAll(out(written));
    QVERIFY2(!bytes.isEmpty(), qPrintable(out(written)));
    if (markers < 0)
        QVERIFY(bytes.contains(marker));
    else
        QCOMPARE(int(bytes.count(marker)), markers);
    if (marker == "%PDF") {
        QVERIFY(bytes.startsWith("%PDF"));
        QVERIFY(bytes.trimmed().endsWith("%%EOF"));
    } else {
        for (const Contact &c : sample())
            QVERIFY2(bytes.contains(c.fullName.toUtf8()), qPrintable(c.fullName));
    }
    QCOMPARE(f.answers().messageBoxTexts(),
             QStringList{QStringLiteral("Successfully exported 3 contacts to File.")});
    QCOMPARE(f.answers().dialogs(), marker == "%PDF" ? QStringList() : QStringList{"ProgressForm"});
}

void MainWindowFilesTest::exportAsksForFile()
{
    f.answers().answerFile(QString());
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    f.trigger("actExport");
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    QCOMPARE(f.answers().fileQuestions().size(), 1);
    const auto question = f.answers().fileQuestions().first();
    QVERIFY(question.save);
    QCOMPARE(question.caption, QString());
    QCOMPARE(question.filter, allFilters);
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^(.*)/contacts\\((\\d{8}-\\d{6})\\)$")).match(question.proposed);
    QVERIFY2(match.hasMatch(), qPrintable(question.proposed));
    QCOMPARE(match.captured(1), QDir::homePath());
    const QDateTime stamp = QDateTime::fromString(match.captured(2), QStringLiteral("yyyyMMdd-hhmmss"));
    QVERIFY(stamp >= before.addSecs(-1) && stamp <= after);
}

void MainWindowFilesTest::exportSelection_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<int>("exported");
    QTest::newRow("tool bar, nothing selected") << "actExport" << QList<int>{} << 3;
    QTest::newRow("tool bar, two rows") << "actExport" << QList<int>{0, 2} << 2;
    QTest::newRow("list menu") << "miContactExport" << QList<int>{1} << 1;
    QTest::newRow("tree menu ignores rows") << "miTreeExport" << QList<int>{1} << 3;
}

void MainWindowFilesTest::exportSelection()
{
    QFETCH(QString, how);
    QFETCH(QList<int>, rows);
    QFETCH(int, exported);
    f.selectRows(rows);
    f.answers().answerFile(out(QStringLiteral("sel")), QStringLiteral("VCard Files(*.vcf)"));
    if (how.startsWith(QLatin1String("act"))) {
        f.trigger(how.toLatin1().constData());
    } else {
        f.answerMenu(how);
        if (how.startsWith(QLatin1String("miTree")))
            emit f.treeMain()->createContextMenu();
        else
            emit f.treeContacts()->createContextMenu();
    }
    QCOMPARE(int(readAll(out(QStringLiteral("sel.vcf"))).count("BEGIN:VCARD")), exported);
    QCOMPARE(f.answers().messageBoxTexts(),
             QStringList{QStringLiteral("Successfully exported %1 contacts to File.").arg(exported)});
}

void MainWindowFilesTest::exportCancelled_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("filter");
    QTest::newRow("no file") << "" << "VCard Files(*.vcf)";
    QTest::newRow("unknown filter") << "x" << "All files(*)";
}

void MainWindowFilesTest::exportCancelled()
{
    QFETCH(QString, file);
    QFETCH(QString, filter);
    f.answers().answerFile(file.isEmpty() ? QString() : out(file), filter);
    f.trigger("actExport");
    QVERIFY(f.answers().dialogs().isEmpty());
    QVERIFY(f.answers().messageBoxes().isEmpty());
    QVERIFY(QDir(out(QString())).isEmpty());
}

void MainWindowFilesTest::replaceQuestion_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("existing");
    QTest::addColumn<int>("answer");   // to the question; 0: no question expected
    QTest::addColumn<bool>("keptOld"); // the existing file still holds its old content
    QTest::addColumn<bool>("exported");
    const int yes = QMessageBox::Yes;
    const int no = QMessageBox::No;
    QTest::newRow("suffix added, yes") << "list" << "VCard Files(*.vcf)" << "list.vcf" << yes << false << true;
    QTest::newRow("suffix added, no") << "list" << "VCard Files(*.vcf)" << "list.vcf" << no << true << false;
    QTest::newRow("PDF, no") << "cards" << "PDF files(*.pdf)" << "cards.pdf" << no << true << false;
    QTest::newRow("PDF, yes") << "cards" << "PDF files(*.pdf)" << "cards.pdf" << yes << false << true;
    QTest::newRow("HTML, no") << "page" << "HTML files(*.html)" << "page.html" << no << true << false;
    QTest::newRow("typed with suffix") << "list.vcf" << "VCard Files(*.vcf)" << "list.vcf" << 0 << false << true;
    QTest::newRow("no file there") << "list" << "VCard Files(*.vcf)" << "other.vcf" << 0 << true << true;
}

void MainWindowFilesTest::replaceQuestion()
{
    QFETCH(QString, typed);
    QFETCH(QString, filter);
    QFETCH(QString, existing);
    QFETCH(int, answer);
    QFETCH(bool, keptOld);
    QFETCH(bool, exported);
    QVERIFY(writeFile(out(existing), "old content"));
    if (answer)
        f.answers().answerMessageBox(QMessageBox::StandardButton(answer));
    f.answers().answerFile(out(typed), filter);
    f.trigger("actExport");
    const QString question = QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                 .arg(QDir::toNativeSeparators(out(existing)));
    const QStringList texts = f.answers().messageBoxTexts();
    QCOMPARE(texts.contains(question), answer != 0);
    if (answer)
        QCOMPARE(f.answers().messageBoxes().first().icon, QMessageBox::Question);
    QCOMPARE(readAll(out(existing)) == "old content", keptOld);
    QCOMPARE(texts.contains(QStringLiteral("Successfully exported 3 contacts to File.")), exported);
}

void MainWindowFilesTest::exportFailureIsNoSuccess_data()
{
    QTest::addColumn<QString>("filter");
    QTest::newRow("vCard") << "VCard Files(*.vcf)";
    QTest::newRow("text") << "Text Files(*.txt)";
    QTest::newRow("PDF") << "PDF files(*.pdf)";
}

void MainWindowFilesTest::exportFailureIsNoSuccess()
{
    QFETCH(QString, filter);
    // The folder of the chosen file does not exist.
    f.answers().answerFile(out(QStringLiteral("missing/folder/x.out")), filter);
    f.trigger("actExport");
    const QStringList texts = f.answers().messageBoxTexts();
    QCOMPARE(texts.size(), 1);
    QVERIFY2(texts.first().startsWith(QStringLiteral("An Error Occurred.")), qPrintable(texts.first()));
    QCOMPARE(f.answers().messageBoxes().first().icon, QMessageBox::Critical);
    QVERIFY(!QFileInfo::exists(out(QStringLiteral("missing/folder/x.out"))));
}

void MainWindowFilesTest::printPreview_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<int>("contacts");
    QTest::newRow("tool bar, all") << "actPrint" << QList<int>{} << 12;
    QTest::newRow("tool bar, selection") << "actPrint" << QList<int>{0, 1} << 2;
    QTest::newRow("tree menu") << "miTreePrint" << QList<int>{} << 12;
    QTest::newRow("list menu") << "miContactPrint" << QList<int>{3} << 1;
}

void MainWindowFilesTest::printPreview()
{
    QFETCH(QString, how);
    QFETCH(QList<int>, rows);
    QFETCH(int, contacts);
    // Twelve contacts make two pages of eight tiles and four.
    QList<Contact> many;
    for (int i = 0; i < 12; ++i)
        many << person(QStringLiteral("Person %1").arg(i, 2, 10, QChar(u'0')), QStringLiteral("p%1@x.org").arg(i));
    panetest::makeDb(f.dbPath(QStringLiteral("many.db")), many);
    f.reopenWindow();
    QVERIFY(f.select(QStringLiteral("many.db")));
    f.selectRows(rows);
    int pages = -1;
    QString title;
    f.answers().answerDialog([&pages, &title](QDialog &dialog) {
        title = dialog.windowTitle();
        auto *preview = dialog.findChild<QPrintPreviewWidget *>();
        if (preview) {
            preview->updatePreview();
            pages = preview->pageCount();
        }
        dialog.reject();
        return int(QDialog::Rejected);
    });
    if (how.startsWith(QLatin1String("act"))) {
        f.trigger(how.toLatin1().constData());
    } else {
        f.answerMenu(how);
        if (how.startsWith(QLatin1String("miTree")))
            emit f.treeMain()->createContextMenu();
        else
            emit f.treeContacts()->createContextMenu();
    }
    QCOMPARE(title, QStringLiteral("Print Contacts"));
    QCOMPARE(pages, (contacts + 7) / 8);
}

void MainWindowFilesTest::importFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("database");   // typed into the chooser
    QTest::addColumn<QString>("dbFile");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("notKept"); // behind "Show Details...", empty when all was kept
    const QByteArray vcard = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann;;;\r\nFN:Ann Lee\r\nEMAIL:ann@new.net\r\n"
                             "END:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nN:Ek;Dan;;;\r\nFN:Dan Ek\r\n"
                             "TEL;TYPE=CELL:555-09\r\nEND:VCARD\r\n";
    const QByteArray csv = "First Name,Last Name,E-mail Address\r\nDan,Ek,dan@ek.se\r\nEva,Berg,eva@berg.se\r\n";
    QTest::newRow("vCard, new database")
        << "contacts.vcf" << vcard << "VCard Files(*.vcf)" << "contacts.vcf" << "contacts.vcf.db"
        << "Successfully imported 2 contacts." << QStringList{"Ann Lee", "Dan Ek"} << QString();
    QTest::newRow("vCard, existing database")
        << "contacts.vcf" << vcard << "VCard Files(*.vcf)" << "people.db" << "people.db"
        << "Successfully imported 1 contacts, with 1 repeated contacts merged."
        << QStringList{"Ann Lee", "Bob Stone", "Carla Diaz", "Dan Ek"} << QString();
    QTest::newRow("CSV, new database") << "list.csv" << csv << "CSV Files(*.csv)" << "from csv" << "from csv.db"
                                       << "Successfully imported 2 contacts." << QStringList{"Dan Ek", "Eva Berg"}
                                       << QString();
    const QByteArray odd = "First Name,Last Name,Shoe Size,Star Sign\r\nDan,Ek,44,Leo\r\nEva,Berg,38,\r\n";
    QTest::newRow("CSV, columns not kept") << "odd.csv" << odd << "CSV Files(*.csv)" << "odd" << "odd.db"
                                           << "Successfully imported 2 contacts." << QStringList{"Dan Ek", "Eva Berg"}
                                           << "Not kept: 2 × Shoe Size, 1 × Star Sign";
}

void MainWindowFilesTest::importFile()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QString, filter);
    QFETCH(QString, database);
    QFETCH(QString, dbFile);
    QFETCH(QString, message);
    QFETCH(QStringList, names);
    QFETCH(QString, notKept);
    QVERIFY(writeFile(out(file), content));
    f.answers().answerFile(out(file), filter);
    QString suggested;
    f.answerChooser(database, nullptr, &suggested);
    QString details;
    f.answers().answerMessageBox([&details](QMessageBox &box) {
        details = box.detailedText();
        return QMessageBox::Ok;
    });
    f.trigger("actImport");
    QCOMPARE(suggested, file);
    const auto question = f.answers().fileQuestions().first();
    QVERIFY(!question.save);
    QCOMPARE(question.proposed, QDir::homePath());
    QCOMPARE(question.filter, importFilters);
    // The success message, followed by the import's own report.
    const QStringList texts = f.answers().messageBoxTexts();
    QCOMPARE(texts.size(), 1);
    QCOMPARE(texts.first().section(QStringLiteral("\n\n"), 0, 0), message);
    // Everything the import left out is offered in full beside the message.
    const QStringList detailLines = details.split(u'\n');
    if (notKept.isEmpty())
        QVERIFY2(!details.contains(QStringLiteral("Not kept")), qPrintable(details));
    else
        QVERIFY2(detailLines.contains(notKept), qPrintable(details));
    QCOMPARE(CommandFixture::namesIn(f.dbPath(dbFile)), names);
    QCOMPARE(f.currentNodeName(), dbFile);
    QCOMPARE(f.listed(), names);
}

void MainWindowFilesTest::importIntoCurrentDatabaseRefreshesList_data()
{
    QTest::addColumn<QString>("current");
    QTest::newRow("database current") << "people.db";
    QTest::newRow("its group current") << "Work";
}

void MainWindowFilesTest::importIntoCurrentDatabaseRefreshesList()
{
    QFETCH(QString, current);
    f.treeMain()->expandAll();
    QVERIFY(f.select(current));
    QVERIFY(writeFile(out(QStringLiteral("one.vcf")),
                      "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Zed New\r\nN:New;Zed;;;\r\nEND:VCARD\r\n"));
    f.answers().answerFile(out(QStringLiteral("one.vcf")), QStringLiteral("VCard Files(*.vcf)"));
    f.answerChooser(QStringLiteral("people.db"));
    // The tree's Import entry of the local databases root is the other way in.
    f.trigger("actImport");
    QCOMPARE(f.currentNodeName(), QStringLiteral("people.db"));
    QCOMPARE(f.listed(), (QStringList{"Ann Lee", "Bob Stone", "Carla Diaz", "Zed New"}));
    QCOMPARE(f.nodeNames(f.tree()->localDbNodes().first()), QStringList{"Work"});
}

void MainWindowFilesTest::importCancelled()
{
    f.answers().answerFile(QString(), QStringLiteral("VCard Files(*.vcf)"));
    QVERIFY(f.select(QStringLiteral("Local Databases")));
    f.answerMenu(QStringLiteral("miImport"));
    emit f.treeMain()->createContextMenu();
    QCOMPARE(f.answers().fileQuestions().size(), 1);
    QVERIFY(f.answers().dialogs().isEmpty());
    QCOMPARE(f.nodeNames(f.tree()->localDbsRoot()), QStringList{"people.db"});
}

QTEST_MAIN(MainWindowFilesTest)
#include "mainwindowfilestest.moc"
