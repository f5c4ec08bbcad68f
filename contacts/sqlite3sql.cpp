#include "contacts/sqlite3sql.h"

Sqlite3Sql::Sqlite3Sql(const char *sql)
    : m_text(sql)
{
}

Sqlite3Sql::Sqlite3Sql(const QString &sql)
    : m_text(sql.toUtf8())
{
}

Sqlite3Sql::Sqlite3Sql(const QByteArray &sql)
    : m_text(sql)
{
}

Sqlite3Sql &Sqlite3Sql::appendSql(const char *sql)
{
    m_text.append(sql);
    return *this;
}

Sqlite3Sql &Sqlite3Sql::appendSql(const QString &sql)
{
    m_text.append(sql.toUtf8());
    return *this;
}

Sqlite3Sql &Sqlite3Sql::addIntParam(int value)
{
    m_params.append(Param { Param::Int, value, {} });
    return *this;
}

Sqlite3Sql &Sqlite3Sql::addInt64Param(qint64 value)
{
    m_params.append(Param { Param::Int64, value, {} });
    return *this;
}

Sqlite3Sql &Sqlite3Sql::addTextParam(const QString &value)
{
    m_params.append(Param { Param::Text, 0, value.toUtf8() });
    return *this;
}

Sqlite3Sql &Sqlite3Sql::addBlobParam(const QByteArray &value)
{
    m_params.append(Param { Param::Blob, 0, value });
    return *this;
}

Sqlite3Sql &Sqlite3Sql::addNullParam()
{
    m_params.append(Param { Param::Null, 0, {} });
    return *this;
}
