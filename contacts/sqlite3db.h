#ifndef CONTACTS_SQLITE3DB_H
#define CONTACTS_SQLITE3DB_H

#include "contacts/sqlite3cursor.h"
#include "contacts/sqlite3sql.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <unordered_map>

struct sqlite3;
class Sqlite3Stmt;

// One connection to an SQLite database file. Every failure throws a
// Sqlite3Exception that names the file and the reason.
//
// Prepared statements are kept per connection, keyed by their SQL text, and
// reused; a statement still read by a live cursor is not handed out twice.
//
// Transactions nest by a depth count: only the outermost beginTran starts an
// SQLite transaction and only the outermost commitTran or rollbackTran ends
// it. A rollback at an inner depth marks the transaction, and the outermost
// end then rolls back (a commit at that point throws, so the caller learns
// that nothing was kept).
//
// A connection is used by one thread at a time; it holds no lock.
class Sqlite3DB
{
public:
    // Open modes are SQLite's open flags; ReadWrite opens an existing file
    // for reading and writing and never creates one; ReadOnly never writes
    // to the file or beside it.
    enum OpenMode : int { ReadOnly = 0x1, ReadWrite = 0x2, ReadWriteCreate = 0x6 };

    Sqlite3DB();
    ~Sqlite3DB();
    Sqlite3DB(const Sqlite3DB &) = delete;
    Sqlite3DB &operator=(const Sqlite3DB &) = delete;

    // Opens `path`, closing any connection this object had. Checks that the
    // file is an SQLite database that can be read (and written, when the
    // mode asks for it) before returning.
    void openThrow(const QString &path, int mode);
    void close();
    [[nodiscard]] bool isOpen() const { return m_db != nullptr; }
    [[nodiscard]] const QString &fileName() const { return m_fileName; }

    // Runs one statement to its end.
    void executeThrow(const Sqlite3Sql &sql);
    // Runs a query; the cursor stands before the first row.
    [[nodiscard]] Sqlite3Cursor queryThrow(const Sqlite3Sql &sql);
    [[nodiscard]] qint64 lastInsertId() const;

    void beginTran();
    void commitTran();
    void rollbackTran();
    [[nodiscard]] int transactionDepth() const { return m_depth; }
    // True while SQLite itself has a transaction open on this connection.
    [[nodiscard]] bool inTransaction() const;

    // Number of prepared statements kept for reuse.
    [[nodiscard]] int cachedStatementCount() const { return int(m_cache.size()); }

private:
    [[nodiscard]] std::shared_ptr<Sqlite3Stmt> prepare(const QByteArray &sql);
    void requireOpen() const;
    void endOutermost(bool commit);

    sqlite3 *m_db = nullptr;
    QString m_fileName;
    std::shared_ptr<bool> m_open;   // shared with the statements; false once closed
    // Statement texts run to a few kilobytes (multi-row inserts) and are
    // looked up for every statement run, so the key hash reads only their
    // length and ends; equal keys are still told apart by their whole text.
    struct SqlTextHash
    {
        size_t operator()(const QByteArray &sql) const noexcept;
    };
    std::unordered_map<QByteArray, std::shared_ptr<Sqlite3Stmt>, SqlTextHash> m_cache;
    int m_depth = 0;
    bool m_rollbackOnly = false;
};

#endif
