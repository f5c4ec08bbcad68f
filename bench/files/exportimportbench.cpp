// Speed of the export and import jobs and of printing, on generated address
// books. Prints one line per measurement:
//
//   exportimportbench [contacts, default 100000] [printed contacts, default 1000]
//
// Export: each file type through the export job into a file (MB/s of the
// file written). Import: the import job from a vCard and from a CSV file
// into a new database, beside parsing alone (reader open + every contact)
// and the raw SQLite insert of the parsed contacts into the same schema
// with prepared statements in one transaction. Print: a PDF file of the
// printed contacts (pages/s).
#include "bench/common/contactgenerator.h"
#include "bench/files/layoutcsvgenerator.h"
#include "bench/files/thirdpartyvcardgenerator.h"
#include "contacts/localdb.h"
#include "contacts/localdbcombinerule.h"
#include "files/contactsprinter.h"
#include "files/csvimport.h"
#include "files/exporttofilethread.h"
#include "files/importcontactstolocalthread.h"
#include "files/vcardimport.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>

using namespace pim;

namespace {

double seconds(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e9;
}

qint64 treeSize(const QString &path)
{
    const QFileInfo info(path);
    if (info.isFile())
        return info.size();
    qint64 total = 0;
    QDirIterator it(path, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

std::shared_ptr<LocalDb> newDb(const QString &path)
{
    auto db = std::make_shared<LocalDb>(path, std::make_shared<LocalDbCombineRule>());
    db->create();
    return db;
}

QList<Contact> parseAll(AbsImport &reader, const QString &path)
{
    reader.open(path);
    QList<Contact> contacts;
    contacts.reserve(reader.count());
    while (reader.hasNext())
        contacts.append(reader.next());
    reader.close();
    return contacts;
}

void check(int rc, sqlite3 *db)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(sqlite3_errmsg(db));
}

// The same rows the import writes, by hand: one contact row and one data
// row per entity, every column bound.
void rawInsert(const QString &path, const QList<Contact> &contacts)
{
    newDb(path);
    sqlite3 *db = nullptr;
    check(sqlite3_open(QFile::encodeName(path).constData(), &db), db);
    sqlite3_stmt *contactStmt = nullptr;
    sqlite3_stmt *dataStmt = nullptr;
    check(sqlite3_exec(db, "begin", nullptr, nullptr, nullptr), db);
    check(sqlite3_prepare_v2(db, "insert into contact(src_id,full_name) values(?,?)", -1, &contactStmt, nullptr), db);
    check(sqlite3_prepare_v2(db,
                             "insert into data(contact_id,type,src_id,data1,data2,data3,data4,data5,data6,data7,"
                             "data8,data9,data10,data11,data12,data13,data14,data15) "
                             "values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                             -1, &dataStmt, nullptr),
          db);
    for (const Contact &c : contacts) {
        if (c.fullName.isEmpty())
            continue;
        const QByteArray name = c.fullName.toUtf8();
        sqlite3_bind_text(contactStmt, 1, "", 0, SQLITE_STATIC);
        sqlite3_bind_text(contactStmt, 2, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        check(sqlite3_step(contactStmt), db);
        sqlite3_reset(contactStmt);
        const sqlite3_int64 id = sqlite3_last_insert_rowid(db);
        for (auto it = c.entities.cbegin(); it != c.entities.cend(); ++it) {
            for (const Entity &e : it.value()) {
                sqlite3_bind_int64(dataStmt, 1, id);
                sqlite3_bind_int(dataStmt, 2, it.key());
                sqlite3_bind_text(dataStmt, 3, "", 0, SQLITE_STATIC);
                for (int column = data1; column <= data14; ++column) {
                    const QByteArray value = e.text(column).toUtf8();
                    sqlite3_bind_text(dataStmt, 3 + column, value.constData(), int(value.size()), SQLITE_TRANSIENT);
                }
                const QByteArray blob = e.bytes(data15);
                sqlite3_bind_blob(dataStmt, 18, blob.constData(), int(blob.size()), SQLITE_TRANSIENT);
                check(sqlite3_step(dataStmt), db);
                sqlite3_reset(dataStmt);
            }
        }
    }
    check(sqlite3_exec(db, "commit", nullptr, nullptr, nullptr), db);
    sqlite3_finalize(contactStmt);
    sqlite3_finalize(dataStmt);
    sqlite3_close(db);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    const int printed = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 1000;
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;

    ContactGenerator generator;
    const QList<Contact> contacts = generator.generate(count);
    std::printf("%d generated contacts\n\n", count);
    std::printf("%-40s %10s %10s %12s\n", "measurement", "seconds", "MB", "rate");

    const struct
    {
        const char *name;
        int type;
        const char *file;
    } exports[] = {
        {"export vCard", 1, "out.vcf"},
        {"export CSV", 2, "out.csv"},
        {"export text", 3, "out.txt"},
        {"export HTML (+photos)", 4, "out.html"},
    };
    for (const auto &e : exports) {
        const QString path = dir.filePath(QLatin1String(e.file));
        ExportToFileThread job(contacts, e.type, path, JobProgress());
        const double s = seconds([&job] { job.execute(); });
        const double mb = double(treeSize(path)) / 1e6;
        std::printf("%-40s %10.2f %10.1f %9.1f MB/s%s\n", e.name, s, mb, mb / s, job.succeeded() ? "" : "  FAILED");
    }
    std::printf("\n");

    const struct
    {
        const char *name;
        int format;
        const char *file;
    } imports[] = {
        {"vCard", 1, "out.vcf"},
        {"CSV", 2, "out.csv"},
        {"vCard, Google-shaped", 1, "thirdparty.vcf"},
        {"CSV, Google layout", 2, "google.csv"},
    };
    {
        // Files as other address books write them, of the same count.
        QFile vcf(dir.filePath(QStringLiteral("thirdparty.vcf")));
        QFile csv(dir.filePath(QStringLiteral("google.csv")));
        if (!vcf.open(QIODevice::WriteOnly) || !csv.open(QIODevice::WriteOnly))
            return 1;
        ThirdPartyVCardGenerator().write(vcf, count);
        LayoutCsvGenerator(LayoutCsvGenerator::Layout::Google).write(csv, count);
    }
    for (const auto &i : imports) {
        const QString path = dir.filePath(QLatin1String(i.file));
        QList<Contact> parsed;
        const double parse = seconds([&] {
            std::unique_ptr<AbsImport> reader;
            if (i.format == 1)
                reader = std::make_unique<VCardImport>();
            else
                reader = std::make_unique<CSVImport>();
            parsed = parseAll(*reader, path);
        });
        const QString rawPath = dir.filePath(QStringLiteral("raw%1.db").arg(i.format));
        const double raw = seconds([&] { rawInsert(rawPath, parsed); });
        auto db = newDb(dir.filePath(QStringLiteral("import%1.db").arg(i.format)));
        ImportContactsToLocalThread job(path, i.format, db.get(), JobProgress());
        const double whole = seconds([&job] { job.execute(); });
        const double n = double(parsed.size());
        double entities = 0;
        for (const Contact &c : std::as_const(parsed))
            entities += double(c.entityCount());
        std::printf("%-40s %10.2f %10s %9.0f c/s  (%.1f entities per contact)\n",
                    qPrintable(QStringLiteral("parse only %1").arg(QLatin1String(i.name))), parse, "", n / parse,
                    n > 0 ? entities / n : 0.0);
        std::printf("%-40s %10.2f %10s %9.0f c/s\n", qPrintable(QStringLiteral("raw SQLite insert %1").arg(QLatin1String(i.name))),
                    raw, "", n / raw);
        std::printf("%-40s %10.2f %10s %9.0f c/s  (%lld new, %lld merged)%s\n",
                    qPrintable(QStringLiteral("import job %1").arg(QLatin1String(i.name))), whole, "", n / whole,
                    qlonglong(job.importedCount()), qlonglong(job.mergedCount()), job.succeeded() ? "" : "  FAILED");
        const double budget = parse + 1.3 * raw;
        std::printf("%-40s %10.2f %10s %12s\n", "  budget: parse + 1.3 x raw", budget, "",
                    whole <= budget ? "within" : "OVER");
        std::printf("%-40s %10s %10s %9.0f c/s  %s\n", "  target: >= 20000 c/s", "", "", n / whole,
                    n / whole >= 20000 ? "met" : "NOT MET");
    }
    std::printf("\n");

    const QList<Contact> toPrint = contacts.mid(0, printed);
    ContactsPrinter printer;
    int tiles = 0;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    const double s = seconds([&] { tiles = printer.printToPdf(toPrint, pdf); });
    const int pages = (tiles + 7) / 8;
    std::printf("%-40s %10.2f %10.1f %9.1f pages/s (%d pages)\n",
                qPrintable(QStringLiteral("PDF of %1 contacts").arg(printed)), s, double(treeSize(pdf)) / 1e6,
                pages / s, pages);
    return 0;
}
