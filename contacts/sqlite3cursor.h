#ifndef CONTACTS_SQLITE3CURSOR_H
#define CONTACTS_SQLITE3CURSOR_H

#include "contacts/sqlite3sql.h"

#include <QByteArray>
#include <QString>

#include <memory>

class Sqlite3Stmt;

// The rows of one query, read forward. A new cursor stands before the first
// row; moveNext() advances. Columns are read by their result name (as the
// query names them: "_id", "full_name", "csrc_id" ...) or by position.
// A NULL reads as 0, empty text or empty bytes. Reading a column that the
// result lacks throws.
//
// The cursor shares the prepared statement with its connection's cache and
// rewinds it when it goes away, so a finished query holds no lock.
class Sqlite3Cursor
{
public:
    Sqlite3Cursor(std::shared_ptr<Sqlite3Stmt> stmt, Sqlite3Sql boundValues);
    ~Sqlite3Cursor();
    Sqlite3Cursor(Sqlite3Cursor &&other) noexcept;
    Sqlite3Cursor &operator=(Sqlite3Cursor &&other) noexcept;
    Sqlite3Cursor(const Sqlite3Cursor &) = delete;
    Sqlite3Cursor &operator=(const Sqlite3Cursor &) = delete;

    // Advances to the next row; false after the last one.
    bool moveNext();

    [[nodiscard]] int getInt(const char *column) const;
    [[nodiscard]] qint64 getInt64(const char *column) const;
    [[nodiscard]] QString getText(const char *column) const;
    [[nodiscard]] QByteArray getBlob(const char *column) const;

    // By position, 0 being the first column of the result.
    [[nodiscard]] qint64 getInt64(int column) const;
    [[nodiscard]] QString getText(int column) const;
    [[nodiscard]] QByteArray getBlob(int column) const;
    [[nodiscard]] bool isNull(int column) const;

    // Position of a named result column, or -1; for loops that read many rows.
    [[nodiscard]] int columnIndex(const char *column) const;
    [[nodiscard]] int columnCount() const;

private:
    [[nodiscard]] int requireColumn(const char *column) const;
    // On a row of a connection that is still open.
    [[nodiscard]] bool readable() const;
    void release() noexcept;

    std::shared_ptr<Sqlite3Stmt> m_stmt;
    Sqlite3Sql m_boundValues;   // keeps the bound bytes alive while stepping
    bool m_onRow = false;
};

#endif
