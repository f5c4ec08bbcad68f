#include "contacts/contactformat.h"
#include "files/vcardexport.h"
#include "tests/files/filestesthelpers.h"

#include <QTest>

using namespace pim;
using namespace filestest;

class VCardExportTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void quotedPrintable_data();
    void quotedPrintable();
    void base64Folded_data();
    void base64Folded();
    void escapeOnlySemicolons_data();
    void escapeOnlySemicolons();
    void serializerSortsParametersAndEndsLinesWithCrLf();
    void workedExample();
    void entityLines_data();
    void entityLines();
    void directOutputEqualsSerializedCard();
    void emptyContactHasFourLines();
    void everyEntityYieldsItsLineEvenWhenEmpty();
    void contactsMeetWithoutBlankLine();
    void headerAndFooterAreEmpty();
};

void VCardExportTest::quotedPrintable_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("printable") << QByteArray("Ab!~;") << QByteArray("Ab!~;");
    QTest::newRow("equals sign") << QByteArray("a=b") << QByteArray("a=3Db");
    QTest::newRow("space and tab") << QByteArray("a b\tc") << QByteArray("a=20b=09c");
    QTest::newRow("line breaks") << QByteArray("1\r\n2\n3") << QByteArray("1=0D=0A2=0A3");
    QTest::newRow("bytes from 0x80") << QByteArray("\x80\xC3\xA9\xFF") << QByteArray("=80=C3=A9=FF");
    QTest::newRow("control and nul") << QByteArray("\x01\x00\x7F", 3) << QByteArray("=01=00=7F");
    // No soft line breaks, however long the value.
    QTest::newRow("long") << QByteArray(200, 'x') << QByteArray(200, 'x');
}

void VCardExportTest::quotedPrintable()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    QCOMPARE(encodeQuotedPrintable(input), expected);
}

void VCardExportTest::base64Folded_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<qsizetype>>("pieceLengths");
    QTest::newRow("empty") << QByteArray() << 75 << QList<qsizetype>();
    // Base64 comes in fours: 54 bytes are 72 characters, 57 bytes 76.
    QTest::newRow("one short line") << QByteArray(54, 'a') << 75 << QList<qsizetype> { 72 };
    QTest::newRow("76 gives a one-character line") << QByteArray(57, 'a') << 75 << QList<qsizetype> { 75, 1 };
    QTest::newRow("exactly the width") << QByteArray("abc") << 4 << QList<qsizetype> { 4 };
    QTest::newRow("one over the width") << QByteArray("abcd") << 7 << QList<qsizetype> { 7, 1 };
    QTest::newRow("several lines") << QByteArray(200, 'z') << 75 << QList<qsizetype> { 75, 75, 75, 43 };
    QTest::newRow("narrow") << QByteArray("abcdef") << 3 << QList<qsizetype> { 3, 3, 2 };
}

void VCardExportTest::base64Folded()
{
    QFETCH(QByteArray, input);
    QFETCH(int, width);
    QFETCH(QList<qsizetype>, pieceLengths);
    const QByteArray folded = encodeBase64Folded(input, width);
    const QList<QByteArray> pieces = folded.isEmpty() ? QList<QByteArray>() : folded.split('\n');
    QCOMPARE(pieces.size(), pieceLengths.size());
    QByteArray joined;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        QByteArray piece = pieces.at(i);
        if (i + 1 < pieces.size()) {
            QVERIFY(piece.endsWith('\r'));
            piece.chop(1);
        }
        if (i > 0) {
            QVERIFY2(piece.startsWith(' '), piece.constData());
            piece.remove(0, 1);
        }
        QCOMPARE(piece.size(), pieceLengths.at(i));
        joined += piece;
    }
    QCOMPARE(QByteArray::fromBase64(joined), input);
}

void VCardExportTest::escapeOnlySemicolons_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("semicolons") << "a;b;" << "a\\;b\\;";
    QTest::newRow("comma stays; backslash and line break are escaped") << "a,b\\c\nd" << "a,b\\\\c\\nd";
    QTest::newRow("CR LF is one line break") << "a\r\nb" << "a\\nb";
}

void VCardExportTest::escapeOnlySemicolons()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(escapeComponent(input), expected);
}

void VCardExportTest::serializerSortsParametersAndEndsLinesWithCrLf()
{
    VCardProperty p("ADR", "v");
    p.setParam("TYPE", "home");
    p.setParam("ENCODING", "QUOTED-PRINTABLE");
    p.setParam("CHARSET", "UTF-8");
    p.setParam("TYPE", "work");   // replaces
    VCardProperty bare("X", QByteArray());
    QCOMPARE(serializeCard({ p, bare }),
             QByteArray("BEGIN:VCARD\r\nADR;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE;TYPE=work:v\r\nX:\r\nEND:VCARD\r\n"));
}

// A contact with one of each common entity, line by line.
void VCardExportTest::workedExample()
{
    Contact c;
    Entity name = entity({ { data2, "FIRST" }, { data3, "LAST" }, { data4, "MIDDLE" }, { data5, "PREFIX" },
                           { data6, "SUFFIX" } });
    name.setText(data1, formatPersonName(name));
    c.fullName = name.text(data1);
    c.addEntity(ENTITY_NAME, name);
    Entity photo;
    const QByteArray image(120, '\xAB');
    photo.setValue(data15, image);
    c.addEntity(ENTITY_PHOTO, photo);
    c.addEntity(ENTITY_PHONE, entity({ { data1, "+1 555 0100" }, { data2, "2" } }));
    c.addEntity(ENTITY_EMAIL, entity({ { data1, "ann@example.org" }, { data2, "2" } }));
    c.addEntity(ENTITY_EVENT, entity({ { data1, "1980-02-29T00:00:00" }, { data2, "3" } }));
    c.addEntity(ENTITY_GROUP_MEMBERSHIP, entity({ { data1, "4" }, { data2, "GROUP" } }));
    c.addEntity(ENTITY_NOTE, entity({ { data1, "LINE 1\r\nLINE2" } }));
    c.addEntity(ENTITY_ORGANIZATION, entity({ { data1, "COMPANY" }, { data4, "TITLE" }, { data5, "DEPARTMENT" } }));
    c.addEntity(ENTITY_POSTAL_ADDRESS, entity({ { data2, "1" }, { data4, "STREET" }, { data7, "CITY" },
                                                { data8, "STATE" }, { data9, "POSTCODE" }, { data10, "COUNTRY" } }));

    const QList<QByteArray> lines = cardLines(VCardExport().exportContact(c));
    const QByteArray base64 = image.toBase64();   // 160 characters: 75 + 75 + 10
    const QList<QByteArray> expected {
        "BEGIN:VCARD",
        "VERSION:3.0",
        "FN;CHARSET=UTF-8:PREFIX FIRST MIDDLE LAST SUFFIX",
        "N;CHARSET=UTF-8:LAST;FIRST;MIDDLE;PREFIX;SUFFIX",
        "PHOTO;ENCODING=B;TYPE=JPEG:" + base64.left(75),
        " " + base64.mid(75, 75),
        " " + base64.mid(150),
        "TEL;TYPE=cell:+1 555 0100",
        "EMAIL;TYPE=internet,work:ann@example.org",
        "BDAY:1980-02-29T00:00:00",
        "CATEGORIES;CHARSET=UTF-8:GROUP",
        "NOTE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:LINE=201=0D=0ALINE2",
        "TITLE;CHARSET=UTF-8:TITLE",
        "ORG;CHARSET=UTF-8:COMPANY;DEPARTMENT;;",
        "ADR;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE;TYPE=home:;;STREET;CITY;STATE;POSTCODE;COUNTRY",
        "END:VCARD",
    };
    QCOMPARE(lines.size(), expected.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        QCOMPARE(lines.at(i), expected.at(i));
}

// The line one entity gives (the line after FN).
void VCardExportTest::entityLines_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<Entity>("value");
    QTest::addColumn<QList<QByteArray>>("expected");

    QTest::newRow("empty name keeps four separators")
        << int(ENTITY_NAME) << Entity() << QList<QByteArray> { "N;CHARSET=UTF-8:;;;;" };
    QTest::newRow("family name comes first")
        << int(ENTITY_NAME) << entity({ { data2, "Ann" }, { data3, "Lee" } })
        << QList<QByteArray> { "N;CHARSET=UTF-8:Lee;Ann;;;" };
    QTest::newRow("semicolon escaped in a name")
        << int(ENTITY_NAME) << entity({ { data2, "A;B" }, { data6, "x;" } })
        << QList<QByteArray> { "N;CHARSET=UTF-8:;A\\;B;;;x\\;" };
    QTest::newRow("empty photo")
        << int(ENTITY_PHOTO) << Entity() << QList<QByteArray> { "PHOTO;ENCODING=B;TYPE=JPEG:" };
    QTest::newRow("phone home") << int(ENTITY_PHONE) << entity({ { data1, "1" }, { data2, "1" } })
                                << QList<QByteArray> { "TEL;TYPE=home,voice:1" };
    QTest::newRow("phone work fax") << int(ENTITY_PHONE) << entity({ { data1, "1" }, { data2, "4" } })
                                    << QList<QByteArray> { "TEL;TYPE=work,fax:1" };
    QTest::newRow("phone type with a leading zero") << int(ENTITY_PHONE) << entity({ { data1, "1" }, { data2, "02" } })
                                                    << QList<QByteArray> { "TEL;TYPE=cell:1" };
    Entity numeric = entity({ { data1, "1" } });
    numeric.setValue(data2, 4);
    QTest::newRow("phone type as a number") << int(ENTITY_PHONE) << numeric << QList<QByteArray> { "TEL;TYPE=work,fax:1" };
    QTest::newRow("phone type in other digits") << int(ENTITY_PHONE)
                                                << entity({ { data1, "1" }, { data2, QStringLiteral("\u0662") } })
                                                << QList<QByteArray> { "TEL:1" };
    QTest::newRow("phone type without TYPE or label") << int(ENTITY_PHONE) << entity({ { data1, "1" }, { data2, "7" } })
                                                      << QList<QByteArray> { "TEL:1" };
    QTest::newRow("phone main without TYPE goes as its label")
        << int(ENTITY_PHONE) << entity({ { data1, "1" }, { data2, "12" } })
        << QList<QByteArray> { "item1.TEL:1", "item1.X-ABLabel;CHARSET=UTF-8:Main" };
    QTest::newRow("phone work mobile without TYPE goes as its label")
        << int(ENTITY_PHONE) << entity({ { data1, "1" }, { data2, "17" } })
        << QList<QByteArray> { "item1.TEL:1", "item1.X-ABLabel;CHARSET=UTF-8:Work Mobile" };
    QTest::newRow("e-mail work") << int(ENTITY_EMAIL) << entity({ { data1, "a@b" }, { data2, "2" } })
                                 << QList<QByteArray> { "EMAIL;TYPE=internet,work:a@b" };
    QTest::newRow("e-mail home") << int(ENTITY_EMAIL) << entity({ { data1, "a@b" }, { data2, "1" } })
                                 << QList<QByteArray> { "EMAIL;TYPE=internet:a@b" };
    QTest::newRow("e-mail other") << int(ENTITY_EMAIL) << entity({ { data1, "a@b" }, { data2, "0" } })
                                  << QList<QByteArray> { "EMAIL;TYPE=internet,other:a@b" };
    QTest::newRow("e-mail mobile") << int(ENTITY_EMAIL) << entity({ { data1, "a@b" }, { data2, "4" } })
                                   << QList<QByteArray> { "EMAIL;TYPE=internet,cell:a@b" };
    QTest::newRow("group names with commas are escaped")
        << int(ENTITY_GROUP_MEMBERSHIP) << entity({ { data2, "Friends, Family" } })
        << QList<QByteArray> { "CATEGORIES;CHARSET=UTF-8:Friends\\, Family" };
    QTest::newRow("im work") << int(ENTITY_IM) << entity({ { data1, "me" }, { data2, "2" }, { data5, "8" } })
                             << QList<QByteArray> { "X-IM;CHARSET=UTF-8;TYPE=jabber,work:me" };
    QTest::newRow("title with a backslash and a line break")
        << int(ENTITY_ORGANIZATION) << entity({ { data4, "a\\b\nc" } })
        << QList<QByteArray> { "TITLE;CHARSET=UTF-8:a\\\\b\\nc", "ORG;CHARSET=UTF-8:;;;" };
    QTest::newRow("nickname unescaped") << int(ENTITY_NICKNAME) << entity({ { data1, "x;y" } })
                                        << QList<QByteArray> { "NICKNAME;CHARSET=UTF-8:x;y" };
    QTest::newRow("anniversary") << int(ENTITY_EVENT) << entity({ { data1, "D" }, { data2, "1" } })
                                 << QList<QByteArray> { "X-EVENT;TYPE=anniversary:D" };
    QTest::newRow("event type 2") << int(ENTITY_EVENT) << entity({ { data1, "D" }, { data2, "2" } })
                                  << QList<QByteArray> { "X-EVENT;TYPE=other:D" };
    QTest::newRow("birthday") << int(ENTITY_EVENT) << entity({ { data1, "D" }, { data2, "3" } })
                              << QList<QByteArray> { "BDAY:D" };
    QTest::newRow("group name") << int(ENTITY_GROUP_MEMBERSHIP) << entity({ { data1, "7" }, { data2, "A;B" } })
                                << QList<QByteArray> { "CATEGORIES;CHARSET=UTF-8:A;B" };
    QTest::newRow("im skype") << int(ENTITY_IM) << entity({ { data1, "me" }, { data5, "4" } })
                              << QList<QByteArray> { "X-IM;CHARSET=UTF-8;TYPE=skype:me" };
    QTest::newRow("im unknown protocol") << int(ENTITY_IM) << entity({ { data1, "me" }, { data5, "12" } })
                                         << QList<QByteArray> { "X-IM;CHARSET=UTF-8:me" };
    QTest::newRow("note quoted-printable")
        << int(ENTITY_NOTE) << entity({ { data1, QString::fromUtf8("é=") } })
        << QList<QByteArray> { "NOTE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=A9=3D" };
    QTest::newRow("organization always two lines")
        << int(ENTITY_ORGANIZATION) << entity({ { data1, "A;B" } })
        << QList<QByteArray> { "TITLE;CHARSET=UTF-8:", "ORG;CHARSET=UTF-8:A\\;B;;;" };
    QTest::newRow("relation") << int(ENTITY_RELATION) << entity({ { data1, "Bo" }, { data2, "4" } })
                              << QList<QByteArray> { "X-REL;CHARSET=UTF-8;TYPE=dompartner:Bo" };
    QTest::newRow("address other is intl, semicolon escaped before encoding")
        << int(ENTITY_POSTAL_ADDRESS) << entity({ { data2, "0" }, { data4, "1;2" } })
        << QList<QByteArray> { "ADR;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE;TYPE=intl:;;1\\;2;;;;" };
    QTest::newRow("address work") << int(ENTITY_POSTAL_ADDRESS) << entity({ { data2, "2" } })
                                  << QList<QByteArray> { "ADR;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE;TYPE=work:;;;;;;" };
    QTest::newRow("website 0") << int(ENTITY_WEBSITE) << entity({ { data1, "u" }, { data2, "0" } })
                               << QList<QByteArray> { "URL;TYPE=other:u" };
    QTest::newRow("website 7") << int(ENTITY_WEBSITE) << entity({ { data1, "u" }, { data2, "7" } })
                               << QList<QByteArray> { "URL;TYPE=other:u" };
    QTest::newRow("phone with a custom label")
        << int(ENTITY_PHONE) << entity({ { data1, "1" }, { data2, "0" }, { data3, QStringLiteral("Sommerhäuschen") } })
        << QList<QByteArray> { "item1.TEL:1", "item1.X-ABLabel;CHARSET=UTF-8:Sommerh\xC3\xA4uschen" };
    QTest::newRow("address with a custom label")
        << int(ENTITY_POSTAL_ADDRESS) << entity({ { data2, "0" }, { data3, "Cabin" }, { data4, "S" } })
        << QList<QByteArray> { "item1.ADR;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE;TYPE=intl:;;S;;;;",
                               "item1.X-ABLabel;CHARSET=UTF-8:Cabin" };
    QTest::newRow("a label with a line break is escaped")
        << int(ENTITY_WEBSITE) << entity({ { data1, "u" }, { data2, "0" }, { data3, "a\nb" } })
        << QList<QByteArray> { "item1.URL;TYPE=other:u", "item1.X-ABLabel;CHARSET=UTF-8:a\\nb" };
    QTest::newRow("nicknames and organizations carry no label")
        << int(ENTITY_NICKNAME) << entity({ { data1, "n" }, { data2, "0" }, { data3, "L" } })
        << QList<QByteArray> { "NICKNAME;CHARSET=UTF-8:n" };
    QTest::newRow("kind 0 yields nothing") << 0 << entity({ { data1, "x" } }) << QList<QByteArray>();
    QTest::newRow("kind 14 yields nothing") << 14 << entity({ { data1, "x" } }) << QList<QByteArray>();
}

void VCardExportTest::entityLines()
{
    QFETCH(int, kind);
    QFETCH(Entity, value);
    QFETCH(QList<QByteArray>, expected);
    const QList<QByteArray> lines = cardLines(VCardExport().exportContact(contactWith(kind, value, "X;Y")));
    QCOMPARE(lines.mid(0, 3), (QList<QByteArray> { "BEGIN:VCARD", "VERSION:3.0", "FN;CHARSET=UTF-8:X;Y" }));
    QCOMPARE(lines.mid(3, lines.size() - 4), expected);
    QCOMPARE(lines.last(), QByteArray("END:VCARD"));
}

// exportContact writes straight into one buffer; it must give exactly what
// serializeCard gives for the card buildCard makes.
void VCardExportTest::directOutputEqualsSerializedCard()
{
    const QStringList texts { QString(), QStringLiteral("plain"), QStringLiteral("a;b;"), QStringLiteral("Zoë Ñ 安藤 €"),
                              QStringLiteral("x=y\r\nz\t"), QString(QChar(0xD800)) + QStringLiteral("lone") };
    VCardExport writer;
    for (const QString &text : texts) {
        Contact c;
        c.fullName = text;
        for (int kind = FirstEntityKind; kind <= LastEntityKind; ++kind) {
            for (int type : { 0, 1, 2, 3, 4, 5, 6, 9, 11, 13, 14, 99 }) {
                Entity e;
                for (int column = data1; column <= data10; ++column)
                    e.setText(column, text + QString::number(column));
                e.setText(data2, QString::number(type));
                e.setText(data5, QString::number(type));
                e.setValue(data15, text.toUtf8().repeated(type));
                c.addEntity(kind, e);
            }
        }
        c.addEntity(0, Entity());
        c.addEntity(20, Entity());
        const QByteArray direct = writer.exportContact(c);
        QCOMPARE(direct, serializeCard(VCardExport::buildCard(c)));
    }
}

void VCardExportTest::emptyContactHasFourLines()
{
    Contact c;
    c.fullName = QStringLiteral("Zoë");
    QCOMPARE(VCardExport().exportContact(c),
             QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN;CHARSET=UTF-8:Zo\xC3\xAB\r\nEND:VCARD\r\n"));
}

void VCardExportTest::everyEntityYieldsItsLineEvenWhenEmpty()
{
    Contact c;
    for (int kind = FirstEntityKind; kind <= LastEntityKind; ++kind)
        c.addEntity(kind, Entity());
    c.addEntity(ENTITY_PHONE, Entity());
    const VCard card = VCardExport::buildCard(c);
    QList<QByteArray> names;
    for (const VCardProperty &p : card)
        names.append(p.name);
    QCOMPARE(names, (QList<QByteArray> { "VERSION", "FN", "N", "PHOTO", "TEL", "TEL", "EMAIL", "NICKNAME",
                                         "X-EVENT", "CATEGORIES", "X-IM", "NOTE", "TITLE", "ORG", "X-REL", "ADR",
                                         "URL" }));
}

void VCardExportTest::contactsMeetWithoutBlankLine()
{
    VCardExport writer;
    Contact a;
    a.fullName = "A";
    Contact b;
    b.fullName = "B";
    QByteArray file = writer.exportHeader({ a, b });
    file += writer.exportContact(a);
    file += writer.exportContact(b);
    file += writer.exportFooter();
    QVERIFY(file.contains("END:VCARD\r\nBEGIN:VCARD\r\n"));
    QVERIFY(file.startsWith("BEGIN:VCARD\r\n"));
    QVERIFY(file.endsWith("END:VCARD\r\n"));
}

void VCardExportTest::headerAndFooterAreEmpty()
{
    VCardExport writer;
    QVERIFY(writer.exportHeader({ Contact() }).isEmpty());
    QVERIFY(writer.exportFooter().isEmpty());
}

QTEST_GUILESS_MAIN(VCardExportTest)
#include "vcardexporttest.moc"
