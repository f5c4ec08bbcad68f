// Contacts per second that the receive job stores from a simulated phone,
// beside three references taken in the same run:
//   - the simulator's own streaming rate (lines read and acknowledged by a
//     client that stores nothing);
//   - a raw SQLite insert of the same rows (one prepared statement per
//     table, one transaction, no model classes);
//   - the local backup job storing the same contacts into a new local
//     database, per contact.
//
//   qm_bench_receive [contacts...]        default: 10000 100000
#include "android/androidcontactsdb.h"
#include "android/androidwificonnector.h"
#include "android/linktimings.h"
#include "android/simpleprotocol.h"
#include "android/syncrestorethread.h"
#include "android/wireencoding.h"
#include "contacts/backupcontactstolocalthread.h"
#include "contacts/contactformat.h"
#include "contacts/localdb.h"
#include "contacts/localdbcombinerule.h"
#include "tools/phonesim/phonesimdriver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>

using namespace simpleprotocol;

namespace {

// This benchmark's phone; the other benchmarks use 127.0.0.8 and 127.0.0.9.
const QString phone = QStringLiteral("127.0.0.6");
int nextPort = 42222;

// Receives reports on the calling thread and keeps only the outcome.
class Outcome : public QObject
{
    Q_OBJECT
public:
    QString error;
    bool ok = false;
    std::atomic<bool> cancel{false};
public Q_SLOTS:
    void updateProgress(const QString &, int, const QString &) { }
    void succeed(const QString &) { ok = true; }
    void errorOccurred(const QString &message) { error = message; }
};

double seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

// The simulator's streaming rate: the backup exchange read and acknowledged,
// nothing stored. Returns seconds, or a negative value on failure.
double stream(qint64 &lines)
{
    AndroidWifiConnector connector;
    connector.hello(phone);
    const int port = nextPort++;
    const QString host = connector.startBackupService(port);
    QTcpSocket socket;
    socket.connectToHost(host, quint16(port));
    if (!socket.waitForConnected(ConnectTimeoutMs))
        return -1;
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        const QString line = readCommand(socket, NoTimeLimit);
        ++lines;
        if (line == QLatin1String("$end:"))
            writeCommand(socket, QStringLiteral("$batch:"), QString(), true);
        else if (line.startsWith(QLatin1String("$bye:")))
            return seconds(timer);
    }
}

// The receive job into a fresh cache database. The job's start pause is
// left out of the time.
double receive(const QString &path, int &contacts)
{
    auto connector = std::make_shared<AndroidWifiConnector>();
    connector->hello(phone);
    auto db = std::make_shared<AndroidContactsDb>(path, connector);
    db->create();
    Outcome outcome;
    SyncRestoreThread job(db, nextPort++, JobProgress(&outcome, &outcome.cancel));
    QElapsedTimer timer;
    timer.start();
    job.execute();
    const double s = seconds(timer) - LinkTimings::startPauseMs() / 1000.0;
    if (!outcome.ok) {
        std::fprintf(stderr, "receive failed: %s\n", qPrintable(outcome.error));
        return -1;
    }
    contacts = int(job.receivedCount());
    return s;
}

// The same rows written straight through SQLite: decoded as the job decodes
// them, one insert per contact and per entity, one transaction.
double rawInsert(const QString &path, const QStringList &entLines)
{
    LocalDb(path, nullptr).create();
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK)
        return -1;
    sqlite3_stmt *contact = nullptr;
    sqlite3_stmt *data = nullptr;
    sqlite3_prepare_v2(db, "insert into contact (src_id, full_name) values (?, ?)", -1, &contact, nullptr);
    QByteArray sql = "insert into data (contact_id, type, src_id";
    for (int c = 1; c <= 15; ++c)
        sql += ", data" + QByteArray::number(c);
    sql += ") values (?, ?, ?";
    for (int c = 1; c <= 15; ++c)
        sql += ", ?";
    sql += ")";
    sqlite3_prepare_v2(db, sql.constData(), -1, &data, nullptr);
    if (!contact || !data) {
        std::fprintf(stderr, "raw insert: %s\n", sqlite3_errmsg(db));
        return -1;
    }
    QElapsedTimer timer;
    timer.start();
    sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
    QHash<qint64, qint64> ids;
    for (const QString &line : entLines) {
        const QList<QStringView> fields = splitEntityFields(QStringView(line).mid(5));
        int kind = 0;
        qint64 key = 0;
        if (!parseSrcId(fields.at(0), &kind, &key))
            continue;
        Entity entity;
        decodeEntityFields(fields, kind, entity);
        const QByteArray srcId = fields.at(0).toUtf8();
        if (kind == 1) {
            const QByteArray name = formatPersonName(entity).toUtf8();
            sqlite3_bind_text(contact, 1, srcId.constData(), int(srcId.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(contact, 2, name.constData(), int(name.size()), SQLITE_TRANSIENT);
            sqlite3_step(contact);
            sqlite3_reset(contact);
            ids.insert(key, sqlite3_last_insert_rowid(db));
        }
        sqlite3_bind_int64(data, 1, ids.value(key));
        sqlite3_bind_int(data, 2, kind);
        sqlite3_bind_text(data, 3, srcId.constData(), int(srcId.size()), SQLITE_TRANSIENT);
        for (int c = 1; c <= 15; ++c) {
            const QVariant *v = entity.find(c);
            if (!v) {
                sqlite3_bind_null(data, 3 + c);
            } else if (v->typeId() == QMetaType::QByteArray) {
                const QByteArray b = v->toByteArray();
                sqlite3_bind_blob(data, 3 + c, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            } else {
                const QByteArray t = v->toString().toUtf8();
                sqlite3_bind_text(data, 3 + c, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            }
        }
        sqlite3_step(data);
        sqlite3_reset(data);
    }
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
    const double s = seconds(timer);
    sqlite3_finalize(contact);
    sqlite3_finalize(data);
    sqlite3_close(db);
    return s;
}

// The local backup job storing the received contacts into a new database.
double backup(const QString &cachePath, const QString &path)
{
    LocalDb cache(cachePath, std::make_shared<LocalDbCombineRule>());
    QList<Contact> contacts;
    for (const Contact &listed : cache.searchContacts(0, QString()))
        contacts << cache.loadContact(listed._id);
    LocalDb target(path, std::make_shared<LocalDbCombineRule>());
    target.create();
    Outcome outcome;
    BackupContactsToLocalThread job(contacts, &target, JobProgress(&outcome, &outcome.cancel));
    QElapsedTimer timer;
    timer.start();
    job.execute();
    return outcome.ok ? seconds(timer) : -1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << QByteArray(argv[i]).toInt();
    if (sizes.isEmpty())
        sizes = {10000, 100000};
    // The simulator listens within moments of the start request.
    LinkTimings::setStartPauseMs(200);

    std::printf("%9s %12s %12s %12s %12s %10s %12s\n", "contacts", "stream/s", "receive/s", "raw sql/s",
                "backup/s", "recv/raw", "recv/backup");
    QList<double> perContact;
    for (const int size : sizes) {
        QTemporaryDir dir;
        PhoneSimDriver sim;
        if (!sim.create({QStringLiteral("wifi=") + phone, QStringLiteral("contacts=%1").arg(size),
                         QStringLiteral("batch-size=100")})
            || !sim.start()) {
            std::fprintf(stderr, "phone simulator: %s\n", sim.lastError().constData());
            return 1;
        }
        const QStringList wire
            = QString::fromUtf8(sim.dump(phone, {QStringLiteral("--wire")})).split(u'\n', Qt::SkipEmptyParts);
        qint64 lines = 0;
        const double streamS = stream(lines);
        int contacts = 0;
        const QString cache = dir.filePath(QStringLiteral("cache"));
        const double receiveS = receive(cache, contacts);
        const double rawS = rawInsert(dir.filePath(QStringLiteral("raw")), wire);
        const double backupS = backup(cache, dir.filePath(QStringLiteral("backup.db")));
        if (streamS < 0 || receiveS < 0 || rawS < 0 || backupS < 0 || contacts != size) {
            std::fprintf(stderr, "a measurement failed (%d contacts received)\n", contacts);
            return 1;
        }
        std::printf("%9d %12.0f %12.0f %12.0f %12.0f %10.2f %12.2f\n", size, size / streamS, size / receiveS,
                    size / rawS, size / backupS, receiveS / rawS, receiveS / backupS);
        std::printf("          (%lld lines, %lld entity lines streamed)\n", static_cast<long long>(lines),
                    static_cast<long long>(wire.size()));
        perContact << receiveS / size;
        std::fflush(stdout);
    }
    for (int i = 1; i < perContact.size(); ++i)
        std::printf("receive time per contact, %d -> %d contacts: x%.2f\n", sizes.at(i - 1), sizes.at(i),
                    perContact.at(i) / perContact.at(i - 1));
    std::printf("goal: receiving costs at most 1.3x the local backup job per contact (recv/backup column)\n");
    return 0;
}

#include "receivebench.moc"
