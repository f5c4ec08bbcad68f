#ifndef CLI_DATABASELOCK_H
#define CLI_DATABASELOCK_H

#include <QString>

// Keeps two command line runs off one database: an flock on the file
// "<database>.lock" beside it, shared for commands that only read and
// exclusive for those that write. Taken without waiting; a database another
// run holds throws CliError(Failure) naming it. Released when the object
// goes, or by the system when the process ends however it ends.
class DatabaseLock
{
public:
    enum Mode { Shared, Exclusive };

    DatabaseLock(const QString &databasePath, Mode mode);
    ~DatabaseLock();
    DatabaseLock(const DatabaseLock &) = delete;
    DatabaseLock &operator=(const DatabaseLock &) = delete;

    [[nodiscard]] static QString lockPath(const QString &databasePath);

private:
    int m_fd = -1;
};

#endif
