#include "contacts/sqlite3db.h"
#include "contacts/sqlite3exception.h"

#include "dbtestutil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList folderEntries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

// A database of several pages, so that cutting it leaves a damaged file.
void makeBigDatabase(const QString &path)
{
    dbtest::exec(path, QStringLiteral("pragma page_size=1024; create table t(a text);"
                                      "with recursive n(i) as (select 1 union all select i+1 from n where i<400)"
                                      " insert into t select printf('%0200d', i) from n;"));
}

} // namespace

class Sqlite3DBTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void openRejectsBadFiles_data();
    void openRejectsBadFiles();
    void valuesRoundTrip_data();
    void valuesRoundTrip();
    void nestedTransactions_data();
    void nestedTransactions();
    void onlyOutermostLevelReachesSqlite();
    void failedCommitCanBeRolledBack();
    void statementsAreReusedAndNestedQueriesWork();
    void misuseThrowsInsteadOfCrashing();
    void sqliteErrorsNameTheFile();

private:
    QString path(const char *name) const { return m_dir->filePath(QString::fromLatin1(name)); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void Sqlite3DBTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void Sqlite3DBTest::openRejectsBadFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");   // part of the message
    QTest::newRow("missing file") << "missing" << "does not exist";
    QTest::newRow("missing folder") << "missing-folder" << "does not exist";
    QTest::newRow("folder") << "folder" << "folder";
    QTest::newRow("text file") << "text" << "not a database";
    QTest::newRow("truncated header") << "cut-50" << "malformed";
    QTest::newRow("truncated to one page") << "cut-1024" << "malformed";
    QTest::newRow("truncated to half") << "cut-half" << "malformed";
    QTest::newRow("read-only file") << "read-only" << "read-only";
}

void Sqlite3DBTest::openRejectsBadFiles()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QString file = path("target.db");
    if (kind == QLatin1String("missing-folder")) {
        file = path("nowhere/target.db");
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("target.db")));
    } else if (kind == QLatin1String("text")) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("BEGIN:VCARD\r\nFN:Ann\r\nEND:VCARD\r\n").repeated(100));
    } else if (kind.startsWith(QLatin1String("cut-"))) {
        makeBigDatabase(file);
        QFile f(file);
        const qint64 size = kind == QLatin1String("cut-half") ? f.size() / 2 : kind.mid(4).toLongLong();
        QVERIFY(f.size() > 4096);
        QVERIFY(f.resize(size));
    } else if (kind == QLatin1String("read-only")) {
        makeBigDatabase(file);
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup));
    }
    const QStringList before = folderEntries(m_dir->path());
    const QByteArray contentBefore = [&] {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();

    Sqlite3DB db;
    bool thrown = false;
    try {
        db.openThrow(file, Sqlite3DB::ReadWrite);
        // Some damage only shows when the data is read.
        Sqlite3Cursor c = db.queryThrow("select count(*) from t");
        while (c.moveNext()) {
        }
    } catch (const Sqlite3Exception &e) {
        thrown = true;
        const QString message = QString::fromUtf8(e.what());
        QVERIFY2(message.contains(QDir::toNativeSeparators(file)), qPrintable(message));
        QVERIFY2(message.contains(reason), qPrintable(message));
        QCOMPARE(e.fileName(), file);
    }
    QVERIFY(thrown);
    QVERIFY(!db.isOpen());
    QCOMPARE(folderEntries(m_dir->path()), before);   // nothing created beside it
    QFile f(file);
    QCOMPARE(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(), contentBefore);
    QVERIFY(!QFileInfo::exists(path("nowhere")));
}

void Sqlite3DBTest::valuesRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("blob");
    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("NUL characters") << QString::fromUtf16(u"a\0b\0\0c", 6) << QByteArray("\0\1\0", 3);
    QTest::newRow("emoji and accents") << QString::fromUtf8("Zo\xC3\xAB \xF0\x9F\x98\x80\xF0\x9F\x91\x8D")
                                       << QByteArray("\xF0\x9F\x98\x80");
    QTest::newRow("very long text") << QString(3 * 1000 * 1000, QChar(0x4E2D)) << QByteArray(10, 'x');
    QTest::newRow("ASCII, then not") << QStringLiteral("abc") + QString(70, QChar(0x00E9)) + QStringLiteral("xyz")
                                     << QByteArray();
    // Lone surrogates are stored the way QString::toUtf8 writes them.
    QTest::newRow("lone high surrogate at the end") << QString::fromUtf16(u"abØ3D", 3) << QByteArray();
    QTest::newRow("lone low surrogate inside") << QString::fromUtf16(u"aÞ00z", 3) << QByteArray();
    QByteArray photo(5 * 1024 * 1024, Qt::Uninitialized);
    for (int i = 0; i < photo.size(); ++i)
        photo[i] = char((unsigned(i) * 7919u) >> 3);
    QTest::newRow("5 MB blob") << QStringLiteral("photo") << photo;
}

void Sqlite3DBTest::valuesRoundTrip()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, blob);
    const QString file = path("values.db");
    dbtest::exec(file, QStringLiteral("create table v(id integer primary key, t text, b blob)"));
    Sqlite3DB db;
    db.openThrow(file, Sqlite3DB::ReadWrite);
    // Several texts in one statement, each bound to its own bytes.
    db.executeThrow(Sqlite3Sql("insert into v(t,b) values(?,?),(?,?)")
                        .addTextParam(QStringLiteral("first ") + text)
                        .addBlobParam(blob)
                        .addTextParam(text)
                        .addBlobParam(blob));
    const qint64 id = db.lastInsertId();
    QCOMPARE(id, 2);
    QCOMPARE(dbtest::scalar(file, QStringLiteral("select hex(t) from v where id=2")),
             QString::fromLatin1(text.toUtf8().toHex().toUpper()));
    QCOMPARE(dbtest::scalar(file, QStringLiteral("select hex(t) from v where id=1")),
             QString::fromLatin1((QStringLiteral("first ") + text).toUtf8().toHex().toUpper()));
    Sqlite3Cursor c = db.queryThrow(Sqlite3Sql("select t, b, typeof(t) as tt from v where id=?").addInt64Param(id));
    QVERIFY(c.moveNext());
    QCOMPARE(c.getText("t"), text);
    QCOMPARE(c.getBlob("b"), blob);
    QCOMPARE(c.getText("tt"), QStringLiteral("text"));   // empty text is '' and not NULL
    QVERIFY(!c.moveNext());
}

void Sqlite3DBTest::nestedTransactions_data()
{
    QTest::addColumn<QString>("calls");   // b = begin, c = commit, r = rollback
    QTest::addColumn<bool>("kept");
    QTest::addColumn<bool>("lastCallThrows");
    QTest::newRow("flat commit") << "b c" << true << false;
    QTest::newRow("flat rollback") << "b r" << false << false;
    QTest::newRow("nested commits") << "b b c c" << true << false;
    QTest::newRow("three levels") << "b b b c c c" << true << false;
    QTest::newRow("inner rollback, outer commit") << "b b r c" << false << true;
    QTest::newRow("inner commit, outer rollback") << "b b c r" << false << false;
    QTest::newRow("both roll back") << "b b r r" << false << false;
    QTest::newRow("rollback deep inside") << "b b b r c c" << false << true;
    QTest::newRow("second inner pair after a rollback") << "b b r b c c" << false << true;
    QTest::newRow("rollback without a transaction") << "r b c" << true << false;
}

void Sqlite3DBTest::nestedTransactions()
{
    QFETCH(QString, calls);
    QFETCH(bool, kept);
    QFETCH(bool, lastCallThrows);
    const QString file = path("tx.db");
    dbtest::exec(file, QStringLiteral("create table t(a text)"));
    Sqlite3DB db;
    db.openThrow(file, Sqlite3DB::ReadWrite);
    const QStringList steps = calls.split(QLatin1Char(' '));
    for (int i = 0; i < steps.size(); ++i) {
        const bool last = i == steps.size() - 1;
        try {
            if (steps[i] == QLatin1String("b")) {
                db.beginTran();
                db.executeThrow(Sqlite3Sql("insert into t values(?)").addTextParam(QString::number(i)));
            } else if (steps[i] == QLatin1String("c")) {
                db.commitTran();
            } else {
                db.rollbackTran();
            }
            QVERIFY2(!(last && lastCallThrows), "the last call should have thrown");
        } catch (const Sqlite3Exception &e) {
            QVERIFY2(last && lastCallThrows, e.what());
        }
    }
    QCOMPARE(db.transactionDepth(), 0);
    QVERIFY(!db.inTransaction());
    const int beginCount = int(steps.count(QStringLiteral("b")));
    QCOMPARE(dbtest::scalar(file, QStringLiteral("select count(*) from t")).toInt(), kept ? beginCount : 0);

    // The connection starts the next transaction clean.
    db.beginTran();
    db.executeThrow("insert into t values('next')");
    db.commitTran();
    QCOMPARE(dbtest::scalar(file, QStringLiteral("select count(*) from t where a='next'")), QStringLiteral("1"));
}

void Sqlite3DBTest::onlyOutermostLevelReachesSqlite()
{
    const QString file = path("outer.db");
    dbtest::exec(file, QStringLiteral("create table t(a text)"));
    Sqlite3DB db;
    db.openThrow(file, Sqlite3DB::ReadWrite);
    db.beginTran();
    db.beginTran();
    db.executeThrow("insert into t values('x')");
    db.commitTran();
    QCOMPARE(db.transactionDepth(), 1);
    QVERIFY(db.inTransaction());
    // Still uncommitted: another connection does not see the row yet.
    Sqlite3DB other;
    other.openThrow(file, Sqlite3DB::ReadWrite);
    Sqlite3Cursor c = other.queryThrow("select count(*) from t");
    QVERIFY(c.moveNext());
    QCOMPARE(c.getInt64(0), 0);
    c = Sqlite3Cursor(nullptr, {});
    db.commitTran();
    QVERIFY(!db.inTransaction());
    Sqlite3Cursor d = other.queryThrow("select count(*) from t");
    QVERIFY(d.moveNext());
    QCOMPARE(d.getInt64(0), 1);
}

void Sqlite3DBTest::failedCommitCanBeRolledBack()
{
    // A deferred foreign key makes the COMMIT itself fail.
    const QString file = path("commit.db");
    dbtest::exec(file, QStringLiteral("create table p(id integer primary key);"
                                      "create table c(p integer references p(id) deferrable initially deferred)"));
    Sqlite3DB db;
    db.openThrow(file, Sqlite3DB::ReadWrite);
    db.executeThrow("pragma foreign_keys=on");
    db.beginTran();
    db.executeThrow("insert into c values(42)");
    QVERIFY_THROWS_EXCEPTION(Sqlite3Exception, db.commitTran());
    QCOMPARE(db.transactionDepth(), 1);
    db.rollbackTran();
    QCOMPARE(db.transactionDepth(), 0);
    QVERIFY(!db.inTransaction());
    QCOMPARE(dbtest::scalar(file, QStringLiteral("select count(*) from c")), QStringLiteral("0"));
}

void Sqlite3DBTest::statementsAreReusedAndNestedQueriesWork()
{
    const QString file = path("cache.db");
    dbtest::exec(file, QStringLiteral("create table t(a integer); insert into t values(1),(2),(3)"));
    Sqlite3DB db;
    db.openThrow(file, Sqlite3DB::ReadWrite);
    const Sqlite3Sql query("select a from t where a>=? order by a");
    for (int round = 0; round < 3; ++round) {
        Sqlite3Cursor c = db.queryThrow(Sqlite3Sql(query).addIntParam(2));
        QVERIFY(c.moveNext());
        QCOMPARE(c.getInt("a"), 2);
    }
    const int kept = db.cachedStatementCount();
    for (int i = 0; i < 50; ++i)
        db.executeThrow(Sqlite3Sql("update t set a=a where a=?").addIntParam(i));
    QCOMPARE(db.cachedStatementCount(), kept + 1);

    // The same text while a cursor still reads it: two independent cursors.
    QList<int> pairs;
    Sqlite3Cursor outer = db.queryThrow(Sqlite3Sql(query).addIntParam(1));
    while (outer.moveNext()) {
        Sqlite3Cursor inner = db.queryThrow(Sqlite3Sql(query).addIntParam(outer.getInt("a")));
        while (inner.moveNext())
            pairs << outer.getInt("a") * 10 + inner.getInt("a");
    }
    QCOMPARE(pairs, (QList<int> { 11, 12, 13, 22, 23, 33 }));

    // A cursor left half-read holds no lock: another connection can write.
    Sqlite3Cursor halfRead = db.queryThrow(Sqlite3Sql(query).addIntParam(1));
    QVERIFY(halfRead.moveNext());
    halfRead = Sqlite3Cursor(nullptr, {});
    dbtest::exec(file, QStringLiteral("insert into t values(4)"));
}

void Sqlite3DBTest::misuseThrowsInsteadOfCrashing()
{
    const QString file = path("misuse.db");
    dbtest::exec(file, QStringLiteral("create table t(a integer); insert into t values(1),(2)"));
    Sqlite3DB db;
    QVERIFY_THROWS_EXCEPTION(Sqlite3Exception, db.executeThrow("select 1"));   // not open
    db.openThrow(file, Sqlite3DB::ReadWrite);
    QVERIFY_THROWS_EXCEPTION(Sqlite3Exception, db.executeThrow(Sqlite3Sql("insert into t values(?)")));
    QVERIFY_THROWS_EXCEPTION(Sqlite3Exception,
                             db.executeThrow(Sqlite3Sql("insert into t values(1)").addIntParam(3)));
    QVERIFY_THROWS_EXCEPTION(Sqlite3Exception, db.executeThrow("delete from t; drop table t"));
    QVERIFY_THROWS_EXCEPTION(Sqlite3Exception, db.commitTran());
    QCOMPARE(dbtest::scalar(file, QStringLiteral("select count(*) from t")), QStringLiteral("2"));

    Sqlite3Cursor c = db.queryThrow("select a from t");
    QVERIFY(c.moveNext());
    QVERIFY_THROWS_EXCEPTION(Sqlite3Exception, (void)c.getText("no_such_column"));
    db.close();
    QCOMPARE(c.getText("a"), QString());   // a row of a closed connection reads empty
    QVERIFY_THROWS_EXCEPTION(Sqlite3Exception, c.moveNext());

    // The object opens again after close.
    db.openThrow(file, Sqlite3DB::ReadWrite);
    Sqlite3Cursor again = db.queryThrow("select count(*) from t");
    QVERIFY(again.moveNext());
    QCOMPARE(again.getInt64(0), 2);
}

void Sqlite3DBTest::sqliteErrorsNameTheFile()
{
    const QString file = path("errors.db");
    dbtest::exec(file, QStringLiteral("create table t(a integer not null)"));
    Sqlite3DB db;
    db.openThrow(file, Sqlite3DB::ReadWrite);
    try {
        db.executeThrow("insert into t values(null)");
        QFAIL("no exception");
    } catch (const std::runtime_error &e) {
        const QString message = QString::fromUtf8(e.what());
        QVERIFY2(message.contains(QStringLiteral("NOT NULL constraint failed")), e.what());
        QVERIFY2(message.contains(file), e.what());
    }
    try {
        Sqlite3Cursor c = db.queryThrow("select * from missing_table");
        QFAIL("no exception");
    } catch (const Sqlite3Exception &e) {
        QVERIFY2(QString::fromUtf8(e.what()).contains(QStringLiteral("no such table: missing_table")), e.what());
    }
}

QTEST_GUILESS_MAIN(Sqlite3DBTest)
#include "sqlite3dbtest.moc"
