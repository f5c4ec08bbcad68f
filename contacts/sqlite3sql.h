#ifndef CONTACTS_SQLITE3SQL_H
#define CONTACTS_SQLITE3SQL_H

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVarLengthArray>

// One SQL statement under construction: its text and the values bound to its
// "?" placeholders, in call order. Parameters may be added before the text
// that holds their placeholders is appended. Copies carry text and values
// (the byte arrays are shared until one side changes).
class Sqlite3Sql
{
public:
    struct Param
    {
        enum Type { Int, Int64, Text, Blob, Null };
        Type type = Int64;
        qint64 number = 0;   // Int and Int64: the value; Text: where its bytes start
        qsizetype size = 0;  // Text: its length in bytes
        QByteArray bytes;    // Blob: the bytes
    };

    Sqlite3Sql() = default;
    Sqlite3Sql(const char *sql);      // UTF-8
    Sqlite3Sql(const QString &sql);
    // Shares the bytes of a text built once (no copy).
    explicit Sqlite3Sql(const QByteArray &sql);

    Sqlite3Sql &appendSql(const char *sql);
    Sqlite3Sql &appendSql(const QString &sql);

    Sqlite3Sql &addIntParam(int value);
    Sqlite3Sql &addInt64Param(qint64 value);
    Sqlite3Sql &addTextParam(const QString &value);
    Sqlite3Sql &addBlobParam(const QByteArray &value);
    Sqlite3Sql &addNullParam();
    // Room for `count` parameters, for statements that bind many.
    void reserveParams(qsizetype count) { m_params.reserve(count); }

    [[nodiscard]] const QByteArray &text() const { return m_text; }
    using Params = QVarLengthArray<Param, 16>;   // no heap for the usual statement
    [[nodiscard]] const Params &params() const { return m_params; }
    // The UTF-8 bytes of a Text parameter; valid while this object (or a
    // copy of it) lives unchanged.
    [[nodiscard]] QByteArrayView textOf(const Param &param) const
    {
        return QByteArrayView(m_textBytes.constData() + param.number, param.size);
    }

private:
    QByteArray m_text;   // UTF-8
    Params m_params;
    QByteArray m_textBytes;   // every Text parameter's UTF-8, one after the other
};

#endif
