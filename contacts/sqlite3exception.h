#ifndef CONTACTS_SQLITE3EXCEPTION_H
#define CONTACTS_SQLITE3EXCEPTION_H

#include <QString>

#include <stdexcept>

// A failure of the SQLite layer. what() is UTF-8 text that names the database
// file and the reason, ready to be shown to the user as it stands.
class Sqlite3Exception : public std::runtime_error
{
public:
    // code: the SQLite result code, or 0 for failures found by the wrapper
    // itself (a missing file, a folder, a read-only file ...).
    Sqlite3Exception(const QString &fileName, const QString &reason, int code = 0);

    [[nodiscard]] const QString &fileName() const { return m_fileName; }
    [[nodiscard]] const QString &reason() const { return m_reason; }
    [[nodiscard]] int code() const { return m_code; }

private:
    QString m_fileName;
    QString m_reason;
    int m_code;
};

#endif
