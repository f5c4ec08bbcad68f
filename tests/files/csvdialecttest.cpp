#include "contacts/entitykind.h"
#include "files/csvcolumnmap.h"
#include "files/csvimport.h"
#include "files/csvtextdecoder.h"
#include "files/eventdate.h"
#include "tests/support/testpaths.h"

#include <QBuffer>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QCoreApplication>
#include <QTest>
#include <QTranslator>

using namespace pim;

// Address-book CSV files as their programs write them: every dialect read
// field by field (names not swapped, each phone with its type, e-mails,
// addresses with country, organization, birthday, notes, groups), the
// encodings and separators, malformed rows and the import report.
class CsvDialectTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void dialects_data();
    void dialects();
    void fields_data();
    void fields();
    void notKept_data();
    void notKept();
    void encodings_data();
    void encodings();
    void separators_data();
    void separators();
    void excelSeparatorLine_data();
    void excelSeparatorLine();
    void spaceAfterSeparator_data();
    void spaceAfterSeparator();
    void dates_data();
    void dates();
    void typeLabels_data();
    void typeLabels();
    void groupNames_data();
    void groupNames();
    void malformedRows_data();
    void malformedRows();
    void reportOfUnknownColumnsAndAMalformedRow();
    void repeatedLabelsReadAlike_data();
    void repeatedLabelsReadAlike();
    void labelsOfARowStayInIt_data();
    void labelsOfARowStayInIt();
    void blankValues_data();
    void blankValues();
    void birthdayInThreeColumns_data();
    void birthdayInThreeColumns();
    void severalDatesOfOneLabel_data();
    void severalDatesOfOneLabel();
    void badInput_data();
    void badInput();
    void identicalColumns_data();
    void identicalColumns();

private:
    QTranslator m_translator;
};

namespace {

QString dataFile(const char *name)
{
    return testpaths::testData(QStringLiteral("files/csv/") + QLatin1String(name));
}

CSVImport importBytes(const QByteArray &bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    CSVImport reader;
    reader.openDevice(buffer);
    return reader;
}

QList<Contact> readAll(CSVImport &reader)
{
    QList<Contact> contacts;
    while (reader.hasNext())
        contacts.append(reader.next());
    return contacts;
}

// One entity as "column=value" pairs of the columns that matter, so a table
// row can name what it expects in one text.
QString describe(const Entity &e)
{
    QStringList parts;
    for (const int column : e.columns()) {
        if (column == data15)
            continue;
        parts.append(QStringLiteral("%1=%2").arg(column).arg(e.text(column)));
    }
    return parts.join(u'|');
}

QStringList describeKind(const Contact &c, int kind)
{
    QStringList out;
    for (const Entity &e : c.entitiesOf(kind))
        out.append(describe(e));
    return out;
}

} // namespace

void CsvDialectTest::initTestCase()
{
    QVERIFY(m_translator.load(QStringLiteral(":/en.qm")));
    QCoreApplication::installTranslator(&m_translator);
}

void CsvDialectTest::dialects_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("dialect");
    QTest::addColumn<int>("contacts");
    QTest::addColumn<int>("entities");   // over all contacts

    QTest::newRow("google current") << "google_current.csv" << int(CSVColumnMap::Dialect::Google) << 2 << 23;
    QTest::newRow("google old") << "google_old.csv" << int(CSVColumnMap::Dialect::GoogleOld) << 1 << 11;
    QTest::newRow("outlook") << "outlook_en.csv" << int(CSVColumnMap::Dialect::Outlook) << 1 << 17;
    QTest::newRow("outlook german") << "outlook_de.csv" << int(CSVColumnMap::Dialect::OutlookGerman) << 1 << 10;
    QTest::newRow("thunderbird") << "thunderbird.csv" << int(CSVColumnMap::Dialect::Thunderbird) << 1 << 16;
    QTest::newRow("semicolon") << "semicolon.csv" << int(CSVColumnMap::Dialect::Outlook) << 1 << 5;
}

void CsvDialectTest::dialects()
{
    QFETCH(QString, file);
    QFETCH(int, dialect);
    QFETCH(int, contacts);
    QFETCH(int, entities);
    CSVImport reader;
    reader.open(dataFile(qPrintable(file)));
    QCOMPARE(int(reader.dialect()), dialect);
    const QList<Contact> read = readAll(reader);
    QCOMPARE(read.size(), contacts);
    qsizetype total = 0;
    for (const Contact &c : read)
        total += c.entityCount();
    QCOMPARE(int(total), entities);
    QCOMPARE(reader.report().read(), qsizetype(contacts));
    QVERIFY(reader.report().malformedRows().isEmpty());
    qInfo("%s: %d contacts, %lld entities; %s; not kept: %s", qPrintable(file), contacts, qlonglong(total),
          qPrintable(reader.report().format()), qPrintable(ImportReport::countList(reader.report().notKeptItems())));
}

// file, contact index, kind, the entities of that kind in order.
void CsvDialectTest::fields_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("expected");

    const auto row = [](const char *tag, const char *file, int index, int kind, const QStringList &expected) {
        QTest::newRow(tag) << QString::fromLatin1(file) << index << kind << expected;
    };
    // Google, current layout.
    row("google name", "google_current.csv", 0, ENTITY_NAME,
        { "1=Dr. Ann Marie Lee Jr.|2=Ann|3=Lee|4=Marie|5=Dr.|6=Jr." });
    row("google phones", "google_current.csv", 0, ENTITY_PHONE,
        { "1=+1 555 0100|2=2", "1=+1 555 0199|2=2", "1=+1 555 0101|2=3", "1=+1 555 0102|2=5" });
    row("google e-mails", "google_current.csv", 0, ENTITY_EMAIL, { "1=ann@home.example|2=1", "1=ann@acme.example|2=2" });
    row("google address", "google_current.csv", 0, ENTITY_POSTAL_ADDRESS,
        { "1=1 Main St Apt 2\nSpringfield, IL 62701\nUSA|2=1|4=1 Main St Apt 2|7=Springfield|8=IL|9=62701|10=USA" });
    row("google organization", "google_current.csv", 0, ENTITY_ORGANIZATION,
        { "1=Acme, Inc.|4=VP, Sales|5=Research" });
    row("google events", "google_current.csv", 0, ENTITY_EVENT,
        { "1=1985-11-23T00:00:00|2=3", "1=2010-06-12T00:00:00|2=1" });
    row("google note", "google_current.csv", 0, ENTITY_NOTE, { "1=She said \"hi\", then left.\nSecond line" });
    row("google groups", "google_current.csv", 0, ENTITY_GROUP_MEMBERSHIP, { "2=Friends", "2=Work" });
    row("google nickname", "google_current.csv", 0, ENTITY_NICKNAME, { "1=Annie" });
    row("google website", "google_current.csv", 0, ENTITY_WEBSITE, { "1=https://ann.example/blog|2=2" });
    row("google relation", "google_current.csv", 0, ENTITY_RELATION, { "1=Bob Lee|2=14" });
    row("google im", "google_current.csv", 0, ENTITY_IM, { "1=ann.lee|2=2|5=4" });
    row("google year-less birthday", "google_current.csv", 1, ENTITY_EVENT, { "1=--04-01|2=3" });
    row("google other e-mail", "google_current.csv", 1, ENTITY_EMAIL, { "1=bo@x.example" });
    row("google main phone", "google_current.csv", 1, ENTITY_PHONE, { "1=030 1234|2=12" });
    row("google only system group", "google_current.csv", 1, ENTITY_GROUP_MEMBERSHIP, {});
    row("google custom im service", "google_current.csv", 1, ENTITY_IM, { "1=@bo:example.org|2=1|6=Matrix" });
    // Google, older layout.
    row("google old name", "google_old.csv", 0, ENTITY_NAME, { "1=Carla Diaz|2=Carla|3=Diaz" });
    row("google old e-mails", "google_old.csv", 0, ENTITY_EMAIL,
        { "1=carla@corp.example|2=2", "1=carla@home.example|2=1" });
    row("google old phones", "google_old.csv", 0, ENTITY_PHONE, { "1=+34 600 000 001|2=2", "1=+34 900 000 002|2=4" });
    row("google old address", "google_old.csv", 0, ENTITY_POSTAL_ADDRESS,
        { "1=Gran Via 1\nMadrid, 28013\nSpain|2=2|4=Gran Via 1|7=Madrid|9=28013|10=Spain" });
    row("google old organization", "google_old.csv", 0, ENTITY_ORGANIZATION, { "1=Corp SA|2=1|4=Engineer|5=IT" });
    row("google old groups", "google_old.csv", 0, ENTITY_GROUP_MEMBERSHIP, { "2=Team" });
    row("google old note", "google_old.csv", 0, ENTITY_NOTE, { "1=Met at \"Expo\", Madrid\nCall back" });
    row("google old birthday", "google_old.csv", 0, ENTITY_EVENT, { "1=1979-02-28T00:00:00|2=3" });
    row("google old website", "google_old.csv", 0, ENTITY_WEBSITE, { "1=https://carla.example|2=1" });
    // Outlook in English.
    row("outlook name", "outlook_en.csv", 0, ENTITY_NAME, { "1=Mr. John Q Public III|2=John|3=Public|4=Q|5=Mr.|6=III" });
    row("outlook phones", "outlook_en.csv", 0, ENTITY_PHONE,
        { "1=206-555-0104|2=1", "1=206-555-0106|2=1", "1=206-555-0105|2=2", "1=425-555-0101|2=3", "1=425-555-0103|2=4" });
    row("outlook addresses with country", "outlook_en.csv", 0, ENTITY_POSTAL_ADDRESS,
        { "1=2 Elm St\nSeattle, WA 98101\nUnited States of America|2=1|4=2 Elm St|7=Seattle|8=WA|9=98101|10=United States of America",
          "1=1 Contoso Way\nRedmond, WA 98052\nUnited States of America|2=2|4=1 Contoso Way|7=Redmond|8=WA|9=98052|10=United States of America" });
    row("outlook e-mails", "outlook_en.csv", 0, ENTITY_EMAIL, { "1=john@contoso.example|2=1", "1=jq@home.example|2=2" });
    row("outlook organization", "outlook_en.csv", 0, ENTITY_ORGANIZATION, { "1=Contoso, Ltd.|4=Manager|5=Sales" });
    row("outlook birthday, no anniversary", "outlook_en.csv", 0, ENTITY_EVENT, { "1=1970-05-17T00:00:00|2=3" });
    row("outlook categories", "outlook_en.csv", 0, ENTITY_GROUP_MEMBERSHIP, { "2=Customers", "2=VIP" });
    row("outlook note", "outlook_en.csv", 0, ENTITY_NOTE, { "1=Prefers \"JQ\", not John\r\nCall after 5" });
    row("outlook spouse", "outlook_en.csv", 0, ENTITY_RELATION, { "1=Jane Public|2=14" });
    // Outlook in German, windows-1252.
    row("german name", "outlook_de.csv", 0, ENTITY_NAME,
        { QStringLiteral("1=Herr Jürgen Weiß|2=Jürgen|3=Weiß|5=Herr") });
    row("german phones", "outlook_de.csv", 0, ENTITY_PHONE,
        { "1=+49 89 654321|2=1", "1=+49 170 1234567|2=2", "1=+49 89 123456|2=3" });
    row("german address", "outlook_de.csv", 0, ENTITY_POSTAL_ADDRESS,
        { QStringLiteral("1=Hauptstraße 5\nMünchen, 80331\nDeutschland|2=2|4=Hauptstraße 5|7=München|9=80331|10=Deutschland") });
    row("german organization", "outlook_de.csv", 0, ENTITY_ORGANIZATION,
        { QStringLiteral("1=Müller & Söhne GmbH|4=Leiter|5=Einkauf") });
    row("german birthday", "outlook_de.csv", 0, ENTITY_EVENT, { "1=1965-12-24T00:00:00|2=3" });
    row("german e-mail", "outlook_de.csv", 0, ENTITY_EMAIL, { "1=j.weiss@example.de|2=1" });
    row("german note", "outlook_de.csv", 0, ENTITY_NOTE, { "1=Zeile 1\r\nZeile 2, mit Komma" });
    row("german category", "outlook_de.csv", 0, ENTITY_GROUP_MEMBERSHIP, { "2=Kunden" });
    // Thunderbird.
    row("thunderbird name", "thunderbird.csv", 0, ENTITY_NAME, { "1=Dana Scully|2=Dana|3=Scully" });
    row("thunderbird phones", "thunderbird.csv", 0, ENTITY_PHONE,
        { "1=202-555-0111|2=1", "1=202-555-0112|2=13", "1=202-555-0114|2=2", "1=202-555-0110|2=3", "1=202-555-0113|2=6" });
    row("thunderbird e-mails", "thunderbird.csv", 0, ENTITY_EMAIL, { "1=ds@home.example", "1=dana@fbi.example|2=1" });
    row("thunderbird addresses", "thunderbird.csv", 0, ENTITY_POSTAL_ADDRESS,
        { "1=3 Oak Rd\nAnnapolis, MD 21401\nUSA|2=1|4=3 Oak Rd|7=Annapolis|8=MD|9=21401|10=USA",
          "1=935 Pennsylvania Ave\nWashington, DC 20535\nUSA|2=2|4=935 Pennsylvania Ave|7=Washington|8=DC|9=20535|10=USA" });
    row("thunderbird birthday in three columns", "thunderbird.csv", 0, ENTITY_EVENT, { "1=1964-02-23T00:00:00|2=3" });
    row("thunderbird organization", "thunderbird.csv", 0, ENTITY_ORGANIZATION, { "1=FBI|4=Special Agent|5=X-Files" });
    row("thunderbird web pages", "thunderbird.csv", 0, ENTITY_WEBSITE,
        { "1=https://dana.example|2=4", "1=https://fbi.example|2=5" });
    // Semicolons, UTF-8 with byte-order mark, a day-first date.
    row("semicolon name", "semicolon.csv", 0, ENTITY_NAME, { QStringLiteral("1=Élodie Martin|2=Élodie|3=Martin") });
    row("semicolon birthday", "semicolon.csv", 0, ENTITY_EVENT, { "1=1985-11-23T00:00:00|2=3" });
    row("semicolon note", "semicolon.csv", 0, ENTITY_NOTE, { "1=a;b, c" });
}

void CsvDialectTest::fields()
{
    QFETCH(QString, file);
    QFETCH(int, index);
    QFETCH(int, kind);
    QFETCH(QStringList, expected);
    CSVImport reader;
    reader.open(dataFile(qPrintable(file)));
    const QList<Contact> read = readAll(reader);
    QVERIFY(index < read.size());
    QCOMPARE(describeKind(read.at(index), kind), expected);
}

void CsvDialectTest::notKept_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("notKept");

    QTest::newRow("google current") << "google_current.csv" << QString::fromUtf8("1 × Custom Field 1 - Label, 1 × Custom Field 1 - Value");
    QTest::newRow("google old") << "google_old.csv" << QString::fromUtf8("1 × Organization 1 - Symbol");
    QTest::newRow("outlook") << "outlook_en.csv" << QString::fromUtf8("1 × Gender, 1 × User 1");
    QTest::newRow("outlook german") << "outlook_de.csv" << QString::fromUtf8("1 × Geschlecht");
    QTest::newRow("thunderbird") << "thunderbird.csv" << QString::fromUtf8("1 × Custom 1");
    QTest::newRow("semicolon") << "semicolon.csv" << QString();
}

void CsvDialectTest::notKept()
{
    QFETCH(QString, file);
    QFETCH(QString, notKept);
    CSVImport reader;
    reader.open(dataFile(qPrintable(file)));
    (void)readAll(reader);
    QCOMPARE(ImportReport::countList(reader.report().notKeptItems()), notKept);
}

// The same rows in every encoding an address book writes.
void CsvDialectTest::encodings_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("encoding");

    const QString text = QStringLiteral("First Name,Last Name,Notes\r\nJürgen,Weiß,\"Straße, 5\"\r\nZoë,Ørsted,€\r\n");
    QStringEncoder le(QStringEncoder::Utf16LE);
    QStringEncoder be(QStringEncoder::Utf16BE);
    const QByteArray utf16le = le.encode(text);
    const QByteArray utf16be = be.encode(text);
    QTest::newRow("UTF-8") << text.toUtf8() << int(CSVTextDecoder::Encoding::Utf8);
    QTest::newRow("UTF-8 BOM") << QByteArray("\xEF\xBB\xBF" + text.toUtf8()) << int(CSVTextDecoder::Encoding::Utf8WithBom);
    QTest::newRow("UTF-16LE BOM") << QByteArray("\xFF\xFE" + utf16le) << int(CSVTextDecoder::Encoding::Utf16LE);
    QTest::newRow("UTF-16BE BOM") << QByteArray("\xFE\xFF" + utf16be) << int(CSVTextDecoder::Encoding::Utf16BE);
    QTest::newRow("UTF-16LE without BOM") << utf16le << int(CSVTextDecoder::Encoding::Utf16LE);
    QTest::newRow("UTF-16BE without BOM") << utf16be << int(CSVTextDecoder::Encoding::Utf16BE);
    QTest::newRow("windows-1252")
        << QByteArray("First Name,Last Name,Notes\r\nJ\xFCrgen,Wei\xDF,\"Stra\xDF" "e, 5\"\r\nZo\xEB,\xD8rsted,\x80\r\n")
        << int(CSVTextDecoder::Encoding::Windows1252);
}

void CsvDialectTest::encodings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, encoding);
    QByteArray copy = bytes;
    QCOMPARE(int(CSVTextDecoder::toUtf8(copy)), encoding);
    CSVImport reader = importBytes(bytes);
    QCOMPARE(reader.header(), (QStringList { "First Name", "Last Name", "Notes" }));
    QCOMPARE(reader.count(), 2);
    QCOMPARE(reader.row(0), (QStringList { QStringLiteral("Jürgen"), QStringLiteral("Weiß"), QStringLiteral("Straße, 5") }));
    QCOMPARE(reader.row(1), (QStringList { QStringLiteral("Zoë"), QStringLiteral("Ørsted"), QStringLiteral("€") }));
    QCOMPARE(reader.next().fullName, QStringLiteral("Jürgen Weiß"));
}

void CsvDialectTest::separators_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<char>("separator");
    QTest::addColumn<QStringList>("row");
    QTest::newRow("comma") << QByteArray("First Name,Notes\nAnn,\"a;b\tc\"\n") << ',' << QStringList { "Ann", "a;b\tc" };
    QTest::newRow("semicolon") << QByteArray("First Name;Notes\nAnn;\"a,b;c\"\n") << ';' << QStringList { "Ann", "a,b;c" };
    QTest::newRow("tab") << QByteArray("First Name\tNotes\nAnn\ta,b;c\n") << '\t' << QStringList { "Ann", "a,b;c" };
    QTest::newRow("separators inside quoted header names do not count")
        << QByteArray("\"First;Name\",\"No;tes\",x\nAnn,b,c\n") << ',' << QStringList { "Ann", "b", "c" };
    QTest::newRow("single column") << QByteArray("Primary Email\na@b.example\n") << ',' << QStringList { "a@b.example" };
}

void CsvDialectTest::separators()
{
    QFETCH(QByteArray, bytes);
    QFETCH(char, separator);
    QFETCH(QStringList, row);
    CSVImport reader = importBytes(bytes);
    QCOMPARE(reader.separator(), separator);
    QCOMPARE(reader.row(0), row);
}

// Excel may write "sep=;" as the first line: it names the separator, and
// the header is the line after it (still row 1; lines count from the file's
// first).
void CsvDialectTest::excelSeparatorLine_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<char>("separator");
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<QStringList>("firstRow");
    QTest::addColumn<QList<qsizetype>>("malformedLines");
    QTest::newRow("semicolon, the header full of commas")
        << QByteArray("sep=;\r\nFirst Name;Notes, more, still\r\nAnn;a,b,c\r\n") << ';'
        << QStringList { "First Name", "Notes, more, still" } << QStringList { "Ann", "a,b,c" } << QList<qsizetype> {};
    QTest::newRow("tab, upper case")
        << QByteArray("SEP=\t\nFirst Name\tLast Name\nAnn\tLee\n") << '\t'
        << QStringList { "First Name", "Last Name" } << QStringList { "Ann", "Lee" } << QList<qsizetype> {};
    QTest::newRow("comma, a malformed row counts the line")
        << QByteArray("sep=,\nFirst Name,Last Name\nBo,Ng\n\"Ann,Lee\nCy,Oz\n") << ','
        << QStringList { "First Name", "Last Name" } << QStringList { "Bo", "Ng" } << QList<qsizetype> { 4 };
    QTest::newRow("a line that only looks like it is the header")
        << QByteArray("sep=|\nAnn\n") << ',' << QStringList { "sep=|" } << QStringList { "Ann" } << QList<qsizetype> {};
}

void CsvDialectTest::excelSeparatorLine()
{
    QFETCH(QByteArray, bytes);
    QFETCH(char, separator);
    QFETCH(QStringList, header);
    QFETCH(QStringList, firstRow);
    QFETCH(QList<qsizetype>, malformedLines);
    CSVImport reader = importBytes(bytes);
    QCOMPARE(reader.separator(), separator);
    QCOMPARE(reader.header(), header);
    QCOMPARE(reader.row(0), firstRow);
    QList<qsizetype> lines;
    for (const ImportReport::MalformedRow &row : reader.report().malformedRows())
        lines.append(row.line);
    QCOMPARE(lines, malformedLines);
}

// "First Name, Last Name": when every separator of the header is followed
// by a space, those spaces belong to no name and to no value; otherwise
// values keep their spaces. Header names never do.
void CsvDialectTest::spaceAfterSeparator_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<QStringList>("firstRow");
    QTest::newRow("comma and space, a quoted value after the space")
        << QByteArray("First Name, Last Name, Notes\nAnn, Lee, \"tea, not coffee\"\n")
        << QStringList { "First Name", "Last Name", "Notes" } << QStringList { "Ann", "Lee", "tea, not coffee" };
    QTest::newRow("semicolon and spaces, rows without them")
        << QByteArray("First Name;  Last Name\nAnn;Lee\n") << QStringList { "First Name", "Last Name" }
        << QStringList { "Ann", "Lee" };
    QTest::newRow("a value of spaces only is empty")
        << QByteArray("First Name, Notes\nAnn,    \n") << QStringList { "First Name", "Notes" }
        << QStringList { "Ann", "" };
    QTest::newRow("spaces after some separators only: kept in values")
        << QByteArray("First Name, Last Name,Notes\nAnn, Lee,x\n") << QStringList { "First Name", "Last Name", "Notes" }
        << QStringList { "Ann", " Lee", "x" };
    QTest::newRow("spaces around header names")
        << QByteArray("First Name ,Last Name , Mobile Phone \nAnn,Lee,123\n")
        << QStringList { "First Name", "Last Name", "Mobile Phone" } << QStringList { "Ann", "Lee", "123" };
    QTest::newRow("spaces at the start of a row: kept")
        << QByteArray("First Name, Last Name\n  Ann, Lee\n") << QStringList { "First Name", "Last Name" }
        << QStringList { "  Ann", "Lee" };
}

void CsvDialectTest::spaceAfterSeparator()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, header);
    QFETCH(QStringList, firstRow);
    CSVImport reader = importBytes(bytes);
    QCOMPARE(reader.header(), header);
    QCOMPARE(reader.row(0), firstRow);
    if (header.at(1) == QLatin1String("Last Name")) {
        // Name parts are read without spaces around them either way.
        const Contact contact = reader.next();
        QCOMPARE(contact.fullName, QStringLiteral("Ann Lee"));
    }
}

void CsvDialectTest::dates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stored");
    QTest::newRow("ISO") << "1985-11-23" << "1985-11-23T00:00:00";
    QTest::newRow("ISO date-time") << "1985-11-23T10:15:00" << "1985-11-23T10:15:00";
    QTest::newRow("month first") << "11/23/1985" << "1985-11-23T00:00:00";
    QTest::newRow("month first, short") << "5/7/1970" << "1970-05-07T00:00:00";
    QTest::newRow("day first when the month cannot be") << "20/01/1991" << "1991-01-20T00:00:00";
    QTest::newRow("German") << "23.11.1985" << "1985-11-23T00:00:00";
    QTest::newRow("German, two-digit year") << "01.01.99" << "1999-01-01T00:00:00";
    QTest::newRow("two-digit year, 2000s") << "3/4/05" << "2005-03-04T00:00:00";
    QTest::newRow("year-less ISO") << "--11-23" << "--11-23";
    QTest::newRow("year-less month first") << "11/23" << "--11-23";
    QTest::newRow("year-less German") << "23.11." << "--11-23";
    QTest::newRow("Outlook's no date") << "0/0/00" << "";
    QTest::newRow("German Outlook's no date") << "0.0.00" << "";
    QTest::newRow("no such day") << "2/30/1990" << "";
    QTest::newRow("no such month or day") << "13/13/2000" << "";
    QTest::newRow("year first (Japanese and Chinese locales)") << "1985/11/23" << "1985-11-23T00:00:00";
    QTest::newRow("year first, short") << "2001/2/3" << "2001-02-03T00:00:00";
    QTest::newRow("year first, no such day") << "1990/02/30" << "";
    QTest::newRow("a year alone") << "1985" << "";
    QTest::newRow("text") << "next week" << "";
}

void CsvDialectTest::dates()
{
    QFETCH(QString, text);
    QFETCH(QString, stored);
    QCOMPARE(EventDate::fromText(text), stored);
}

void CsvDialectTest::typeLabels_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("custom");
    QTest::newRow("mobile") << int(ENTITY_PHONE) << "Mobile" << 2 << "";
    QTest::newRow("primary mark") << int(ENTITY_PHONE) << "* Work" << 3 << "";
    QTest::newRow("any case") << int(ENTITY_PHONE) << "home fax" << 5 << "";
    QTest::newRow("google voice is custom") << int(ENTITY_PHONE) << "Google Voice" << 0 << "Google Voice";
    QTest::newRow("empty keeps the fallback") << int(ENTITY_EMAIL) << "" << 1 << "";
    QTest::newRow("e-mail other") << int(ENTITY_EMAIL) << "Other" << 0 << "";
    QTest::newRow("e-mail mobile") << int(ENTITY_EMAIL) << "Mobile" << 4 << "";
    QTest::newRow("home page") << int(ENTITY_WEBSITE) << "Home Page" << 1 << "";
    QTest::newRow("relation") << int(ENTITY_RELATION) << "Referred by" << 11 << "";
    QTest::newRow("anniversary") << int(ENTITY_EVENT) << "Anniversary" << 1 << "";
    QTest::newRow("address custom") << int(ENTITY_POSTAL_ADDRESS) << "Summer house" << 0 << "Summer house";
}

void CsvDialectTest::typeLabels()
{
    QFETCH(int, kind);
    QFETCH(QString, label);
    QFETCH(int, code);
    QFETCH(QString, custom);
    QString read;
    QCOMPARE(CSVColumnMap::typeCode(kind, label, 1, &read), code);
    QCOMPARE(read, custom);
}

void CsvDialectTest::groupNames_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("google") << "Friends ::: * myContacts ::: Work" << QStringList { "Friends", "Work" };
    QTest::newRow("older google") << "* My Contacts ::: * Starred" << QStringList { "Starred" };
    QTest::newRow("outlook") << "Customers;VIP; Customers" << QStringList { "Customers", "VIP" };
    QTest::newRow("one") << "Team" << QStringList { "Team" };
    QTest::newRow("empty") << "" << QStringList();
}

void CsvDialectTest::groupNames()
{
    QFETCH(QString, value);
    QFETCH(QStringList, names);
    QCOMPARE(CSVColumnMap::groupNames(value), names);
}

// An unbalanced quote on the first, a middle and the last row: the row is
// reported and read as its line; the rows after it are read as they are.
void CsvDialectTest::malformedRows_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<QList<qsizetype>>("malformed");   // row numbers, the header being row 1

    QTest::newRow("header")
        << QByteArray("First Name,\"Last Name\nAnn,Lee\nBo,Ng\n")
        << QList<QStringList> { { "Ann", "Lee" }, { "Bo", "Ng" } } << QList<qsizetype> { 1 };
    QTest::newRow("first data row, quote never closes")
        << QByteArray("First Name,Last Name\n\"Ann,Lee\nBo,Ng\n")
        << QList<QStringList> { { "\"Ann", "Lee" }, { "Bo", "Ng" } } << QList<qsizetype> { 2 };
    QTest::newRow("middle row, closed by a later quote")
        << QByteArray("First Name,Notes\nAnn,\"x\nBo,\"y\"\nCy,z\n")
        << QList<QStringList> { { "Ann", "\"x" }, { "Bo", "y" }, { "Cy", "z" } } << QList<qsizetype> { 2 };
    QTest::newRow("middle row, too many fields")
        << QByteArray("First Name,Notes\nAnn,\"x\nBo,\",y,z,w\nCy,z\n")
        << QList<QStringList> { { "Ann", "\"x" }, { "Bo", "\"", "y", "z", "w" }, { "Cy", "z" } }
        << QList<qsizetype> { 2, 3 };
    QTest::newRow("last row") << QByteArray("First Name,Notes\nAnn,a\nBo,\"b\n")
                              << QList<QStringList> { { "Ann", "a" }, { "Bo", "\"b" } } << QList<qsizetype> { 3 };
    QTest::newRow("a quoted line break is no fault")
        << QByteArray("First Name,Notes\nAnn,\"a\nb\"\nBo,c\n")
        << QList<QStringList> { { "Ann", "a\nb" }, { "Bo", "c" } } << QList<qsizetype> {};
    QTest::newRow("mixed line ends") << QByteArray("First Name,Notes\r\nAnn,a\nBo,\"b\r\nc\"\rx\r\nCy,d")
                                     << QList<QStringList> { { "Ann", "a" }, { "Bo", "b\r\ncx" }, { "Cy", "d" } }
                                     << QList<qsizetype> {};
    // Classic Mac programs (and Excel's "CSV (Macintosh)") end rows with a
    // carriage return alone; a line break inside a quoted field may be
    // either.
    QTest::newRow("carriage return line ends")
        << QByteArray("First Name,Notes\rAnn,a\rBo,\"b\nc\"\rCy,\"d\re\"\r")
        << QList<QStringList> { { "Ann", "a" }, { "Bo", "b\nc" }, { "Cy", "d\ne" } } << QList<qsizetype> {};
    QTest::newRow("carriage return line ends, quoted header, no last one")
        << QByteArray("\"First Name\",\"Notes\"\rAnn,a\rBo,b")
        << QList<QStringList> { { "Ann", "a" }, { "Bo", "b" } } << QList<qsizetype> {};
    QTest::newRow("carriage return line ends, unbalanced quote")
        << QByteArray("First Name,Notes\rAnn,\"x\rBo,b\r")
        << QList<QStringList> { { "Ann", "\"x" }, { "Bo", "b" } } << QList<qsizetype> { 2 };
    QTest::newRow("CR CR LF line ends") << QByteArray("First Name,Notes\r\r\nAnn,a\r\r\nBo,b\r\r\n")
                                        << QList<QStringList> { { "Ann", "a" }, { "Bo", "b" } } << QList<qsizetype> {};
}

void CsvDialectTest::malformedRows()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QStringList>, rows);
    QFETCH(QList<qsizetype>, malformed);
    CSVImport reader = importBytes(bytes);
    QCOMPARE(reader.count(), rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        QCOMPARE(reader.row(i), rows.at(i));
    QList<qsizetype> reported;
    for (const ImportReport::MalformedRow &row : reader.report().malformedRows())
        reported.append(row.row);
    QCOMPARE(reported, malformed);
}

// Type labels, services and group labels that come back row after row are
// read once and remembered: however many different ones a file has, and
// however they are quoted, every row still gets its own.
void CsvDialectTest::repeatedLabelsReadAlike_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("distinct");
    QTest::newRow("one value") << 5 << 1;
    QTest::newRow("a few") << 30 << 3;
    QTest::newRow("more than are remembered") << 200 << 45;
    QTest::newRow("every row its own") << 120 << 120;
}

void CsvDialectTest::repeatedLabelsReadAlike()
{
    QFETCH(int, rows);
    QFETCH(int, distinct);
    QByteArray bytes("First Name,Last Name,Labels,Phone 1 - Label,Phone 1 - Value,IM 1 - Label,IM 1 - Service,"
                     "IM 1 - Value,Gender\n");
    const auto phoneLabel = [](int k) { return k % 3 == 0 ? QStringLiteral("Mobile") : QStringLiteral("Line %1").arg(k); };
    for (int i = 0; i < rows; ++i) {
        const int k = i % distinct;
        // Every other row quotes the same texts: they must read the same.
        const QByteArray q = i % 2 ? "\"" : "";
        bytes += "Ann," + QByteArray::number(i) + ',' + q + "Team " + QByteArray::number(k) + " ::: * myContacts" + q
            + ',' + q + phoneLabel(k).toUtf8() + q + ",+1 555 " + QByteArray::number(i) + ",Work," + q + "Chat "
            + QByteArray::number(k) + q + ",ann" + QByteArray::number(i) + ',' + (k % 2 ? "Unspecified" : "Female")
            + '\n';
    }
    CSVImport reader = importBytes(bytes);
    const QList<Contact> contacts = readAll(reader);
    QCOMPARE(contacts.size(), rows);
    int notKept = 0;
    for (int i = 0; i < rows; ++i) {
        const int k = i % distinct;
        const Contact &c = contacts.at(i);
        const QString label = phoneLabel(k);
        const QString phone = k % 3 == 0 ? QStringLiteral("1=+1 555 %1|2=2").arg(i)
                                         : QStringLiteral("1=+1 555 %1|3=%2").arg(i).arg(label);
        QCOMPARE(describeKind(c, ENTITY_PHONE), QStringList { phone });
        QCOMPARE(describeKind(c, ENTITY_GROUP_MEMBERSHIP), QStringList { QStringLiteral("2=Team %1").arg(k) });
        QCOMPARE(describeKind(c, ENTITY_IM), QStringList { QStringLiteral("1=ann%1|2=2|6=Chat %2").arg(i).arg(k) });
        notKept += k % 2 ? 0 : 1;
    }
    QCOMPARE(ImportReport::countList(reader.report().notKeptItems()),
             QString::fromUtf8("%1 × Gender").arg(notKept));
}

// A type label, custom label or IM service of one row says nothing about
// the next row: a row that gives only the value gets the column's own type.
void CsvDialectTest::labelsOfARowStayInIt_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("second");   // the entities of the second contact

    QTest::newRow("phone label without a number")
        << QByteArray("First Name,Phone 1 - Label,Phone 1 - Value\nAnn,Mobile,\nBo,,555\n") << int(ENTITY_PHONE)
        << QStringList { "1=555" };
    QTest::newRow("custom phone label without a number")
        << QByteArray("First Name,Phone 1 - Type,Phone 1 - Value\nAnn,Google Voice,\nBo,,555\n") << int(ENTITY_PHONE)
        << QStringList { "1=555" };
    QTest::newRow("e-mail label without an address")
        << QByteArray("First Name,E-mail 1 - Label,E-mail 1 - Value\nAnn,* Work,\nBo,,bo@x.example\n")
        << int(ENTITY_EMAIL) << QStringList { "1=bo@x.example|2=1" };
    QTest::newRow("address label without an address")
        << QByteArray("First Name,Address 1 - Label,Address 1 - City\nAnn,Work,\nBo,,Oslo\n")
        << int(ENTITY_POSTAL_ADDRESS) << QStringList { "1=Oslo|7=Oslo" };
    QTest::newRow("IM service without a handle")
        << QByteArray("First Name,IM 1 - Service,IM 1 - Value\nAnn,Skype,\nBo,,bo1\n") << int(ENTITY_IM)
        << QStringList { "1=bo1|2=1" };
    QTest::newRow("IM label and custom service without a handle")
        << QByteArray("First Name,IM 1 - Label,IM 1 - Service,IM 1 - Value\nAnn,Work,Matrix,\nBo,,,bo1\n")
        << int(ENTITY_IM) << QStringList { "1=bo1|2=1" };
    QTest::newRow("a label of the row before the one before")
        << QByteArray("First Name,Phone 1 - Label,Phone 1 - Value\nAnn,Mobile,\nCy,,\nBo,,555\n") << int(ENTITY_PHONE)
        << QStringList {};
}

void CsvDialectTest::labelsOfARowStayInIt()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, kind);
    QFETCH(QStringList, second);
    CSVImport reader = importBytes(bytes);
    const QList<Contact> read = readAll(reader);
    QVERIFY(read.size() >= 2);
    QCOMPARE(describeKind(read.at(0), kind), QStringList());
    QCOMPARE(describeKind(read.at(1), kind), second);
    if (read.size() > 2)
        QCOMPARE(describeKind(read.at(2), kind), QStringList { "1=555" });
}

// A field of only white space or line breaks (German Outlook writes a note
// of one CR LF) holds no value: it makes no entity and is no lost value.
void CsvDialectTest::blankValues_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("entities");   // kind: entity, of the one contact

    QTest::newRow("spaces") << QByteArray("First Name,Last Name,Mobile Phone,Notes\nAnn, ,   ,  \n")
                            << QStringList { "1: 1=Ann|2=Ann" };
    QTest::newRow("quoted line break only")
        << QByteArray("Vorname,Nachname,Notizen\r\nAnn,Lee,\"\r\n\"\r\n") << QStringList { "1: 1=Ann Lee|2=Ann|3=Lee" };
    QTest::newRow("tab in a semicolon file") << QByteArray("First Name;E-mail Address\nAnn;\t\n")
                                             << QStringList { "1: 1=Ann|2=Ann" };
    QTest::newRow("no-break space") << QByteArray("First Name,Home Phone\nAnn,\xC2\xA0\n")
                                    << QStringList { "1: 1=Ann|2=Ann" };
    QTest::newRow("formatted address of a line break")
        << QByteArray("First Name,Address 1 - Label,Address 1 - Formatted\nAnn,Home,\"\n\"\n")
        << QStringList { "1: 1=Ann|2=Ann" };
    QTest::newRow("blank birth day") << QByteArray("First Name,Birth Year,Birth Month,Birth Day\nAnn, , , \n")
                                     << QStringList { "1: 1=Ann|2=Ann" };
    QTest::newRow("blank display name") << QByteArray("Display Name,Primary Email\n  ,a@x.example\n")
                                        << QStringList { "4: 1=a@x.example|2=1" };
    QTest::newRow("blank piece of several numbers")
        << QByteArray("First Name,Phone 1 - Label,Phone 1 - Value\nAnn,Mobile,1 :::   ::: 2\n")
        << QStringList { "1: 1=Ann|2=Ann", "3: 1=1|2=2", "3: 1=2|2=2" };
    QTest::newRow("spaces around a value are kept") << QByteArray("First Name,Notes\nAnn,  a  \n")
                                                    << QStringList { "1: 1=Ann|2=Ann", "9: 1=  a  " };
}

void CsvDialectTest::blankValues()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, entities);
    CSVImport reader = importBytes(bytes);
    QCOMPARE(reader.count(), 1);
    const Contact c = reader.next();
    QStringList read;
    for (auto it = c.entities.cbegin(); it != c.entities.cend(); ++it) {
        for (const Entity &e : it.value())
            read.append(QStringLiteral("%1: %2").arg(it.key()).arg(describe(e)));
    }
    QCOMPARE(read, entities);
    QCOMPARE(ImportReport::countList(reader.report().notKeptItems()), QString());
}

// Thunderbird's "Birth Year", "Birth Month" and "Birth Day": a day that can
// be stored becomes the birthday; anything else is reported, never dropped
// without a word.
void CsvDialectTest::birthdayInThreeColumns_data()
{
    QTest::addColumn<QByteArray>("fields");   // year, month, day
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<int>("notKept");
    QTest::newRow("full date") << QByteArray("1980,05,07") << QStringList { "1=1980-05-07T00:00:00|2=3" } << 0;
    QTest::newRow("no year") << QByteArray(",5,17") << QStringList { "1=--05-17|2=3" } << 0;
    QTest::newRow("a year alone") << QByteArray("1980,,") << QStringList() << 1;
    QTest::newRow("no such day") << QByteArray("1980,2,30") << QStringList() << 1;
    QTest::newRow("no day") << QByteArray("1980,5,") << QStringList() << 1;
    QTest::newRow("nothing") << QByteArray(",,") << QStringList() << 0;
}

void CsvDialectTest::birthdayInThreeColumns()
{
    QFETCH(QByteArray, fields);
    QFETCH(QStringList, events);
    QFETCH(int, notKept);
    CSVImport reader = importBytes("First Name,Birth Year,Birth Month,Birth Day\nAnn," + fields + '\n');
    const Contact c = reader.next();
    QCOMPARE(describeKind(c, ENTITY_EVENT), events);
    QCOMPARE(reader.report().notKept(QCoreApplication::translate("ImportReport", "IDS_IMPORT_NOT_KEPT_BIRTHDAY")),
             qsizetype(notKept));
    QCOMPARE(reader.report().notKeptItems().size(), qsizetype(notKept));
}

// Google joins the values of one label with " ::: ", dates too: each date is
// an event of its own.
void CsvDialectTest::severalDatesOfOneLabel_data()
{
    QTest::addColumn<QByteArray>("fields");   // label, value
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<int>("notKept");
    QTest::newRow("one date") << QByteArray("Anniversary,2010-06-12")
                              << QStringList { "1=2010-06-12T00:00:00|2=1" } << 0;
    QTest::newRow("two dates") << QByteArray("Anniversary,2010-06-12 ::: --01-15")
                               << QStringList { "1=2010-06-12T00:00:00|2=1", "1=--01-15|2=1" } << 0;
    QTest::newRow("custom label, one of two no date")
        << QByteArray("Name day,soon ::: 1999-09-09") << QStringList { "1=1999-09-09T00:00:00|3=Name day" } << 1;
    QTest::newRow("no date at all") << QByteArray("Anniversary,soon ::: later") << QStringList() << 2;
}

void CsvDialectTest::severalDatesOfOneLabel()
{
    QFETCH(QByteArray, fields);
    QFETCH(QStringList, events);
    QFETCH(int, notKept);
    CSVImport reader = importBytes("First Name,Event 1 - Label,Event 1 - Value\nAnn," + fields + '\n');
    const Contact c = reader.next();
    QCOMPARE(describeKind(c, ENTITY_EVENT), events);
    QCOMPARE(reader.report().notKept(QStringLiteral("Event 1 - Value")), qsizetype(notKept));
}

void CsvDialectTest::reportOfUnknownColumnsAndAMalformedRow()
{
    CSVImport reader;
    reader.open(dataFile("report.csv"));
    const QList<Contact> read = readAll(reader);
    const ImportReport &report = reader.report();
    QCOMPARE(read.size(), 4);
    QCOMPARE(report.read(), 4);
    QCOMPARE(report.notKept("Shoe Size"), 3);
    QCOMPARE(report.notKept("Favourite Colour"), 3);
    QCOMPARE(report.notKept("First Name"), 0);
    QCOMPARE(report.malformedRows().size(), 1);
    QCOMPARE(report.malformedRows().first().row, 4);
    QCOMPARE(report.malformedRows().first().line, 5);
    // The row after the malformed one is read as it stands.
    QCOMPARE(read.at(3).fullName, QStringLiteral("Dee Fox"));
    QCOMPARE(read.at(3).firstEntity(ENTITY_PHONE)->text(data1), QStringLiteral("400"));
    const QString details = report.detailsText();
    QVERIFY2(details.contains(QString::fromUtf8("Not kept: 3 × Favourite Colour, 3 × Shoe Size")), qPrintable(details));
    QVERIFY2(details.contains(QStringLiteral("Row 4 (line 5): unbalanced quote")), qPrintable(details));
    QVERIFY(report.summaryLines().contains(QStringLiteral("Malformed rows: 1 (row 4)")));
}

// Bad input gives a report, never a crash or a hang.
void CsvDialectTest::badInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("rows");
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("only a byte-order mark") << QByteArray("\xEF\xBB\xBF") << 0;
    QTest::newRow("NUL bytes") << QByteArray("First Name\n\0Ann\0\nBo\n", 20) << 2;
    QByteArray random(4096, Qt::Uninitialized);
    quint32 seed = 12345;
    for (char &c : random) {
        seed = seed * 1103515245u + 12345u;
        c = char(seed >> 16);
    }
    QTest::newRow("random bytes") << random << -1;
    QTest::newRow("single 5 MB line") << QByteArray(5 * 1024 * 1024, 'x') << 0;
    QTest::newRow("5 MB quoted field")
        << QByteArray("First Name,Notes\nAnn,\"" + QByteArray(5 * 1024 * 1024, 'y') + "\"\n") << 1;
}

void CsvDialectTest::badInput()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, rows);
    CSVImport reader = importBytes(bytes);
    if (rows >= 0)
        QCOMPARE(reader.count(), qsizetype(rows));
    qsizetype read = 0;
    while (reader.hasNext()) {
        (void)reader.next();
        ++read;
    }
    QCOMPARE(read, reader.count());
    QCOMPARE(reader.report().read(), read);
}

// A header of 100,000 columns of one name: one note of all values, or one
// phone per column.
void CsvDialectTest::identicalColumns_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("entities");
    QTest::newRow("notes are joined") << "Notes" << int(ENTITY_NOTE) << 1;
    QTest::newRow("phones are kept apart") << "Mobile Phone" << int(ENTITY_PHONE) << 100000;
    QTest::newRow("unknown columns are counted") << "Shoe Size" << 0 << 0;
}

void CsvDialectTest::identicalColumns()
{
    QFETCH(QString, name);
    QFETCH(int, kind);
    QFETCH(int, entities);
    constexpr int columns = 100000;
    QByteArray header;
    QByteArray row;
    for (int i = 0; i < columns; ++i) {
        header += name.toUtf8() + (i + 1 < columns ? "," : "\n");
        row += QByteArray::number(i % 10) + (i + 1 < columns ? "," : "\n");
    }
    CSVImport reader = importBytes(header + row);
    QCOMPARE(reader.count(), 1);
    const Contact c = reader.next();
    if (kind) {
        QCOMPARE(c.entitiesOf(kind).size(), qsizetype(entities));
    } else {
        QCOMPARE(c.entityCount(), 0);
        QCOMPARE(reader.report().notKept(name), qsizetype(columns));
    }
    if (kind == ENTITY_NOTE)
        QCOMPARE(c.firstEntity(ENTITY_NOTE)->text(data1).size(), qsizetype(2 * columns - 1));
}

QTEST_GUILESS_MAIN(CsvDialectTest)
#include "csvdialecttest.moc"
