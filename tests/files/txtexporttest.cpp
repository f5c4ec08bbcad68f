// The fixed-width text export: column widths, padding, line breaks inside
// values, long values, and a golden table.
#include "exportfixtures.h"
#include "files/txtexport.h"
#include "tests/support/testpaths.h"

#include <QFile>
#include <QTest>

using namespace pim;
using exportfixture::contact;
using exportfixture::entity;

class TxtExportTest : public QObject
{
    Q_OBJECT

private slots:
    void columnWidth_data();
    void columnWidth();
    void headerPadsEveryColumn();
    void noteLineBreaksBecomeSpaces_data();
    void noteLineBreaksBecomeSpaces();
    void longValueWidensItsLineOnly();
    void golden();
};

void TxtExportTest::columnWidth_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("width");
    for (const char *name : {"Prefix", "First Name", "Middle Name", "Last Name", "Suffix", "Nickname", "Category",
                             "Company", "Department", "Job Title"})
        QTest::newRow(name) << QString::fromLatin1(name) << 25;
    QTest::newRow("Tel:") << "Tel:Mobile" << 25;
    QTest::newRow("Email:") << "Email:Home" << 25;
    QTest::newRow("IM:") << "IM:Skype" << 25;
    QTest::newRow("Rel:") << "Rel:Brother" << 25;
    QTest::newRow("Date:") << "Date:Birthday" << 20;
    QTest::newRow("Addr:City") << "Addr:Home:City" << 25;
    QTest::newRow("Addr:Street") << "Addr:Work:Street" << 50;
    QTest::newRow("Url:") << "Url:Homepage" << 60;
    QTest::newRow("Notes") << "Notes" << 100;
    QTest::newRow("other") << "Whatever" << 25;
}

void TxtExportTest::columnWidth()
{
    QFETCH(QString, name);
    QFETCH(int, width);
    QCOMPARE(TxtExport::columnWidth(name), width);
}

void TxtExportTest::headerPadsEveryColumn()
{
    TxtExport exporter;
    const Contact c = contact(1, QStringLiteral("Ann"),
                              {{ENTITY_NAME, entity({{data2, QStringLiteral("Ann")}})},
                               {ENTITY_EVENT, entity({{data1, QStringLiteral("2000-01-02")}, {data2, QStringLiteral("3")}})}});
    const QByteArray header = exporter.exportHeader({c});
    QCOMPARE(exporter.widths(), QList<int>({25, 20}));
    // The last column is padded too.
    QCOMPARE(header, QByteArray("First Name               Date:Birthday       \n"));
    QCOMPARE(exporter.exportContact(c), QByteArray("Ann                      2000-01-02          \n"));
    QCOMPARE(exporter.exportFooter(), QByteArray());
}

void TxtExportTest::noteLineBreaksBecomeSpaces_data()
{
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("written");
    QTest::newRow("LF") << "one\ntwo" << "one two";
    QTest::newRow("CR LF") << "one\r\ntwo" << "one  two";
    QTest::newRow("CR") << "a\rb\rc" << "a b c";
    QTest::newRow("none") << "plain" << "plain";
}

void TxtExportTest::noteLineBreaksBecomeSpaces()
{
    QFETCH(QString, note);
    QFETCH(QString, written);
    TxtExport exporter;
    const Contact c = contact(1, QStringLiteral("N"), {{ENTITY_NOTE, entity({{data1, note}})}});
    (void)exporter.exportHeader({c});
    const QByteArray line = exporter.exportContact(c);
    QCOMPARE(line.count('\n'), 1);
    QVERIFY(!line.contains('\r'));
    QCOMPARE(line, (written + QString(100 - written.size(), u' ') + u'\n').toUtf8());
}

void TxtExportTest::longValueWidensItsLineOnly()
{
    TxtExport exporter;
    const QString longNumber = QStringLiteral("+49 (0) 30 1234 5678 9012 3456");
    QCOMPARE(longNumber.size(), 30);
    const Contact a = contact(1, QStringLiteral("A"),
                              {{ENTITY_PHONE, entity({{data1, longNumber}, {data2, QStringLiteral("2")}})},
                               {ENTITY_EMAIL, entity({{data1, QStringLiteral("a@x.org")}, {data2, QStringLiteral("1")}})}});
    const Contact b = contact(2, QStringLiteral("B"),
                              {{ENTITY_PHONE, entity({{data1, QStringLiteral("123")}, {data2, QStringLiteral("2")}})},
                               {ENTITY_EMAIL, entity({{data1, QStringLiteral("b@x.org")}, {data2, QStringLiteral("1")}})}});
    (void)exporter.exportHeader({a, b});
    const QString lineA = QString::fromUtf8(exporter.exportContact(a));
    const QString lineB = QString::fromUtf8(exporter.exportContact(b));
    // Nothing is cut; the e-mail starts right after the long number.
    QCOMPARE(lineA, longNumber + QStringLiteral("a@x.org") + QString(25 - 7, u' ') + u'\n');
    QCOMPARE(lineB.indexOf(QStringLiteral("b@x.org")), 25);
}

void TxtExportTest::golden()
{
    const QList<Contact> contacts = {
        contact(1, QStringLiteral("Dr. Ann Lee"),
                {{ENTITY_NAME, entity({{data5, QStringLiteral("Dr.")}, {data2, QStringLiteral("Ann")},
                                       {data3, QStringLiteral("Lee")}})},
                 {ENTITY_PHONE, entity({{data1, QStringLiteral("+1 555 0100")}, {data2, QStringLiteral("2")}})},
                 {ENTITY_ORGANIZATION, entity({{data1, QStringLiteral("Acme")}, {data4, QStringLiteral("Manager")}})},
                 {ENTITY_POSTAL_ADDRESS, entity({{data2, QStringLiteral("1")}, {data4, QStringLiteral("1 Main St")},
                                                 {data7, QStringLiteral("Springfield")}})},
                 {ENTITY_NOTE, entity({{data1, QStringLiteral("likes tea\nand cake")}})}}),
        contact(2, QStringLiteral("Jürgen Öz"),
                {{ENTITY_NAME, entity({{data2, QStringLiteral("Jürgen")}, {data3, QStringLiteral("Öz")}})},
                 {ENTITY_EMAIL, entity({{data1, QStringLiteral("jo@example.org")}, {data2, QStringLiteral("2")}})},
                 {ENTITY_WEBSITE, entity({{data1, QStringLiteral("https://example.org/jo")}, {data2, QStringLiteral("1")}})}}),
    };
    TxtExport exporter;
    QByteArray out = exporter.exportHeader(contacts);
    for (const Contact &c : contacts)
        out += exporter.exportContact(c);
    out += exporter.exportFooter();

    QFile ref(testpaths::testData(QStringLiteral("files/export/two_contacts.txt")));
    QVERIFY2(ref.open(QIODevice::ReadOnly), qPrintable(ref.fileName()));
    const QList<QByteArray> expected = ref.readAll().split('\n');
    const QList<QByteArray> actual = out.split('\n');
    for (qsizetype i = 0; i < qMin(expected.size(), actual.size()); ++i)
        QCOMPARE(actual.at(i), expected.at(i));
    QCOMPARE(actual.size(), expected.size());
}

QTEST_GUILESS_MAIN(TxtExportTest)
#include "txtexporttest.moc"
