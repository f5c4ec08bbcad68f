#include "android/wireencoding.h"

#include "contacts/contactformat.h"
#include "contacts/entity.h"
#include "contacts/entitykind.h"

#include <QRandomGenerator>
#include <QTest>

using namespace pim;

namespace {

using Values = QList<QPair<int, QVariant>>;

QString b64(const QString &text)
{
    return QString::fromLatin1(text.toUtf8().toBase64());
}

Entity entityWith(const Values &values, const QString &srcId = QString(), qint64 id = 0)
{
    Entity e;
    e.srcId = srcId;
    e._id = id;
    for (const auto &[column, value] : values)
        e.setValue(column, value);
    return e;
}

QStringList fieldsOf(const QString &line)
{
    return line.split(QLatin1Char(','), Qt::KeepEmptyParts);
}

} // namespace

class WireEncodingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void labelRows_data();
    void labelRows();
    void missingLabels_data();
    void missingLabels();
    void tableSizes();
    void srcIds_data();
    void srcIds();
    void parseSrcId_data();
    void parseSrcId();
    void encode_data();
    void encode();
    void decode_data();
    void decode();
    void decodeFromViews();
    void splitFields_data();
    void splitFields();
    void roundTrips_data();
    void roundTrips();
    void photoRoundTripKeepsEveryByte();
    void malformedFieldListsNeverFail();
};

void WireEncodingTest::labelRows_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("label");
    const auto rows = [](int key, const QList<QPair<int, QString>> &list) {
        for (const auto &[code, label] : list)
            QTest::addRow("%d/%d %s", key, code, qPrintable(label)) << key << code << label;
    };
    rows(ENTITY_PHONE,
        { { 0, "other" }, { 1, "home" }, { 2, "mobile" }, { 3, "work" }, { 4, "work fax" }, { 5, "home fax" },
            { 6, "pager" }, { 8, "callback" }, { 9, "car" }, { 10, "company main" }, { 11, "isdn" }, { 12, "main" },
            { 13, "other fax" }, { 14, "radio" }, { 15, "telex" }, { 16, "ttytdd" }, { 17, "work mobile" },
            { 18, "work pager" }, { 19, "assistant" }, { 20, "mms" } });
    rows(ENTITY_EMAIL, { { 0, "other" }, { 1, "home" }, { 2, "work" }, { 4, "mobile" } });
    rows(ENTITY_NICKNAME, { { 1, "default" }, { 2, "other" }, { 4, "short" }, { 5, "init" } });
    rows(ENTITY_EVENT, { { 0, "other" }, { 1, "anniversary" }, { 3, "birthday" } });
    rows(ENTITY_IM, { { 0, "other" }, { 1, "home" }, { 2, "work" } });
    rows(WireImProtocolKey,
        { { 1, "aim" }, { 2, "msn" }, { 3, "yahoo" }, { 4, "skype" }, { 5, "qq" }, { 6, "googletalk" }, { 7, "icq" },
            { 8, "jabber" }, { 9, "netmeeting" } });
    rows(ENTITY_ORGANIZATION, { { 0, "other" }, { 1, "work" } });
    rows(ENTITY_RELATION,
        { { 1, "assistant" }, { 2, "brother" }, { 3, "child" }, { 4, "dom partner" }, { 5, "father" }, { 6, "friend" },
            { 7, "manager" }, { 8, "mother" }, { 9, "parnet" }, { 10, "partner" }, { 11, "refby" }, { 12, "relative" },
            { 13, "sister" }, { 14, "spouse" } });
    rows(ENTITY_POSTAL_ADDRESS, { { 0, "other" }, { 1, "home" }, { 2, "work" } });
    rows(ENTITY_WEBSITE,
        { { 0, "other" }, { 1, "homepage" }, { 2, "blog" }, { 3, "profile" }, { 4, "home" }, { 5, "work" },
            { 6, "ftp" } });
}

void WireEncodingTest::labelRows()
{
    QFETCH(int, key);
    QFETCH(int, code);
    QFETCH(QString, label);
    QCOMPARE(wireLabel(key, code), label);
    QCOMPARE(wireLabelTable().value(key * 100 + code), label);
    QCOMPARE(wireLabelCode(key, label), code);
    QCOMPARE(wireLabelReverseTable().value(QStringLiteral("%1/%2").arg(key).arg(label), -1), code);
}

void WireEncodingTest::missingLabels_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("label");
    // Codes without a label, and labels that the table does not know.
    QTest::newRow("phone 7") << int(ENTITY_PHONE) << 7 << "Mobile";
    QTest::newRow("email 3") << int(ENTITY_EMAIL) << 3 << "work fax";
    QTest::newRow("nickname 0") << int(ENTITY_NICKNAME) << 0 << "maiden";
    QTest::newRow("nickname 3") << int(ENTITY_NICKNAME) << 3 << "initials";
    QTest::newRow("relation 0") << int(ENTITY_RELATION) << 0 << "parent";
    QTest::newRow("relation referred") << int(ENTITY_RELATION) << 15 << "referred by";
    QTest::newRow("protocol 0") << int(WireImProtocolKey) << 0 << "other";
    QTest::newRow("protocol 10") << int(WireImProtocolKey) << 10 << "gadu";
    QTest::newRow("photo has no labels") << int(ENTITY_PHOTO) << 1 << "home";
    QTest::newRow("negative code") << int(ENTITY_PHONE) << -1 << "";
    // 3 * 100 + 101 would land on e-mail 1: codes never spill into
    // another kind's rows.
    QTest::newRow("code past the kind") << int(ENTITY_PHONE) << 101 << " home";
}

void WireEncodingTest::missingLabels()
{
    QFETCH(int, key);
    QFETCH(int, code);
    QFETCH(QString, label);
    QCOMPARE(wireLabel(key, code), QString());
    QCOMPARE(wireLabelCode(key, label), 0);
}

void WireEncodingTest::tableSizes()
{
    QCOMPARE(wireLabelTable().size(), 69);
    QCOMPARE(wireLabelReverseTable().size(), 69);
}

void WireEncodingTest::srcIds_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<qint64>("key1");
    QTest::addColumn<qint64>("key2");
    QTest::addColumn<QString>("srcId");
    QTest::addColumn<qint64>("id");
    QTest::addColumn<QString>("expected");
    QTest::newRow("new e-mail") << 4 << qint64(812) << qint64(640) << QString() << qint64(31) << "4/812/640/-31";
    QTest::newRow("unsaved") << 3 << qint64(1) << qint64(2) << QString() << qint64(0) << "3/1/2/0";
    QTest::newRow("own id kept") << 4 << qint64(812) << qint64(640) << "4/7/8/99" << qint64(31) << "4/7/8/99";
    QTest::newRow("64-bit keys") << 1 << qint64(5000000000) << qint64(-7) << QString() << qint64(6000000000)
                                 << "1/5000000000/-7/-6000000000";
}

void WireEncodingTest::srcIds()
{
    QFETCH(int, kind);
    QFETCH(qint64, key1);
    QFETCH(qint64, key2);
    QFETCH(QString, srcId);
    QFETCH(qint64, id);
    QFETCH(QString, expected);
    const Entity e = entityWith({}, srcId, id);
    QCOMPARE(buildSrcId(kind, key1, key2, e), expected);
    QCOMPARE(fieldsOf(encodeEntityLine(kind, key1, key2, e)).first(), expected);
    QVERIFY(::parseSrcId(expected));
}

void WireEncodingTest::parseSrcId_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QList<qint64>>("numbers");
    using N = QList<qint64>;
    QTest::newRow("plain") << "1/2/3/4" << true << N { 1, 2, 3, 4 };
    QTest::newRow("all negative") << "-1/-2/-3/-4" << true << N { -1, -2, -3, -4 };
    QTest::newRow("leading zeros") << "03/007/0/-0" << true << N { 3, 7, 0, 0 };
    QTest::newRow("64-bit limits") << "1/9223372036854775807/-9223372036854775808/0" << true
                                   << N { 1, 9223372036854775807LL, qint64(-9223372036854775807LL - 1), 0 };
    QTest::newRow("three numbers") << "1/2/3" << false << N {};
    QTest::newRow("five numbers") << "1/2/3/4/5" << false << N {};
    QTest::newRow("letter") << "1/2/x/4" << false << N {};
    QTest::newRow("hex") << "1/2/0x3/4" << false << N {};
    QTest::newRow("empty") << "" << false << N {};
    QTest::newRow("empty part") << "1//3/4" << false << N {};
    QTest::newRow("trailing slash") << "1/2/3/4/" << false << N {};
    QTest::newRow("lone minus") << "1/2/3/-" << false << N {};
    QTest::newRow("double minus") << "--1/2/3/4" << false << N {};
    QTest::newRow("plus sign") << "+1/2/3/4" << false << N {};
    QTest::newRow("space") << "1/2/3/4 " << false << N {};
    QTest::newRow("line feed") << "1/2/3/4\n" << false << N {};
    QTest::newRow("other digits") << QStringLiteral("1/2/\u0663/4") << false << N {};
    QTest::newRow("kind past 32 bits") << "2147483648/1/1/1" << false << N {};
    QTest::newRow("key past 64 bits") << "1/9223372036854775808/1/1" << false << N {};
    QTest::newRow("id below 64 bits") << "1/1/1/-9223372036854775809" << false << N {};
}

void WireEncodingTest::parseSrcId()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QList<qint64>, numbers);
    int kind = -99;
    qint64 key1 = -99, key2 = -99, id = -99;
    QCOMPARE(::parseSrcId(text, &kind, &key1, &key2, &id), valid);
    if (valid) {
        QCOMPARE((QList<qint64> { kind, key1, key2, id }), numbers);
    } else {
        QCOMPARE(kind, -99);
        QCOMPARE(key1, qint64(-99));
    }
    // Callers may ask for only some of the numbers.
    qint64 onlyKey = 0;
    QCOMPARE(::parseSrcId(text, nullptr, &onlyKey), valid);
    if (valid)
        QCOMPARE(onlyKey, numbers.at(1));
}

void WireEncodingTest::encode_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<Entity>("entity");
    QTest::addColumn<QString>("line");

    const QString number = QStringLiteral("+49 30 1234567");
    QTest::newRow("phone, mobile") << 3 << entityWith({ { data2, 2 }, { data1, number } }, "3/12/7/88")
                                   << "3/12/7/88,mobile,," + b64(number);
    QTest::newRow("phone, type as text") << 3 << entityWith({ { data2, "2" }, { data1, number } }, "3/12/7/88")
                                         << "3/12/7/88,mobile,," + b64(number);
    QTest::newRow("phone, code 7 has no label")
        << 3 << entityWith({ { data2, 7 }, { data1, "1" } }, "3/1/1/1") << "3/1/1/1,,," + b64("1");
    QTest::newRow("phone, custom label") << 3
                                         << entityWith({ { data2, 0 }, { data3, "Boat" }, { data1, "5" } }, "3/1/1/2")
                                         << "3/1/1/2,other," + b64("Boat") + "," + b64("5");
    QTest::newRow("phone, nothing set") << 3 << entityWith({}, "3/1/1/3") << "3/1/1/3,other,,";
    QTest::newRow("name, provisional id")
        << 1
        << entityWith({ { data5, "Dr." }, { data2, "Zoë" }, { data4, "Q" }, { data3, "Łukasz" }, { data6, "Jr." } },
               QString(), 9)
        << "1/5/6/-9," + b64("Dr.") + "," + b64("Zoë") + "," + b64("Q") + "," + b64("Łukasz") + "," + b64("Jr.");
    QTest::newRow("photo") << 2 << entityWith({ { data15, QByteArray("\xff\xd8\x00\x01", 4) } }, "2/1/1/1")
                           << "2/1/1/1,/9gAAQ==";
    QTest::newRow("email") << 4 << entityWith({ { data2, 4 }, { data1, "a@b.c" } }, "4/1/1/1")
                           << "4/1/1/1,mobile,," + b64("a@b.c");
    QTest::newRow("nickname label still sent")
        << 5 << entityWith({ { data2, 4 }, { data3, "x" }, { data1, "Bob" } }, "5/1/1/1")
        << "5/1/1/1,short," + b64("x") + "," + b64("Bob");
    QTest::newRow("event, birthday") << 6 << entityWith({ { data2, 3 }, { data1, "1980-02-29T00:00:00" } }, "6/1/1/1")
                                     << "6/1/1/1,birthday,,1980-02-29";
    QTest::newRow("event, plain date") << 6 << entityWith({ { data2, 1 }, { data1, "2001-12-31" } }, "6/1/1/1")
                                       << "6/1/1/1,anniversary,,2001-12-31";
    QTest::newRow("event, date with zone")
        << 6 << entityWith({ { data2, 1 }, { data1, "2001-12-31T23:00:00+02:00" } }, "6/1/1/1")
        << "6/1/1/1,anniversary,,2001-12-31";
    QTest::newRow("event, unparsable date")
        << 6 << entityWith({ { data2, 3 }, { data1, "last spring" } }, "6/1/1/1") << "6/1/1/1,birthday,,";
    QTest::newRow("group") << 7 << entityWith({ { data2, "Family" } }, "7/1/1/1") << "7/1/1/1," + b64("Family");
    QTest::newRow("im") << 8
                        << entityWith({ { data2, 1 }, { data3, "" }, { data5, 4 }, { data6, "" }, { data1, "joe" } },
                               "8/1/1/1")
                        << "8/1/1/1,home,,skype,," + b64("joe");
    QTest::newRow("im, custom protocol") << 8
                                         << entityWith({ { data2, 0 }, { data3, "Club" }, { data5, 0 },
                                                           { data6, "Matrix" }, { data1, "@j:m" } },
                                                "8/1/1/1")
                                         << "8/1/1/1,other," + b64("Club") + ",," + b64("Matrix") + "," + b64("@j:m");
    QTest::newRow("note with line breaks")
        << 9 << entityWith({ { data1, "a,b\nc" } }, "9/1/1/1") << "9/1/1/1," + b64("a,b\nc");
    QTest::newRow("organization") << 10
                                  << entityWith(
                                         { { data2, 1 }, { data1, "ACME" }, { data5, "Boss" }, { data4, "Sales" } },
                                         "10/1/1/1")
                                  << "10/1/1/1,work,," + b64("ACME") + "," + b64("Boss") + "," + b64("Sales");
    QTest::newRow("relation parnet") << 11 << entityWith({ { data2, 9 }, { data1, "Ann" } }, "11/1/1/1")
                                     << "11/1/1/1,parnet,," + b64("Ann");
    QTest::newRow("relation refby") << 11 << entityWith({ { data2, 11 }, { data1, "Ann" } }, "11/1/1/1")
                                    << "11/1/1/1,refby,," + b64("Ann");
    QTest::newRow("address") << 12
                             << entityWith(
                                    { { data2, 2 }, { data4, "1 Main St" }, { data7, "Springfield" }, { data8, "IL" },
                                        { data9, "62701" }, { data10, "USA" }, { data1, "ignored" } },
                                    "12/1/1/1")
                             << "12/1/1/1,work,," + b64("USA") + "," + b64("IL") + "," + b64("Springfield") + ","
            + b64("1 Main St") + "," + b64("62701");
    QTest::newRow("website") << 13 << entityWith({ { data2, 1 }, { data1, "https://x.example" } }, "13/1/1/1")
                             << "13/1/1/1,homepage,," + b64("https://x.example");
    QTest::newRow("unknown kind 14") << 14 << entityWith({ { data1, "x" } }, "14/1/1/1") << "14/1/1/1";
    QTest::newRow("unknown kind 0") << 0 << entityWith({ { data1, "x" } }, QString(), 3) << "0/5/6/-3";
}

void WireEncodingTest::encode()
{
    QFETCH(int, kind);
    QFETCH(Entity, entity);
    QFETCH(QString, line);
    QCOMPARE(encodeEntityLine(kind, 5, 6, entity), line);
}

void WireEncodingTest::decode_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<Values>("values");

    const QString src = QStringLiteral("3/1/2/3");
    QTest::newRow("phone, custom label wins") << 3 << QStringList { src, "work", b64("Abc"), b64("123") }
                                              << Values { { data2, 0 }, { data3, "Abc" }, { data1, "123" } };
    QTest::newRow("phone, two fields") << 3 << QStringList { src, "home" } << Values { { data2, 1 } };
    QTest::newRow("phone, empty custom label")
        << 3 << QStringList { src, "mobile", "", b64("1") } << Values { { data2, 2 }, { data3, "" }, { data1, "1" } };
    QTest::newRow("phone, unknown label")
        << 3 << QStringList { src, "satellite", "", "" } << Values { { data2, 0 }, { data3, "" }, { data1, "" } };
    QTest::newRow("phone, label in capitals") << 3 << QStringList { src, "MOBILE" } << Values { { data2, 0 } };
    QTest::newRow("phone, source id only") << 3 << QStringList { src } << Values {};
    QTest::newRow("phone, extra fields ignored") << 3 << QStringList { src, "work", "", b64("9"), "x", "y" }
                                                 << Values { { data2, 3 }, { data3, "" }, { data1, "9" } };
    QTest::newRow("email") << 4 << QStringList { src, "work", "", b64("a@b") }
                           << Values { { data2, 2 }, { data3, "" }, { data1, "a@b" } };
    QTest::newRow("relation parnet") << 11 << QStringList { src, "parnet", "", b64("Ann") }
                                     << Values { { data2, 9 }, { data3, "" }, { data1, "Ann" } };
    QTest::newRow("relation parent") << 11 << QStringList { src, "parent", "", b64("Ann") }
                                     << Values { { data2, 0 }, { data3, "" }, { data1, "Ann" } };
    QTest::newRow("website") << 13 << QStringList { src, "blog", "", b64("b.example") }
                             << Values { { data2, 2 }, { data3, "" }, { data1, "b.example" } };
    QTest::newRow("nickname, label ignored")
        << 5 << QStringList { src, "short", b64("Custom"), b64("Bob") } << Values { { data2, 1 }, { data1, "Bob" } };
    QTest::newRow("nickname, source id only") << 5 << QStringList { src } << Values { { data2, 1 } };
    QTest::newRow("event") << 6 << QStringList { src, "birthday", "", "1980-02-29" }
                           << Values { { data2, 3 }, { data3, "" }, { data1, "1980-02-29T00:00:00" } };
    QTest::newRow("event, custom label") << 6 << QStringList { src, "birthday", b64("Name day"), "2000-01-02" }
                                         << Values { { data2, 0 }, { data3, "Name day" },
                                                { data1, "2000-01-02T00:00:00" } };
    QTest::newRow("event, impossible date")
        << 6 << QStringList { src, "other", "", "1981-02-29" } << Values { { data2, 0 }, { data3, "" }, { data1, "" } };
    QTest::newRow("event, garbage date") << 6 << QStringList { src, "anniversary", "", "soon" }
                                         << Values { { data2, 1 }, { data3, "" }, { data1, "" } };
    QTest::newRow("group") << 7 << QStringList { src, b64("Work") } << Values { { data2, "Work" } };
    QTest::newRow("im") << 8 << QStringList { src, "work", "", "jabber", "", b64("me@x") }
                        << Values { { data2, 2 }, { data3, "" }, { data5, 8 }, { data6, "" }, { data1, "me@x" } };
    QTest::newRow("im, custom type and protocol")
        << 8 << QStringList { src, "work", b64("Gym"), "jabber", b64("Signal"), b64("me") }
        << Values { { data2, 0 }, { data3, "Gym" }, { data5, 0 }, { data6, "Signal" }, { data1, "me" } };
    QTest::newRow("im, three fields") << 8 << QStringList { src, "home", "", "qq" }
                                      << Values { { data2, 1 }, { data3, "" }, { data5, 5 } };
    QTest::newRow("note") << 9 << QStringList { src, b64("line 1\nline 2") } << Values { { data1, "line 1\nline 2" } };
    QTest::newRow("note, stray characters skipped")
        << 9 << QStringList { src, "Q*m9i!" } << Values { { data1, "Bob" } };
    QTest::newRow("note, padding anywhere") << 9 << QStringList { src, "Qm=9i" } << Values { { data1, "Bob" } };
    QTest::newRow("organization") << 10 << QStringList { src, "work", "", b64("ACME"), b64("Boss"), b64("Sales") }
                                  << Values { { data2, 1 }, { data3, "" }, { data1, "ACME" }, { data5, "Boss" },
                                         { data4, "Sales" } };

    Entity address;
    address.setValue(data4, QStringLiteral("1 Main St"));
    address.setValue(data7, QStringLiteral("Springfield"));
    address.setValue(data8, QStringLiteral("IL"));
    address.setValue(data9, QStringLiteral("62701"));
    address.setValue(data10, QStringLiteral("USA"));
    QTest::newRow("address") << 12
                             << QStringList { src, "home", "", b64("USA"), b64("IL"), b64("Springfield"),
                                    b64("1 Main St"), b64("62701") }
                             << Values { { data2, 1 }, { data3, "" }, { data10, "USA" }, { data8, "IL" },
                                    { data7, "Springfield" }, { data4, "1 Main St" }, { data9, "62701" },
                                    { data1, formatPostalAddress(address) } };
    QTest::newRow("address, two fields") << 12 << QStringList { src, "work" } << Values { { data2, 2 }, { data1, "" } };

    QTest::newRow("name") << 1 << QStringList { src, b64("Dr."), b64("Anna"), b64("M"), b64("Müller"), b64("PhD") }
                          << Values { { data5, "Dr." }, { data2, "Anna" }, { data4, "M" }, { data3, "Müller" },
                                 { data6, "PhD" }, { data1, "Dr. Anna M Müller PhD" } };
    QTest::newRow("name, first only") << 1 << QStringList { src, "", b64("Anna") }
                                      << Values { { data5, "" }, { data2, "Anna" }, { data1, "Anna" } };
    QTest::newRow("name, source id only") << 1 << QStringList { src } << Values { { data1, "" } };
    QTest::newRow("photo") << 2 << QStringList { src, "/9gAAQ==" }
                           << Values { { data15, QByteArray("\xff\xd8\x00\x01", 4) } };
    QTest::newRow("kind 14") << 14 << QStringList { src, "home", b64("x") } << Values {};
    QTest::newRow("kind 0") << 0 << QStringList { src, "home", b64("x") } << Values {};
    QTest::newRow("kind -3") << -3 << QStringList { src, "home", b64("x") } << Values {};
}

void WireEncodingTest::decode()
{
    QFETCH(int, kind);
    QFETCH(QStringList, fields);
    QFETCH(Values, values);
    Entity entity;
    decodeEntityFields(fields, kind, entity);

    QList<int> expectedColumns;
    for (const auto &[column, value] : values)
        expectedColumns.append(column);
    std::sort(expectedColumns.begin(), expectedColumns.end());
    QCOMPARE(entity.columns(), expectedColumns);
    for (const auto &[column, value] : values) {
        const QVariant got = entity.value(column);
        // Type codes are integers, texts strings, the photo bytes.
        const int wantedType = value.typeId() == QMetaType::QByteArray ? QMetaType::QByteArray
            : value.typeId() == QMetaType::Int                         ? QMetaType::Int
                                                                       : QMetaType::QString;
        QCOMPARE(got.typeId(), wantedType);
        QCOMPARE(got, QVariant(wantedType == QMetaType::QString ? QVariant(value.toString()) : value));
    }
    QCOMPARE(entity.srcId, QString()); // field 0 is the caller's
}

void WireEncodingTest::decodeFromViews()
{
    const QString line = QStringLiteral("8/1/2/3,work,,jabber,,") + b64(QStringLiteral("me@x"));
    Entity fromList;
    Entity fromViews;
    decodeEntityFields(fieldsOf(line), ENTITY_IM, fromList);
    decodeEntityFields(splitEntityFields(line), ENTITY_IM, fromViews);
    QCOMPARE(fromViews, fromList);
    QCOMPARE(fromViews.text(data1), QStringLiteral("me@x"));
}

void WireEncodingTest::splitFields_data()
{
    QTest::addColumn<QString>("argument");
    QTest::newRow("empty") << "";
    QTest::newRow("source id only") << "1/2/3/4";
    QTest::newRow("empty fields") << "3/1/1/1,,,";
    QTest::newRow("leading comma") << ",a,b";
    QTest::newRow("typical") << "3/12/7/88,mobile,,KzQ5";
}

void WireEncodingTest::splitFields()
{
    QFETCH(QString, argument);
    const QList<QStringView> views = splitEntityFields(argument);
    const QStringList expected = argument.split(QLatin1Char(','), Qt::KeepEmptyParts);
    QCOMPARE(views.size(), expected.size());
    for (qsizetype i = 0; i < views.size(); ++i)
        QCOMPARE(views.at(i).toString(), expected.at(i));
}

void WireEncodingTest::roundTrips_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<Entity>("entity");

    QTest::newRow("name") << 1
                          << entityWith({ { data5, "" }, { data2, "Ōtsuka" }, { data4, "" }, { data3, "Ἀθηνᾶ" },
                                 { data6, "" } });
    QTest::newRow("phone") << 3 << entityWith({ { data2, 17 }, { data1, "+1 (555) 010-9999" } });
    QTest::newRow("phone, custom") << 3 << entityWith({ { data2, 0 }, { data3, "Boat" }, { data1, "5" } });
    QTest::newRow("email") << 4 << entityWith({ { data2, 1 }, { data1, "zoë@example.org" } });
    QTest::newRow("event, leap day") << 6 << entityWith({ { data2, 3 }, { data1, "1980-02-29T00:00:00" } });
    QTest::newRow("event, far past") << 6 << entityWith({ { data2, 1 }, { data1, "1066-10-14T00:00:00" } });
    QTest::newRow("group") << 7 << entityWith({ { data2, "Ünïcode group 👪" } });
    QTest::newRow("im") << 8 << entityWith({ { data2, 2 }, { data5, 9 }, { data1, "nm" } });
    QTest::newRow("note") << 9 << entityWith({ { data1, "comma, line\nfeed\r\nand tab\t" } });
    QTest::newRow("organization") << 10
                                  << entityWith({ { data2, 1 }, { data1, "Ltd" }, { data5, "CEO" }, { data4, "HQ" } });
    QTest::newRow("relation") << 11 << entityWith({ { data2, 14 }, { data1, "Sam" } });
    QTest::newRow("address") << 12
                             << entityWith(
                                    { { data2, 1 }, { data4, "Rue 1" }, { data7, "Paris" }, { data10, "France" } });
    QTest::newRow("website") << 13 << entityWith({ { data2, 6 }, { data1, "ftp://x" } });
}

void WireEncodingTest::roundTrips()
{
    QFETCH(int, kind);
    QFETCH(Entity, entity);
    const QString line = encodeEntityLine(kind, 4, 5, entity);
    QVERIFY(!line.contains(QLatin1Char('\n')));
    for (const QChar c : line)
        QVERIFY(c.unicode() < 128);
    const QStringList fields = fieldsOf(line);
    Entity back;
    decodeEntityFields(fields, kind, back);
    for (int column : entity.columns())
        QVERIFY2(variantValuesEqual(back.value(column), entity.value(column)),
            qPrintable(QStringLiteral("data%1: %2").arg(column).arg(back.text(column))));
}

void WireEncodingTest::photoRoundTripKeepsEveryByte()
{
    QByteArray bytes;
    for (int i = 0; i < 3 * 256 + 1; ++i)
        bytes.append(char(i * 7));
    const Entity photo = entityWith({ { data15, bytes } }, "2/3/4/5");
    Entity back;
    decodeEntityFields(fieldsOf(encodeEntityLine(ENTITY_PHOTO, 0, 0, photo)), ENTITY_PHOTO, back);
    QCOMPARE(back.value(data15).typeId(), int(QMetaType::QByteArray));
    QCOMPARE(back.bytes(data15), bytes);
}

void WireEncodingTest::malformedFieldListsNeverFail()
{
    // Arbitrary field lists for every kind: decoding fills at most the
    // kind's own columns and never fails.
    const QHash<int, QList<int>> columnsOf {
        { 1, { data1, data2, data3, data4, data5, data6 } },
        { 2, { data15 } },
        { 3, { data1, data2, data3 } },
        { 4, { data1, data2, data3 } },
        { 5, { data1, data2 } },
        { 6, { data1, data2, data3 } },
        { 7, { data2 } },
        { 8, { data1, data2, data3, data5, data6 } },
        { 9, { data1 } },
        { 10, { data1, data2, data3, data4, data5 } },
        { 11, { data1, data2, data3 } },
        { 12, { data1, data2, data3, data4, data7, data8, data9, data10 } },
        { 13, { data1, data2, data3 } },
    };
    QRandomGenerator random(4711);
    for (int round = 0; round < 20000; ++round) {
        QStringList fields;
        const int count = random.bounded(0, 12);
        for (int i = 0; i < count; ++i) {
            QString field;
            const int length = random.bounded(0, 40);
            for (int j = 0; j < length; ++j)
                field.append(QChar(char16_t(random.bounded(0, 0x3000))));
            fields.append(field);
        }
        const int kind = random.bounded(-1, 16);
        Entity entity;
        decodeEntityFields(fields, kind, entity);
        const QList<int> allowed = columnsOf.value(kind);
        for (int column : entity.columns())
            QVERIFY2(allowed.contains(column), qPrintable(QStringLiteral("kind %1 data%2").arg(kind).arg(column)));
    }
}

QTEST_GUILESS_MAIN(WireEncodingTest)
#include "wireencodingtest.moc"
