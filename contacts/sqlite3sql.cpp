#include "contacts/sqlite3sql.h"

#include <QStringEncoder>

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
    m_params.append(Param { Param::Int, value, 0, {} });
    return *this;
}

Sqlite3Sql &Sqlite3Sql::addInt64Param(qint64 value)
{
    m_params.append(Param { Param::Int64, value, 0, {} });
    return *this;
}

Sqlite3Sql &Sqlite3Sql::addTextParam(const QString &value)
{
    // Appended to one buffer rather than converted into a byte array each:
    // a statement binds dozens of texts, most of them short and ASCII.
    const qsizetype offset = m_textBytes.size();
    const qsizetype length = value.size();
    m_textBytes.resize(offset + 3 * length);   // UTF-8 needs at most 3 bytes per UTF-16 unit
    char *const start = m_textBytes.data() + offset;
    char *out = start;
    const char16_t *in = reinterpret_cast<const char16_t *>(value.constData());
    qsizetype i = 0;
    for (; i < length && in[i] < 0x80; ++i)
        *out++ = char(in[i]);
    if (i < length) {
        QStringEncoder utf8(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
        out = utf8.appendToBuffer(out, QStringView(value).mid(i));
    }
    const qsizetype size = out - start;
    m_textBytes.resize(offset + size);
    m_params.append(Param { Param::Text, offset, size, {} });
    return *this;
}

Sqlite3Sql &Sqlite3Sql::addBlobParam(const QByteArray &value)
{
    m_params.append(Param { Param::Blob, 0, 0, value });
    return *this;
}

Sqlite3Sql &Sqlite3Sql::addNullParam()
{
    m_params.append(Param { Param::Null, 0, 0, {} });
    return *this;
}
