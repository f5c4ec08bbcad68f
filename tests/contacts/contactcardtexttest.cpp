// The card's texts shared with the HTML export: escaping, the name block in
// both forms, and entity lines in both forms.
#include "contacts/contactcardtext.h"

#include <QTest>

using namespace pim;

Q_DECLARE_METATYPE(Entity)

namespace {

Entity entity(std::initializer_list<std::pair<int, QString>> values)
{
    Entity e;
    for (const auto &[column, text] : values)
        e.setText(column, text);
    return e;
}

} // namespace

class ContactCardTextTest : public QObject
{
    Q_OBJECT

private slots:
    void htmlEscaped_data();
    void htmlEscaped();
    void nameBlock_data();
    void nameBlock();
    void entityLines_data();
    void entityLines();
    void sections();
};

void ContactCardTextTest::htmlEscaped_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("escaped");
    QTest::newRow("plain") << "Anna Smith" << "Anna Smith";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("script") << "<script>x</script>" << "&lt;script&gt;x&lt;/script&gt;";
    QTest::newRow("ampersand first") << "a&lt;b" << "a&amp;lt;b";
    QTest::newRow("quotes") << "O'Brien \"B\"" << "O&#39;Brien &quot;B&quot;";
    QTest::newRow("non-ASCII kept") << "Zoë 😀" << "Zoë 😀";
}

void ContactCardTextTest::htmlEscaped()
{
    QFETCH(QString, text);
    QFETCH(QString, escaped);
    QCOMPARE(ContactCardText::htmlEscaped(text), escaped);
}

void ContactCardTextTest::nameBlock_data()
{
    QTest::addColumn<Contact>("contact");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("html");
    Contact bare;
    bare.fullName = QStringLiteral("A <b>");
    QTest::newRow("name only") << bare << "A <b>" << "A &lt;b&gt;";
    Contact full = bare;
    full.fullName = QStringLiteral("Robert");
    full.addEntity(ENTITY_NICKNAME, entity({{data1, QStringLiteral("Bob & Co")}}));
    full.addEntity(ENTITY_ORGANIZATION, entity({{data1, QStringLiteral("Acme")}, {data4, QStringLiteral("Manager")},
                                                {data5, QStringLiteral("Sales")}}));
    QTest::newRow("nickname and organization")
        << full << "Robert\n\"Bob & Co\"\nManager - Sales\nAcme"
        << "Robert<br/>\"Bob &amp; Co\"<br/>Manager - Sales<br/>Acme";
    Contact department;
    department.fullName = QStringLiteral("D");
    department.addEntity(ENTITY_ORGANIZATION, entity({{data5, QStringLiteral("Sales")}}));
    QTest::newRow("department alone stays on the name's line") << department << "D - Sales" << "D - Sales";
    Contact emptyNick;
    emptyNick.fullName = QStringLiteral("E");
    emptyNick.addEntity(ENTITY_NICKNAME, entity({{data1, QString()}}));
    QTest::newRow("empty nickname") << emptyNick << "E" << "E";
}

void ContactCardTextTest::nameBlock()
{
    QFETCH(Contact, contact);
    QFETCH(QString, plain);
    QFETCH(QString, html);
    QCOMPARE(ContactCardText::nameBlock(contact), plain);
    QCOMPARE(ContactCardText::nameBlockHtml(contact), html);
}

void ContactCardTextTest::entityLines_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<Entity>("entity");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("html");
    QTest::newRow("phone") << int(ENTITY_PHONE) << entity({{data1, QStringLiteral("<1>")}, {data2, QStringLiteral("2")}})
                           << "Mobile:<1>" << "Mobile:&lt;1&gt;";
    QTest::newRow("custom label") << int(ENTITY_PHONE)
                                  << entity({{data1, QStringLiteral("1")}, {data2, QStringLiteral("0")},
                                             {data3, QStringLiteral("<Boat>")}})
                                  << "<Boat>:1" << "&lt;Boat&gt;:1";
    QTest::newRow("im") << int(ENTITY_IM)
                        << entity({{data1, QStringLiteral("a&b")}, {data2, QStringLiteral("1")}, {data5, QStringLiteral("4")}})
                        << "Home:a&b(Skype)" << "Home:a&amp;b(Skype)";
    QTest::newRow("event") << int(ENTITY_EVENT)
                           << entity({{data1, QStringLiteral("1990-05-17T00:00:00")}, {data2, QStringLiteral("3")}})
                           << "Birthday:17 May 1990" << "Birthday:17 May 1990";
    QTest::newRow("year-less event as stored") << int(ENTITY_EVENT)
                                               << entity({{data1, QStringLiteral("--05-17")}, {data2, QStringLiteral("3")}})
                                               << "Birthday:--05-17" << "Birthday:--05-17";
    QTest::newRow("organization") << int(ENTITY_ORGANIZATION)
                                  << entity({{data1, QStringLiteral("Beta")}, {data2, QStringLiteral("1")}})
                                  << "Work:Beta" << "Work:Beta";
    QTest::newRow("address") << int(ENTITY_POSTAL_ADDRESS)
                             << entity({{data2, QStringLiteral("1")}, {data4, QStringLiteral("1 <Main> St")},
                                        {data7, QStringLiteral("Town")}})
                             << "<b>Home</b><br/>1 &lt;Main&gt; St<br/>Town" << "<b>Home</b><br/>1 &lt;Main&gt; St<br/>Town";
    QTest::newRow("note") << int(ENTITY_NOTE) << entity({{data1, QStringLiteral("<i>x</i>")}}) << "<i>x</i>"
                          << "&lt;i&gt;x&lt;/i&gt;";
}

void ContactCardTextTest::entityLines()
{
    QFETCH(int, kind);
    QFETCH(Entity, entity);
    QFETCH(QString, plain);
    QFETCH(QString, html);
    QCOMPARE(ContactCardText::entityLine(kind, entity), plain);
    QCOMPARE(ContactCardText::entityLineHtml(kind, entity), html);
}

void ContactCardTextTest::sections()
{
    QStringList titles;
    for (const ContactCardText::Section &section : ContactCardText::sections())
        titles << section.title;
    QCOMPARE(titles, QStringList({"Phone:", "E-Mail:", "Date:", "IM:", "Organization:", "Relationship:", "Address:",
                                  "Website:", "Notes:"}));
    Contact c;
    c.addEntity(ENTITY_ORGANIZATION, entity({{data1, QStringLiteral("First")}}));
    QVERIFY(ContactCardText::sectionEntities(c, ENTITY_ORGANIZATION).isEmpty());
    c.addEntity(ENTITY_ORGANIZATION, entity({{data1, QStringLiteral("Second")}}));
    QCOMPARE(ContactCardText::sectionEntities(c, ENTITY_ORGANIZATION).size(), 1);
    QCOMPARE(ContactCardText::sectionEntities(c, ENTITY_ORGANIZATION).first().text(data1), QStringLiteral("Second"));
    QVERIFY(ContactCardText::sectionEntities(c, ENTITY_PHONE).isEmpty());
}

QTEST_GUILESS_MAIN(ContactCardTextTest)
#include "contactcardtexttest.moc"
