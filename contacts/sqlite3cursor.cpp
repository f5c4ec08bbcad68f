#include "contacts/sqlite3cursor.h"

#include "contacts/sqlite3exception.h"
#include "contacts/sqlite3stmt.h"

#include <sqlite3.h>

Sqlite3Cursor::Sqlite3Cursor(std::shared_ptr<Sqlite3Stmt> stmt, Sqlite3Sql boundValues)
    : m_stmt(std::move(stmt))
    , m_boundValues(std::move(boundValues))
{
}

Sqlite3Cursor::~Sqlite3Cursor()
{
    release();
}

Sqlite3Cursor::Sqlite3Cursor(Sqlite3Cursor &&other) noexcept
    : m_stmt(std::move(other.m_stmt))
    , m_boundValues(std::move(other.m_boundValues))
    , m_onRow(other.m_onRow)
{
    other.m_onRow = false;
}

Sqlite3Cursor &Sqlite3Cursor::operator=(Sqlite3Cursor &&other) noexcept
{
    if (this != &other) {
        release();
        m_stmt = std::move(other.m_stmt);
        m_boundValues = std::move(other.m_boundValues);
        m_onRow = other.m_onRow;
        other.m_onRow = false;
    }
    return *this;
}

void Sqlite3Cursor::release() noexcept
{
    if (m_stmt) {
        m_stmt->reset();
        m_stmt.reset();
    }
    m_onRow = false;
}

bool Sqlite3Cursor::moveNext()
{
    if (!m_stmt)
        return false;
    try {
        m_onRow = m_stmt->step();
    } catch (...) {
        release();
        throw;
    }
    if (!m_onRow)
        release();   // done: rewind now so the statement can serve the next query
    return m_onRow;
}

int Sqlite3Cursor::columnIndex(const char *column) const
{
    return m_stmt ? m_stmt->columnIndex(column) : -1;
}

int Sqlite3Cursor::columnCount() const
{
    return m_stmt ? m_stmt->columnCount() : 0;
}

int Sqlite3Cursor::requireColumn(const char *column) const
{
    const int index = columnIndex(column);
    if (index < 0) {
        throw Sqlite3Exception(m_stmt ? m_stmt->fileName() : QString(),
                               QStringLiteral("the query has no column named %1").arg(QString::fromUtf8(column)),
                               SQLITE_RANGE);
    }
    return index;
}

int Sqlite3Cursor::getInt(const char *column) const
{
    return int(getInt64(requireColumn(column)));
}

qint64 Sqlite3Cursor::getInt64(const char *column) const
{
    return getInt64(requireColumn(column));
}

QString Sqlite3Cursor::getText(const char *column) const
{
    return getText(requireColumn(column));
}

QByteArray Sqlite3Cursor::getBlob(const char *column) const
{
    return getBlob(requireColumn(column));
}

bool Sqlite3Cursor::readable() const
{
    return m_onRow && m_stmt->connectionOpen();
}

qint64 Sqlite3Cursor::getInt64(int column) const
{
    if (!readable())
        return 0;
    return sqlite3_column_int64(m_stmt->handle(), column);
}

QString Sqlite3Cursor::getText(int column) const
{
    if (!readable())
        return QString();
    sqlite3_stmt *stmt = m_stmt->handle();
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
    // The byte count, not strlen: texts may hold NUL characters.
    const int size = sqlite3_column_bytes(stmt, column);
    return text ? QString::fromUtf8(text, size) : QString();
}

QByteArray Sqlite3Cursor::getBlob(int column) const
{
    if (!readable())
        return QByteArray();
    sqlite3_stmt *stmt = m_stmt->handle();
    const auto *bytes = static_cast<const char *>(sqlite3_column_blob(stmt, column));
    const int size = sqlite3_column_bytes(stmt, column);
    return bytes ? QByteArray(bytes, size) : QByteArray();
}

bool Sqlite3Cursor::isNull(int column) const
{
    return !readable() || sqlite3_column_type(m_stmt->handle(), column) == SQLITE_NULL;
}
