// The database template compiled into the resources (:/res/db.db): its
// storage settings, tables, columns, defaults and indexes.
#include <sqlite3.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Runs a query and returns every row, each column as text ("<null>" for NULL).
QList<QStringList> query(sqlite3 *db, const QString &sql)
{
    QList<QStringList> rows;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
        return {{QStringLiteral("<error>"), QString::fromUtf8(sqlite3_errmsg(db))}};
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        QStringList row;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, i));
            row << (text ? QString::fromUtf8(text) : QStringLiteral("<null>"));
        }
        rows << row;
    }
    sqlite3_finalize(stmt);
    return rows;
}

QStringList firstColumn(const QList<QStringList> &rows)
{
    QStringList out;
    for (const QStringList &row : rows)
        out << row.value(0);
    return out;
}

} // namespace

class TemplateDbTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void storageSettings();
    void tablesAreExactlyTheThree();
    void columns_data();
    void columns();
    void indexes_data();
    void indexes();
    void tablesAreEmpty();

private:
    QTemporaryDir m_dir;
    sqlite3 *m_db = nullptr;
};

void TemplateDbTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString path = m_dir.filePath(QStringLiteral("template.db"));
    QVERIFY2(QFile::copy(QStringLiteral(":/res/db.db"), path), "the template is not in the resources");
    QCOMPARE(sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
}

void TemplateDbTest::cleanupTestCase()
{
    sqlite3_close(m_db);
}

void TemplateDbTest::storageSettings()
{
    QCOMPARE(query(m_db, QStringLiteral("PRAGMA page_size")), QList<QStringList>{{QStringLiteral("4096")}});
    QCOMPARE(query(m_db, QStringLiteral("PRAGMA encoding")), QList<QStringList>{{QStringLiteral("UTF-8")}});
}

void TemplateDbTest::tablesAreExactlyTheThree()
{
    const QStringList tables =
        firstColumn(query(m_db, QStringLiteral("select name from sqlite_master where type='table' order by name")));
    // sqlite_sequence exists because the ids are AUTOINCREMENT.
    QCOMPARE(tables, (QStringList{QStringLiteral("contact"), QStringLiteral("contact_group"), QStringLiteral("data"),
                                  QStringLiteral("sqlite_sequence")}));
    QVERIFY(query(m_db, QStringLiteral("select name from sqlite_master where type in ('view','trigger')")).isEmpty());
}

void TemplateDbTest::columns_data()
{
    QTest::addColumn<QString>("table");
    // Each column as "name TYPE notnull default pk", as PRAGMA table_info reports it
    // (the declared type compared in upper case).
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("contact_group") << QStringLiteral("contact_group")
                                   << QStringList{QStringLiteral("_id INTEGER 1 <null> 1"),
                                                  QStringLiteral("name TEXT 1 <null> 0")};
    QTest::newRow("contact") << QStringLiteral("contact")
                             << QStringList{QStringLiteral("_id INTEGER 1 <null> 1"),
                                            QStringLiteral("src_id TEXT 0 <null> 0"),
                                            QStringLiteral("full_name TEXT 0 <null> 0")};
    QStringList data{QStringLiteral("_id INTEGER 1 <null> 1"), QStringLiteral("type INTEGER 1 <null> 0"),
                     QStringLiteral("contact_id INTEGER 1 <null> 0"), QStringLiteral("src_id TEXT 0 <null> 0")};
    for (int i = 1; i <= 14; ++i)
        data << QStringLiteral("data%1 TEXT 0 '' 0").arg(i);
    data << QStringLiteral("data15 BLOB 0 <null> 0");
    QTest::newRow("data") << QStringLiteral("data") << data;
}

void TemplateDbTest::columns()
{
    QFETCH(QString, table);
    QFETCH(QStringList, expected);
    QStringList actual;
    for (const QStringList &row : query(m_db, QStringLiteral("PRAGMA table_info(%1)").arg(table)))
        actual << QStringList{row.value(1), row.value(2).toUpper(), row.value(3), row.value(4), row.value(5)}.join(u' ');
    QCOMPARE(actual, expected);
}

void TemplateDbTest::indexes_data()
{
    QTest::addColumn<QString>("table");
    // Each index as "name: column column ...", all ascending, none unique.
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("contact_group") << QStringLiteral("contact_group") << QStringList{};
    QTest::newRow("contact") << QStringLiteral("contact")
                             << QStringList{QStringLiteral("index_contacts_full_name: full_name"),
                                            QStringLiteral("index_contacts_src_id: src_id")};
    QTest::newRow("data") << QStringLiteral("data")
                          << QStringList{QStringLiteral("index_data_contact: contact_id type"),
                                         QStringLiteral("index_data_data: type data1"),
                                         QStringLiteral("index_data_src_id: src_id")};
}

void TemplateDbTest::indexes()
{
    QFETCH(QString, table);
    QFETCH(QStringList, expected);
    QStringList actual;
    const auto list = query(m_db, QStringLiteral("select name from sqlite_master where type='index' and "
                                                 "tbl_name='%1' and sql is not null order by name")
                                      .arg(table));
    for (const QString &index : firstColumn(list)) {
        QStringList columns;
        for (const QStringList &col : query(m_db, QStringLiteral("PRAGMA index_xinfo(%1)").arg(index))) {
            if (col.value(5) != QStringLiteral("1"))   // key columns only, not the row id
                continue;
            QCOMPARE(col.value(3), QStringLiteral("0"));   // ascending
            columns << col.value(2);
        }
        actual << index + QStringLiteral(": ") + columns.join(u' ');
    }
    QCOMPARE(actual, expected);
    for (const QStringList &row : query(m_db, QStringLiteral("PRAGMA index_list(%1)").arg(table))) {
        // Only the automatic index of a primary key may be unique; our indexes are not.
        if (row.value(3) == QStringLiteral("c"))
            QCOMPARE(row.value(2), QStringLiteral("0"));
    }
}

void TemplateDbTest::tablesAreEmpty()
{
    for (const char *table : {"contact_group", "contact", "data", "sqlite_sequence"}) {
        const auto rows = query(m_db, QStringLiteral("select count(*) from %1").arg(QLatin1String(table)));
        QCOMPARE(rows, QList<QStringList>{{QStringLiteral("0")}});
    }
}

QTEST_GUILESS_MAIN(TemplateDbTest)
#include "templatedbtest.moc"
