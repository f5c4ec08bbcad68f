#ifndef CONTACTS_SQLITE3STMT_H
#define CONTACTS_SQLITE3STMT_H

#include "contacts/sqlite3sql.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

struct sqlite3_stmt;

// One prepared statement of a Sqlite3DB connection. The connection keeps the
// statements it prepared in a cache; a cursor shares the statement while it
// reads rows. Destruction finalises the statement.
class Sqlite3Stmt
{
public:
    // Takes ownership of `stmt`. `open` stays true while the connection that
    // prepared the statement is open; stepping a statement of a closed
    // connection throws instead of touching freed memory.
    Sqlite3Stmt(sqlite3_stmt *stmt, const QString &fileName, std::shared_ptr<const bool> open);
    ~Sqlite3Stmt();
    Sqlite3Stmt(const Sqlite3Stmt &) = delete;
    Sqlite3Stmt &operator=(const Sqlite3Stmt &) = delete;

    // Binds the parameters of `sql`, which must match the placeholders in
    // number. The bound bytes are not copied: `sql` must outlive the steps.
    void bind(const Sqlite3Sql &sql);
    // One step: true when a row is ready, false when the statement is done.
    bool step();
    // Rewinds the statement and drops its bindings, ready for the next use.
    void reset() noexcept;

    // Index of the result column called `name`, or -1.
    [[nodiscard]] int columnIndex(QByteArrayView name) const;
    [[nodiscard]] int columnCount() const;

    [[nodiscard]] sqlite3_stmt *handle() const { return m_stmt; }
    [[nodiscard]] const QString &fileName() const { return m_fileName; }
    [[nodiscard]] bool connectionOpen() const { return m_open && *m_open; }

    [[noreturn]] void fail(int rc) const;

private:
    sqlite3_stmt *m_stmt;
    QString m_fileName;
    std::shared_ptr<const bool> m_open;
    mutable std::vector<QByteArray> m_columnNames;   // filled on first look-up
};

#endif
