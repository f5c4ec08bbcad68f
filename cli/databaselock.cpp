#include "cli/databaselock.h"

#include "cli/clierror.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

DatabaseLock::DatabaseLock(const QString &databasePath, Mode mode)
{
    const QByteArray path = QFile::encodeName(lockPath(databasePath));
    m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        // A reader may look at a database in a folder it cannot write.
        if (mode == Shared)
            return;
        throw CliError(CliError::Failure, QStringLiteral("cannot lock %1: %2")
                                              .arg(databasePath, QString::fromLocal8Bit(std::strerror(errno))));
    }
    if (::flock(m_fd, (mode == Shared ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
        const int error = errno;
        ::close(m_fd);
        m_fd = -1;
        if (error == EWOULDBLOCK)
            throw CliError(CliError::Failure,
                           QStringLiteral("database %1 is in use by another command; try again when it has ended")
                               .arg(databasePath));
        throw CliError(CliError::Failure, QStringLiteral("cannot lock %1: %2")
                                              .arg(databasePath, QString::fromLocal8Bit(std::strerror(error))));
    }
}

DatabaseLock::~DatabaseLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString DatabaseLock::lockPath(const QString &databasePath)
{
    return databasePath + QStringLiteral(".lock");
}
