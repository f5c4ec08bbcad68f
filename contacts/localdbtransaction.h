#ifndef CONTACTS_LOCALDBTRANSACTION_H
#define CONTACTS_LOCALDBTRANSACTION_H

class LocalDb;

// One transaction on a local database, owned by the code that opened it:
//
//     LocalDbTransaction transaction(db);   // beginTransaction
//     ... writes ...
//     transaction.commit();                 // endTransaction with commit
//
// When the object goes before commit() succeeded (an exception, an early
// return, a commit that failed), it ends the transaction with a rollback.
// It never ends a transaction it did not open, never rolls back after its
// own commit, and never lets an exception out of its destructor.
class LocalDbTransaction
{
public:
    // Throws what beginTransaction throws; nothing is open then.
    explicit LocalDbTransaction(LocalDb &db);
    ~LocalDbTransaction();
    LocalDbTransaction(const LocalDbTransaction &) = delete;
    LocalDbTransaction &operator=(const LocalDbTransaction &) = delete;

    // Throws what endTransaction throws; the transaction is then still ours
    // and is rolled back by rollback() or the destructor.
    void commit();
    // Rolls back now when still open; never throws (a failed rollback is
    // logged: SQLite has then ended the transaction by itself).
    void rollback() noexcept;

    [[nodiscard]] bool isOpen() const { return m_open; }

private:
    LocalDb &m_db;
    bool m_open = false;
};

#endif
