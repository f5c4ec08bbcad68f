#include "contacts/contactformat.h"
#include "files/vcardexport.h"
#include "files/vcardcontactbuilder.h"
#include "files/vcardimport.h"
#include "tests/files/filestesthelpers.h"
#include "tests/support/testpaths.h"

#include <QBuffer>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QCoreApplication>
#include <QTest>
#include <QTranslator>

#include <ctime>

using namespace pim;
using namespace filestest;

// Cards to contacts: the mapping of every property, the round trip of the
// writer's own files, and the vCards phones and other programs write.
class VCardImportTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void reportOfWhatWasNotKept_data();
    void reportOfWhatWasNotKept();
    void roundTrip_data();
    void roundTrip();
    void roundTripOfAWholeContactThroughAFile();
    void fullNameWithoutNameEntityIsKept();
    void phoneTypes_data();
    void phoneTypes();
    void otherTypes_data();
    void otherTypes();
    void nameOrder_data();
    void nameOrder();
    void mapping_data();
    void mapping();
    void eventDates_data();
    void eventDates();
    void birthdayOnAMidnightClockChange();
    void androidSoftBreaks();
    void iphoneGroupedProperties();
    void lowerCaseMailClient();
    void olderProgramFiles();
    void textForms_data();
    void textForms();
    void cursor();
    void missingFileThrows();

private:
    QTranslator m_translator;
};

namespace {

QList<Contact> readAll(const QByteArray &text)
{
    QByteArray copy = text;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    VCardImport reader;
    reader.openDevice(buffer);
    QList<Contact> contacts;
    while (reader.hasNext())
        contacts.append(reader.next());
    return contacts;
}

Contact readOne(const QByteArray &text)
{
    const QList<Contact> contacts = readAll(text);
    return contacts.size() == 1 ? contacts.first() : Contact();
}

QByteArray card(const QByteArray &lines)
{
    return "BEGIN:VCARD\r\n" + lines + "END:VCARD\r\n";
}

QString describe(const Entity &e)
{
    QString s;
    QDebug(&s) << e;
    return s;
}

QString describe(const Contact &c)
{
    QString s;
    QDebug(&s) << c;
    return s;
}

Entity named(const QList<QPair<int, QString>> &values)
{
    Entity e = entity(values);
    e.setText(data1, formatPersonName(e));
    return e;
}

Entity address(const QList<QPair<int, QString>> &values)
{
    Entity e = entity(values);
    e.setText(data1, formatPostalAddress(e));
    return e;
}

Entity photo(const QByteArray &bytes)
{
    Entity e;
    e.setValue(data15, bytes);
    return e;
}

} // namespace

// One entity through writer and reader. What comes back differs where the
// format carries less: phone types without a TYPE read as mobile, e-mail
// and IM types as 1, event types other than 1 and 3 as 0, address types
// other than 1 and 2 as 0, website type 7 as 0.
void VCardImportTest::roundTrip_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<Entity>("written");
    QTest::addColumn<Entity>("read");

    QTest::newRow("name") << int(ENTITY_NAME)
                          << named({ { data2, "Ann" }, { data3, "Lee;Smith" }, { data4, "Marie" }, { data5, "Dr." },
                                     { data6, "Jr." } })
                          << named({ { data2, "Ann" }, { data3, "Lee;Smith" }, { data4, "Marie" }, { data5, "Dr." },
                                     { data6, "Jr." } });
    // Phone types TEL has no TYPE word for travel as the label of their line.
    for (const int type : { 8, 10, 12, 14, 15, 16, 17, 18, 19, 20 }) {
        QTest::addRow("phone type %d", type) << int(ENTITY_PHONE)
                                             << entity({ { data1, "1" }, { data2, QString::number(type) } })
                                             << entity({ { data1, "1" }, { data2, QString::number(type) } });
    }
    QTest::newRow("phone with a custom label")
        << int(ENTITY_PHONE) << entity({ { data1, "1" }, { data2, "0" }, { data3, QStringLiteral("Sommerhäuschen") } })
        << entity({ { data1, "1" }, { data2, "0" }, { data3, QStringLiteral("Sommerhäuschen") } });
    QTest::newRow("e-mail with a custom label") << int(ENTITY_EMAIL)
                                                << entity({ { data1, "a@b" }, { data2, "0" }, { data3, "Club, old" } })
                                                << entity({ { data1, "a@b" }, { data2, "0" }, { data3, "Club, old" } });
    QTest::newRow("event with a custom label")
        << int(ENTITY_EVENT) << entity({ { data1, "2010-01-02T00:00:00" }, { data2, "0" }, { data3, "Met" } })
        << entity({ { data1, "2010-01-02T00:00:00" }, { data2, "0" }, { data3, "Met" } });
    QTest::newRow("relation with a custom label") << int(ENTITY_RELATION)
                                                  << entity({ { data1, "Bo" }, { data2, "0" }, { data3, "Coach" } })
                                                  << entity({ { data1, "Bo" }, { data2, "0" }, { data3, "Coach" } });
    QTest::newRow("address with a custom label")
        << int(ENTITY_POSTAL_ADDRESS) << address({ { data2, "0" }, { data3, "Cabin\nup north" }, { data4, "S" } })
        << address({ { data2, "0" }, { data3, "Cabin\nup north" }, { data4, "S" }, { data7, "" }, { data8, "" },
                     { data9, "" } });
    QTest::newRow("website with a custom label") << int(ENTITY_WEBSITE)
                                                 << entity({ { data1, "u" }, { data2, "0" }, { data3, "Shop" } })
                                                 << entity({ { data1, "u" }, { data2, "0" }, { data3, "Shop" } });
    QTest::newRow("name without suffix")
        << int(ENTITY_NAME) << named({ { data2, "Ann" }, { data3, "Lee" } })
        << named({ { data2, "Ann" }, { data3, "Lee" }, { data4, "" }, { data5, "" } });
    QTest::newRow("photo") << int(ENTITY_PHOTO) << photo(QByteArray("\xFF\xD8\xFF\xE0 jpeg \x00\x01", 12))
                           << photo(QByteArray("\xFF\xD8\xFF\xE0 jpeg \x00\x01", 12));
    QTest::newRow("empty photo") << int(ENTITY_PHOTO) << photo(QByteArray()) << photo(QByteArray());
    for (int type : { 1, 2, 3, 4, 5, 6, 9, 11, 13 }) {
        QTest::addRow("phone type %d", type)
            << int(ENTITY_PHONE) << entity({ { data1, "+1 (555) 0100" }, { data2, QString::number(type) } })
            << entity({ { data1, "+1 (555) 0100" }, { data2, QString::number(type) } });
    }
    // Without a TYPE word or a label of their own.
    for (int type : { 0, 7 }) {
        QTest::addRow("phone type %d reads as mobile", type)
            << int(ENTITY_PHONE) << entity({ { data1, "1" }, { data2, QString::number(type) } })
            << entity({ { data1, "1" }, { data2, "2" } });
    }
    for (int type : { 0, 1, 2, 4 }) {
        QTest::addRow("e-mail type %d", type)
            << int(ENTITY_EMAIL) << entity({ { data1, "a@b.org" }, { data2, QString::number(type) } })
            << entity({ { data1, "a@b.org" }, { data2, QString::number(type) } });
    }
    QTest::newRow("e-mail type 3 reads as home") << int(ENTITY_EMAIL) << entity({ { data1, "a@b.org" }, { data2, "3" } })
                                                 << entity({ { data1, "a@b.org" }, { data2, "1" } });
    QTest::newRow("note with a backslash") << int(ENTITY_NOTE) << entity({ { data1, "C:\\temp\\new" } })
                                           << entity({ { data1, "C:\\temp\\new" } });
    QTest::newRow("nickname with a line break and a backslash")
        << int(ENTITY_NICKNAME) << entity({ { data1, "a\nb\\n" } }) << entity({ { data1, "a\nb\\n" } });
    QTest::newRow("group with a comma") << int(ENTITY_GROUP_MEMBERSHIP) << entity({ { data2, "Friends, Family" } })
                                        << entity({ { data2, "Friends, Family" } });
    QTest::newRow("name with a backslash") << int(ENTITY_NAME) << named({ { data2, "A\\B" }, { data3, "C" } })
                                           << named({ { data2, "A\\B" }, { data3, "C" }, { data4, "" }, { data5, "" } });
    QTest::newRow("nickname") << int(ENTITY_NICKNAME) << entity({ { data1, "Annie; A" } })
                              << entity({ { data1, "Annie; A" } });
    QTest::newRow("birthday") << int(ENTITY_EVENT) << entity({ { data1, "1980-02-29T00:00:00" }, { data2, "3" } })
                              << entity({ { data1, "1980-02-29T00:00:00" }, { data2, "3" } });
    QTest::newRow("anniversary") << int(ENTITY_EVENT)
                                 << entity({ { data1, "2001-06-16T12:30:00" }, { data2, "1" } })
                                 << entity({ { data1, "2001-06-16T12:30:00" }, { data2, "1" } });
    QTest::newRow("event type 2 reads as 0") << int(ENTITY_EVENT)
                                             << entity({ { data1, "2001-06-16T00:00:00" }, { data2, "2" } })
                                             << entity({ { data1, "2001-06-16T00:00:00" }, { data2, "0" } });
    QTest::newRow("group") << int(ENTITY_GROUP_MEMBERSHIP) << entity({ { data1, "3" }, { data2, "Friends; Family" } })
                           << entity({ { data2, "Friends; Family" } });
    for (int protocol = 1; protocol <= 11; ++protocol) {
        for (int type : { 0, 1, 2 }) {
            QTest::addRow("im protocol %d type %d", protocol, type)
                << int(ENTITY_IM) << entity({ { data1, "me" }, { data2, QString::number(type) }, { data5, QString::number(protocol) } })
                << entity({ { data1, "me" }, { data2, QString::number(type) }, { data5, QString::number(protocol) } });
        }
    }
    QTest::newRow("im without protocol") << int(ENTITY_IM) << entity({ { data1, "me" }, { data5, "0" } })
                                         << entity({ { data1, "me" }, { data2, "1" } });
    QTest::newRow("note") << int(ENTITY_NOTE)
                          << entity({ { data1, QStringLiteral("Line 1 = one;\r\nLine 2\tÄ€\n  end  ") } })
                          << entity({ { data1, QStringLiteral("Line 1 = one;\r\nLine 2\tÄ€\n  end  ") } });
    QTest::newRow("organization") << int(ENTITY_ORGANIZATION)
                                  << entity({ { data1, "Acme; Inc" }, { data2, "1" }, { data4, "Engineer" },
                                              { data5, "R&D" } })
                                  << entity({ { data1, "Acme; Inc" }, { data4, "Engineer" }, { data5, "R&D" } });
    QTest::newRow("empty organization") << int(ENTITY_ORGANIZATION) << Entity()
                                        << entity({ { data1, "" }, { data4, "" }, { data5, "" } });
    for (int type = 0; type <= 14; ++type) {
        QTest::addRow("relation %d", type)
            << int(ENTITY_RELATION) << entity({ { data1, "Bo" }, { data2, QString::number(type) } })
            << entity({ { data1, "Bo" }, { data2, QString::number(type) } });
    }
    for (int type : { 0, 1, 2, 3 }) {
        QTest::addRow("address %d", type)
            << int(ENTITY_POSTAL_ADDRESS)
            << address({ { data2, QString::number(type) }, { data4, "1 Main St; Apt 2" }, { data7, "Springfield" },
                         { data8, "IL" }, { data9, "62701" }, { data10, "USA" } })
            << address({ { data2, type == 1 || type == 2 ? QString::number(type) : "0" },
                         { data4, "1 Main St; Apt 2" }, { data7, "Springfield" }, { data8, "IL" },
                         { data9, "62701" }, { data10, "USA" } });
    }
    QTest::newRow("address without country")
        << int(ENTITY_POSTAL_ADDRESS) << address({ { data2, "1" }, { data4, "Street" } })
        << address({ { data2, "1" }, { data4, "Street" }, { data7, "" }, { data8, "" }, { data9, "" } });
    for (int type = 0; type <= 7; ++type) {
        QTest::addRow("website %d", type)
            << int(ENTITY_WEBSITE) << entity({ { data1, "http://x.org/a;b" }, { data2, QString::number(type) } })
            << entity({ { data1, "http://x.org/a;b" }, { data2, QString::number(type == 7 ? 0 : type) } });
    }
}

void VCardImportTest::roundTrip()
{
    QFETCH(int, kind);
    QFETCH(Entity, written);
    QFETCH(Entity, read);
    Contact c = contactWith(kind, written, kind == ENTITY_NAME ? formatPersonName(written) : QString());
    const Contact back = readOne(VCardExport().exportContact(c));
    QCOMPARE(back.entities.keys(), QList<int> { kind });
    QCOMPARE(back.entitiesOf(kind).size(), 1);
    const Entity &got = back.entitiesOf(kind).first();
    QVERIFY2(got == read, qPrintable(describe(got) + QStringLiteral("\n   expected ") + describe(read)));
    QCOMPARE(back.fullName, kind == ENTITY_NAME ? formatPersonName(written) : QString());
}

void VCardImportTest::roundTripOfAWholeContactThroughAFile()
{
    Contact c;
    c.fullName = QStringLiteral("Ann Lee");
    c.addEntity(ENTITY_NAME, named({ { data2, "Ann" }, { data3, "Lee" }, { data4, "" }, { data5, "" }, { data6, "Ph.D." } }));
    c.addEntity(ENTITY_PHOTO, photo(QByteArray(5000, '\x7F')));
    c.addEntity(ENTITY_PHONE, entity({ { data1, "1" }, { data2, "2" } }));
    c.addEntity(ENTITY_PHONE, entity({ { data1, "2" }, { data2, "3" } }));
    c.addEntity(ENTITY_PHONE, entity({ { data1, "3" }, { data2, "0" }, { data3, "Boat" } }));
    c.addEntity(ENTITY_PHONE, entity({ { data1, "4" }, { data2, "0" }, { data3, "Lab" } }));
    c.addEntity(ENTITY_EMAIL, entity({ { data1, "a@b" }, { data2, "1" } }));
    c.addEntity(ENTITY_EMAIL, entity({ { data1, "c@d" }, { data2, "0" }, { data3, "Club" } }));
    c.addEntity(ENTITY_EVENT, entity({ { data1, "1970-01-01T00:00:00" }, { data2, "3" } }));
    c.addEntity(ENTITY_NOTE, entity({ { data1, QStringLiteral("Zoë\r\nx") } }));
    c.addEntity(ENTITY_POSTAL_ADDRESS, address({ { data2, "2" }, { data4, "S" }, { data7, "C" }, { data8, "" },
                                                 { data9, "P" }, { data10, "N" } }));
    Contact d;
    d.fullName = QStringLiteral("Bo x");
    d.addEntity(ENTITY_NAME, named({ { data2, "Bo" }, { data3, "" }, { data4, "" }, { data5, "" }, { data6, "x" } }));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath("out.vcf"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    VCardExport writer;
    file.write(writer.exportHeader({ c, d }));
    file.write(writer.exportContact(c));
    file.write(writer.exportContact(d));
    file.write(writer.exportFooter());
    file.close();

    VCardImport reader;
    reader.open(file.fileName());
    QCOMPARE(reader.count(), 2);
    const Contact first = reader.next();
    const Contact second = reader.next();
    QVERIFY(!reader.hasNext());
    c.fullName = formatPersonName(c.entitiesOf(ENTITY_NAME).first());
    QVERIFY2(first == c, qPrintable(describe(first) + QStringLiteral("\n   expected ") + describe(c)));
    QVERIFY2(second == d, qPrintable(describe(second) + QStringLiteral("\n   expected ") + describe(d)));
}

// A contact with a display name but no name entity: the name comes back as
// the given name instead of being lost.
void VCardImportTest::fullNameWithoutNameEntityIsKept()
{
    Contact c = contactWith(ENTITY_PHONE, entity({ { data1, "1" }, { data2, "2" } }), QStringLiteral("ACME Hotline"));
    const Contact back = readOne(VCardExport().exportContact(c));
    QCOMPARE(back.fullName, QStringLiteral("ACME Hotline"));
    QCOMPARE(back.firstEntity(ENTITY_NAME)->text(data2), QStringLiteral("ACME Hotline"));
    QCOMPARE(back.firstEntity(ENTITY_NAME)->text(data1), QStringLiteral("ACME Hotline"));
    QCOMPARE(back.entitiesOf(ENTITY_PHONE), c.entitiesOf(ENTITY_PHONE));
}

// TYPE values and bare type parameters form one set of words, matched in
// any letter case.
void VCardImportTest::phoneTypes_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("type");

    // The spellings this program writes read back in the round trip above.
    QTest::newRow("no type") << QByteArray("TEL:1") << 2;
    // The spellings of phones and other programs.
    QTest::newRow("TYPE=CELL") << QByteArray("TEL;TYPE=CELL:1") << 2;
    QTest::newRow("TYPE=WORK") << QByteArray("TEL;TYPE=WORK:1") << 3;
    QTest::newRow("TYPE=HOME") << QByteArray("TEL;TYPE=HOME:1") << 1;
    QTest::newRow("type=work,voice") << QByteArray("TEL;type=work,voice:1") << 3;
    QTest::newRow("voice,work order") << QByteArray("TEL;TYPE=VOICE,WORK:1") << 3;
    QTest::newRow("TYPE=HOME;TYPE=VOICE") << QByteArray("TEL;TYPE=HOME;TYPE=VOICE:1") << 1;
    QTest::newRow("TYPE=WORK;TYPE=FAX") << QByteArray("TEL;TYPE=WORK;TYPE=FAX:1") << 4;
    QTest::newRow("bare WORK;VOICE") << QByteArray("TEL;WORK;VOICE:1") << 3;
    QTest::newRow("bare HOME;VOICE") << QByteArray("TEL;HOME;VOICE:1") << 1;
    QTest::newRow("bare HOME;FAX") << QByteArray("TEL;HOME;FAX:1") << 5;
    QTest::newRow("bare FAX") << QByteArray("TEL;FAX:1") << 13;
    QTest::newRow("bare CELL;PREF") << QByteArray("TEL;CELL;PREF:1") << 2;
    QTest::newRow("bare PAGER") << QByteArray("TEL;PAGER:1") << 6;
    QTest::newRow("bare CAR") << QByteArray("TEL;CAR:1") << 9;
    QTest::newRow("bare ISDN") << QByteArray("TEL;ISDN:1") << 11;
    QTest::newRow("pref ignored") << QByteArray("TEL;TYPE=PREF,WORK:1") << 3;
    QTest::newRow("iOS cell") << QByteArray("TEL;type=CELL;type=VOICE;type=pref:1") << 2;
    QTest::newRow("quoted") << QByteArray("TEL;TYPE=\"work,voice\":1") << 3;
    QTest::newRow("lower-case parameter name") << QByteArray("tel;type=fax:1") << 13;
    QTest::newRow("only unknown words: default") << QByteArray("TEL;TYPE=X-NEC-SECRET,VIDEO:1") << 2;
    QTest::newRow("voice alone: default") << QByteArray("TEL;VOICE:1") << 2;
    QTest::newRow("pref alone: default") << QByteArray("TEL;TYPE=pref:1") << 2;
    QTest::newRow("charset is not a type") << QByteArray("TEL;CHARSET=WORK:1") << 2;
}

void VCardImportTest::phoneTypes()
{
    QFETCH(QByteArray, line);
    QFETCH(int, type);
    const Contact c = readOne(card(line + "\r\n"));
    QCOMPARE(c.entitiesOf(ENTITY_PHONE).size(), 1);
    QCOMPARE(c.entitiesOf(ENTITY_PHONE).first().text(data1), QStringLiteral("1"));
    QCOMPARE(c.entitiesOf(ENTITY_PHONE).first().toInt(data2), type);
}

void VCardImportTest::otherTypes_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("value");   // -1: the column is not set

    QTest::newRow("adr home") << QByteArray("ADR;TYPE=home:;;s") << int(ENTITY_POSTAL_ADDRESS) << int(data2) << 1;
    QTest::newRow("adr WORK") << QByteArray("ADR;TYPE=WORK:;;s") << int(ENTITY_POSTAL_ADDRESS) << int(data2) << 2;
    QTest::newRow("adr work,postal") << QByteArray("ADR;TYPE=work,postal:;;s") << int(ENTITY_POSTAL_ADDRESS)
                                     << int(data2) << 2;
    QTest::newRow("adr bare HOME") << QByteArray("ADR;HOME:;;s") << int(ENTITY_POSTAL_ADDRESS) << int(data2) << 1;
    QTest::newRow("adr intl") << QByteArray("ADR;TYPE=intl:;;s") << int(ENTITY_POSTAL_ADDRESS) << int(data2) << 0;
    QTest::newRow("adr none") << QByteArray("ADR:;;s") << int(ENTITY_POSTAL_ADDRESS) << int(data2) << 0;
    QTest::newRow("url homepage") << QByteArray("URL;TYPE=homepage:u") << int(ENTITY_WEBSITE) << int(data2) << 1;
    QTest::newRow("url HOME") << QByteArray("URL;TYPE=HOME:u") << int(ENTITY_WEBSITE) << int(data2) << 4;
    QTest::newRow("url bare WORK") << QByteArray("URL;WORK:u") << int(ENTITY_WEBSITE) << int(data2) << 5;
    QTest::newRow("url pref only") << QByteArray("URL;type=pref:u") << int(ENTITY_WEBSITE) << int(data2) << 0;
    QTest::newRow("x-event Anniversary") << QByteArray("X-EVENT;TYPE=Anniversary:2000-01-01")
                                         << int(ENTITY_EVENT) << int(data2) << 1;
    QTest::newRow("x-event other") << QByteArray("X-EVENT;TYPE=other:2000-01-01") << int(ENTITY_EVENT)
                                   << int(data2) << 0;
    QTest::newRow("x-im SKYPE") << QByteArray("X-IM;TYPE=SKYPE:me") << int(ENTITY_IM) << int(data5) << 4;
    QTest::newRow("x-im unknown") << QByteArray("X-IM;TYPE=matrix:me") << int(ENTITY_IM) << int(data5) << -1;
    QTest::newRow("x-rel Spouse") << QByteArray("X-REL;TYPE=Spouse:Bo") << int(ENTITY_RELATION) << int(data2) << 14;
    QTest::newRow("x-rel none") << QByteArray("X-REL:Bo") << int(ENTITY_RELATION) << int(data2) << 0;
    QTest::newRow("email WORK") << QByteArray("EMAIL;TYPE=WORK:a@b") << int(ENTITY_EMAIL) << int(data2) << 2;
    QTest::newRow("email INTERNET,work") << QByteArray("EMAIL;TYPE=INTERNET,work:a@b") << int(ENTITY_EMAIL) << int(data2) << 2;
    QTest::newRow("email bare HOME") << QByteArray("EMAIL;INTERNET;HOME:a@b") << int(ENTITY_EMAIL) << int(data2) << 1;
    QTest::newRow("email other") << QByteArray("EMAIL;TYPE=other:a@b") << int(ENTITY_EMAIL) << int(data2) << 0;
    QTest::newRow("email x-mobile") << QByteArray("EMAIL;TYPE=X-MOBILE:a@b") << int(ENTITY_EMAIL) << int(data2) << 4;
    QTest::newRow("email CELL") << QByteArray("EMAIL;CELL:a@b") << int(ENTITY_EMAIL) << int(data2) << 4;
    QTest::newRow("email pref only is home") << QByteArray("EMAIL;TYPE=pref:a@b") << int(ENTITY_EMAIL) << int(data2) << 1;
    QTest::newRow("X-SKYPE") << QByteArray("X-SKYPE:me") << int(ENTITY_IM) << int(data5) << 4;
    QTest::newRow("X-AIM") << QByteArray("X-AIM:me") << int(ENTITY_IM) << int(data5) << 1;
    QTest::newRow("X-JABBER") << QByteArray("X-JABBER;TYPE=WORK:me") << int(ENTITY_IM) << int(data5) << 8;
    QTest::newRow("X-JABBER work") << QByteArray("X-JABBER;TYPE=WORK:me") << int(ENTITY_IM) << int(data2) << 2;
    QTest::newRow("X-ICQ") << QByteArray("X-ICQ:1") << int(ENTITY_IM) << int(data5) << 7;
    QTest::newRow("X-MSN") << QByteArray("X-MSN:me") << int(ENTITY_IM) << int(data5) << 2;
    QTest::newRow("X-YAHOO") << QByteArray("X-YAHOO:me") << int(ENTITY_IM) << int(data5) << 3;
    QTest::newRow("X-QQ") << QByteArray("X-QQ:1") << int(ENTITY_IM) << int(data5) << 5;
    QTest::newRow("X-GOOGLE-TALK") << QByteArray("X-GOOGLE-TALK:me") << int(ENTITY_IM) << int(data5) << 6;
    QTest::newRow("grouped x-skype") << QByteArray("item1.x-skype:me") << int(ENTITY_IM) << int(data5) << 4;
    QTest::newRow("IMPP xmpp") << QByteArray("IMPP:xmpp:me@x") << int(ENTITY_IM) << int(data5) << 8;
    QTest::newRow("IMPP skype home") << QByteArray("IMPP;TYPE=home:skype:me") << int(ENTITY_IM) << int(data2) << 1;
    QTest::newRow("IMPP unknown scheme") << QByteArray("IMPP:matrix:@me:x") << int(ENTITY_IM) << int(data5) << 0;
    QTest::newRow("IMPP service ICQ over aim:") << QByteArray("IMPP;X-SERVICE-TYPE=ICQ:aim:12345") << int(ENTITY_IM)
                                                << int(data5) << 7;
    QTest::newRow("IMPP service Facebook over xmpp:")
        << QByteArray("IMPP;X-SERVICE-TYPE=Facebook;type=HOME:xmpp:me@chat.facebook.com") << int(ENTITY_IM) << int(data5)
        << 11;
    QTest::newRow("IMPP service Google Talk") << QByteArray("IMPP;x-service-type=Google Talk:xmpp:me@gmail.com")
                                              << int(ENTITY_IM) << int(data5) << 6;
    QTest::newRow("IMPP unknown service, known scheme") << QByteArray("IMPP;X-SERVICE-TYPE=Signal:skype:me")
                                                        << int(ENTITY_IM) << int(data5) << 4;
}

void VCardImportTest::otherTypes()
{
    QFETCH(QByteArray, line);
    QFETCH(int, kind);
    QFETCH(int, column);
    QFETCH(int, value);
    const Contact c = readOne(card(line + "\r\n"));
    QCOMPARE(c.entitiesOf(kind).size(), 1);
    const Entity &e = c.entitiesOf(kind).first();
    if (value < 0) {
        QVERIFY(!e.has(column));
    } else {
        QVERIFY(e.has(column));
        QCOMPARE(e.toInt(column), value);
    }
}

// N is Family;Given;Additional;Prefix;Suffix, except in files written by
// earlier versions of this program (First;Last;... with a matching FN).
void VCardImportTest::nameOrder_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QStringList>("given_family_middle_prefix_suffix");
    QTest::addColumn<QString>("fullName");

    QTest::newRow("phone export") << QByteArray("VERSION:2.1\r\nN:Gump;Forrest;Hoge;Pos;Tao\r\nFN:Joe Due\r\n")
                                  << QStringList { "Forrest", "Gump", "Hoge", "Pos", "Tao" }
                                  << "Pos Forrest Hoge Gump Tao";
    QTest::newRow("no FN") << QByteArray("N:Laurent;Yves;;;\r\n") << QStringList { "Yves", "Laurent", "", "", "" }
                           << "Yves Laurent";
    QTest::newRow("this program, current")
        << QByteArray("VERSION:3.0\r\nFN;CHARSET=UTF-8:Ann Lee\r\nN;CHARSET=UTF-8:Lee;Ann;;;\r\n")
        << QStringList { "Ann", "Lee", "", "", "" } << "Ann Lee";
    QTest::newRow("this program, earlier version")
        << QByteArray("VERSION:3.0\r\nFN;CHARSET=UTF-8:Ann Lee\r\nN;CHARSET=UTF-8:Ann;Lee;;;\r\n")
        << QStringList { "Ann", "Lee", "", "", "" } << "Ann Lee";
    QTest::newRow("earlier version, all parts")
        << QByteArray("VERSION:3.0\r\nFN;CHARSET=UTF-8:Dr. Ann M. Lee Jr.\r\nN;CHARSET=UTF-8:Ann;Lee;M.;Dr.;Jr.\r\n")
        << QStringList { "Ann", "Lee", "M.", "Dr.", "Jr." } << "Dr. Ann M. Lee Jr.";
    QTest::newRow("earlier version, FN after N")
        << QByteArray("VERSION:3.0\r\nN;CHARSET=UTF-8:Ann;Lee;;;\r\nFN;CHARSET=UTF-8:Ann Lee\r\n")
        << QStringList { "Ann", "Lee", "", "", "" } << "Ann Lee";
    // One name part: both orders give the same name; the earlier writer
    // meant the given name.
    QTest::newRow("earlier version, one part")
        << QByteArray("VERSION:3.0\r\nFN;CHARSET=UTF-8:Bo\r\nN;CHARSET=UTF-8:Bo;;;;\r\n")
        << QStringList { "Bo", "", "", "", "" } << "Bo";
    QTest::newRow("one part from another program")
        << QByteArray("VERSION:3.0\r\nFN:Bo\r\nN:Bo;;;;\r\n") << QStringList { "", "Bo", "", "", "" } << "Bo";
    QTest::newRow("one part, vCard 2.1 with charset")
        << QByteArray("VERSION:2.1\r\nFN;CHARSET=UTF-8:Bo\r\nN;CHARSET=UTF-8:Bo;;;;\r\n")
        << QStringList { "", "Bo", "", "", "" } << "Bo";
    // Family-first FNs of other programs are not the old order.
    QTest::newRow("family-first FN, vCard 3.0")
        << QByteArray("VERSION:3.0\r\nN:And;Roid;;;\r\nFN:And Roid\r\n") << QStringList { "Roid", "And", "", "", "" }
        << "Roid And";
    QTest::newRow("family-first FN, Android 2.1 UTF-8")
        << QByteArray("VERSION:2.1\r\nN;CHARSET=UTF-8:Kovacs;Janos;;;\r\nFN;CHARSET=UTF-8:Kovacs Janos\r\n")
        << QStringList { "Janos", "Kovacs", "", "", "" } << "Janos Kovacs";
    QTest::newRow("lower-case n") << QByteArray("n:geiser;ian\r\nfn:ian geiser\r\n")
                                  << QStringList { "ian", "geiser", "", "", "" } << "ian geiser";
    QTest::newRow("one component is the family name") << QByteArray("N:bogus\r\n")
                                                      << QStringList { "", "bogus", "", "", "" } << "bogus";
    QTest::newRow("six components") << QByteArray("N:A;B;C;D;E;F\r\n") << QStringList { "B", "A", "C", "D", "E" }
                                    << "D B C A E";
    QTest::newRow("FN only") << QByteArray("FN:Hans M\xC3\xBCller\r\n")
                             << QStringList { QStringLiteral("Hans Müller"), "", "", "", "" }
                             << QStringLiteral("Hans Müller");
}

void VCardImportTest::nameOrder()
{
    QFETCH(QByteArray, lines);
    QFETCH(QStringList, given_family_middle_prefix_suffix);
    QFETCH(QString, fullName);
    const Contact c = readOne(card(lines));
    QCOMPARE(c.fullName, fullName);
    const Entity *name = c.firstEntity(ENTITY_NAME);
    QVERIFY(name);
    const QStringList parts { name->text(data2), name->text(data3), name->text(data4), name->text(data5),
                              name->text(data6) };
    QCOMPARE(parts, given_family_middle_prefix_suffix);
    QCOMPARE(name->text(data1), fullName);
}

// Card text -> the contact's entities, in the debug form of the model.
void VCardImportTest::mapping_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<Contact>("expected");

    Contact none;
    QTest::newRow("nothing known") << QByteArray("VERSION:3.0\r\nX-FOO:bar\r\nLABEL:l\r\n") << none;
    // A company card: vCard 3.0 wants an N, so it is written empty.
    QTest::newRow("empty N, the FN is the name")
        << QByteArray("N:;;;;\r\nFN:Apple Computer AG\r\n")
        << contactWith(ENTITY_NAME,
                       named({ { data2, "Apple Computer AG" }, { data3, "" }, { data4, "" }, { data5, "" } }),
                       "Apple Computer AG");
    QTest::newRow("company card without N and FN")
        << QByteArray("FN\r\nN:\r\nORG:Ximian\\, Inc.\r\n")
        << [] {
               Contact c = contactWith(ENTITY_NAME, named({ { data1, "" }, { data2, "Ximian, Inc." } }), "Ximian, Inc.");
               c.addEntity(ENTITY_ORGANIZATION, entity({ { data1, "Ximian, Inc." } }));
               return c;
           }();
    QTest::newRow("empty N, no FN") << QByteArray("N:;;;;\r\n")
                                    << contactWith(ENTITY_NAME, named({ { data2, "" }, { data3, "" }, { data4, "" },
                                                                        { data5, "" } }));

    Contact photos;
    photos.addEntity(ENTITY_PHOTO, photo("Hello"));
    QTest::newRow("vCard 4.0 photo as a data URI")
        << QByteArray("VERSION:4.0\r\nPHOTO:data:image/jpeg;base64,SGVs\r\n bG8=\r\n") << photos;
    QTest::newRow("data URI, MEDIATYPE and upper case")
        << QByteArray("PHOTO;MEDIATYPE=image/png:DATA:image/png;BASE64,SGVsbG8=\r\n") << photos;
    QTest::newRow("data URI, percent-encoded") << QByteArray("PHOTO:data:,Hel%6Co\r\n") << photos;
    QTest::newRow("a link is no photo")
        << QByteArray("PHOTO;VALUE=uri:http://example.com/a.jpg\r\nPHOTO;VALUE=URL:file:///a.jpg\r\n"
                      "PHOTO:https://example.com/b.jpg\r\n")
        << Contact();
    QTest::newRow("a link does not replace the photo")
        << QByteArray("PHOTO;ENCODING=b:SGVsbG8=\r\nPHOTO;VALUE=uri:https://example.com/a.jpg\r\n") << photos;

    Contact anniversaries;
    anniversaries.addEntity(ENTITY_EVENT, entity({ { data1, "1996-04-15T00:00:00" }, { data2, "1" } }));
    anniversaries.addEntity(ENTITY_EVENT, entity({ { data1, "2009-10-10T00:00:00" }, { data2, "1" } }));
    anniversaries.addEntity(ENTITY_EVENT, entity({ { data1, "1990-04-30T00:00:00" }, { data2, "1" } }));
    anniversaries.addEntity(ENTITY_EVENT, entity({ { data1, "1980-03-22T00:00:00" }, { data2, "1" } }));
    anniversaries.addEntity(ENTITY_EVENT, entity({ { data1, "2011-01-13T00:00:00" }, { data2, "1" } }));
    anniversaries.addEntity(ENTITY_EVENT, entity({ { data1, "1982-07-07T00:00:00" }, { data2, "1" } }));
    anniversaries.addEntity(ENTITY_EVENT, entity({ { data1, "2013-08-16T00:00:00" }, { data2, "1" } }));
    QTest::newRow("anniversaries")
        << QByteArray("VERSION:4.0\r\nANNIVERSARY:19960415\r\nanniversary;VALUE=DATE:20091010\r\n"
                      "X-ANNIVERSARY:1990-04-30\r\nX-EVOLUTION-ANNIVERSARY:1980-03-22\r\nX-MS-ANNIVERSARY:20110113\r\n"
                      "X-KADDRESSBOOK-X-Anniversary:1982-07-07\r\nitem1.X-OUTLOOK-WEDDING-ANNIVERSARY:2013-08-16\r\n")
        << anniversaries;

    Contact twoAddresses;
    twoAddresses.addEntity(ENTITY_POSTAL_ADDRESS, address({ { data2, "0" } }));
    twoAddresses.addEntity(ENTITY_POSTAL_ADDRESS, address({ { data2, "1" }, { data4, "s" }, { data7, "c" } }));
    QTest::newRow("ADR with two components still an address")
        << QByteArray("ADR:;;\r\nADR;TYPE=home:pobox;ext;s;c\r\n") << twoAddresses;

    Contact org;
    org.addEntity(ENTITY_ORGANIZATION, entity({ { data1, "B" }, { data4, "T" } }));
    QTest::newRow("ORG and TITLE share one organization")
        << QByteArray("TITLE:X\r\nORG:A;D\r\nORG:B\r\nTITLE:T\r\n")
        << [] {
               Contact c;
               c.addEntity(ENTITY_ORGANIZATION, entity({ { data1, "B" }, { data4, "T" }, { data5, "D" } }));
               return c;
           }();

    Contact firsts;
    firsts.addEntity(ENTITY_NICKNAME, entity({ { data1, "n2" } }));
    firsts.addEntity(ENTITY_GROUP_MEMBERSHIP, entity({ { data2, "g1" } }));
    firsts.addEntity(ENTITY_GROUP_MEMBERSHIP, entity({ { data2, "g2" } }));
    firsts.addEntity(ENTITY_GROUP_MEMBERSHIP, entity({ { data2, "g3" } }));
    firsts.addEntity(ENTITY_NOTE, entity({ { data1, "note 2" } }));
    firsts.addEntity(ENTITY_PHOTO, photo("Hi"));
    QTest::newRow("later lines overwrite the first entity; every category is a group")
        << QByteArray("NICKNAME:n1\r\nNICKNAME:n2\r\nCATEGORIES:g1\r\nCATEGORIES:g2,g3,g1\r\nNOTE:note 1\r\n"
                      "NOTE:note 2\r\nPHOTO;ENCODING=b:SGVsbG8=\r\nPHOTO;ENCODING=b:SGk=\r\n")
        << firsts;

    Contact groups;
    groups.addEntity(ENTITY_GROUP_MEMBERSHIP, entity({ { data2, "Friends" } }));
    groups.addEntity(ENTITY_GROUP_MEMBERSHIP, entity({ { data2, "starred" } }));
    QTest::newRow("Google's system group myContacts is no group")
        << QByteArray("VERSION:3.0\r\nCATEGORIES:myContacts,Friends\r\nCATEGORIES:starred,My Contacts\r\n") << groups;

    Contact phones;
    phones.addEntity(ENTITY_PHONE, entity({ { data1, "1" }, { data2, "2" } }));
    phones.addEntity(ENTITY_PHONE, entity({ { data1, "2" }, { data2, "2" } }));
    phones.addEntity(ENTITY_PHONE, entity({ { data1, "" }, { data2, "5" } }));
    phones.addEntity(ENTITY_EMAIL, entity({ { data1, "a@b" }, { data2, "1" } }));
    QTest::newRow("phones in file order, empty values kept")
        << QByteArray("TEL:1\r\nEMAIL;PREF;INTERNET:a@b\r\nTEL;CELL:2\r\nTEL;TYPE=HOME,FAX:\r\n") << phones;

    Contact grouped;
    grouped.addEntity(ENTITY_PHONE, entity({ { data1, "905-222-1234" }, { data2, "19" } }));
    grouped.addEntity(ENTITY_EMAIL, entity({ { data1, "j@d" }, { data2, "1" } }));
    grouped.addEntity(ENTITY_WEBSITE, entity({ { data1, "http://x" }, { data2, "5" } }));
    grouped.addEntity(ENTITY_POSTAL_ADDRESS, address({ { data2, "2" }, { data4, "S" }, { data7, "C" } }));
    QTest::newRow("grouped properties")
        << QByteArray("item2.TEL:905-222-1234\r\nitem2.X-ABLabel:assistant\r\nitem1.EMAIL;type=INTERNET:j@d\r\n"
                      "ITEM3.url;type=WORK:http://x\r\nitem4.ADR;type=WORK:;;S;C\r\n")
        << grouped;

    Contact labelled;
    labelled.addEntity(ENTITY_PHONE, entity({ { data1, "1" }, { data2, "0" } }));
    labelled.addEntity(ENTITY_PHONE, entity({ { data1, "2" }, { data2, "0" }, { data3, "Summer house" } }));
    labelled.addEntity(ENTITY_PHONE, entity({ { data1, "3" }, { data2, "5" } }));
    labelled.addEntity(ENTITY_PHONE, entity({ { data1, "4" }, { data2, "2" } }));
    labelled.addEntity(ENTITY_PHONE, entity({ { data1, "5" }, { data2, "12" } }));
    labelled.addEntity(ENTITY_PHONE, entity({ { data1, "6" }, { data2, "2" } }));
    labelled.addEntity(ENTITY_EMAIL, entity({ { data1, "a@b" }, { data2, "0" }, { data3, "Club" } }));
    labelled.addEntity(ENTITY_EVENT, entity({ { data1, "2004-06-15T00:00:00" }, { data2, "1" } }));
    labelled.addEntity(ENTITY_EVENT, entity({ { data1, "2010-01-02T00:00:00" }, { data2, "0" }, { data3, "Met" } }));
    labelled.addEntity(ENTITY_RELATION, entity({ { data1, "Jane" }, { data2, "14" } }));
    labelled.addEntity(ENTITY_POSTAL_ADDRESS, address({ { data2, "0" }, { data3, "Cabin" }, { data4, "S" } }));
    labelled.addEntity(ENTITY_WEBSITE, entity({ { data1, "http://x" }, { data2, "1" } }));
    QTest::newRow("labels of grouped properties, Apple's and custom ones")
        << QByteArray("item1.TEL;type=pref:1\r\nitem1.X-ABLabel:_$!<Other>!$_\r\nitem2.TEL:2\r\n"
                      "item2.X-ABLabel:Summer house\r\nitem3.TEL:3\r\nitem3.X-ABLabel:_$!<HomeFAX>!$_\r\n"
                      "item4.X-ABLabel:iPhone\r\nitem4.TEL;type=HOME:4\r\nitem5.TEL:5\r\nITEM5.x-ablabel:main\r\n"
                      "item6.TEL;type=CELL:6\r\nitem6.X-ABLabel:\r\nitem7.EMAIL:a@b\r\nitem7.X-ABLabel:Club\r\n"
                      "item8.X-ABDATE;type=pref:2004-06-15\r\nitem8.X-ABLabel:_$!<Anniversary>!$_\r\n"
                      "item9.X-ABDATE:2010-01-02\r\nitem9.X-ABLabel:Met\r\n"
                      "item10.X-ABRELATEDNAMES:Jane\r\nitem10.X-ABLabel:_$!<Spouse>!$_\r\n"
                      "item11.ADR:;;S\r\nitem11.X-ABLabel:Cabin\r\nitem12.URL:http://x\r\n"
                      "item12.X-ABLabel:_$!<HomePage>!$_\r\nitem13.ORG:O\r\nitem13.X-ABLabel:\r\n")
        << [&labelled] {
               Contact c = labelled;
               c.addEntity(ENTITY_ORGANIZATION, entity({ { data1, "O" } }));
               return c;
           }();

    Contact onceOnly;
    onceOnly.addEntity(ENTITY_EVENT, entity({ { data1, "2013-08-16T00:00:00" }, { data2, "1" } }));
    onceOnly.addEntity(ENTITY_EVENT, entity({ { data1, "2014-08-16T00:00:00" }, { data2, "1" } }));
    QTest::newRow("Outlook's anniversary written twice is one event")
        << QByteArray("ANNIVERSARY:2013-08-16\r\nX-OUTLOOK-WEDDING-ANNIVERSARY:2013-08-16\r\n"
                      "X-MS-ANNIVERSARY:20140816\r\n")
        << onceOnly;
    QTest::newRow("Apple's assistant phone")
        << QByteArray("item1.TEL:1\r\nitem1.X-ABLabel:_$!<AssistantPhone>!$_\r\n")
        << contactWith(ENTITY_PHONE, entity({ { data1, "1" }, { data2, "19" } }));

    Contact events;
    events.addEntity(ENTITY_EVENT, entity({ { data1, "1975-08-20T00:00:00" }, { data2, "3" } }));
    events.addEntity(ENTITY_EVENT, entity({ { data1, "--04-01" }, { data2, "3" } }));
    Contact withoutYear;
    withoutYear.addEntity(ENTITY_EVENT, entity({ { data1, "--05-06" }, { data2, "3" } }));
    withoutYear.addEntity(ENTITY_EVENT, entity({ { data1, "--02-29" }, { data2, "1" } }));
    withoutYear.addEntity(ENTITY_EVENT, entity({ { data1, "1604-05-06T00:00:00" }, { data2, "3" } }));
    QTest::newRow("iPhone birthdays without a year")
        << QByteArray("BDAY;X-APPLE-OMIT-YEAR=1604:1604-05-06\r\nitem1.X-ABDATE;x-apple-omit-year=1604:1604-02-29\r\n"
                      "item1.X-ABLabel:_$!<Anniversary>!$_\r\nBDAY;X-APPLE-OMIT-YEAR=1900:1604-05-06\r\n")
        << withoutYear;
    QTest::newRow("birthdays; one that is no date is not kept")
        << QByteArray("BDAY:19750820\r\nBDAY:someday\r\nBDAY:--0401\r\n") << events;

    Contact escapes;
    escapes.addEntity(ENTITY_PHONE, entity({ { data1, "+1-555-0100" }, { data2, "3" } }));
    escapes.addEntity(ENTITY_NOTE, entity({ { data1, "Line one\nLine two, three; four\\" } }));
    escapes.addEntity(ENTITY_ORGANIZATION, entity({ { data4, "VP, Sales" } }));
    escapes.addEntity(ENTITY_WEBSITE, entity({ { data1, "http://x.org" }, { data2, "0" } }));
    QTest::newRow("vCard 4.0 text escapes and tel URIs")
        << QByteArray("VERSION:4.0\r\nTEL;VALUE=uri;TYPE=work:tel:+1-555-0100\r\n"
                      "NOTE:Line one\\nLine two\\, three\\; four\\\\\r\nTITLE:VP\\, Sales\r\nURL:http\\://x.org\r\n")
        << escapes;
    Contact noEscapes;
    noEscapes.addEntity(ENTITY_NOTE, entity({ { data1, "C:\\new" } }));
    QTest::newRow("vCard 2.1 has no text escapes") << QByteArray("VERSION:2.1\r\nNOTE:C:\\new\r\n") << noEscapes;

    Contact customService;
    customService.addEntity(ENTITY_IM, entity({ { data1, "me" }, { data2, "1" }, { data5, "0" }, { data6, "Signal" } }));
    QTest::newRow("IMPP service of its own") << QByteArray("IMPP;X-SERVICE-TYPE=Signal:x-apple:me\r\n") << customService;

    Contact im;
    im.addEntity(ENTITY_IM, entity({ { data1, QStringLiteral("Zoë") }, { data2, "1" }, { data5, "8" } }));
    QTest::newRow("im") << QByteArray("X-IM;CHARSET=UTF-8;TYPE=jabber:Zo\xC3\xAB\r\n") << im;
}

void VCardImportTest::mapping()
{
    QFETCH(QByteArray, lines);
    QFETCH(Contact, expected);
    const Contact c = readOne(card(lines));
    QVERIFY2(c == expected, qPrintable(describe(c) + QStringLiteral("\n   expected ") + describe(expected)));
}

void VCardImportTest::eventDates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stored");
    QTest::newRow("this program's form") << "1980-02-29T00:00:00" << "1980-02-29T00:00:00";
    QTest::newRow("with time") << "2001-06-16T12:30:05" << "2001-06-16T12:30:05";
    QTest::newRow("date only") << "1975-08-20" << "1975-08-20T00:00:00";
    QTest::newRow("UTC") << "1955-07-19T00:00:00Z" << "1955-07-19T00:00:00Z";
    QTest::newRow("basic date") << "19750820" << "1975-08-20T00:00:00";
    QTest::newRow("basic date-time UTC") << "19531015T231000Z" << "1953-10-15T23:10:00Z";
    QTest::newRow("surrounding blanks") << " 1975-08-20 " << "1975-08-20T00:00:00";
    QTest::newRow("invalid day") << "1981-02-29T00:00:00" << "";
    QTest::newRow("not a date") << "tomorrow" << "";
    QTest::newRow("German form") << "01.01.99" << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("year-less") << "--11-23" << "--11-23";
    QTest::newRow("year-less basic") << "--1123" << "--11-23";
    QTest::newRow("year-less 29 February") << "--02-29" << "--02-29";
    QTest::newRow("year-less, no such day") << "--02-30" << "";
    QTest::newRow("offset kept") << "2001-06-16T12:30:00+02:00" << "2001-06-16T12:30:00+02:00";
    QTest::newRow("fraction dropped") << "2001-06-16T12:30:00.250Z" << "2001-06-16T12:30:00Z";
    QTest::newRow("hours and minutes") << "2001-06-16T12:30" << "2001-06-16T12:30:00";
    QTest::newRow("basic offset") << "20010616T123000-0530" << "2001-06-16T12:30:00-05:30";
    QTest::newRow("hour offset") << "2001-06-16 12:30:00+02" << "2001-06-16T12:30:00+02:00";
    QTest::newRow("offset out of range") << "2001-06-16T12:30:00+24:00" << "";
    QTest::newRow("midnight as 24:00") << "2001-06-16T24:00:00" << "2001-06-16T00:00:00";
    QTest::newRow("24:00 and more") << "2001-06-16T24:00:01" << "";
    QTest::newRow("no such time") << "2001-06-16T12:61" << "";
    QTest::newRow("year 0000 is no year") << "0000-11-23" << "--11-23";
    QTest::newRow("year 0000 with a time") << "0000-11-23T10:15:00" << "--11-23";
    QTest::newRow("year 0000, broken time") << "0000-11-23T10:99" << "";
    QTest::newRow("early year") << "0042-01-02" << "0042-01-02T00:00:00";
}

void VCardImportTest::eventDates()
{
    QFETCH(QString, text);
    QFETCH(QString, stored);
    QCOMPARE(VCardContactBuilder::eventDate(text), stored);
    // The same in a zone whose clocks jump at midnight: no date is shifted.
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "America/Sao_Paulo");
    tzset();
    const QString there = VCardContactBuilder::eventDate(text);
    if (zone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", zone);
    tzset();
    QCOMPARE(there, stored);
}

// 19 October 2014 began at 01:00 in Sao Paulo; a birthday on that day is
// still the day at midnight.
void VCardImportTest::birthdayOnAMidnightClockChange()
{
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "America/Sao_Paulo");
    tzset();
    const Contact c = readOne(card("BDAY:2014-10-19\r\nX-EVENT;TYPE=anniversary:20141019\r\n"));
    if (zone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", zone);
    tzset();
    QCOMPARE(c.entitiesOf(ENTITY_EVENT).size(), 2);
    QCOMPARE(c.entitiesOf(ENTITY_EVENT).at(0).text(data1), QStringLiteral("2014-10-19T00:00:00"));
    QCOMPARE(c.entitiesOf(ENTITY_EVENT).at(1).text(data1), QStringLiteral("2014-10-19T00:00:00"));
}

// A vCard 2.1 export of an Android phone: quoted-printable UTF-8 names,
// notes and addresses with soft line breaks, bare type parameters.
void VCardImportTest::androidSoftBreaks()
{
    VCardImport reader;
    reader.open(testpaths::testData("files/android21_softbreaks.vcf"));
    QCOMPARE(reader.count(), 2);
    const Contact a = reader.next();
    QCOMPARE(a.fullName, QStringLiteral("Jörg Müller"));
    QCOMPARE(a.firstEntity(ENTITY_NAME)->text(data2), QStringLiteral("Jörg"));
    QCOMPARE(a.firstEntity(ENTITY_NAME)->text(data3), QStringLiteral("Müller"));
    const QList<Entity> &phones = a.entitiesOf(ENTITY_PHONE);
    QCOMPARE(phones.size(), 3);
    QCOMPARE(phones.at(0).text(data1), QStringLiteral("+49 170 1234567"));
    QCOMPARE(phones.at(0).toInt(data2), 2);
    QCOMPARE(phones.at(1).toInt(data2), 3);
    QCOMPARE(phones.at(2).toInt(data2), 5);
    const Entity *adr = a.firstEntity(ENTITY_POSTAL_ADDRESS);
    QVERIFY(adr);
    QCOMPARE(adr->text(data4), QStringLiteral("Lange Straße 12"));
    QCOMPARE(adr->text(data7), QStringLiteral("Hamburg"));
    QCOMPARE(adr->text(data9), QStringLiteral("20095"));
    QCOMPARE(adr->text(data10), QStringLiteral("Deutschland"));
    QCOMPARE(adr->toInt(data2), 1);
    QCOMPARE(a.firstEntity(ENTITY_NOTE)->text(data1),
             QStringLiteral("Erste Zeile\r\nZweite Zeile, die sehr lang ist und deshalb umgebrochen wurde\r\n"));
    QCOMPARE(a.firstEntity(ENTITY_EVENT)->text(data1), QStringLiteral("1975-08-20T00:00:00"));
    QCOMPARE(a.entityCount(), 8);

    const Contact b = reader.next();
    QCOMPARE(b.firstEntity(ENTITY_NAME)->text(data3), QStringLiteral("Иванова"));
    QCOMPARE(b.firstEntity(ENTITY_NAME)->text(data2), QStringLiteral("Анна"));
    QCOMPARE(b.entitiesOf(ENTITY_PHONE).size(), 1);
    QVERIFY(!reader.hasNext());
}

// An iPhone export: grouped properties, lower-case repeated type
// parameters, CR LF.
void VCardImportTest::iphoneGroupedProperties()
{
    VCardImport reader;
    reader.open(testpaths::testData("files/iphone_grouped.vcf"));
    QCOMPARE(reader.count(), 1);
    const Contact c = reader.next();
    QCOMPARE(c.fullName, QStringLiteral("Johnny Appleseed"));
    QCOMPARE(c.firstEntity(ENTITY_NAME)->text(data3), QStringLiteral("Appleseed"));
    QList<QPair<QString, int>> phones;
    for (const Entity &e : c.entitiesOf(ENTITY_PHONE))
        phones.append({ e.text(data1), e.toInt(data2) });
    // item1 is labelled _$!<Main>!$_, the main number.
    QCOMPARE(phones, (QList<QPair<QString, int>> { { "+1 408 555 0100", 12 }, { "+1 408 555 0101", 2 },
                                                   { "+1 408 555 0102", 3 }, { "+1 408 555 0103", 5 } }));
    QCOMPARE(c.entitiesOf(ENTITY_EMAIL).size(), 1);
    QCOMPARE(c.firstEntity(ENTITY_EMAIL)->text(data1), QStringLiteral("johnny@example.com"));
    QCOMPARE(c.firstEntity(ENTITY_EMAIL)->toInt(data2), 0);   // _$!<Other>!$_
    const Entity *adr = c.firstEntity(ENTITY_POSTAL_ADDRESS);
    QVERIFY(adr);
    QCOMPARE(adr->toInt(data2), 2);
    QCOMPARE(adr->text(data1), QStringLiteral("1 Infinite Loop\nCupertino, CA 95014\nUnited States"));
    QCOMPARE(c.entitiesOf(ENTITY_WEBSITE).size(), 2);
    QCOMPARE(c.entitiesOf(ENTITY_WEBSITE).at(0).toInt(data2), 1);   // _$!<HomePage>!$_
    QCOMPARE(c.entitiesOf(ENTITY_WEBSITE).at(1).toInt(data2), 5);
    QCOMPARE(c.firstEntity(ENTITY_EVENT)->text(data1), QStringLiteral("1980-05-21T00:00:00"));
    QCOMPARE(c.firstEntity(ENTITY_ORGANIZATION)->text(data1), QStringLiteral("Apple Inc."));
}

// Some mail clients write everything in lower case.
void VCardImportTest::lowerCaseMailClient()
{
    VCardImport reader;
    reader.open(testpaths::testData("files/mailclient_lowercase.vcf"));
    QCOMPARE(reader.count(), 1);
    const Contact c = reader.next();
    QCOMPARE(c.fullName, QStringLiteral("Ian Geiser"));
    QCOMPARE(c.entitiesOf(ENTITY_PHONE).size(), 2);
    QCOMPARE(c.entitiesOf(ENTITY_PHONE).at(0).toInt(data2), 2);
    QCOMPARE(c.entitiesOf(ENTITY_PHONE).at(1).toInt(data2), 3);
    QCOMPARE(c.firstEntity(ENTITY_EMAIL)->text(data1), QStringLiteral("geiseri@example.com"));
    QCOMPARE(c.firstEntity(ENTITY_ORGANIZATION)->text(data1), QStringLiteral("Source eXtreme"));
    QCOMPARE(c.firstEntity(ENTITY_ORGANIZATION)->text(data4), QStringLiteral("VP of Engineering"));
    QCOMPARE(c.firstEntity(ENTITY_NOTE)->text(data1), QStringLiteral("Met at the conference"));
    QCOMPARE(c.firstEntity(ENTITY_POSTAL_ADDRESS)->text(data7), QStringLiteral("Springfield"));
    QCOMPARE(c.firstEntity(ENTITY_POSTAL_ADDRESS)->toInt(data2), 1);
}

// A file of an earlier version of this program reads as it always did.
void VCardImportTest::olderProgramFiles()
{
    VCardImport reader;
    reader.open(testpaths::testData("files/quillmarrow_old_order.vcf"));
    QCOMPARE(reader.count(), 2);
    const Contact c = reader.next();
    QCOMPARE(c.fullName, QStringLiteral("Dr. Ann Marie Lee Jr."));
    const Entity *name = c.firstEntity(ENTITY_NAME);
    QCOMPARE(name->text(data2), QStringLiteral("Ann"));
    QCOMPARE(name->text(data3), QStringLiteral("Lee"));
    QList<int> types;
    for (const Entity &e : c.entitiesOf(ENTITY_PHONE))
        types.append(e.toInt(data2));
    QCOMPARE(types, (QList<int> { 2, 3, 5, 2 }));
    QCOMPARE(c.firstEntity(ENTITY_EVENT)->toInt(data2), 1);
    QCOMPARE(c.firstEntity(ENTITY_IM)->toInt(data5), 4);
    QCOMPARE(c.firstEntity(ENTITY_POSTAL_ADDRESS)->toInt(data2), 2);
    QCOMPARE(c.firstEntity(ENTITY_POSTAL_ADDRESS)->text(data4), QStringLiteral("1 Main St"));
    QCOMPARE(c.firstEntity(ENTITY_WEBSITE)->toInt(data2), 2);
    QCOMPARE(reader.next().fullName, QStringLiteral("Bo"));
}

// Byte-order marks and UTF-16 files.
void VCardImportTest::textForms_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QString text = QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Monté;Ǽgean;;;\r\nTEL;TYPE=HOME:+1 555\r\n"
                                        "NOTE:a\r\n b\r\nEND:VCARD\r\n");
    QTest::newRow("UTF-8") << text.toUtf8();
    QTest::newRow("UTF-8 with byte-order mark") << "\xEF\xBB\xBF" + text.toUtf8();
    QStringEncoder be(QStringEncoder::Utf16BE);
    QStringEncoder le(QStringEncoder::Utf16LE);
    const QByteArray utf16be = be.encode(text);
    const QByteArray utf16le = le.encode(text);
    QTest::newRow("UTF-16BE without mark") << utf16be;
    QTest::newRow("UTF-16LE without mark") << utf16le;
    QTest::newRow("UTF-16BE with mark") << "\xFE\xFF" + utf16be;
    QTest::newRow("UTF-16LE with mark") << "\xFF\xFE" + utf16le;
    // Classic Mac OS ended lines with a carriage return alone.
    const QString crOnly = QString(text).replace(QLatin1String("\r\n"), QLatin1String("\r"));
    QTest::newRow("carriage returns only") << crOnly.toUtf8();
    QTest::newRow("carriage returns only, UTF-16LE with mark") << "\xFF\xFE" + le.encode(crOnly);
    QTest::newRow("CR CR LF") << QString(text).replace(QLatin1String("\r\n"), QLatin1String("\r\r\n")).toUtf8();
    QTest::newRow("line feeds only") << QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")).toUtf8();
}

void VCardImportTest::textForms()
{
    QFETCH(QByteArray, bytes);
    const QList<Contact> contacts = readAll(bytes);
    QCOMPARE(contacts.size(), 1);
    QCOMPARE(contacts.first().fullName, QStringLiteral("Ǽgean Monté"));
    QCOMPARE(contacts.first().entities.value(ENTITY_PHONE),
             QList<Entity> { entity({ { data1, "+1 555" }, { data2, "1" } }) });
    QCOMPARE(contacts.first().entities.value(ENTITY_NOTE), QList<Entity> { entity({ { data1, "ab" } }) });
}

void VCardImportTest::cursor()
{
    QByteArray text = card("N:A\r\n") + card("N:B\r\n");
    QBuffer buffer(&text);
    buffer.open(QIODevice::ReadOnly);
    VCardImport reader;
    reader.openDevice(buffer);
    QCOMPARE(reader.count(), 2);
    QVERIFY(reader.hasNext());
    QCOMPARE(reader.next().fullName, QStringLiteral("A"));
    QCOMPARE(reader.next().fullName, QStringLiteral("B"));
    QVERIFY(!reader.hasNext());
    QCOMPARE(reader.next(), Contact());
    reader.close();

    QByteArray empty;
    QBuffer none(&empty);
    none.open(QIODevice::ReadOnly);
    reader.openDevice(none);
    QCOMPARE(reader.count(), 0);
    QVERIFY(!reader.hasNext());
}

void VCardImportTest::missingFileThrows()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("missing.vcf");
    QFile probe(path);
    QVERIFY(!probe.open(QIODevice::ReadOnly));
    VCardImport reader;
    try {
        reader.open(path);
        QFAIL("no exception");
    } catch (const std::runtime_error &e) {
        QCOMPARE(QString::fromUtf8(e.what()), probe.errorString());
    }
}

void VCardImportTest::initTestCase()
{
    QVERIFY(m_translator.load(QStringLiteral(":/en.qm")));
    QCoreApplication::installTranslator(&m_translator);
}

// What a file holds that the contacts have no place for is counted by
// property name, over all cards.
void VCardImportTest::reportOfWhatWasNotKept_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("contacts");
    QTest::addColumn<QString>("notKept");

    const QByteArray roles = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann\r\nROLE:Boss\r\nitem1.X-ABLabel:x\r\n"
                             "PHOTO;ENCODING=b:SGk=\r\nPHOTO;ENCODING=b:SGk=\r\nEND:VCARD\r\n"
                             "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Ng;Bo\r\nrole:Clerk\r\nX-SKYPE:bo\r\nEND:VCARD\r\n";
    QTest::newRow("unknown properties, extra photo")
        << roles << 2 << QString::fromUtf8("2 × ROLE, 1 × X-ABLABEL, 1 × extra photo");
    QTest::newRow("everything kept")
        << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:x\r\nFN:Ann Lee\r\nN:Lee;Ann\r\nTEL:1\r\n"
                      "X-AIM:a\r\nIMPP:xmpp:a@b\r\nEND:VCARD\r\n")
        << 1 << QString();
    QTest::newRow("labels without an entity")
        << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann\r\nitem1.ORG:O\r\nitem1.X-ABLabel:Firm\r\n"
                      "item2.TEL:1\r\nitem2.X-ABLabel:Desk\r\nitem3.X-ABADR:us\r\nitem3.X-ABLabel:x\r\nX-ABLabel:y\r\n"
                      "item4.X-ABLabel:\r\nEND:VCARD\r\n")
        << 1 << QString::fromUtf8("3 × X-ABLABEL, 1 × X-ABADR");
    QTest::newRow("a name with more than five parts")
        << QByteArray("BEGIN:VCARD\r\nN:A;B;C;D;E;F\r\nEND:VCARD\r\nBEGIN:VCARD\r\nN:A;B;C;D;E;;\r\nEND:VCARD\r\n")
        << 2 << QString::fromUtf8("1 × N");
    QTest::newRow("an FN unlike the name")
        << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Gump;Forrest\r\nFN:Joe Due\r\nEND:VCARD\r\n"
                      "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Gump;Forrest\r\nFN:Forrest Gump\r\nEND:VCARD\r\n")
        << 2 << QString::fromUtf8("1 × FN");
    QTest::newRow("a second note and a broken property")
        << QByteArray("BEGIN:VCARD\r\nNOTE:a\r\nNOTE:b\r\nBDAY:soon\r\nTEL;TYPE=:1\r\nEND:VCARD\r\n") << 1
        << QString::fromUtf8("1 × BDAY, 1 × NOTE, 1 × property with a syntax error");
    QTest::newRow("post office box, extended address, units below the department, photo links")
        << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann\r\nADR:PO Box 7;;1 Main St;Town\r\nADR:;Apt 2;2 Main St\r\n"
                      "ADR:;;3 Main St;Town;;;\r\nORG:ABC\\, Inc.;North;Marketing\r\nORG:ABC\\, Inc.;North;;\r\n"
                      "PHOTO;VALUE=uri:http://example.com/a.jpg\r\nEND:VCARD\r\n")
        << 1
        << QString::fromUtf8("2 × post office box or extended address, 1 × organizational unit below the department, "
                             "1 × photo given only as a link");
}

void VCardImportTest::reportOfWhatWasNotKept()
{
    QFETCH(QByteArray, text);
    QFETCH(int, contacts);
    QFETCH(QString, notKept);
    QBuffer buffer(&text);
    buffer.open(QIODevice::ReadOnly);
    VCardImport reader;
    reader.openDevice(buffer);
    while (reader.hasNext())
        (void)reader.next();
    QCOMPARE(reader.report().read(), qsizetype(contacts));
    QCOMPARE(ImportReport::countList(reader.report().notKeptItems()), notKept);
}

QTEST_GUILESS_MAIN(VCardImportTest)
#include "vcardimporttest.moc"
