#include "contacts/sqlite3exception.h"

#include <QDir>

namespace {

std::string describe(const QString &fileName, const QString &reason)
{
    if (fileName.isEmpty())
        return reason.toStdString();
    return (QDir::toNativeSeparators(fileName) + QStringLiteral(": ") + reason).toStdString();
}

} // namespace

Sqlite3Exception::Sqlite3Exception(const QString &fileName, const QString &reason, int code)
    : std::runtime_error(describe(fileName, reason))
    , m_fileName(fileName)
    , m_reason(reason)
    , m_code(code)
{
}
