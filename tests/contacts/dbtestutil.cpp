#include "dbtestutil.h"

#include <QFile>
#include <QTest>

#include <sqlite3.h>

namespace dbtest {

namespace {

struct Handle
{
    explicit Handle(const QString &path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
            qFatal("cannot open %s", qPrintable(path));
    }
    ~Handle() { sqlite3_close(db); }
    sqlite3 *db = nullptr;
};

QString cellText(sqlite3_stmt *stmt, int i)
{
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_NULL:
        return QStringLiteral("NULL");
    case SQLITE_BLOB:
        return QStringLiteral("blob:")
            + QString::fromLatin1(
                QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, i)), sqlite3_column_bytes(stmt, i))
                    .toHex());
    default:
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, i)),
                                 sqlite3_column_bytes(stmt, i))
            .toHtmlEscaped();
    }
}

} // namespace

QStringList dump(const QString &path)
{
    Handle h(path);
    QStringList rows;
    for (const char *sql : { "select * from contact order by _id", "select * from data order by _id",
                             "select * from contact_group order by _id", "select * from sqlite_sequence order by name" }) {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(h.db, sql, -1, &stmt, nullptr) != SQLITE_OK)
            qFatal("%s: %s", sql, sqlite3_errmsg(h.db));
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList cells;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i)
                cells << cellText(stmt, i);
            rows << QString::fromLatin1(sql).section(QLatin1Char(' '), 3, 3) + QLatin1Char(':')
                    + cells.join(QLatin1Char('|'));
        }
        sqlite3_finalize(stmt);
    }
    return rows;
}

void exec(const QString &path, const QString &sql)
{
    Handle h(path);
    char *error = nullptr;
    if (sqlite3_exec(h.db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = QString::fromUtf8(error);
        sqlite3_free(error);
        QFAIL(qPrintable(message));
    }
}

QString indexes(const QString &path)
{
    return scalar(path, QStringLiteral("select group_concat(name || ':' || sql, '|') from"
                                       " (select name,sql from sqlite_master where type='index'"
                                       " and sql is not null order by name)"));
}

QString scalar(const QString &path, const QString &sql)
{
    Handle h(path);
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(h.db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
        qFatal("%s: %s", qPrintable(sql), sqlite3_errmsg(h.db));
    QString value;
    if (sqlite3_step(stmt) == SQLITE_ROW)
        value = cellText(stmt, 0);
    sqlite3_finalize(stmt);
    return value;
}

QString queryPlan(const QString &path, const QString &sql)
{
    Handle h(path);
    sqlite3_stmt *stmt = nullptr;
    const QByteArray text = "explain query plan " + sql.toUtf8();
    if (sqlite3_prepare_v2(h.db, text.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        qFatal("%s: %s", text.constData(), sqlite3_errmsg(h.db));
    QStringList details;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        details << cellText(stmt, 3);
    sqlite3_finalize(stmt);
    return details.join(QLatin1Char(';'));
}

void copyTemplate(const QString &path)
{
    QFile::remove(path);
    QVERIFY(QFile::copy(QStringLiteral(":/res/db.db"), path));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
}

Entity entity(std::initializer_list<std::pair<int, QString>> values)
{
    Entity e;
    for (const auto &[column, text] : values)
        e.setText(column, text);
    return e;
}

Contact contact(const QString &fullName)
{
    Contact c;
    c.fullName = fullName;
    return c;
}

void Recorder::updateProgress(const QString &status, int percent, const QString &text)
{
    progress.append(Progress { status, percent, text });
    if (cancelAfterProgress >= 0 && progress.size() >= cancelAfterProgress)
        cancel = true;
}

void Recorder::succeed(const QString &message)
{
    successes.append(message);
}

void Recorder::errorOccurred(const QString &message)
{
    errors.append(message);
}

} // namespace dbtest
