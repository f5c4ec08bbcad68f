// Local database benchmark. One phase per process, so that the peak memory
// figure belongs to that phase alone:
//
//   qm_bench_contacts baseline <count> <file>   plain prepared inserts through libsqlite3
//   qm_bench_contacts backup   <count> <file>   the backup job into a new database
//   qm_bench_contacts again    <count> <file>   the backup job again into the same file
//   qm_bench_contacts search   <count> <file>   LocalDb::searchContacts(0, "")
//   qm_bench_contacts readback <count> <file>   the same joined query read through libsqlite3
//
// Each prints one line: "<phase> <count> <seconds> <peak MiB> <MiB before> <check>".
// The address book is generated before the clock starts and is the same for
// every phase of a count.
#include "bench/common/contactgenerator.h"
#include "bench/common/processstatus.h"
#include "contacts/backupcontactstolocalthread.h"
#include "contacts/contactformat.h"
#include "contacts/localdb.h"
#include "contacts/localdbcombinerule.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTranslator>

#include <sqlite3.h>

#include <cstdio>
#include <cstring>

using namespace pim;

namespace {

// Starts a new peak-memory window (Linux: "5" resets the high-water mark).
void resetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

[[noreturn]] void die(const char *what, sqlite3 *db)
{
    std::fprintf(stderr, "%s: %s\n", what, db ? sqlite3_errmsg(db) : "");
    std::exit(1);
}

sqlite3 *openRaw(const QString &path)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        die("open", db);
    return db;
}

// The column sets the database writes per kind.
QList<int> writeColumns(int kind)
{
    switch (kind) {
    case ENTITY_NAME:
        return { data1, data2, data3, data4, data5, data6, data7, data8 };
    case ENTITY_PHOTO:
        return { data4, data15 };
    case ENTITY_GROUP_MEMBERSHIP:
        return { data1, data2 };
    case ENTITY_IM:
        return { data1, data2, data3, data5, data6 };
    case ENTITY_NOTE:
        return { data1 };
    case ENTITY_ORGANIZATION:
        return { data1, data2, data3, data4, data5, data6, data7, data9 };
    case ENTITY_POSTAL_ADDRESS:
        return { data1, data2, data3, data4, data5, data6, data7, data8, data9, data10, data11 };
    default:
        return { data1, data2, data3 };
    }
}

// The same rows as the backup job writes for new contacts, with one prepared
// statement per table shape, in one transaction, default connection settings.
QByteArray baseline(const QList<Contact> &contacts, const QString &path)
{
    sqlite3 *db = openRaw(path);
    sqlite3_stmt *contactInsert = nullptr;
    if (sqlite3_prepare_v2(db, "insert into contact(src_id,full_name) values(?,?)", -1, &contactInsert, nullptr))
        die("prepare", db);
    QHash<int, sqlite3_stmt *> dataInserts;
    for (int kind = FirstEntityKind; kind <= LastEntityKind; ++kind) {
        QByteArray names = "insert into data(contact_id,type,src_id";
        QByteArray marks = ") values(?,?,?";
        for (int column : writeColumns(kind)) {
            names += ",data" + QByteArray::number(column);
            marks += ",?";
        }
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(db, (names + marks + ')').constData(), -1, &stmt, nullptr))
            die("prepare", db);
        dataInserts.insert(kind, stmt);
    }
    auto bindText = [](sqlite3_stmt *stmt, int index, const QString &text) {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    };
    sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
    for (const Contact &c : contacts) {
        bindText(contactInsert, 1, QString());
        bindText(contactInsert, 2, c.fullName);
        if (sqlite3_step(contactInsert) != SQLITE_DONE)
            die("insert contact", db);
        sqlite3_reset(contactInsert);
        const qint64 contactId = sqlite3_last_insert_rowid(db);
        for (auto it = c.entities.cbegin(); it != c.entities.cend(); ++it) {
            sqlite3_stmt *stmt = dataInserts.value(it.key());
            for (const Entity &e : it.value()) {
                sqlite3_bind_int64(stmt, 1, contactId);
                sqlite3_bind_int(stmt, 2, it.key());
                bindText(stmt, 3, QString());
                int index = 4;
                for (int column : writeColumns(it.key())) {
                    if (column == data15) {
                        const QByteArray bytes = e.bytes(data15);
                        sqlite3_bind_blob(stmt, index++, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
                    } else if (it.key() == ENTITY_PHOTO && column == data4) {
                        bindText(stmt, index++, photoDigest(e));
                    } else {
                        bindText(stmt, index++, e.text(column));
                    }
                }
                if (sqlite3_step(stmt) != SQLITE_DONE)
                    die("insert data", db);
                sqlite3_reset(stmt);
            }
        }
    }
    if (sqlite3_exec(db, "commit", nullptr, nullptr, nullptr) != SQLITE_OK)
        die("commit", db);
    sqlite3_finalize(contactInsert);
    for (sqlite3_stmt *stmt : std::as_const(dataInserts))
        sqlite3_finalize(stmt);
    sqlite3_close(db);
    return QByteArray::number(contacts.size()) + "-contacts";
}

// The joined query of the search, every column of every row read.
QByteArray readback(const QString &path)
{
    sqlite3 *db = openRaw(path);
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db,
                           "select d.*,c.full_name,c.src_id as csrc_id from data as d"
                           " inner join contact as c on d.contact_id=c._id order by contact_id asc",
                           -1, &stmt, nullptr))
        die("prepare", db);
    qint64 rows = 0;
    qint64 bytes = 0;
    const int columns = sqlite3_column_count(stmt);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        ++rows;
        for (int i = 0; i < columns; ++i) {
            if (sqlite3_column_type(stmt, i) == SQLITE_BLOB)
                sqlite3_column_blob(stmt, i);
            else
                sqlite3_column_text(stmt, i);
            bytes += sqlite3_column_bytes(stmt, i);
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return QByteArray::number(rows) + "-rows";
}

// A digest of every row, to show that storing again wrote nothing.
QByteArray contentDigest(const QString &path)
{
    sqlite3 *db = openRaw(path);
    QCryptographicHash hash(QCryptographicHash::Md5);
    for (const char *sql : { "select * from contact order by _id", "select * from data order by _id",
                             "select * from contact_group order by _id", "select * from sqlite_sequence" }) {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr))
            die("prepare", db);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
                const void *p = sqlite3_column_blob(stmt, i);
                hash.addData(QByteArrayView(static_cast<const char *>(p), sqlite3_column_bytes(stmt, i)));
                hash.addData("|");
            }
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return hash.result().toHex().left(12);
}

class FailureCatcher : public QObject
{
    Q_OBJECT
public Q_SLOTS:
    void updateProgress(const QString &, int, const QString &) { }
    void succeed(const QString &message) { result = message; }
    void errorOccurred(const QString &message)
    {
        std::fprintf(stderr, "job failed: %s\n", qPrintable(message));
        std::exit(1);
    }

public:
    QString result;
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTranslator english;
    if (english.load(QStringLiteral(":/en.qm")))
        QCoreApplication::installTranslator(&english);
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s baseline|backup|again|search|readback <count> <file>\n", argv[0]);
        return 2;
    }
    const QByteArray phase = argv[1];
    const int count = QByteArray(argv[2]).toInt();
    const QString path = QString::fromLocal8Bit(argv[3]);

    QList<Contact> contacts;
    if (phase == "baseline" || phase == "backup" || phase == "again")
        contacts = ContactGenerator().generate(count);
    auto rule = std::make_shared<LocalDbCombineRule>();
    LocalDb db(path, rule);
    if (phase == "baseline") {
        db.create();
    } else if (phase == "backup") {
        db.create();
    }
    const QByteArray digestBefore = phase == "again" ? contentDigest(path) : QByteArray();

    const double before = processStatusMiB("VmRSS");
    resetPeak();
    QElapsedTimer timer;
    timer.start();
    QByteArray check;
    if (phase == "baseline") {
        check = baseline(contacts, path);
    } else if (phase == "backup" || phase == "again") {
        FailureCatcher catcher;
        BackupContactsToLocalThread job(contacts, &db, JobProgress(&catcher, nullptr));
        job.execute();
        db.close();
        // "Successfully backup N contacts ...;M repeated contacts merged."
        const QStringList words = catcher.result.split(QRegularExpression(QStringLiteral("[ ;]")));
        check = (words.value(2) + QLatin1Char('+') + (words.size() > 8 ? words.value(7) : QStringLiteral("0"))
                 + QStringLiteral("-merged"))
                    .toUtf8();
    } else if (phase == "search") {
        const QList<Contact> found = db.searchContacts(0, QString());
        check = QByteArray::number(found.size()) + "-contacts";
    } else if (phase == "readback") {
        check = readback(path);
    } else {
        std::fprintf(stderr, "unknown phase %s\n", phase.constData());
        return 2;
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const double peak = processStatusMiB("VmHWM");
    if (phase == "again")
        check = contentDigest(path) == digestBefore ? "unchanged" : "CHANGED";
    std::printf("%s %d %.3f %.1f %.1f %s\n", phase.constData(), count, seconds, peak, before, check.constData());
    return 0;
}

#include "contactsbench.moc"
