#include "contacts/contact.h"
#include "contacts/entity.h"

#include <QTest>

using namespace pim;

class EntityTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void absentColumnsReadEmpty();
    void columnNames_data();
    void columnNames();
    void valuesEqual_data();
    void valuesEqual();
    void blankColumns();
    void copiesAreIndependent();
    void contactKindsIterateAscendingInInsertionOrder();
    void contactOrderIsByCodeUnits_data();
    void contactOrderIsByCodeUnits();
    void emptyKindListEqualsMissingKind();
};

void EntityTest::absentColumnsReadEmpty()
{
    Entity e;
    QVERIFY(!e.has(data9));
    QCOMPARE(e.text(data9), QString());
    QVERIFY(e.text(data9).isEmpty());
    QCOMPARE(e.bytes(data15), QByteArray());
    QCOMPARE(e.toInt(data2), 0);
    QVERIFY(!e.value(data9).isValid());
    e.setText(data2, QStringLiteral("abc"));
    QCOMPARE(e.toInt(data2), 0);
    e.setText(data2, QStringLiteral("17"));
    QCOMPARE(e.toInt(data2), 17);
    e.setValue(data2, 5);
    QCOMPARE(e.text(data2), QStringLiteral("5"));
    // Setting no value makes the column absent again, not present and empty.
    Entity copied;
    copied.setValue(data2, QVariant(5));
    copied.setValue(data3, e.value(data9));
    QVERIFY(!copied.has(data3));
    Entity plain;
    plain.setValue(data2, QVariant(5));
    QCOMPARE(copied, plain);
    e.setValue(0, QStringLiteral("ignored"));
    e.setValue(16, QStringLiteral("ignored"));
    QCOMPARE(e.columns(), (QList<int> { data2 }));
}

void EntityTest::columnNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("column");
    QTest::newRow("data1") << "data1" << 1;
    QTest::newRow("data15") << "data15" << 15;
    QTest::newRow("data16") << "data16" << 0;
    QTest::newRow("data0") << "data0" << 0;
    QTest::newRow("data01") << "data01" << 0;
    QTest::newRow("Data1") << "Data1" << 0;
    QTest::newRow("data") << "data" << 0;
    QTest::newRow("data+1") << "data+1" << 0;
    QTest::newRow("data-1") << "data-1" << 0;
    QTest::newRow("data 1") << "data 1" << 0;
    QTest::newRow("data1 ") << "data1 " << 0;
    QTest::newRow("data1x") << "data1x" << 0;
    QTest::newRow("data٣ (Arabic-Indic digit)") << QStringLiteral("data\u0663") << 0;
}

void EntityTest::columnNames()
{
    QFETCH(QString, name);
    QFETCH(int, column);
    QCOMPARE(Entity::columnNumber(name), column);
    if (column)
        QCOMPARE(Entity::columnName(column), name);
}

void EntityTest::valuesEqual_data()
{
    QTest::addColumn<QVariant>("a");
    QTest::addColumn<QVariant>("b");
    QTest::addColumn<bool>("equal");
    QTest::newRow("absent/absent") << QVariant() << QVariant() << true;
    QTest::newRow("absent/empty text") << QVariant() << QVariant(QString()) << false;
    QTest::newRow("empty text/absent") << QVariant(QStringLiteral("")) << QVariant() << false;
    QTest::newRow("same text") << QVariant(QStringLiteral("Ann")) << QVariant(QStringLiteral("Ann")) << true;
    QTest::newRow("case differs") << QVariant(QStringLiteral("Ann")) << QVariant(QStringLiteral("ann")) << false;
    QTest::newRow("text 2 / int 2") << QVariant(QStringLiteral("2")) << QVariant(2) << true;
    QTest::newRow("int 2 / text 2") << QVariant(2) << QVariant(QStringLiteral("2")) << true;
    QTest::newRow("text 02 / int 2") << QVariant(QStringLiteral("02")) << QVariant(2) << false;
    QTest::newRow("text ' 2' / int 2") << QVariant(QStringLiteral(" 2")) << QVariant(2) << false;
    QTest::newRow("text -5 / int64 -5") << QVariant(QStringLiteral("-5")) << QVariant(qint64(-5)) << true;
    QTest::newRow("int / int64") << QVariant(7) << QVariant(qint64(7)) << true;
    QTest::newRow("empty text / int 0") << QVariant(QString()) << QVariant(0) << false;
    QTest::newRow("bytes equal") << QVariant(QByteArray("\x01\x02", 2)) << QVariant(QByteArray("\x01\x02", 2)) << true;
    QTest::newRow("bytes differ") << QVariant(QByteArray("a")) << QVariant(QByteArray("b")) << false;
}

void EntityTest::valuesEqual()
{
    QFETCH(QVariant, a);
    QFETCH(QVariant, b);
    QFETCH(bool, equal);
    Entity x;
    Entity y;
    if (a.isValid())
        x.setValue(data1, a);
    if (b.isValid())
        y.setValue(data1, b);
    x.setText(data2, QStringLiteral("not compared"));
    QCOMPARE(entityValuesEqual(x, y, { QStringLiteral("data1") }), equal);
    QCOMPARE(entityValuesEqual(x, y, {}), true);
}

void EntityTest::blankColumns()
{
    Entity e;
    const QStringList cols { QStringLiteral("data1"), QStringLiteral("data3") };
    QVERIFY(isEntityBlank(e, cols));
    e.setText(data2, QStringLiteral("2"));
    QVERIFY(isEntityBlank(e, cols));
    e.setText(data1, QString());
    QVERIFY(isEntityBlank(e, cols));
    e.setText(data3, QStringLiteral("x"));
    QVERIFY(!isEntityBlank(e, cols));
}

void EntityTest::copiesAreIndependent()
{
    Entity a;
    a._id = 4;
    a.srcId = QStringLiteral("3/1/2/4");
    a.setText(data1, QStringLiteral("555"));
    Entity b = a;
    b.setText(data1, QStringLiteral("666"));
    b._id = 5;
    QCOMPARE(a.text(data1), QStringLiteral("555"));
    QCOMPARE(a._id, 4);
    QCOMPARE(b.srcId, a.srcId);

    Contact c;
    c.addEntity(ENTITY_PHONE, a);
    Contact d = c;
    d.entitiesOf(ENTITY_PHONE)[0].setText(data1, QStringLiteral("777"));
    QCOMPARE(c.entitiesOf(ENTITY_PHONE).first().text(data1), QStringLiteral("555"));
    QCOMPARE(d.entitiesOf(ENTITY_PHONE).first().text(data1), QStringLiteral("777"));
}

void EntityTest::contactKindsIterateAscendingInInsertionOrder()
{
    Contact c;
    auto make = [](const char *v) {
        Entity e;
        e.setText(data1, QString::fromLatin1(v));
        return e;
    };
    c.addEntity(ENTITY_WEBSITE, make("w"));
    c.addEntity(ENTITY_PHONE, make("p2"));
    c.addEntity(ENTITY_NAME, make("n"));
    c.addEntity(ENTITY_PHONE, make("p1"));
    QStringList seen;
    for (auto it = c.entities.cbegin(); it != c.entities.cend(); ++it)
        for (const Entity &e : it.value())
            seen << e.text(data1);
    QCOMPARE(seen, (QStringList { "n", "p2", "p1", "w" }));
    QCOMPARE(c.entityCount(), 4);
    QCOMPARE(c.firstEntity(ENTITY_PHONE)->text(data1), QStringLiteral("p2"));
    QVERIFY(c.firstEntity(ENTITY_NOTE) == nullptr);
    QVERIFY(c.entitiesOf(ENTITY_NOTE).isEmpty());
}

void EntityTest::contactOrderIsByCodeUnits_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("less");
    QTest::newRow("upper before lower") << "Zed" << "adam" << true;
    QTest::newRow("prefix first") << "Ann" << "Anna" << true;
    QTest::newRow("equal") << "Bo" << "Bo" << false;
    QTest::newRow("empty first") << "" << "A" << true;
    // U+FF21 (one code unit) sorts after U+1F600 (surrogates D83D DE00).
    QTest::newRow("surrogates by code unit") << QString::fromUtf8("\xF0\x9F\x98\x80") << QString::fromUtf8("\xEF\xBC\xA1")
                                             << true;
    QTest::newRow("no locale collation") << QString::fromUtf8("\xC3\x84") << "B" << false;
}

void EntityTest::contactOrderIsByCodeUnits()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, less);
    Contact x;
    x.fullName = a;
    Contact y;
    y.fullName = b;
    QCOMPARE(contactLessThan(x, y), less);
}

void EntityTest::emptyKindListEqualsMissingKind()
{
    Contact a;
    a.fullName = QStringLiteral("A");
    Contact b = a;
    b.entities[ENTITY_NOTE];
    QCOMPARE(a, b);
    Entity note;
    note.setText(data1, QStringLiteral("x"));
    b.addEntity(ENTITY_NOTE, note);
    QVERIFY(a != b);
}

QTEST_GUILESS_MAIN(EntityTest)
#include "entitytest.moc"
