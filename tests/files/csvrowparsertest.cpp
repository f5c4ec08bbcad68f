#include "contacts/entitykind.h"
#include "files/csvimport.h"
#include "files/csvrowparser.h"

#include <QBuffer>
#include <QTest>

using namespace pim;

// Finding where rows start without cutting them into fields must agree
// with the full row reading, and values remembered between rows must come
// back as the text of the row at hand.
class CsvRowParserTest : public QObject
{
    Q_OBJECT

private slots:
    void skipRowAgreesWithReadRow_data();
    void skipRowAgreesWithReadRow();
    void skipRowAgreesOnEveryShortText();
    void repeatedAndChangingValues_data();
    void repeatedAndChangingValues();
    void formattedAddress_data();
    void formattedAddress();
    void repeatedLabelsStayApart();
};

using Row = CSVRowParser::Row;

void CsvRowParserTest::skipRowAgreesWithReadRow_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<char>("separator");
    QTest::addColumn<qsizetype>("next");
    QTest::addColumn<qsizetype>("fields");
    QTest::addColumn<qsizetype>("lineFeeds");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<bool>("malformed");
    QTest::addColumn<bool>("multiLine");

    QTest::newRow("plain") << QByteArray("a,b,c\nd") << ',' << qsizetype(6) << qsizetype(3) << qsizetype(1) << true << false << false;
    QTest::newRow("empty text") << QByteArray() << ',' << qsizetype(0) << qsizetype(1) << qsizetype(0) << false << false << false;
    QTest::newRow("no line feed") << QByteArray("a,b") << ',' << qsizetype(3) << qsizetype(2) << qsizetype(0) << false << false << false;
    QTest::newRow("long fields, separators past eight bytes")
        << QByteArray("abcdefghijklmnop,qrstuvwxyz0123456789,,,,,,,,,,x\n") << ',' << qsizetype(49) << qsizetype(12)
        << qsizetype(1) << true << false << false;
    QTest::newRow("quoted separator") << QByteArray("\"a,b\",c\nx") << ',' << qsizetype(8) << qsizetype(2) << qsizetype(1) << true << false << false;
    QTest::newRow("quoted line break") << QByteArray("\"a\nb\",c\nx") << ',' << qsizetype(8) << qsizetype(2) << qsizetype(2) << true << false << true;
    QTest::newRow("several quoted line breaks past eight bytes")
        << QByteArray("x,\"1\n2\n3\n4\n5\n6\n7\n8\n9\",y\n") << ',' << qsizetype(24) << qsizetype(3) << qsizetype(9) << true << false << true;
    QTest::newRow("doubled quote") << QByteArray("\"a\"\"\n,b\",c\n") << ',' << qsizetype(11) << qsizetype(2) << qsizetype(2) << true << false << true;
    QTest::newRow("later quote of a field is data") << QByteArray("\"a\"b\"c,d\n") << ',' << qsizetype(9) << qsizetype(2) << qsizetype(1) << true << false << false;
    QTest::newRow("quote opens in the middle of a field") << QByteArray("a\"b,c\nd\",e\n") << ',' << qsizetype(11) << qsizetype(2) << qsizetype(2) << true << false << true;
    QTest::newRow("separator resets the first quote") << QByteArray("\"a\"x,\"b\n\"\n") << ',' << qsizetype(10) << qsizetype(2) << qsizetype(2) << true << false << true;
    QTest::newRow("never closed") << QByteArray("a,\"b\nc,d\n") << ',' << qsizetype(9) << qsizetype(2) << qsizetype(2) << false << true << true;
    QTest::newRow("closed by a quote followed by text after a line break")
        << QByteArray("\"a\nb\"x,c\n") << ',' << qsizetype(9) << qsizetype(2) << qsizetype(2) << true << true << true;
    QTest::newRow("closed by a quote followed by text on one line")
        << QByteArray("\"ab\"x,c\n") << ',' << qsizetype(8) << qsizetype(2) << qsizetype(1) << true << false << false;
    QTest::newRow("closing quote at the end") << QByteArray("a,\"b\nc\"") << ',' << qsizetype(7) << qsizetype(2) << qsizetype(1) << false << false << true;
    QTest::newRow("closing quote before a carriage return") << QByteArray("\"a\nb\"\r\nc") << ',' << qsizetype(7) << qsizetype(1) << qsizetype(2) << true << false << true;
    QTest::newRow("semicolon") << QByteArray("a;\"b;c\";d,e\n") << ';' << qsizetype(12) << qsizetype(3) << qsizetype(1) << true << false << false;
    QTest::newRow("tab") << QByteArray("a\tb\t\"c\td\"\n") << '\t' << qsizetype(10) << qsizetype(3) << qsizetype(1) << true << false << false;
}

void CsvRowParserTest::skipRowAgreesWithReadRow()
{
    QFETCH(QByteArray, text);
    QFETCH(char, separator);
    const Row read = CSVRowParser::readRow(text, 0, separator, nullptr);
    const Row skipped = CSVRowParser::skipRow(text, 0, separator);
    for (const Row &row : { read, skipped }) {
        QTEST(row.next, "next");
        QTEST(row.fields, "fields");
        QTEST(row.lineFeeds, "lineFeeds");
        QTEST(row.complete, "complete");
        QTEST(row.malformed, "malformed");
        QTEST(row.multiLine, "multiLine");
    }
}

// Every text of up to six bytes from the bytes that matter, read from each
// position: the two readings say the same of every row.
void CsvRowParserTest::skipRowAgreesOnEveryShortText()
{
    const char alphabet[] = { 'a', ',', '"', '\n', '\r' };
    int checked = 0;
    for (int length = 0; length <= 6; ++length) {
        int combinations = 1;
        for (int i = 0; i < length; ++i)
            combinations *= 5;
        for (int code = 0; code < combinations; ++code) {
            QByteArray text(length, Qt::Uninitialized);
            for (int i = 0, c = code; i < length; ++i, c /= 5)
                text[i] = alphabet[c % 5];
            for (qsizetype from = 0; from <= text.size(); ++from) {
                const Row read = CSVRowParser::readRow(text, from, ',', nullptr);
                const Row skipped = CSVRowParser::skipRow(text, from, ',');
                const QByteArray where = text.toPercentEncoding() + " from " + QByteArray::number(from);
                QVERIFY2(read.next == skipped.next && read.fields == skipped.fields && read.lineFeeds == skipped.lineFeeds
                             && read.complete == skipped.complete && read.malformed == skipped.malformed
                             && read.multiLine == skipped.multiLine,
                         where.constData());
                ++checked;
            }
        }
    }
    QCOMPARE(checked, 1 + 2 * 5 + 3 * 25 + 4 * 125 + 5 * 625 + 6 * 3125 + 7 * 15625);
}

void CsvRowParserTest::repeatedAndChangingValues_data()
{
    // Rows enough for a column of new values to stop being remembered,
    // and cycles shorter and longer than what is remembered per column.
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cityCycle");
    QTest::addColumn<int>("nameCycle");
    QTest::newRow("one city") << 200 << 1 << 200;
    QTest::newRow("three cities") << 200 << 3 << 7;
    QTest::newRow("eight cities") << 200 << 8 << 8;
    QTest::newRow("nine cities, more than remembered") << 200 << 9 << 9;
    QTest::newRow("a new city every row") << 200 << 200 << 1;
    QTest::newRow("new cities after repeated ones") << 300 << 150 << 2;
}

void CsvRowParserTest::repeatedAndChangingValues()
{
    QFETCH(int, rows);
    QFETCH(int, cityCycle);
    QFETCH(int, nameCycle);
    // A city cycles through plain, non-ASCII and quoted spellings, so one
    // remembered text must never stand in for another of the same length.
    const auto city = [&](int row) {
        const int k = row < 150 || cityCycle >= 150 ? row % cityCycle : 1000 + row;
        switch (k % 3) {
        case 0: return QStringLiteral("City%1").arg(k, 3, 10, QLatin1Char('0'));
        case 1: return QStringLiteral("Köln%1").arg(k, 3, 10, QLatin1Char('0'));
        default: return QStringLiteral("C, \"%1\"").arg(k, 3, 10, QLatin1Char('0'));
        }
    };
    const auto quoted = [](const QString &value) {
        QString out = value;
        out.replace(QLatin1String("\""), QLatin1String("\"\""));
        return value.contains(u',') || value.contains(u'"') ? u'"' + out + u'"' : out;
    };
    QByteArray file = "First Name,Last Name,Home City\n";
    for (int row = 0; row < rows; ++row)
        file += QStringLiteral("F%1,L%2,%3\n").arg(row % nameCycle).arg(row).arg(quoted(city(row))).toUtf8();

    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    CSVImport reader;
    reader.openDevice(buffer);
    QCOMPARE(reader.count(), rows);
    for (int row = 0; row < rows; ++row) {
        const Contact c = reader.next();
        const Entity *name = c.firstEntity(ENTITY_NAME);
        const Entity *address = c.firstEntity(ENTITY_POSTAL_ADDRESS);
        QVERIFY(name);
        QVERIFY(address);
        QCOMPARE(name->text(data2), QStringLiteral("F%1").arg(row % nameCycle));
        QCOMPARE(name->text(data3), QStringLiteral("L%1").arg(row));
        QCOMPARE(address->text(data7), city(row));
    }
}

// Google writes an address both formatted and in parts; the formatted text
// is the street only when there are no parts.
void CsvRowParserTest::formattedAddress_data()
{
    QTest::addColumn<QByteArray>("row");
    QTest::addColumn<int>("addresses");
    QTest::addColumn<QString>("street");
    QTest::addColumn<QString>("city");

    QTest::newRow("parts win") << QByteArray("A,Home,\"1 Main St\nSpringfield\",2 Elm St,Oslo\n") << 1
                               << QStringLiteral("2 Elm St") << QStringLiteral("Oslo");
    QTest::newRow("formatted only, quoted with a quote and a line break")
        << QByteArray("A,Home,\"1 \"\"Main\"\" St\nKöln\",,\n") << 1 << QStringLiteral("1 \"Main\" St\nKöln") << QString();
    QTest::newRow("formatted only, plain") << QByteArray("A,Home,1 Main St,,\n") << 1 << QStringLiteral("1 Main St") << QString();
    QTest::newRow("formatted quoted empty") << QByteArray("A,Home,\"\",,\n") << 0 << QString() << QString();
    QTest::newRow("nothing") << QByteArray("A,Home,,,\n") << 0 << QString() << QString();
}

void CsvRowParserTest::formattedAddress()
{
    QFETCH(QByteArray, row);
    QByteArray file = "First Name,Address 1 - Label,Address 1 - Formatted,Address 1 - Street,Address 1 - City\n" + row;
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    CSVImport reader;
    reader.openDevice(buffer);
    QCOMPARE(reader.count(), 1);
    const Contact c = reader.next();
    const QList<Entity> &addresses = c.entitiesOf(ENTITY_POSTAL_ADDRESS);
    QTEST(int(addresses.size()), "addresses");
    if (addresses.isEmpty())
        return;
    QTEST(addresses.first().text(data4), "street");
    QTEST(addresses.first().text(data7), "city");
    QCOMPARE(addresses.first().toInt(data2), 1);
}

// Rows with the same labels get the same memberships; changing those of
// one contact changes neither another contact's nor what later rows read.
void CsvRowParserTest::repeatedLabelsStayApart()
{
    QByteArray file = "First Name,Labels\n"
                      "A,Family ::: * myContacts\n"
                      "B,Family ::: * myContacts\n"
                      "C,Club ::: Family\n"
                      "D,Family ::: * myContacts\n";
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    CSVImport reader;
    reader.openDevice(buffer);
    const auto names = [](const Contact &c) {
        QStringList out;
        for (const Entity &e : c.entitiesOf(ENTITY_GROUP_MEMBERSHIP))
            out.append(e.text(data2));
        return out;
    };
    Contact a = reader.next();
    const Contact b = reader.next();
    QCOMPARE(names(a), QStringList { QStringLiteral("Family") });
    a.entitiesOf(ENTITY_GROUP_MEMBERSHIP).first().setText(data2, QStringLiteral("Changed"));
    a.entitiesOf(ENTITY_GROUP_MEMBERSHIP).append(Entity());
    QCOMPARE(names(a), (QStringList { QStringLiteral("Changed"), QString() }));
    QCOMPARE(names(b), QStringList { QStringLiteral("Family") });
    QCOMPARE(names(reader.next()), (QStringList { QStringLiteral("Club"), QStringLiteral("Family") }));
    QCOMPARE(names(reader.next()), QStringList { QStringLiteral("Family") });
}

QTEST_GUILESS_MAIN(CsvRowParserTest)
#include "csvrowparsertest.moc"
