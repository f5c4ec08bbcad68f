#include "contacts/sqlite3stmt.h"

#include "contacts/sqlite3exception.h"

#include <sqlite3.h>

Sqlite3Stmt::Sqlite3Stmt(sqlite3_stmt *stmt, const QString &fileName, std::shared_ptr<const bool> open)
    : m_stmt(stmt)
    , m_fileName(fileName)
    , m_open(std::move(open))
{
}

Sqlite3Stmt::~Sqlite3Stmt()
{
    // Finalising is allowed after the connection was closed with
    // sqlite3_close_v2: the last finalised statement frees the connection.
    sqlite3_finalize(m_stmt);
}

void Sqlite3Stmt::fail(int rc) const
{
    // A change to a database opened read-only: said the way opening a
    // read-only file for writing says it.
    if ((rc & 0xff) == SQLITE_READONLY)
        throw Sqlite3Exception(m_fileName, QStringLiteral("the database file is read-only"), rc);
    const char *message = connectionOpen() ? sqlite3_errmsg(sqlite3_db_handle(m_stmt)) : sqlite3_errstr(rc);
    throw Sqlite3Exception(m_fileName, QString::fromUtf8(message), rc);
}

void Sqlite3Stmt::bind(const Sqlite3Sql &sql)
{
    if (!connectionOpen())
        throw Sqlite3Exception(m_fileName, QStringLiteral("the database connection is closed"), SQLITE_MISUSE);
    const Sqlite3Sql::Params &params = sql.params();
    if (params.size() != sqlite3_bind_parameter_count(m_stmt)) {
        throw Sqlite3Exception(m_fileName,
                               QStringLiteral("the statement has %1 placeholders but %2 values were given: %3")
                                   .arg(sqlite3_bind_parameter_count(m_stmt))
                                   .arg(params.size())
                                   .arg(QString::fromUtf8(sql.text())),
                               SQLITE_RANGE);
    }
    for (int i = 0; i < int(params.size()); ++i) {
        const Sqlite3Sql::Param &p = params.at(i);
        int rc = SQLITE_OK;
        switch (p.type) {
        case Sqlite3Sql::Param::Int:
            rc = sqlite3_bind_int(m_stmt, i + 1, int(p.number));
            break;
        case Sqlite3Sql::Param::Int64:
            rc = sqlite3_bind_int64(m_stmt, i + 1, p.number);
            break;
        case Sqlite3Sql::Param::Text: {
            // The pointer is never null, so empty text binds '' and not NULL.
            const QByteArrayView text = sql.textOf(p);
            rc = sqlite3_bind_text64(m_stmt, i + 1, text.data() ? text.data() : "", sqlite3_uint64(text.size()),
                                     SQLITE_STATIC, SQLITE_UTF8);
            break;
        }
        case Sqlite3Sql::Param::Blob:
            rc = sqlite3_bind_blob64(m_stmt, i + 1, p.bytes.constData(), sqlite3_uint64(p.bytes.size()),
                                     SQLITE_STATIC);
            break;
        case Sqlite3Sql::Param::Null:
            rc = sqlite3_bind_null(m_stmt, i + 1);
            break;
        }
        if (rc != SQLITE_OK) {
            reset();
            fail(rc);
        }
    }
}

bool Sqlite3Stmt::step()
{
    if (!connectionOpen())
        throw Sqlite3Exception(m_fileName, QStringLiteral("the database connection is closed"), SQLITE_MISUSE);
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    fail(rc);
}

void Sqlite3Stmt::reset() noexcept
{
    if (!connectionOpen())
        return;
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int Sqlite3Stmt::columnIndex(QByteArrayView name) const
{
    if (m_columnNames.empty()) {
        const int n = sqlite3_column_count(m_stmt);
        m_columnNames.reserve(size_t(n));
        for (int i = 0; i < n; ++i)
            m_columnNames.emplace_back(sqlite3_column_name(m_stmt, i));
    }
    for (size_t i = 0; i < m_columnNames.size(); ++i) {
        if (m_columnNames[i] == name)
            return int(i);
    }
    return -1;
}

int Sqlite3Stmt::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}
