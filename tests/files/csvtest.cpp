#include "contacts/contactformat.h"
#include "contacts/labeltables.h"
#include "files/csvexport.h"
#include "files/csvheadertable.h"
#include "files/csvimport.h"
#include "files/csvrowreader.h"
#include "tests/files/filestesthelpers.h"

#include "tests/support/trickledevice.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>

using namespace pim;
using namespace filestest;

class CsvTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void quoting_data();
    void quoting();
    void headerNamesAreNeverQuoted();
    void columnRanks_data();
    void columnRanks();
    void columnsOfAContact();
    void exportedFile();
    void laterValueOfTheSameColumnWins();
    void rows_data();
    void rows();
    void byteOrderMarkOnlyAtTheStart();
    void rowsAcrossBufferRefills();
    void headerTable_data();
    void headerTable();
    void generatedHeadersCoverEveryLabel();
    void rowToContact_data();
    void rowToContact();
    void shortRowsAndExtraFields();
    void lastRowWithoutLineFeed_data();
    void lastRowWithoutLineFeed();
    void roundTripOfOwnColumns();
    void missingFileThrows();
    void reopenedReaderReadsTheNewFileAfresh();
};

namespace {

// A text exporter that shows what AbsTextExport hands to its formatters.
class RecordingExport : public AbsTextExport
{
public:
    QStringList header;
    QList<QStringList> records;

protected:
    QByteArray formatHeaderLine(const QStringList &names) override
    {
        header = names;
        return QByteArray();
    }
    QByteArray formatRecord(const QString *values, qsizetype count) override
    {
        records.append(QStringList(values, values + count));
        return QByteArray();
    }
};

CSVImport importText(const QByteArray &text)
{
    QByteArray copy = text;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    CSVImport reader;
    reader.openDevice(buffer);
    return reader;
}

QString describe(const Contact &c)
{
    QString s;
    QDebug(&s) << c;
    return s;
}

} // namespace

void CsvTest::quoting_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("field");
    QTest::newRow("empty") << "" << "";
    QTest::newRow("plain") << "abc" << "abc";
    QTest::newRow("comma") << "a,b" << "\"a,b\"";
    QTest::newRow("quote") << "say \"hi\"" << "\"say \"\"hi\"\"\"";
    QTest::newRow("line feed") << "a\nb" << "\"a\nb\"";
    QTest::newRow("carriage return only") << "a\rb" << "a\rb";
    QTest::newRow("semicolon and tab") << "a;b\tc" << "a;b\tc";
}

void CsvTest::quoting()
{
    QFETCH(QString, value);
    QFETCH(QString, field);
    QCOMPARE(CSVExport::quoteField(value), field);
}

void CsvTest::headerNamesAreNeverQuoted()
{
    // A custom-looking label with a comma still goes out bare.
    CSVExport writer;
    Contact c;
    c.addEntity(ENTITY_NAME, entity({ { data2, "A" } }));
    c.addEntity(ENTITY_NOTE, entity({ { data1, "x,y" } }));
    const QByteArray header = writer.exportHeader({ c });
    QCOMPARE(header, QByteArray("First Name,Notes\n"));
    QCOMPARE(writer.exportContact(c), QByteArray("A,\"x,y\"\n"));
    QVERIFY(writer.exportFooter().isEmpty());
}

void CsvTest::columnRanks_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("rank");
    QTest::newRow("Nickname between name and category") << "Nickname" << 51;
    QTest::newRow("Tel:") << "Tel:Mobile" << 100;
    QTest::newRow("Addr country") << "Addr:Home:Country" << 401;
    QTest::newRow("Addr state") << "Addr:Work:State" << 402;
    QTest::newRow("Addr city") << "Addr:Other:City" << 403;
    QTest::newRow("Addr street") << "Addr::Street" << 404;
    QTest::newRow("Addr postcode") << "Addr:Home:Postcode" << 405;
    QTest::newRow("Addr other ending") << "Addr:Home:Zip" << 1000;
    QTest::newRow("Notes") << "Notes" << 800;
    QTest::newRow("prefix tests are case-sensitive") << "tel:Mobile" << 1000;
    QTest::newRow("unknown") << "Whatever" << 1000;
}

void CsvTest::columnRanks()
{
    QFETCH(QString, name);
    QFETCH(int, rank);
    QCOMPARE(AbsTextExport::columnRank(name), rank);
}

void CsvTest::columnsOfAContact()
{
    Contact c;
    c.addEntity(ENTITY_NAME, entity({ { data1, "Dr. Ann Lee" }, { data2, "Ann" }, { data3, "Lee" }, { data5, "Dr." } }));
    Entity photo;
    photo.setValue(data15, QByteArray("jpeg"));
    c.addEntity(ENTITY_PHOTO, photo);
    c.addEntity(ENTITY_PHONE, entity({ { data1, "1" }, { data2, "2" }, { data3, "Custom labels are not used" } }));
    c.addEntity(ENTITY_PHONE, entity({ { data1, "2" }, { data2, "7" } }));
    c.addEntity(ENTITY_EMAIL, entity({ { data1, "a@b" }, { data2, "4" } }));
    c.addEntity(ENTITY_NICKNAME, entity({ { data1, "" } }));
    c.addEntity(ENTITY_EVENT, entity({ { data1, "1980-01-01T00:00:00" }, { data2, "3" } }));
    c.addEntity(ENTITY_GROUP_MEMBERSHIP, entity({ { data1, "9" }, { data2, "Friends" } }));
    c.addEntity(ENTITY_IM, entity({ { data1, "me" }, { data2, "1" }, { data5, "4" } }));
    c.addEntity(ENTITY_NOTE, entity({ { data1, "n" } }));
    c.addEntity(ENTITY_ORGANIZATION, entity({ { data1, "Acme" }, { data4, "" }, { data5, "R&D" } }));
    c.addEntity(ENTITY_RELATION, entity({ { data1, "Bo" }, { data2, "14" } }));
    c.addEntity(ENTITY_POSTAL_ADDRESS, entity({ { data2, "1" }, { data4, "S" }, { data7, "C" }, { data10, "N" } }));
    c.addEntity(ENTITY_WEBSITE, entity({ { data1, "u" }, { data2, "2" } }));

    QList<QPair<QString, QString>> columns;
    AbsTextExport::forEachColumn(c, [&columns](const QString &name, const QString &value) {
        columns.append({ name, value });
    });
    const QList<QPair<QString, QString>> expected {
        { "Prefix", "Dr." },         { "First Name", "Ann" },    { "Last Name", "Lee" },
        { "Tel:Mobile", "1" },       { "Tel:", "2" },            { "Email:Mobile", "a@b" },
        { "Nickname", "" },          { "Date:Birthday", "1980-01-01T00:00:00" },
        { "Category", "Friends" },   { "IM:Skype", "me" },       { "Notes", "n" },
        { "Company", "Acme" },       { "Department", "R&D" },    { "Rel:Spouse", "Bo" },
        { "Addr:Home:Street", "S" }, { "Addr:Home:City", "C" },  { "Addr:Home:Country", "N" },
        { "Url:Blog", "u" },
    };
    QCOMPARE(columns, expected);
}

void CsvTest::exportedFile()
{
    Contact a;
    a.addEntity(ENTITY_NAME, entity({ { data2, "Ann" }, { data3, "Lee" } }));
    a.addEntity(ENTITY_PHONE, entity({ { data1, "+1 555" }, { data2, "2" } }));
    a.addEntity(ENTITY_NOTE, entity({ { data1, "line 1\nline \"2\"" } }));
    Contact b;
    b.addEntity(ENTITY_ORGANIZATION, entity({ { data1, "Acme, Inc." } }));
    b.addEntity(ENTITY_POSTAL_ADDRESS, entity({ { data2, "2" }, { data7, QStringLiteral("Zürich") }, { data10, "CH" } }));

    CSVExport writer;
    QByteArray file = writer.exportHeader({ a, b });
    file += writer.exportContact(a);
    file += writer.exportContact(b);
    file += writer.exportFooter();
    QCOMPARE(file, QByteArray("First Name,Last Name,Company,Tel:Mobile,Addr:Work:Country,Addr:Work:City,Notes\n"
                              "Ann,Lee,,+1 555,,,\"line 1\nline \"\"2\"\"\"\n"
                              ",,\"Acme, Inc.\",,CH,Z\xC3\xBCrich,\n"));
    QCOMPARE(writer.columns().value("Notes"), 6);
}

void CsvTest::laterValueOfTheSameColumnWins()
{
    RecordingExport writer;
    Contact c;
    c.addEntity(ENTITY_EMAIL, entity({ { data1, "first@x" }, { data2, "1" } }));
    c.addEntity(ENTITY_EMAIL, entity({ { data1, "second@x" }, { data2, "1" } }));
    c.addEntity(ENTITY_PHONE, entity({ { data1, "1" }, { data2, "1" } }));
    c.addEntity(ENTITY_PHONE, entity({ { data1, "2" }, { data2, "3" } }));
    (void)writer.exportHeader({ c });
    // Equal ranks (the two phone columns) keep a fixed order: by name.
    QCOMPARE(writer.header, (QStringList { "Tel:Home", "Tel:Work", "Email:Home" }));
    (void)writer.exportContact(c);
    QCOMPARE(writer.records.first(), (QStringList { "1", "2", "second@x" }));
    // A contact without those columns gives empty fields.
    (void)writer.exportContact(Contact());
    QCOMPARE(writer.records.last(), (QStringList { "", "", "" }));
}

void CsvTest::rows_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<QStringList>>("rows");   // complete rows, then the rest
    QTest::addColumn<bool>("lastComplete");

    QTest::newRow("simple") << QByteArray("a,b\nc,d\n") << QList<QStringList> { { "a", "b" }, { "c", "d" }, { "" } }
                            << false;
    QTest::newRow("CR LF") << QByteArray("a,b\r\n") << QList<QStringList> { { "a", "b" }, { "" } } << false;
    QTest::newRow("three-field quote example")
        << QByteArray("\"x\",\"y\"\"z\",w\n") << QList<QStringList> { { "x", "y\"z", "w" }, { "" } } << false;
    QTest::newRow("quote in the middle opens quoted text")
        << QByteArray("a\"b,c\nd\"e,f\n") << QList<QStringList> { { "ab,c\nde", "f" }, { "" } } << false;
    QTest::newRow("second quote in a field is a byte")
        << QByteArray("\"a\"b\"c,d\n") << QList<QStringList> { { "ab\"c", "d" }, { "" } } << false;
    QTest::newRow("quoted line breaks and commas")
        << QByteArray("\"1,\r\n2\",3\n") << QList<QStringList> { { "1,\r\n2", "3" }, { "" } } << false;
    QTest::newRow("quoted CR LF only") << QByteArray("\"\r\n\"\n") << QList<QStringList> { { "\r\n" }, { "" } }
                                       << false;
    QTest::newRow("empty fields") << QByteArray(",,\n") << QList<QStringList> { { "", "", "" }, { "" } } << false;
    QTest::newRow("blank line is one empty field") << QByteArray("a\n\nb\n")
                                                   << QList<QStringList> { { "a" }, { "" }, { "b" }, { "" } }
                                                   << false;
    QTest::newRow("no final line feed") << QByteArray("a,b\nc,d")
                                        << QList<QStringList> { { "a", "b" }, { "c", "d" } } << false;
    QTest::newRow("unclosed quote at the end") << QByteArray("\"abc\n")
                                               << QList<QStringList> { { "abc\n" } } << false;
    QTest::newRow("UTF-8") << QByteArray("Z\xC3\xBCrich\n") << QList<QStringList> { { QStringLiteral("Zürich") }, { "" } }
                           << false;
}

void CsvTest::rows()
{
    QFETCH(QByteArray, text);
    QFETCH(QList<QStringList>, rows);
    QFETCH(bool, lastComplete);
    QBuffer buffer(&text);
    buffer.open(QIODevice::ReadOnly);
    CSVRowReader reader(buffer);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        bool complete = false;
        const QStringList row = reader.readRow(false, &complete);
        QCOMPARE(row, rows.at(i));
        QCOMPARE(complete, i + 1 < rows.size() ? true : lastComplete);
    }
}

void CsvTest::byteOrderMarkOnlyAtTheStart()
{
    QByteArray text("\xEF\xBB\xBF" "First Name\n\xEF\xBB\xBF" "Ann\n");
    QBuffer buffer(&text);
    buffer.open(QIODevice::ReadOnly);
    CSVRowReader reader(buffer);
    bool complete = false;
    QCOMPARE(reader.readRow(true, &complete), QStringList { "First Name" });
    QVERIFY(complete);
    QCOMPARE(reader.readRow(false, &complete), QStringList { QStringLiteral("\uFEFFAnn") });

    QByteArray shortText("ab");
    QBuffer shortBuffer(&shortText);
    shortBuffer.open(QIODevice::ReadOnly);
    CSVRowReader shortReader(shortBuffer);
    QCOMPARE(shortReader.readRow(true, &complete), QStringList { "ab" });
    QVERIFY(!complete);

    QByteArray empty;
    QBuffer emptyBuffer(&empty);
    emptyBuffer.open(QIODevice::ReadOnly);
    CSVRowReader emptyReader(emptyBuffer);
    QCOMPARE(emptyReader.readRow(true, &complete), QStringList());
    QVERIFY(!complete);

    const CSVImport imported = importText("\xEF\xBB\xBF" "First Name\nAnn\n");
    QCOMPARE(imported.header(), QStringList { "First Name" });
}

void CsvTest::rowsAcrossBufferRefills()
{
    const QByteArray text("\xEF\xBB\xBF" "First Name,Notes\n\"Ann\",\"a \"\"b\"\",\nc\"\r\nBo,\"x\"\"\"\n");
    const CSVImport whole = importText(text);
    QCOMPARE(whole.count(), 2);
    for (qint64 step = 1; step <= 4; ++step) {
        TrickleDevice device(text, step);
        CSVImport pieces;
        pieces.openDevice(device);
        QCOMPARE(pieces.header(), (QStringList { "First Name", "Notes" }));
        QCOMPARE(pieces.count(), 2);
        QCOMPARE(pieces.row(0), (QStringList { "Ann", "a \"b\",\nc" }));
        QCOMPARE(pieces.row(1), (QStringList { "Bo", "x\"" }));
    }
}

void CsvTest::headerTable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("valueColumn");
    QTest::addColumn<int>("typeColumn");

    QTest::newRow("Title") << "Title" << 1 << 0 << int(data5) << 0;
    QTest::newRow("Nickname") << "Nickname" << 5 << 1 << int(data1) << 0;
    QTest::newRow("Job Title") << "Job Title" << 10 << 0 << int(data4) << int(data2);
    QTest::newRow("E-mail 3 Address") << "E-mail 3 Address" << 4 << 0 << int(data1) << int(data2);
    QTest::newRow("Business Phone 2") << "Business Phone 2" << 3 << 17 << int(data1) << int(data2);
    QTest::newRow("TTY/TDD Phone") << "TTY/TDD Phone" << 3 << 16 << int(data1) << int(data2);
    QTest::newRow("Business Postal Code") << "Business Postal Code" << 12 << 2 << int(data9) << int(data2);
    QTest::newRow("Other Country") << "Other Country" << 12 << 0 << int(data10) << int(data2);
    QTest::newRow("Tel:Work Mobile") << "Tel:Work Mobile" << 3 << 17 << int(data1) << int(data2);
    QTest::newRow("IM:Gadu Gadu") << "IM:Gadu Gadu" << 8 << 10 << int(data1) << int(data5);
    QTest::newRow("Addr:Work:Postcode") << "Addr:Work:Postcode" << 12 << 2 << int(data9) << int(data2);
    QTest::newRow("case-sensitive") << "first name" << 0 << 0 << 0 << 0;
    QTest::newRow("German") << "Vorname" << 0 << 0 << 0 << 0;
    QTest::newRow("Tel: without a known label") << "Tel:Fax" << 0 << 0 << 0 << 0;
}

void CsvTest::headerTable()
{
    QFETCH(QString, name);
    QFETCH(int, kind);
    QFETCH(int, type);
    QFETCH(int, valueColumn);
    QFETCH(int, typeColumn);
    const CSVHeaderMapping m = lookupHeader(name);
    QCOMPARE(m.kind, kind);
    QCOMPARE(m.type, type);
    QCOMPARE(m.valueColumn, valueColumn);
    QCOMPARE(m.typeColumn, typeColumn);
}

// Every column name the exporter can write is one the importer reads back
// to the same kind and type.
void CsvTest::generatedHeadersCoverEveryLabel()
{
    const struct
    {
        QString prefix;
        const LabelTable &labels;
        int kind;
    } tables[] = {
        { "Tel:", phoneTypeLabels(), ENTITY_PHONE },     { "Email:", emailTypeLabels(), ENTITY_EMAIL },
        { "Date:", eventTypeLabels(), ENTITY_EVENT },    { "IM:", imProtocolLabels(), ENTITY_IM },
        { "Rel:", relationTypeLabels(), ENTITY_RELATION }, { "Url:", websiteTypeLabels(), ENTITY_WEBSITE },
    };
    for (const auto &t : tables) {
        for (auto it = t.labels.cbegin(); it != t.labels.cend(); ++it) {
            const CSVHeaderMapping m = lookupHeader(t.prefix + it.value());
            QCOMPARE(m.kind, t.kind);
            QCOMPARE(m.type, it.key());
        }
    }
    for (auto it = addressTypeLabels().cbegin(); it != addressTypeLabels().cend(); ++it) {
        for (const char *part : { ":Street", ":City", ":State", ":Postcode", ":Country" }) {
            const CSVHeaderMapping m = lookupHeader("Addr:" + it.value() + QLatin1String(part));
            QCOMPARE(m.kind, int(ENTITY_POSTAL_ADDRESS));
            QCOMPARE(m.type, it.key());
        }
    }
}

void CsvTest::rowToContact_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<Contact>("expected");

    Contact name;
    Entity n = entity({ { data5, "Dr." }, { data2, "Ann" }, { data3, "Lee" } });
    n.setText(data1, formatPersonName(n));
    name.fullName = n.text(data1);
    name.addEntity(ENTITY_NAME, n);
    QTest::newRow("name parts") << QByteArray("Title,Given Name,Family Name,Unknown\nDr.,Ann,Lee,x\n") << name;

    Contact joined;
    Entity street = entity({ { data4, "1 Main St Apt 2 Rear" }, { data7, "Springfield" } });
    street.setValue(data2, 1);
    street.setText(data1, formatPostalAddress(street));
    // Street parts are joined; a second home phone is a second phone, not
    // more digits of the first.
    Entity home = entity({ { data1, "100" } });
    home.setValue(data2, 1);
    Entity home2 = entity({ { data1, "200" } });
    home2.setValue(data2, 1);
    joined.addEntity(ENTITY_PHONE, home);
    joined.addEntity(ENTITY_PHONE, home2);
    joined.addEntity(ENTITY_POSTAL_ADDRESS, street);
    QTest::newRow("joined columns")
        << QByteArray("Home Street,Home Street 2,Home Street 3,Home City,Home Phone,Home Phone 2\n"
                      "1 Main St,Apt 2,Rear,Springfield,100,200\n")
        << joined;

    Contact typeZero;
    typeZero.addEntity(ENTITY_PHONE, entity({ { data1, "444" } }));
    typeZero.addEntity(ENTITY_EMAIL, entity({ { data1, "c@x" } }));
    QTest::newRow("type 0 is not written") << QByteArray("Other Phone,E-mail 3 Address\n444,c@x\n") << typeZero;

    // Entities come in the text order of their "kind-type" keys: 3-12 before 3-2.
    Contact order;
    Entity mobile = entity({ { data1, "2" } });
    mobile.setValue(data2, 2);
    Entity main = entity({ { data1, "12" } });
    main.setValue(data2, 12);
    order.addEntity(ENTITY_PHONE, main);
    order.addEntity(ENTITY_PHONE, mobile);
    QTest::newRow("group key order") << QByteArray("Mobile Phone,Primary Phone\n2,12\n") << order;

    Contact im;
    Entity skype = entity({ { data1, "ann.lee" } });
    skype.setValue(data5, 4);
    skype.setValue(data2, 1);
    im.addEntity(ENTITY_IM, skype);
    QTest::newRow("IM gets type 1") << QByteArray("IM:Skype\nann.lee\n") << im;

    Contact org;
    org.addEntity(ENTITY_ORGANIZATION, entity({ { data1, "Acme" }, { data4, "Boss" } }));
    org.addEntity(ENTITY_NOTE, entity({ { data1, "a\nb" } }));
    QTest::newRow("organization, quoted note") << QByteArray("Company,Job Title,Department,Notes\r\nAcme,Boss,,\"a\nb\"\r\n")
                                               << org;

    QTest::newRow("blank line: a contact without entities") << QByteArray("First Name\n\n") << Contact();
}

void CsvTest::rowToContact()
{
    QFETCH(QByteArray, text);
    QFETCH(Contact, expected);
    CSVImport reader = importText(text);
    QCOMPARE(reader.count(), 1);
    const Contact c = reader.next();
    QVERIFY2(c == expected, qPrintable(describe(c) + QStringLiteral("\n   expected ") + describe(expected)));
    QVERIFY(!reader.hasNext());
}

void CsvTest::shortRowsAndExtraFields()
{
    CSVImport reader = importText("First Name,Last Name\nAnn\nBo,Lee,extra,fields\n");
    QCOMPARE(reader.count(), 2);
    QCOMPARE(reader.next().fullName, QStringLiteral("Ann"));
    QCOMPARE(reader.next().fullName, QStringLiteral("Bo Lee"));
    QCOMPARE(reader.next(), Contact());
}

// The last row counts even without a line feed after it; only nothing at
// all after the last line feed is no row.
void CsvTest::lastRowWithoutLineFeed_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("line feed at the end") << QByteArray("First Name\nAnn\nBo\n") << QStringList { "Ann", "Bo" };
    QTest::newRow("no line feed at the end") << QByteArray("First Name\nAnn\nBo") << QStringList { "Ann", "Bo" };
    QTest::newRow("CR LF file without the last") << QByteArray("First Name\r\nAnn\r\nBo") << QStringList { "Ann", "Bo" };
    QTest::newRow("only a carriage return after") << QByteArray("First Name\nAnn\n\r") << QStringList { "Ann" };
    QTest::newRow("header only, no line feed") << QByteArray("First Name") << QStringList();
    QTest::newRow("empty") << QByteArray() << QStringList();
}

void CsvTest::lastRowWithoutLineFeed()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, names);
    CSVImport reader = importText(text);
    QStringList read;
    while (reader.hasNext())
        read.append(reader.next().fullName);
    QCOMPARE(read, names);
}

// What the exporter writes, the importer reads back.
void CsvTest::roundTripOfOwnColumns()
{
    Contact c;
    Entity name = entity({ { data2, "Ann" }, { data3, "Lee" }, { data4, "M" }, { data5, "Dr." }, { data6, "Jr." } });
    name.setText(data1, formatPersonName(name));
    c.fullName = name.text(data1);
    c.addEntity(ENTITY_NAME, name);
    c.addEntity(ENTITY_PHONE, entity({ { data1, "+1, 555" }, { data2, "17" } }));
    c.addEntity(ENTITY_EMAIL, entity({ { data1, "a@b" }, { data2, "2" } }));
    c.addEntity(ENTITY_NOTE, entity({ { data1, "say \"hi\"\nbye" } }));
    c.addEntity(ENTITY_POSTAL_ADDRESS, entity({ { data2, "2" }, { data4, "S" }, { data7, "C" }, { data10, "N" } }));
    c.addEntity(ENTITY_WEBSITE, entity({ { data1, "u" }, { data2, "3" } }));

    QTemporaryDir dir;
    QFile file(dir.filePath("out.csv"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    CSVExport writer;
    file.write(writer.exportHeader({ c }));
    file.write(writer.exportContact(c));
    file.write(writer.exportFooter());
    file.close();

    CSVImport reader;
    reader.open(file.fileName());
    QCOMPARE(reader.count(), 1);
    const Contact back = reader.next();
    QCOMPARE(back.fullName, c.fullName);
    QCOMPARE(back.firstEntity(ENTITY_NAME)->text(data4), QStringLiteral("M"));
    QCOMPARE(back.firstEntity(ENTITY_PHONE)->text(data1), QStringLiteral("+1, 555"));
    QCOMPARE(back.firstEntity(ENTITY_PHONE)->toInt(data2), 17);
    QCOMPARE(back.firstEntity(ENTITY_EMAIL)->toInt(data2), 2);
    QCOMPARE(back.firstEntity(ENTITY_NOTE)->text(data1), QStringLiteral("say \"hi\"\nbye"));
    QCOMPARE(back.firstEntity(ENTITY_POSTAL_ADDRESS)->text(data1), QStringLiteral("S\nC\nN"));
    QCOMPARE(back.firstEntity(ENTITY_POSTAL_ADDRESS)->toInt(data2), 2);
    QCOMPARE(back.firstEntity(ENTITY_WEBSITE)->toInt(data2), 3);
}

void CsvTest::missingFileThrows()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("missing.csv");
    QFile probe(path);
    QVERIFY(!probe.open(QIODevice::ReadOnly));
    CSVImport reader;
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, reader.open(path));
    try {
        reader.open(path);
    } catch (const std::runtime_error &e) {
        QCOMPARE(QString::fromUtf8(e.what()), probe.errorString());
    }
}

// One reader opened on one file and then another, whose first column group
// is of another kind: the second file's type labels read as that kind's.
void CsvTest::reopenedReaderReadsTheNewFileAfresh()
{
    const auto readFirst = [](CSVImport &reader, const QByteArray &text) {
        QByteArray copy = text;
        QBuffer buffer(&copy);
        buffer.open(QIODevice::ReadOnly);
        reader.openDevice(buffer);
        return reader.next();
    };
    const QByteArray phones = "Name,Phone 1 - Type,Phone 1 - Value\nAnn,Work,030 1\n";
    const QByteArray mails = "Name,E-mail 1 - Type,E-mail 1 - Value\nBo,Work,bo@x.example\n";
    const Contact alone = importText(mails).next();
    CSVImport reader;
    QCOMPARE(readFirst(reader, phones).entities.value(ENTITY_PHONE).value(0).text(data2), QStringLiteral("3"));
    const Contact second = readFirst(reader, mails);
    QCOMPARE(second.entities.value(ENTITY_EMAIL).value(0).text(data2), QStringLiteral("2"));
    QCOMPARE(second, alone);
}

QTEST_GUILESS_MAIN(CsvTest)
#include "csvtest.moc"
