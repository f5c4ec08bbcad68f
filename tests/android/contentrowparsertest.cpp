// Reading the phone's "content query" output and writing its command lines:
// values that hold separators, quotes or line breaks, ambiguous rows, and
// each release's --bind escaping.
#include "android/androidcontactcolumns.h"
#include "android/contentrowparser.h"
#include "android/contentscript.h"
#include "contacts/entitykind.h"

#include <QTest>

using namespace pim;

Q_DECLARE_METATYPE(QList<qint64>)

class ContentRowParserTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rowsWithIds_data();
    void rowsWithIds();
    void integersOnly_data();
    void integersOnly();
    void ambiguousRowIsReportedWhenAsked();
    void shellQuoting_data();
    void shellQuoting();
    void bindEscaping_data();
    void bindEscaping();
    void typeCodes_data();
    void typeCodes();
    void protocols();
};

namespace {
const QStringList threeColumns = { QStringLiteral("_id"), QStringLiteral("mimetype"), QStringLiteral("data1") };
}

void ContentRowParserTest::rowsWithIds_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QList<qint64>>("ids");
    QTest::addColumn<QStringList>("data1"); // "<null>" for NULL, "" when it must fail
    QTest::addColumn<QString>("error");

    QTest::newRow("plain") << "Row: 0 _id=4, mimetype=a, data1=Ann\nRow: 1 _id=9, mimetype=b, data1=Bo\n"
                           << QList<qint64> { 4, 9 } << QStringList { "Ann", "Bo" } << QString();
    QTest::newRow("null and blob") << "Row: 0 _id=4, mimetype=a, data1=NULL\nRow: 1 _id=9, mimetype=b, data1=BLOB\n"
                                   << QList<qint64> { 4, 9 } << QStringList { "<null>", "<blob>" } << QString();
    QTest::newRow("comma space and equals") << "Row: 0 _id=4, mimetype=a, data1=x, y=z, w\n" << QList<qint64> { 4 }
                                            << QStringList { "x, y=z, w" } << QString();
    QTest::newRow("line breaks") << "Row: 0 _id=4, mimetype=a, data1=one\ntwo\n\nRow: 1 _id=5, mimetype=a, data1=3\n"
                                 << QList<qint64> { 4, 5 } << QStringList { "one\ntwo\n", "3" } << QString();
    QTest::newRow("a value imitating another row")
        << "Row: 0 _id=4, mimetype=a, data1=x\nRow: 9 _id=77\nRow: 1 _id=5, mimetype=a, data1=z\n"
        << QList<qint64> { 4, 5 } << QStringList { "x\nRow: 9 _id=77", "z" } << QString();
    QTest::newRow("a value repeating the columns")
        << "Row: 0 _id=4, mimetype=a, data1=x\nRow: 9 _id=77, mimetype=b, data1=y\nRow: 1 _id=5, mimetype=a, data1=z\n"
        << QList<qint64> { 4, 5 } << QStringList() << "ambiguous";
    QTest::newRow("a value imitating the next row exactly")
        << "Row: 0 _id=4, mimetype=a, data1=x\nRow: 1 _id=5, mimetype=a, data1=y\nRow: 1 _id=5, mimetype=a, data1=z\n"
        << QList<qint64> { 4, 5 } << QStringList() << "ambiguous";
    QTest::newRow("no result") << "No result found.\n" << QList<qint64>() << QStringList() << QString();
    QTest::newRow("a row went missing") << "Row: 0 _id=4, mimetype=a, data1=x\n" << QList<qint64> { 4, 5 }
                                        << QStringList() << "missing";
    QTest::newRow("a row appeared") << "Row: 0 _id=4, mimetype=a, data1=x\nRow: 1 _id=6, mimetype=a, data1=y\n"
                                    << QList<qint64> { 4 } << QStringList() << "more rows";
    QTest::newRow("rows but the count said none") << "Row: 0 _id=4, mimetype=a, data1=x\n" << QList<qint64>()
                                                  << QStringList() << "count";
    QTest::newRow("a column is missing") << "Row: 0 _id=4, data1=x\n" << QList<qint64> { 4 } << QStringList()
                                         << "does not hold";
    QTest::newRow("ambiguous inside the row") << "Row: 0 _id=4, mimetype=a, data1=b, data1=c\n"
                                              << QList<qint64> { 4 } << QStringList() << "ambiguous";
}

void ContentRowParserTest::rowsWithIds()
{
    QFETCH(QString, output);
    QFETCH(QList<qint64>, ids);
    QFETCH(QStringList, data1);
    QFETCH(QString, error);
    try {
        const QList<ContentRowParser::Row> rows = ContentRowParser::parse(output, threeColumns, { 0 }, ids);
        QVERIFY2(error.isEmpty(), "no exception");
        QCOMPARE(rows.size(), data1.size());
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const QVariant v = rows.at(i).at(2);
            const QString seen = v.isNull() ? QStringLiteral("<null>")
                : v.typeId() == QMetaType::QByteArray ? QStringLiteral("<blob>")
                                                       : v.toString();
            QCOMPARE(seen, data1.at(i));
            QCOMPARE(rows.at(i).at(0).toString().toLongLong(), ids.at(i));
        }
    } catch (const std::runtime_error &e) {
        QVERIFY2(!error.isEmpty() && QString::fromUtf8(e.what()).contains(error), e.what());
    }
}

void ContentRowParserTest::integersOnly_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("rows");
    QTest::newRow("two rows") << "Row: 0 _id=1, deleted=0\nRow: 1 _id=2, deleted=NULL\n" << 2;
    QTest::newRow("negative") << "Row: 0 _id=-1, deleted=1\n" << 1;
    QTest::newRow("none") << "No result found.\n" << 0;
    QTest::newRow("text in a number") << "Row: 0 _id=1, deleted=x\n" << -1;
    QTest::newRow("rows out of order") << "Row: 1 _id=1, deleted=0\n" << -1;
    QTest::newRow("a column too many") << "Row: 0 _id=1, deleted=0, x=1\n" << -1;
    QTest::newRow("an error text") << "Error while accessing provider\n" << -1;
}

void ContentRowParserTest::integersOnly()
{
    QFETCH(QString, output);
    QFETCH(int, rows);
    try {
        const auto parsed
            = ContentRowParser::parseIntegers(output, { QStringLiteral("_id"), QStringLiteral("deleted") });
        QCOMPARE(int(parsed.size()), rows);
    } catch (const std::runtime_error &) {
        QCOMPARE(rows, -1);
    }
}

void ContentRowParserTest::ambiguousRowIsReportedWhenAsked()
{
    QList<int> unclear;
    const auto rows = ContentRowParser::parse(
        "Row: 0 _id=4, mimetype=a, data1=b, data1=c\nRow: 1 _id=5, mimetype=a, data1=d\n", threeColumns, { 0 },
        { 4, 5 }, &unclear);
    QCOMPARE(unclear, QList<int> { 0 });
    QCOMPARE(rows.at(1).at(2).toString(), QStringLiteral("d"));
}

void ContentRowParserTest::shellQuoting_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("quoted");
    QTest::newRow("plain") << "abc" << "'abc'";
    QTest::newRow("substitution stays text") << "$(reboot) `id`" << "'$(reboot) `id`'";
    QTest::newRow("single quote") << "'; rm -rf /sdcard; '" << "''\\''; rm -rf /sdcard; '\\'''";
    QTest::newRow("backslash and line feed") << "a\\b\nc" << "'a\\b\nc'";
    QTest::newRow("empty") << "" << "''";
}

void ContentRowParserTest::shellQuoting()
{
    QFETCH(QString, word);
    QFETCH(QString, quoted);
    QCOMPARE(ContentScript::shellQuoted(word), quoted);
}

void ContentRowParserTest::bindEscaping_data()
{
    QTest::addColumn<int>("sdk");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("escaped");
    QTest::newRow("Android 10 takes the rest as it is") << 29 << "a:b\\c" << "a:b\\c";
    QTest::newRow("Android 11 escapes colon and backslash") << 30 << "a:b\\c" << "a\\:b\\\\c";
    QTest::newRow("Android 14") << 34 << "http://x" << "http\\://x";
    QTest::newRow("nothing to escape") << 34 << "Zoë" << "Zoë";
}

void ContentRowParserTest::bindEscaping()
{
    QFETCH(int, sdk);
    QFETCH(QString, value);
    QFETCH(QString, escaped);
    QCOMPARE(ContentScript::bindEscaped(value, sdk), escaped);
}

void ContentRowParserTest::typeCodes_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("android");
    QTest::addColumn<int>("program");
    // Android's "other" codes.
    QTest::newRow("phone other") << int(ENTITY_PHONE) << 7 << 0;
    QTest::newRow("e-mail other") << int(ENTITY_EMAIL) << 3 << 0;
    QTest::newRow("event other") << int(ENTITY_EVENT) << 2 << 0;
    QTest::newRow("IM other") << int(ENTITY_IM) << 3 << 0;
    QTest::newRow("organization other") << int(ENTITY_ORGANIZATION) << 2 << 0;
    QTest::newRow("postal other") << int(ENTITY_POSTAL_ADDRESS) << 3 << 0;
    QTest::newRow("website other") << int(ENTITY_WEBSITE) << 7 << 0;
    // Codes that are the same on both sides.
    for (int code = 1; code <= 20; ++code) {
        if (code != 7)
            QTest::addRow("phone %d", code) << int(ENTITY_PHONE) << code << code;
    }
    QTest::newRow("e-mail mobile") << int(ENTITY_EMAIL) << 4 << 4;
    QTest::newRow("event birthday") << int(ENTITY_EVENT) << 3 << 3;
    QTest::newRow("nickname other name") << int(ENTITY_NICKNAME) << 2 << 2;
    QTest::newRow("relation parent") << int(ENTITY_RELATION) << 9 << 9;
    QTest::newRow("website ftp") << int(ENTITY_WEBSITE) << 6 << 6;
}

void ContentRowParserTest::typeCodes()
{
    QFETCH(int, kind);
    QFETCH(int, android);
    QFETCH(int, program);
    QCOMPARE(AndroidContactColumns::programType(kind, android), program);
    QCOMPARE(AndroidContactColumns::androidType(kind, program, false), android);
    // With a custom label, 0 stays Android's "custom".
    if (program == 0)
        QCOMPARE(AndroidContactColumns::androidType(kind, 0, true), 0);
}

void ContentRowParserTest::protocols()
{
    // AIM is 0 on the phone and 1 here; custom is -1 there and 0 here.
    for (int android = -1; android <= 8; ++android) {
        QCOMPARE(AndroidContactColumns::programProtocol(android), android + 1);
        QCOMPARE(AndroidContactColumns::androidProtocol(android + 1), android);
    }
    // Names: the prefix and middle name swap places.
    QVariantList data(15);
    data[3] = QStringLiteral("Dr.");
    data[4] = QStringLiteral("Middle");
    const Entity e = AndroidContactColumns::toEntity(ENTITY_NAME, data, {});
    QCOMPARE(e.text(data5), QStringLiteral("Dr."));
    QCOMPARE(e.text(data4), QStringLiteral("Middle"));
    const QList<ContentScript::Bind> binds = AndroidContactColumns::toBinds(ENTITY_NAME, e, 0, false);
    QCOMPARE(binds.size(), 2);
    for (const ContentScript::Bind &b : binds)
        QCOMPARE(b.value.toString(), b.column == u"data4" ? QStringLiteral("Dr.") : QStringLiteral("Middle"));
}

QTEST_GUILESS_MAIN(ContentRowParserTest)
#include "contentrowparsertest.moc"
