// The simulated agent's own line codec: what it sends and what it accepts.

#include "tools/phonesim/phonecontactgenerator.h"
#include "tools/phonesim/phonekinds.h"
#include "tools/phonesim/phonewire.h"

#include <QTest>

using namespace phonesim;

class PhoneSimWireTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sourceIds_data();
    void sourceIds();
    void labels_data();
    void labels();
    void acceptedLines_data();
    void acceptedLines();
    void refusedLines_data();
    void refusedLines();
    void generatedRowsRoundTrip();
    void encodesEveryFieldOfTheKind();
};

void PhoneSimWireTest::sourceIds_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("plain") << QByteArray("3/12/1012/88") << true;
    QTest::newRow("negative") << QByteArray("-1/-2/-3/-4") << true;
    QTest::newRow("zero id") << QByteArray("1/0/0/0") << true;
    QTest::newRow("three numbers") << QByteArray("3/12/1012") << false;
    QTest::newRow("five numbers") << QByteArray("3/12/1012/88/1") << false;
    QTest::newRow("letter") << QByteArray("3/1a/1012/88") << false;
    QTest::newRow("empty part") << QByteArray("3//1012/88") << false;
    QTest::newRow("plus sign") << QByteArray("+3/12/1012/88") << false;
    QTest::newRow("trailing space") << QByteArray("3/12/1012/88 ") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void PhoneSimWireTest::sourceIds()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, valid);
    wire::SourceId id;
    QCOMPARE(wire::parseSourceId(text, &id), valid);
    if (valid)
        QCOMPARE(wire::sourceIdText(id), text);
}

void PhoneSimWireTest::labels_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("label");
    QTest::newRow("phone mobile") << 3 << 2 << "mobile";
    QTest::newRow("phone 7 has none") << 3 << 7 << "";
    QTest::newRow("phone work fax") << 3 << 4 << "work fax";
    QTest::newRow("phone tty") << 3 << 16 << "ttytdd";
    QTest::newRow("email mobile") << 4 << 4 << "mobile";
    QTest::newRow("nickname 0 has none") << 5 << 0 << "";
    QTest::newRow("nickname initials") << 5 << 5 << "init";
    QTest::newRow("event birthday") << 6 << 3 << "birthday";
    QTest::newRow("relation parent") << 11 << 9 << "parnet";
    QTest::newRow("relation referred") << 11 << 11 << "refby";
    QTest::newRow("relation domestic") << 11 << 4 << "dom partner";
    QTest::newRow("website homepage") << 13 << 1 << "homepage";
}

void PhoneSimWireTest::labels()
{
    QFETCH(int, kind);
    QFETCH(int, code);
    QFETCH(QString, label);
    QCOMPARE(typeLabel(kind, code), label);
    if (!label.isEmpty()) {
        int back = -1;
        QVERIFY(typeCode(kind, label, &back));
        QCOMPARE(back, code);
    }
}

void PhoneSimWireTest::acceptedLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QStringList>("values");
    QTest::newRow("name") << QByteArray("1/5/5/-31,RHIu,Wm/Dqw==,,w5xuYWw=,") << QStringList { "Dr.", "Zoë", "", "Ünal", "" };
    QTest::newRow("phone with custom label") << QByteArray("3/1/1001/-2,work,QWJj,MTIz") << QStringList { "3", "Abc", "123" };
    QTest::newRow("phone without label") << QByteArray("3/1/1001/-2,,,MTIz") << QStringList { "0", "", "123" };
    QTest::newRow("event") << QByteArray("6/1/1001/-3,birthday,,1980-02-29") << QStringList { "3", "", "1980-02-29" };
    QTest::newRow("event without date") << QByteArray("6/1/1001/-3,other,,") << QStringList { "0", "", "" };
    QTest::newRow("im") << QByteArray("8/1/1001/-4,work,,jabber,,YUBiLmM=") << QStringList { "2", "", "8", "", "a@b.c" };
    QTest::newRow("im custom protocol") << QByteArray("8/1/1001/-4,home,,,U2lnbmFs,eA==")
                                        << QStringList { "1", "", "0", "Signal", "x" };
    QTest::newRow("group") << QByteArray("7/1/1001/-5,RnJpZW5kcw==") << QStringList { "Friends" };
    QTest::newRow("relation parnet") << QByteArray("11/1/1001/-6,parnet,,QW5u") << QStringList { "9", "", "Ann" };
    QTest::newRow("postal") << QByteArray("12/1/1001/-7,home,,REU=,Qlk=,TcO8bmNoZW4=,SGF1cHRzdHIuIDE=,ODAzMzE=")
                            << QStringList { "1", "", "DE", "BY", "München", "Hauptstr. 1", "80331" };
    QTest::newRow("existing row") << QByteArray("9/1/1001/77,bm90ZQ==") << QStringList { "note" };
}

void PhoneSimWireTest::acceptedLines()
{
    QFETCH(QByteArray, line);
    QFETCH(QStringList, values);
    wire::DecodedEntity e;
    QString error;
    QVERIFY2(wire::decodeEntityLine(line, &e, &error), qPrintable(error));
    QCOMPARE(e.values, values);
}

void PhoneSimWireTest::refusedLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("no source id") << QByteArray("not-a-source-id,QQ==");
    QTest::newRow("unknown kind") << QByteArray("14/1/1001/-1");
    QTest::newRow("kind zero") << QByteArray("0/1/1001/-1");
    QTest::newRow("too few fields") << QByteArray("3/1/1001/-2,mobile,");
    QTest::newRow("too many fields") << QByteArray("3/1/1001/-2,mobile,,MTIz,");
    QTest::newRow("text not in Base64") << QByteArray("9/1/1001/-2,plain text");
    QTest::newRow("Base64 without padding") << QByteArray("9/1/1001/-2,QWJjZA");
    QTest::newRow("invalid UTF-8") << QByteArray("9/1/1001/-2,/w==");
    QTest::newRow("label in capitals") << QByteArray("3/1/1001/-2,Mobile,,MTIz");
    QTest::newRow("parent spelled right") << QByteArray("11/1/1001/-2,parent,,QW5u");
    QTest::newRow("unknown protocol") << QByteArray("8/1/1001/-4,work,,signal,,eA==");
    QTest::newRow("date without leading zero") << QByteArray("6/1/1001/-3,birthday,,1980-2-29");
    QTest::newRow("impossible date") << QByteArray("6/1/1001/-3,birthday,,1981-02-29");
    QTest::newRow("photo not in Base64") << QByteArray("2/1/1001/-3,%%%%");
}

void PhoneSimWireTest::refusedLines()
{
    QFETCH(QByteArray, line);
    wire::DecodedEntity e;
    QString error;
    QVERIFY(!wire::decodeEntityLine(line, &e, &error));
    QVERIFY(!error.isEmpty());
}

// Everything the agent sends for generated contacts reads back the same.
void PhoneSimWireTest::generatedRowsRoundTrip()
{
    PhoneStore store;
    PhoneContactGenerator(99).fill(store, 0, 300);
    int rows = 0;
    for (const auto &[raw, contact] : store.contacts()) {
        for (const PhoneRow *row : store.orderedRows(contact)) {
            QByteArray line;
            wire::appendEntityLine(line, store, contact, *row);
            QVERIFY(!line.contains('\n'));
            wire::DecodedEntity e;
            QString error;
            QVERIFY2(wire::decodeEntityLine(line, &e, &error), qPrintable(error + QString::fromLatin1(line)));
            QCOMPARE(e.source.kind, row->kind);
            QCOMPARE(e.source.key1, contact.rawId);
            QCOMPARE(e.source.key2, contact.contactId);
            QCOMPARE(e.source.id, row->id);
            QStringList expected = row->values;
            if (row->kind == 7)
                expected = QStringList { store.groupTitle(row->values.value(0).toLongLong()) };
            if (row->kind == 3 && row->values.value(0) == u"7")
                expected[0] = QStringLiteral("0"); // code 7 has no label and comes back as 0
            QCOMPARE(e.values, expected);
            QCOMPARE(e.photo, row->photo);
            ++rows;
        }
    }
    QVERIFY(rows > 1000);
}

void PhoneSimWireTest::encodesEveryFieldOfTheKind()
{
    PhoneStore store;
    const qint64 raw = store.addContact();
    const qint64 id = store.addRow(raw, 12, { "2", "", "Norge", "", "Oslo", "Karl Johans gate 1", "0154" });
    QByteArray line;
    wire::appendEntityLine(line, store, *store.contact(raw), *store.row(id));
    const QList<QByteArray> fields = line.split(',');
    QCOMPARE(fields.size(), 8);
    QCOMPARE(fields.at(0), QByteArray::number(12) + '/' + QByteArray::number(raw) + '/'
            + QByteArray::number(store.contact(raw)->contactId) + '/' + QByteArray::number(id));
    QCOMPARE(fields.at(1), QByteArray("work"));
    QCOMPARE(fields.at(2), QByteArray());
    QCOMPARE(QString::fromUtf8(QByteArray::fromBase64(fields.at(5))), QStringLiteral("Oslo"));
    QCOMPARE(fields.at(7), QByteArray("MDE1NA=="));
}

QTEST_GUILESS_MAIN(PhoneSimWireTest)
#include "phonesimwiretest.moc"
