#include "contacts/sqlite3db.h"

#include "contacts/sqlite3exception.h"
#include "contacts/sqlite3stmt.h"

#include <QFile>
#include <QFileInfo>

#include <string_view>

#include <sqlite3.h>

namespace {

// Kept statements beyond this are dropped when idle; the program uses a few
// dozen distinct statements, so the limit only guards against SQL texts that
// embed values.
constexpr int MaxCachedStatements = 200;

bool hasWriteBit(const QFileInfo &info)
{
    // The mode bits, not access(2): a file marked read-only stays read-only
    // for us even when the process could override it.
    return info.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther);
}

} // namespace

size_t Sqlite3DB::SqlTextHash::operator()(const QByteArray &sql) const noexcept
{
    constexpr qsizetype Sampled = 48;
    const std::hash<std::string_view> hash;
    const std::string_view text(sql.constData(), size_t(sql.size()));
    if (sql.size() <= 2 * Sampled)
        return hash(text);
    return hash(text.substr(0, Sampled)) ^ (hash(text.substr(text.size() - Sampled)) * 31) ^ size_t(sql.size());
}

Sqlite3DB::Sqlite3DB() = default;

Sqlite3DB::~Sqlite3DB()
{
    close();
}

void Sqlite3DB::openThrow(const QString &path, int mode)
{
    close();
    m_fileName = path;

    const QFileInfo info(path);
    if (path.isEmpty())
        throw Sqlite3Exception(path, QStringLiteral("no database file was named"), SQLITE_CANTOPEN);
    if (info.isDir())
        throw Sqlite3Exception(path, QStringLiteral("this is a folder, not a database file"), SQLITE_CANTOPEN);
    if (!(mode & SQLITE_OPEN_CREATE) && !info.exists())
        throw Sqlite3Exception(path, QStringLiteral("the database file does not exist"), SQLITE_CANTOPEN);
    if ((mode & SQLITE_OPEN_READWRITE) && info.exists() && !hasWriteBit(info))
        throw Sqlite3Exception(path, QStringLiteral("the database file is read-only"), SQLITE_READONLY);

    sqlite3 *db = nullptr;
    const QByteArray encoded = QFile::encodeName(path);
    // NOMUTEX: one thread uses a connection at a time (possibly different
    // threads one after the other), so SQLite's own locking is not needed.
    int rc = sqlite3_open_v2(encoded.constData(), &db, mode | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString reason = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        throw Sqlite3Exception(path, reason, rc);
    }
    sqlite3_busy_timeout(db, 5000);

    // Reading the schema makes SQLite look at the file: this is where a file
    // that is not a database, or one cut short, is found out.
    sqlite3_stmt *probe = nullptr;
    rc = sqlite3_prepare_v2(db, "select count(*) from sqlite_master", -1, &probe, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(probe);
        if (rc == SQLITE_ROW)
            rc = SQLITE_OK;
    }
    if (rc != SQLITE_OK) {
        const QString reason = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(probe);
        sqlite3_close_v2(db);
        throw Sqlite3Exception(path, reason, rc);
    }
    sqlite3_finalize(probe);
    if ((mode & SQLITE_OPEN_READWRITE) && sqlite3_db_readonly(db, "main") == 1) {
        sqlite3_close_v2(db);
        throw Sqlite3Exception(path, QStringLiteral("the database file is read-only"), SQLITE_READONLY);
    }

    m_db = db;
    m_open = std::make_shared<bool>(true);
    m_depth = 0;
    m_rollbackOnly = false;
}

void Sqlite3DB::close()
{
    if (!m_db)
        return;
    *m_open = false;   // cursors still alive now throw instead of stepping
    m_open.reset();
    m_cache.clear();
    // close_v2 rolls back an open transaction and waits for statements that
    // cursors still hold to be finalised before it frees the connection.
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_depth = 0;
    m_rollbackOnly = false;
}

void Sqlite3DB::requireOpen() const
{
    if (!m_db)
        throw Sqlite3Exception(m_fileName, QStringLiteral("the database is not open"), SQLITE_MISUSE);
}

std::shared_ptr<Sqlite3Stmt> Sqlite3DB::prepare(const QByteArray &sql)
{
    requireOpen();
    const auto it = m_cache.find(sql);
    if (it != m_cache.end() && it->second.use_count() == 1)
        return it->second;

    sqlite3_stmt *stmt = nullptr;
    const char *tail = nullptr;
    const int rc = sqlite3_prepare_v3(m_db, sql.constData(), int(sql.size()), SQLITE_PREPARE_PERSISTENT, &stmt,
                                      &tail);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        throw Sqlite3Exception(m_fileName, QString::fromUtf8(sqlite3_errmsg(m_db)), rc);
    }
    if (!stmt)
        throw Sqlite3Exception(m_fileName, QStringLiteral("the statement is empty"), SQLITE_MISUSE);
    auto prepared = std::make_shared<Sqlite3Stmt>(stmt, m_fileName, m_open);
    if (tail && !QByteArrayView(tail, sql.constData() + sql.size() - tail).trimmed().isEmpty())
        throw Sqlite3Exception(m_fileName, QStringLiteral("more than one statement in: %1").arg(QString::fromUtf8(sql)),
                               SQLITE_MISUSE);

    if (it == m_cache.end()) {
        if (m_cache.size() >= MaxCachedStatements) {
            for (auto i = m_cache.begin(); i != m_cache.end();)
                i = i->second.use_count() == 1 ? m_cache.erase(i) : std::next(i);
        }
        m_cache.emplace(sql, prepared);
    }
    return prepared;
}

void Sqlite3DB::executeThrow(const Sqlite3Sql &sql)
{
    const std::shared_ptr<Sqlite3Stmt> stmt = prepare(sql.text());
    stmt->bind(sql);
    try {
        while (stmt->step()) {
        }
    } catch (...) {
        stmt->reset();
        throw;
    }
    stmt->reset();
}

Sqlite3Cursor Sqlite3DB::queryThrow(const Sqlite3Sql &sql)
{
    std::shared_ptr<Sqlite3Stmt> stmt = prepare(sql.text());
    stmt->bind(sql);
    return Sqlite3Cursor(std::move(stmt), sql);
}

qint64 Sqlite3DB::lastInsertId() const
{
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}

bool Sqlite3DB::inTransaction() const
{
    return m_db && !sqlite3_get_autocommit(m_db);
}

void Sqlite3DB::beginTran()
{
    if (m_depth == 0) {
        executeThrow("begin");
        m_rollbackOnly = false;
    }
    ++m_depth;
}

void Sqlite3DB::commitTran()
{
    if (m_depth == 0)
        throw Sqlite3Exception(m_fileName, QStringLiteral("commit without a transaction"), SQLITE_MISUSE);
    if (m_depth > 1) {
        --m_depth;
        return;
    }
    endOutermost(true);
}

void Sqlite3DB::rollbackTran()
{
    if (m_depth == 0)
        return;   // nothing open: a caller's safety rollback after a failed begin
    if (m_depth > 1) {
        --m_depth;
        m_rollbackOnly = true;
        return;
    }
    endOutermost(false);
}

void Sqlite3DB::endOutermost(bool commit)
{
    requireOpen();
    if (!inTransaction()) {
        // SQLite already rolled the transaction back by itself (after an
        // I/O error, a full disk ...).
        m_depth = 0;
        m_rollbackOnly = false;
        if (commit)
            throw Sqlite3Exception(m_fileName, QStringLiteral("the transaction was rolled back"), SQLITE_ABORT);
        return;
    }
    if (commit && !m_rollbackOnly) {
        // On failure the depth stays at 1, so the caller's rollback ends it.
        executeThrow("commit");
        m_depth = 0;
        return;
    }
    const bool wasRollbackOnly = m_rollbackOnly;
    m_depth = 0;
    m_rollbackOnly = false;
    executeThrow("rollback");
    if (commit && wasRollbackOnly)
        throw Sqlite3Exception(m_fileName,
                               QStringLiteral("the transaction was rolled back because a part of it failed"),
                               SQLITE_ABORT);
}
