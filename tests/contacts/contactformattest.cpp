#include "contacts/contactformat.h"
#include "contacts/entity.h"
#include "contacts/labeltables.h"

#include <QCryptographicHash>
#include <QTest>

using namespace pim;

namespace {

Entity entityOf(const QList<QPair<int, QString>> &values)
{
    Entity e;
    for (const auto &[column, text] : values)
        e.setText(column, text);
    return e;
}

} // namespace

class ContactFormatTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void personName_data();
    void personName();
    void postalAddress_data();
    void postalAddress();
    void photoDigestOfBytes();
    void phoneRank_data();
    void phoneRank();
    void labels_data();
    void labels();
    void shownLabels();
};

void ContactFormatTest::personName_data()
{
    QTest::addColumn<QStringList>("parts");   // prefix, first, middle, last, suffix
    QTest::addColumn<QString>("expected");
    QTest::newRow("last only") << QStringList { "", "", "", "Lee", "" } << "Lee";
    QTest::newRow("prefix and last") << QStringList { "Dr.", "", "", "Lee", "" } << "Dr. Lee";
    QTest::newRow("all empty") << QStringList { "", "", "", "", "" } << "";
    QTest::newRow("all five") << QStringList { "Dr.", "Ann", "B.", "Lee", "Jr." } << "Dr. Ann B. Lee Jr.";
    QTest::newRow("inner spaces kept") << QStringList { "", "Mary  Jo", "", "Lee", "" } << "Mary  Jo Lee";
    QTest::newRow("outer trimmed once") << QStringList { " ", "Ann", "", "", " " } << "Ann";
}

void ContactFormatTest::personName()
{
    QFETCH(QStringList, parts);
    QFETCH(QString, expected);
    const Entity name = entityOf({ { data5, parts[0] }, { data2, parts[1] }, { data4, parts[2] },
                                   { data3, parts[3] }, { data6, parts[4] } });
    QCOMPARE(formatPersonName(name), expected);
}

void ContactFormatTest::postalAddress_data()
{
    QTest::addColumn<QStringList>("parts");   // street, city, state, postcode, country
    QTest::addColumn<QString>("expected");
    QTest::newRow("no state") << QStringList { "1 Main St", "Springfield", "", "12345", "US" }
                              << "1 Main St\nSpringfield, 12345\nUS";
    QTest::newRow("full") << QStringList { "1 Main St", "Springfield", "IL", "62701", "US" }
                          << "1 Main St\nSpringfield, IL 62701\nUS";
    QTest::newRow("city only") << QStringList { "", "Springfield", "", "", "" } << "Springfield";
    QTest::newRow("state only") << QStringList { "", "", "IL", "", "" } << "IL";
    QTest::newRow("postcode without city or state") << QStringList { "1 Main St", "", "", "12345", "US" }
                                                    << "1 Main St\nUS";
    QTest::newRow("city and state, no comma needed?") << QStringList { "", "Paris", "IDF", "", "" } << "Paris, IDF";
    QTest::newRow("city alone keeps no comma") << QStringList { "Rue 1", "Paris", "", "", "FR" } << "Rue 1\nParis\nFR";
    QTest::newRow("empty") << QStringList { "", "", "", "", "" } << "";
}

void ContactFormatTest::postalAddress()
{
    QFETCH(QStringList, parts);
    QFETCH(QString, expected);
    const Entity address = entityOf({ { data4, parts[0] }, { data7, parts[1] }, { data8, parts[2] },
                                      { data9, parts[3] }, { data10, parts[4] } });
    QCOMPARE(formatPostalAddress(address), expected);
}

void ContactFormatTest::photoDigestOfBytes()
{
    Entity photo;
    QCOMPARE(photoDigest(photo), QStringLiteral("1B2M2Y8AsgTpgAmY7PhCfg=="));   // MD5 of no bytes
    const QByteArray jpeg("\xFF\xD8\xFF\xE0 some bytes", 15);
    photo.setValue(data15, jpeg);
    photo.setText(data4, QStringLiteral("stale digest"));
    QCOMPARE(photoDigest(photo),
             QString::fromLatin1(QCryptographicHash::hash(jpeg, QCryptographicHash::Md5).toBase64()));
    QCOMPARE(photoDigest(photo).size(), 24);
}

void ContactFormatTest::phoneRank_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("rank");
    QTest::newRow("mobile") << "2" << 10;
    QTest::newRow("main") << "12" << 20;
    QTest::newRow("home") << "1" << 30;
    QTest::newRow("work") << "3" << 40;
    QTest::newRow("fax") << "4" << 100;
    QTest::newRow("seven") << "7" << 100;
    QTest::newRow("other") << "0" << 100;
    QTest::newRow("twenty-five") << "25" << 100;
    QTest::newRow("empty") << "" << 100;
}

void ContactFormatTest::phoneRank()
{
    QFETCH(QString, type);
    QFETCH(int, rank);
    const Entity phone = entityOf({ { data2, type } });
    QCOMPARE(phoneTypeRank(phone), rank);
    QVERIFY(phoneRankLess(entityOf({ { data2, "3" } }), entityOf({ { data2, "7" } })));
    QVERIFY(!phoneRankLess(entityOf({ { data2, "0" } }), entityOf({ { data2, "3" } })));
}

void ContactFormatTest::labels_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("label");
    QTest::newRow("phone 0") << int(ENTITY_PHONE) << 0 << "Other";
    QTest::newRow("phone 7 unused") << int(ENTITY_PHONE) << 7 << "";
    QTest::newRow("phone 16") << int(ENTITY_PHONE) << 16 << "TTY TDD";
    QTest::newRow("phone 20") << int(ENTITY_PHONE) << 20 << "MMS";
    QTest::newRow("email 3 unused") << int(ENTITY_EMAIL) << 3 << "";
    QTest::newRow("email 4") << int(ENTITY_EMAIL) << 4 << "Mobile";
    QTest::newRow("nickname 2") << int(ENTITY_NICKNAME) << 2 << "Other";
    QTest::newRow("nickname 5") << int(ENTITY_NICKNAME) << 5 << "Initials";
    QTest::newRow("event 2 unused") << int(ENTITY_EVENT) << 2 << "";
    QTest::newRow("event 3") << int(ENTITY_EVENT) << 3 << "Birthday";
    QTest::newRow("im 2") << int(ENTITY_IM) << 2 << "Work";
    QTest::newRow("organization 1") << int(ENTITY_ORGANIZATION) << 1 << "Work";
    QTest::newRow("relation 4") << int(ENTITY_RELATION) << 4 << "Domestic Partner";
    QTest::newRow("relation 11") << int(ENTITY_RELATION) << 11 << "Referred by";
    QTest::newRow("address 2") << int(ENTITY_POSTAL_ADDRESS) << 2 << "Work";
    QTest::newRow("website 1") << int(ENTITY_WEBSITE) << 1 << "Home page";
    QTest::newRow("website 6") << int(ENTITY_WEBSITE) << 6 << "FTP";
    QTest::newRow("note has no table") << int(ENTITY_NOTE) << 0 << "";
}

void ContactFormatTest::labels()
{
    QFETCH(int, kind);
    QFETCH(int, code);
    QFETCH(QString, label);
    QCOMPARE(labelOf(typeLabelTable(kind), code), label);
    QCOMPARE(entityTypeLabel(kind, entityOf({ { data2, QString::number(code) } })), label);
}

void ContactFormatTest::shownLabels()
{
    QCOMPARE(entityTypeLabel(ENTITY_PHONE, entityOf({ { data2, "0" }, { data3, "Boat" } })), QStringLiteral("Boat"));
    QCOMPARE(imProtocolLabel(entityOf({ { data5, "4" } })), QStringLiteral("Skype"));
    QCOMPARE(imProtocolLabel(entityOf({ { data5, "0" }, { data6, "Signal" } })), QStringLiteral("Signal"));
    QCOMPARE(imProtocolLabels().value(10), QStringLiteral("Gadu Gadu"));
    QCOMPARE(phoneTypeLabels().size(), 20);
    QCOMPARE(relationTypeLabels().size(), 15);
}

QTEST_GUILESS_MAIN(ContactFormatTest)
#include "contactformattest.moc"
