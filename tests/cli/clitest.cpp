#include "tests/support/testpaths.h"
#include "tools/phonesim/phonesimdriver.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

// The simulated phones of this test live on 127.0.0.90 to 127.0.0.99.
class CliTest : public QObject
{
    Q_OBJECT

    struct Run
    {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };

private Q_SLOTS:
    void init();
    void cleanup();

    void linksNoWidgetLibrary();
    void exitCodes_data();
    void exitCodes();
    void notAContactFileLeavesNoDatabase();
    void unwritableExportLeavesNoFile();
    void secondCommandOnLockedDatabaseFails();
    void jsonOutputParsesAndIsStable();
    void exportThenReimport_data();
    void exportThenReimport();
    void otherExportFormats_data();
    void otherExportFormats();
    void devicesShowsUsbAndWifiPhones();
    void backupThenListShowsPhoneContacts();
    void restoreThenDumpShowsContacts();
    void transferBetweenPhones();
    void interruptedBackupLeavesDatabaseAsItWas();
    void pdfExport_data();
    void pdfExport();
    void pdfExportToUnwritablePathLeavesNoFile();
    void usbDeviceStates_data();
    void usbDeviceStates();
    void backupFromUsbPhoneThroughBridge();
    void restoreToUsbPhoneThroughBridge();
    void waitingUsbPhoneFailsWithHint_data();
    void waitingUsbPhoneFailsWithHint();
    void terminalShowsProgressBar();

private:
    Run cli(const QStringList &arguments, const QProcessEnvironment &extra = QProcessEnvironment()) const;
    QProcessEnvironment environment(const QProcessEnvironment &extra) const;
    QString corpusFile(const QString &relative) const;
    QString dbFolder() const;
    // Names of `list --json`, sorted.
    QStringList listedNames(const QString &db, const QProcessEnvironment &extra = QProcessEnvironment()) const;
    // Names of the contacts of a simulated phone, sorted.
    static QStringList phoneNames(const PhoneSimDriver &sim, const QString &phone);
    // A vCard file of `count` contacts "Person 01" ... in the home folder.
    QString makeVcf(const QString &name, int count) const;

    std::unique_ptr<QTemporaryDir> m_home;
};

void CliTest::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
}

void CliTest::cleanup()
{
    m_home.reset();
}

QProcessEnvironment CliTest::environment(const QProcessEnvironment &extra) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_home->path());
    env.remove(QStringLiteral("XDG_DATA_HOME"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    // Without a simulator state the stand-in adb sees no phone at all.
    env.insert(QStringLiteral("PATH"), PhoneSimDriver::adbDirectory() + QLatin1Char(':') + env.value(QStringLiteral("PATH")));
    env.insert(QStringLiteral("PHONESIM_STATE"), m_home->filePath(QStringLiteral("no-phones")));
    // Only the simulator's part of a driver's environment.
    for (const QString &key : { QStringLiteral("PATH"), QStringLiteral("PHONESIM_STATE") }) {
        if (extra.contains(key))
            env.insert(key, extra.value(key));
    }
    return env;
}

CliTest::Run CliTest::cli(const QStringList &arguments, const QProcessEnvironment &extra) const
{
    QProcess process;
    process.setProcessEnvironment(environment(extra));
    process.start(QStringLiteral(QM_CLI_PROGRAM), arguments);
    Run run;
    if (!process.waitForStarted(-1))
        return run;
    process.closeWriteChannel();
    process.waitForFinished(-1);
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QString CliTest::corpusFile(const QString &relative) const
{
    const QString corpus = testpaths::corpusDir();
    if (corpus.isEmpty())
        return QString();
    const QString path = QDir(corpus).filePath(relative);
    return QFileInfo::exists(path) ? path : QString();
}

QString CliTest::dbFolder() const
{
    return m_home->filePath(QStringLiteral(".local/share/Quillmarrow/7C3A9E51B0D24F68A1E5C97D3B8F2046/data"));
}

QStringList CliTest::listedNames(const QString &db, const QProcessEnvironment &extra) const
{
    const Run run = cli({ QStringLiteral("list"), db, QStringLiteral("--json") }, extra);
    if (run.exitCode != 0)
        return { QStringLiteral("<list failed: %1>").arg(QString::fromUtf8(run.err)) };
    QStringList names;
    for (const QJsonValue &value : QJsonDocument::fromJson(run.out).array())
        names.append(value.toObject().value(QStringLiteral("name")).toString());
    names.sort();
    return names;
}

QStringList CliTest::phoneNames(const PhoneSimDriver &sim, const QString &phone)
{
    QStringList names;
    for (const QByteArray &line : sim.dump(phone).split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() >= 4 && fields.at(0) == "contact")
            names.append(QString::fromUtf8(fields.at(3)));
    }
    // Contacts of one name are one contact in a database.
    names.removeDuplicates();
    names.sort();
    return names;
}

void CliTest::linksNoWidgetLibrary()
{
    QProcess ldd;
    ldd.start(QStringLiteral("ldd"), { QStringLiteral(QM_CLI_PROGRAM) });
    if (!ldd.waitForStarted(-1))
        QSKIP("no ldd here");
    QVERIFY(ldd.waitForFinished(-1));
    const QByteArray libraries = ldd.readAllStandardOutput();
    QVERIFY2(libraries.contains("libQt6Core"), libraries.constData());
    QVERIFY2(!libraries.contains("libQt6Widgets"), libraries.constData());
    QVERIFY2(!libraries.contains("libQt6PrintSupport"), libraries.constData());
}

void CliTest::exitCodes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    QTest::newRow("no command") << QStringList() << 2 << "usage:";
    QTest::newRow("unknown command") << QStringList { "frobnicate" } << 2 << "unknown command: frobnicate";
    QTest::newRow("unknown option") << QStringList { "dbs", "--colour" } << 2 << "unknown option: --colour";
    QTest::newRow("option of another command") << QStringList { "dbs", "--to", "x" } << 2 << "does not apply";
    QTest::newRow("list without database") << QStringList { "list" } << 2 << "missing argument";
    QTest::newRow("unknown database") << QStringList { "list", "nosuchdb" } << 1 << "unknown database: nosuchdb";
    QTest::newRow("unknown database path") << QStringList { "show", "/nonexistent/x.db", "1" } << 1
                                           << "unknown database";
    QTest::newRow("bad contact id") << QStringList { "show", "x", "abc" } << 2 << "not a contact id: abc";
    QTest::newRow("pdf of unknown database") << QStringList { "export", "x", "--format", "pdf", "-o", "x.pdf" } << 1
                                             << "unknown database: x";
    QTest::newRow("bad export format") << QStringList { "export", "x", "--format", "xls", "-o", "x.xls" } << 2
                                       << "--format must be";
    QTest::newRow("export without output") << QStringList { "export", "x", "--format", "vcf" } << 2 << "-o PATH";
    QTest::newRow("import without target") << QStringList { "import", "a.vcf" } << 2 << "--to DB is missing";
    QTest::newRow("import missing file") << QStringList { "import", "/nonexistent/a.vcf", "--to", "x" } << 1
                                         << "no such file";
    QTest::newRow("unknown phone") << QStringList { "backup", "NOSUCHPHONE", "--to", "x" } << 1
                                   << "unknown phone: NOSUCHPHONE";
    QTest::newRow("restore to unknown phone") << QStringList { "restore", "nosuchdb", "--to", "NOSUCHPHONE" } << 1
                                              << "unknown database";
}

void CliTest::exitCodes()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const Run run = cli(arguments);
    QCOMPARE(run.exitCode, exitCode);
    const QString text = QString::fromUtf8(run.err + run.out);
    QVERIFY2(text.contains(message), qPrintable(text));
    QVERIFY2(!run.err.contains("terminate called"), run.err.constData());
    if (exitCode != 2)
        QCOMPARE(run.err.count('\n'), 1);
}

void CliTest::notAContactFileLeavesNoDatabase()
{
    const QString junk = m_home->filePath(QStringLiteral("junk.vcf"));
    QFile file(junk);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("this is a shopping list\nmilk\neggs\n");
    file.close();
    for (const QString &format : { QStringLiteral("vcf"), QStringLiteral("csv") }) {
        const Run run = cli({ QStringLiteral("import"), junk, QStringLiteral("--to"), QStringLiteral("junk"),
                              QStringLiteral("--format"), format });
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("not a contact file"), run.err.constData());
        QVERIFY(!QFileInfo::exists(QDir(dbFolder()).filePath(QStringLiteral("junk.db"))));
    }
    // A database path that is no database is a failure as well.
    const Run run = cli({ QStringLiteral("list"), junk });
    QCOMPARE(run.exitCode, 1);
}

void CliTest::unwritableExportLeavesNoFile()
{
    const QString vcf = corpusFile(QStringLiteral("vcard/aosp_v21_multiple_entry.vcf"));
    if (vcf.isEmpty())
        QSKIP("the corpus is not there");
    QCOMPARE(cli({ "import", vcf, "--to", "book", "-q" }).exitCode, 0);
    // Not even root may create files in /proc.
    Run run = cli({ "export", "book", "--format", "vcf", "-o", "/proc/quillmarrow-cli-test.vcf" });
    QCOMPARE(run.exitCode, 1);
    QVERIFY(!QFileInfo::exists(QStringLiteral("/proc/quillmarrow-cli-test.vcf")));
    run = cli({ "export", "book", "--format", "vcf", "-o", m_home->filePath("no/such/folder/x.vcf") });
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("no such folder"), run.err.constData());
    run = cli({ "export", "book", "--format", "csv", "-o", m_home->path() });
    QCOMPARE(run.exitCode, 1);
}

void CliTest::secondCommandOnLockedDatabaseFails()
{
    const QString vcf = corpusFile(QStringLiteral("vcard/aosp_v21_multiple_entry.vcf"));
    if (vcf.isEmpty())
        QSKIP("the corpus is not there");
    QCOMPARE(cli({ "import", vcf, "--to", "book", "-q" }).exitCode, 0);
    const QStringList before = listedNames(QStringLiteral("book"));
    // Another command holds the database, the way a running import does.
    const QByteArray lockPath = QFile::encodeName(QDir(dbFolder()).filePath(QStringLiteral("book.db.lock")));
    const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT, 0600);
    QVERIFY(fd >= 0);
    QCOMPARE(::flock(fd, LOCK_EX), 0);
    const Run run = cli({ "import", vcf, "--to", "book" });
    const Run list = cli({ "list", "book" });
    ::close(fd);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("in use by another command"), run.err.constData());
    QCOMPARE(list.exitCode, 1);
    QCOMPARE(listedNames(QStringLiteral("book")), before);
}

void CliTest::jsonOutputParsesAndIsStable()
{
    const QString vcf = corpusFile(QStringLiteral("vcard/aosp_v21_complicated.vcf"));
    const QString csv = corpusFile(QStringLiteral("csv/roundcube_all.csv"));
    if (vcf.isEmpty() || csv.isEmpty())
        QSKIP("the corpus is not there");
    const Run import = cli({ "import", vcf, csv, "--to", "mixed" });
    QVERIFY2(import.exitCode == 0, import.err.constData());
    QVERIFY(import.out.contains("read "));

    Run dbs = cli({ "dbs", "--json" });
    QCOMPARE(dbs.exitCode, 0);
    QJsonParseError error {};
    const QJsonArray databases = QJsonDocument::fromJson(dbs.out, &error).array();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(databases.size(), 1);
    QCOMPARE(databases.at(0).toObject().value("name").toString(), QStringLiteral("mixed.db"));

    const Run list = cli({ "list", "mixed", "--json" });
    QCOMPARE(list.exitCode, 0);
    const QJsonArray contacts = QJsonDocument::fromJson(list.out, &error).array();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QVERIFY(contacts.size() > 1);
    QCOMPARE(cli({ "list", "mixed", "--json" }).out, list.out);

    for (const QJsonValue &value : contacts) {
        const QString id = value.toObject().value("id").toString();
        const Run show = cli({ "show", "mixed", id, "--json" });
        QCOMPARE(show.exitCode, 0);
        const QJsonObject contact = QJsonDocument::fromJson(show.out, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(contact.value("id").toString(), id);
        QCOMPARE(contact.value("name").toString(), value.toObject().value("name").toString());
        QVERIFY(contact.value("entities").toObject().contains("name"));
        const Run card = cli({ "show", "mixed", id });
        QCOMPARE(card.exitCode, 0);
        QVERIFY(card.out.startsWith(value.toObject().value("name").toString().toUtf8()));
    }
    const Run searched = cli({ "list", "mixed", "--search", "zzzz-nothing", "--json" });
    QCOMPARE(searched.exitCode, 0);
    QCOMPARE(QJsonDocument::fromJson(searched.out).array().size(), 0);
    QCOMPARE(cli({ "list", "mixed", "--group", "no such group" }).exitCode, 1);
}

void CliTest::exportThenReimport_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("format");
    QTest::newRow("vcard multiple entries as vcf") << "vcard/aosp_v21_multiple_entry.vcf" << "vcf";
    QTest::newRow("vcard complicated as vcf") << "vcard/aosp_v21_complicated.vcf" << "vcf";
    QTest::newRow("gmail list as vcf") << "vcard/ezvcard_gmail-list.vcf" << "vcf";
    QTest::newRow("gmail list as csv") << "vcard/ezvcard_gmail-list.vcf" << "csv";
    QTest::newRow("roundcube csv as vcf") << "csv/roundcube_all.csv" << "vcf";
}

void CliTest::exportThenReimport()
{
    QFETCH(QString, file);
    QFETCH(QString, format);
    const QString source = corpusFile(file);
    if (source.isEmpty())
        QSKIP("the corpus is not there");
    QCOMPARE(cli({ "import", source, "--to", "first", "-q" }).exitCode, 0);
    const QString exported = m_home->filePath(QStringLiteral("out.") + format);
    const Run run = cli({ "export", "first", "--format", format, "-o", exported });
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QVERIFY(QFileInfo(exported).size() > 0);
    const Run again = cli({ "import", exported, "--to", "second", "--format", format });
    QVERIFY2(again.exitCode == 0, again.err.constData());

    // Same contacts: names, phone numbers and e-mail addresses.
    auto summary = [this](const QString &db) {
        QStringList rows;
        for (const QJsonValue &value : QJsonDocument::fromJson(cli({ "list", db, "--json" }).out).array()) {
            QJsonObject object = value.toObject();
            object.remove(QStringLiteral("id"));
            rows.append(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
        }
        rows.sort();
        return rows;
    };
    const QStringList first = summary(QStringLiteral("first"));
    QVERIFY(!first.isEmpty());
    QCOMPARE(summary(QStringLiteral("second")), first);
}

void CliTest::otherExportFormats_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("target");
    QTest::newRow("txt") << "txt" << "book.txt";
    QTest::newRow("html") << "html" << "book.html/book.html";
    QTest::newRow("doc") << "doc" << "book.doc/book.doc";
}

void CliTest::otherExportFormats()
{
    QFETCH(QString, format);
    QFETCH(QString, target);
    const QString vcf = corpusFile(QStringLiteral("vcard/aosp_v21_multiple_entry.vcf"));
    if (vcf.isEmpty())
        QSKIP("the corpus is not there");
    QCOMPARE(cli({ "import", vcf, "--to", "book", "-q" }).exitCode, 0);
    const QString name = target.section(QLatin1Char('/'), 0, 0);
    const Run run = cli({ "export", "book", "--format", format, "-o", m_home->filePath(name) });
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QFile file(m_home->filePath(target));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(QString::fromUtf8(run.out)));
    const QByteArray text = file.readAll();
    for (const QString &contact : listedNames(QStringLiteral("book")))
        QVERIFY2(text.contains(contact.toUtf8()), qPrintable(contact));
}

void CliTest::devicesShowsUsbAndWifiPhones()
{
    PhoneSimDriver sim;
    QVERIFY2(sim.create({ "serial=CLIUSB1" }), sim.lastError());
    QVERIFY2(sim.create({ "serial=CLIUSB2", "usb-state=unauthorized" }), sim.lastError());
    QVERIFY2(sim.create({ "wifi=127.0.0.90", "device-id=00000000000c1190" }), sim.lastError());
    QVERIFY2(sim.start(), sim.lastError());
    const QProcessEnvironment env = sim.environment();
    const Run run = cli({ "devices", "--json", "--wifi", "127.0.0.90", "--wifi", "127.0.0.99" }, env);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QStringList rows;
    for (const QJsonValue &value : QJsonDocument::fromJson(run.out).array()) {
        const QJsonObject o = value.toObject();
        rows.append(QStringList { o.value("id").toString(), o.value("state").toString(), o.value("link").toString(),
                                  o.value("address").toString() }.join(QLatin1Char(' ')));
    }
    rows.sort();
    QCOMPARE(rows, QStringList({ " unreachable wifi 127.0.0.99", "00000000000c1190 device wifi 127.0.0.90",
                                 "CLIUSB1 device usb ", "CLIUSB2 unauthorized usb " }));
}

void CliTest::backupThenListShowsPhoneContacts()
{
    PhoneSimDriver sim;
    QVERIFY2(sim.create({ "wifi=127.0.0.91", "contacts=40" }), sim.lastError());
    QVERIFY2(sim.start(), sim.lastError());
    const Run run = cli({ "backup", "127.0.0.91", "--to", "nightly" }, sim.environment());
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QVERIFY(!run.out.isEmpty());
    const QStringList names = phoneNames(sim, QStringLiteral("127.0.0.91"));
    QCOMPARE(sim.dump(QStringLiteral("127.0.0.91"), { QStringLiteral("--count") }).trimmed(), QByteArray("40"));
    QVERIFY(names.size() > 30);
    QCOMPARE(listedNames(QStringLiteral("nightly")), names);
    // A second backup merges: nothing doubles.
    QCOMPARE(cli({ "backup", "127.0.0.91", "--to", "nightly", "-q" }, sim.environment()).exitCode, 0);
    QCOMPARE(listedNames(QStringLiteral("nightly")), names);
}

void CliTest::restoreThenDumpShowsContacts()
{
    const QString vcf = corpusFile(QStringLiteral("vcard/aosp_v21_multiple_entry.vcf"));
    if (vcf.isEmpty())
        QSKIP("the corpus is not there");
    QCOMPARE(cli({ "import", vcf, "--to", "book", "-q" }).exitCode, 0);
    PhoneSimDriver sim;
    QVERIFY2(sim.create({ "wifi=127.0.0.92", "contacts=2" }), sim.lastError());
    QVERIFY2(sim.start(), sim.lastError());
    const QStringList before = phoneNames(sim, QStringLiteral("127.0.0.92"));
    const Run run = cli({ "restore", "book", "--to", "127.0.0.92" }, sim.environment());
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QStringList expected = before + listedNames(QStringLiteral("book"));
    expected.sort();
    QCOMPARE(phoneNames(sim, QStringLiteral("127.0.0.92")), expected);
}

void CliTest::transferBetweenPhones()
{
    PhoneSimDriver sim;
    QVERIFY2(sim.create({ "wifi=127.0.0.93", "contacts=12", "device-id=00000000000c1193" }), sim.lastError());
    QVERIFY2(sim.create({ "wifi=127.0.0.94", "contacts=0" }), sim.lastError());
    QVERIFY2(sim.start(), sim.lastError());
    // The source named by its device id, found at one of the --wifi addresses.
    const Run run = cli({ "transfer", "00000000000c1193", "--to", "127.0.0.94", "--wifi", "127.0.0.93" },
                        sim.environment());
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(phoneNames(sim, QStringLiteral("127.0.0.94")), phoneNames(sim, QStringLiteral("127.0.0.93")));
}

void CliTest::interruptedBackupLeavesDatabaseAsItWas()
{
    const QString vcf = corpusFile(QStringLiteral("vcard/aosp_v21_multiple_entry.vcf"));
    if (vcf.isEmpty())
        QSKIP("the corpus is not there");
    QCOMPARE(cli({ "import", vcf, "--to", "kept", "-q" }).exitCode, 0);
    const QString dbPath = QDir(dbFolder()).filePath(QStringLiteral("kept.db"));
    QFile db(dbPath);
    QVERIFY(db.open(QIODevice::ReadOnly));
    const QByteArray bytesBefore = db.readAll();
    db.close();
    const QStringList before = listedNames(QStringLiteral("kept"));

    PhoneSimDriver sim;
    QVERIFY2(sim.create({ "wifi=127.0.0.95", "contacts=10000" }), sim.lastError());
    QVERIFY2(sim.start(), sim.lastError());
    QProcess process;
    process.setProcessEnvironment(environment(sim.environment()));
    process.start(QStringLiteral(QM_CLI_PROGRAM), { "backup", "127.0.0.95", "--to", "kept" });
    QVERIFY(process.waitForStarted(-1));
    // Ctrl+C once the contacts are coming in.
    QByteArray err;
    while (!err.contains("Contacts") && process.state() == QProcess::Running) {
        process.waitForReadyRead(1000);
        err += process.readAllStandardError();
    }
    QVERIFY2(process.state() == QProcess::Running, err.constData());
    ::kill(pid_t(process.processId()), SIGINT);
    QVERIFY(process.waitForFinished(-1));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 130);
    QVERIFY(process.readAllStandardOutput().isEmpty());

    QVERIFY(db.open(QIODevice::ReadOnly));
    QCOMPARE(db.readAll() == bytesBefore, true);
    db.close();
    QCOMPARE(listedNames(QStringLiteral("kept")), before);
}

QString CliTest::makeVcf(const QString &name, int count) const
{
    QByteArray text;
    for (int i = 1; i <= count; ++i) {
        const QByteArray n = QByteArray::number(i).rightJustified(2, '0');
        text += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Person " + n + "\r\nN:" + n + ";Person;;;\r\nTEL;TYPE=CELL:+1 555 01"
            + n + "\r\nEND:VCARD\r\n";
    }
    const QString path = m_home->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return QString();
    return path;
}

void CliTest::pdfExport_data()
{
    QTest::addColumn<int>("contacts");
    QTest::addColumn<QString>("search");
    QTest::addColumn<int>("tiles");
    QTest::addColumn<int>("pages");
    QTest::newRow("one") << 1 << QString() << 1 << 1;
    QTest::newRow("a full page") << 8 << QString() << 8 << 1;
    QTest::newRow("one more") << 9 << QString() << 9 << 2;
    QTest::newRow("three pages") << 17 << QString() << 17 << 3;
    QTest::newRow("searched") << 17 << QStringLiteral("Person 1") << 8 << 1;
}

void CliTest::pdfExport()
{
    QFETCH(int, contacts);
    QFETCH(QString, search);
    QFETCH(int, tiles);
    QFETCH(int, pages);
    const QString vcf = makeVcf(QStringLiteral("people.vcf"), contacts);
    QVERIFY(!vcf.isEmpty());
    QCOMPARE(cli({ "import", vcf, "--to", "book", "-q" }).exitCode, 0);
    const QString pdf = m_home->filePath(QStringLiteral("book.pdf"));
    QStringList arguments { "export", "book", "--format", "pdf", "-o", pdf };
    if (!search.isEmpty())
        arguments << "--search" << search;
    const Run run = cli(arguments);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    // Nothing but the report: no platform chatter on standard error.
    QVERIFY2(run.err.isEmpty(), run.err.constData());
    const QString pageCount = pages == 1 ? QStringLiteral("1 page") : QStringLiteral("%1 pages").arg(pages);
    QCOMPARE(QString::fromUtf8(run.out),
             QStringLiteral("Exported %1 contacts to PDF (%2).\n%3\n").arg(tiles).arg(pageCount, pdf));

    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");
    file.close();
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), { pdf });
    if (!info.waitForStarted(-1))
        QSKIP("pdfinfo (poppler-utils) is not installed");
    QVERIFY(info.waitForFinished(-1));
    const QString infoText = QString::fromUtf8(info.readAllStandardOutput());
    QVERIFY2(infoText.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))), qPrintable(infoText));
    QVERIFY2(infoText.contains(QStringLiteral("A4")), qPrintable(infoText));

    // The tiles carry their text as text: every exported name and number.
    QProcess text;
    text.start(QStringLiteral("pdftotext"), { pdf, QStringLiteral("-") });
    QVERIFY(text.waitForFinished(-1));
    const QString words = QString::fromUtf8(text.readAllStandardOutput());
    int found = 0;
    for (int i = 1; i <= contacts; ++i) {
        const QString number = QString::number(i).rightJustified(2, QLatin1Char('0'));
        const bool shown = words.contains(QStringLiteral("Person ") + number);
        QCOMPARE(words.contains(QStringLiteral("+1 555 01") + number), shown);
        found += shown ? 1 : 0;
    }
    QCOMPARE(found, tiles);
}

void CliTest::pdfExportToUnwritablePathLeavesNoFile()
{
    const QString vcf = makeVcf(QStringLiteral("people.vcf"), 3);
    QCOMPARE(cli({ "import", vcf, "--to", "book", "-q" }).exitCode, 0);
    Run run = cli({ "export", "book", "--format", "pdf", "-o", "/proc/quillmarrow-cli-test.pdf" });
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err.count('\n'), 1);
    QVERIFY(!QFileInfo::exists(QStringLiteral("/proc/quillmarrow-cli-test.pdf")));
    run = cli({ "export", "book", "--format", "pdf", "-o", m_home->filePath("no/such/folder/x.pdf") });
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("no such folder"), run.err.constData());
    run = cli({ "export", "book", "--format", "pdf", "-o", m_home->path() });
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("is a folder"), run.err.constData());
}

void CliTest::usbDeviceStates_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("shown");
    QTest::newRow("device") << "device" << "device";
    QTest::newRow("unauthorized") << "unauthorized" << "unauthorized";
    QTest::newRow("authorizing") << "authorizing" << "authorizing";
    QTest::newRow("connecting") << "connecting" << "connecting";
    QTest::newRow("offline") << "offline" << "offline";
    QTest::newRow("no permissions") << "no-permissions" << "no permissions";
}

void CliTest::usbDeviceStates()
{
    QFETCH(QString, state);
    QFETCH(QString, shown);
    PhoneSimDriver sim;
    QVERIFY2(sim.create({ "serial=CLIUSB5", "usb-state=" + state }), sim.lastError());
    QVERIFY2(sim.start(), sim.lastError());
    const Run run = cli({ "devices" }, sim.environment());
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(QString::fromUtf8(run.out), QStringLiteral("CLIUSB5\t%1\tusb\n").arg(shown));
    const Run json = cli({ "devices", "--json" }, sim.environment());
    const QJsonArray rows = QJsonDocument::fromJson(json.out).array();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0).toObject().value("state").toString(), shown);
}

void CliTest::backupFromUsbPhoneThroughBridge()
{
    // No agent on the phone: the backup goes through the phone bridge.
    PhoneSimDriver sim;
    QVERIFY2(sim.create({ "serial=CLIUSB3", "contacts=24", "installed=0" }), sim.lastError());
    QVERIFY2(sim.start(), sim.lastError());
    (void)sim.takeAdbLog();
    const Run run = cli({ "backup", "CLIUSB3", "--to", "usb" }, sim.environment());
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QStringList names = phoneNames(sim, QStringLiteral("CLIUSB3"));
    QVERIFY(names.size() > 20);
    QCOMPARE(listedNames(QStringLiteral("usb")), names);
    bool queried = false;
    for (const QStringList &call : sim.takeAdbLog()) {
        QVERIFY2(!call.contains(QStringLiteral("install")), qPrintable(call.join(u' ')));
        queried = queried || call.join(u' ').contains(QStringLiteral("content query"));
    }
    QVERIFY(queried);
    // Every eighth simulated contact has a photo; the report says they
    // stayed on the phone.
    int photos = 0;
    for (const QByteArray &line : sim.dump(QStringLiteral("CLIUSB3")).split('\n'))
        photos += line.startsWith("row\t") && line.split('\t').value(2) == "photo" ? 1 : 0;
    QVERIFY(photos > 0);
    QVERIFY2(run.out.contains(QStringLiteral("Phone CLIUSB3: %1 contact photos were left out").arg(photos).toUtf8()),
             run.out.constData());
    QVERIFY2(run.out.contains("Successfully backup"), run.out.constData());
}

void CliTest::restoreToUsbPhoneThroughBridge()
{
    const QString vcf = makeVcf(QStringLiteral("people.vcf"), 5);
    QCOMPARE(cli({ "import", vcf, "--to", "book", "-q" }).exitCode, 0);
    PhoneSimDriver sim;
    QVERIFY2(sim.create({ "serial=CLIUSB4", "contacts=3", "installed=0", "sdk=29" }), sim.lastError());
    QVERIFY2(sim.start(), sim.lastError());
    const QStringList before = phoneNames(sim, QStringLiteral("CLIUSB4"));
    const Run run = cli({ "restore", "book", "--to", "CLIUSB4" }, sim.environment());
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QStringList expected = before + listedNames(QStringLiteral("book"));
    expected.sort();
    QCOMPARE(phoneNames(sim, QStringLiteral("CLIUSB4")), expected);
    QVERIFY(sim.dump(QStringLiteral("CLIUSB4")).contains("number=+1 555 0103"));
}

void CliTest::waitingUsbPhoneFailsWithHint_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("message");
    QTest::newRow("unauthorized") << "unauthorized" << "allow USB debugging";
    QTest::newRow("authorizing") << "authorizing" << "allow USB debugging";
    QTest::newRow("no permissions") << "no-permissions" << "udev rules";
    QTest::newRow("offline") << "offline" << "phone CLIUSB6 is offline";
}

void CliTest::waitingUsbPhoneFailsWithHint()
{
    QFETCH(QString, state);
    QFETCH(QString, message);
    PhoneSimDriver sim;
    QVERIFY2(sim.create({ "serial=CLIUSB6", "contacts=3", "usb-state=" + state }), sim.lastError());
    QVERIFY2(sim.start(), sim.lastError());
    const Run run = cli({ "backup", "CLIUSB6", "--to", "waiting" }, sim.environment());
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(message.toUtf8()), run.err.constData());
    QCOMPARE(run.err.count('\n'), 1);
    QVERIFY(!QFileInfo::exists(QDir(dbFolder()).filePath(QStringLiteral("waiting.db"))));
}

void CliTest::terminalShowsProgressBar()
{
    // On a terminal (here a pseudo-terminal from script(1)) progress is a
    // bar redrawn in place; without one, plain lines.
    const QString script = QStandardPaths::findExecutable(QStringLiteral("script"));
    if (script.isEmpty())
        QSKIP("script (bsdutils) is not installed");
    const QString vcf = makeVcf(QStringLiteral("people.vcf"), 40);
    const QString command = QStringLiteral("'%1' import '%2' --to book").arg(QStringLiteral(QM_CLI_PROGRAM), vcf);
    QProcess process;
    process.setProcessEnvironment(environment(QProcessEnvironment()));
    process.start(script, { QStringLiteral("-qec"), command, QStringLiteral("/dev/null") });
    QVERIFY(process.waitForFinished(-1));
    QCOMPARE(process.exitCode(), 0);
    const QByteArray terminal = process.readAllStandardOutput();
    QVERIFY2(terminal.contains("\r\033[K"), terminal.constData());
    QVERIFY2(terminal.contains("[##############################] 100%"), terminal.constData());
    QVERIFY2(terminal.contains("read 40, new 40"), terminal.constData());

    const Run plain = cli({ "import", vcf, "--to", "other" });
    QCOMPARE(plain.exitCode, 0);
    QVERIFY(!plain.err.contains('\r'));
    QVERIFY(!plain.err.contains("[#"));
    QVERIFY(!plain.err.isEmpty());
}

QTEST_GUILESS_MAIN(CliTest)
#include "clitest.moc"
