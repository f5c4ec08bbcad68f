// The contact list model: columns and their texts, row shading and height,
// photo decorations and the stored records behind the indexes.
#include "app/itemmodelcontacts.h"
#include "contacts/localdb.h"
#include "panetestutil.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace pim;
using panetest::contact;
using panetest::entity;

namespace {

Entity phone(const QString &number, const QString &type)
{
    return entity({{data1, number}, {data2, type}});
}

QImage expectedDecoration(const QByteArray &bytes, const char *format)
{
    QImage image;
    if (!image.loadFromData(bytes, format))
        return QImage();
    return QPixmap::fromImage(image.scaledToWidth(18, Qt::SmoothTransformation)).toImage();
}

QImage emptyContact()
{
    return QPixmap(QStringLiteral(":res/empty_contact.png")).scaledToWidth(18, Qt::SmoothTransformation).toImage();
}

} // namespace

class ItemModelContactsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void shape();
    void phoneColumn_data();
    void phoneColumn();
    void emailAndAddressColumns();
    void rowShadingAndHeight_data();
    void rowShadingAndHeight();
    void decoration_data();
    void decoration();
    void decorationFollowsEditedPhoto();
    void indexesCarryStoredRecord();
    void setContactsKeepsCallerListApart();
    void appendAndClear();
    void rowsFromDatabase_data();
    void rowsFromDatabase();
    void sortingByColumnFillsEveryRow();

private:
    std::unique_ptr<ItemModelContacts> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void ItemModelContactsTest::init()
{
    m_tester.reset();
    m_model = std::make_unique<ItemModelContacts>();
    m_tester = std::make_unique<QAbstractItemModelTester>(m_model.get(),
                                                          QAbstractItemModelTester::FailureReportingMode::QtTest);
}

void ItemModelContactsTest::shape()
{
    m_model->setContacts({contact(QStringLiteral("Ann")), contact(QStringLiteral("Bob"))});
    QCOMPARE(m_model->columnCount(), 4);
    QCOMPARE(m_model->rowCount(), 2);
    QCOMPARE(m_model->rowCount(m_model->index(0, 0)), 0);
    QVERIFY(!m_model->parent(m_model->index(1, 2)).isValid());
    QVERIFY(!m_model->index(2, 0).isValid());
    QVERIFY(!m_model->index(0, 4).isValid());
    QStringList headers;
    for (int column = 0; column < 4; ++column)
        headers << m_model->headerData(column, Qt::Horizontal).toString();
    QCOMPARE(headers, (QStringList{"Name", "Phone", "E-Mail", "Address"}));
    QVERIFY(!m_model->headerData(0, Qt::Vertical).isValid());
    QVERIFY(!m_model->headerData(0, Qt::Horizontal, Qt::ToolTipRole).isValid());
    QCOMPARE(m_model->index(1, 0).data().toString(), QStringLiteral("Bob"));
    QCOMPARE(m_model->index(1, 0).data(Qt::ToolTipRole).toString(), QStringLiteral("Bob"));
    QVERIFY(!m_model->index(1, 0).data(Qt::EditRole + 100).isValid());
    QVERIFY(!m_model->index(1, 1).data(Qt::DecorationRole).isValid());
}

void ItemModelContactsTest::phoneColumn_data()
{
    QTest::addColumn<QStringList>("types");
    QTest::addColumn<QString>("expected");
    // Numbers are "n<position>".
    QTest::newRow("no phone") << QStringList{} << "";
    QTest::newRow("home then mobile") << QStringList{"1", "2"} << "n1";
    QTest::newRow("mobile then home") << QStringList{"2", "1"} << "n0";
    QTest::newRow("home and work") << QStringList{"1", "3"} << "n0";
    QTest::newRow("two mobiles") << QStringList{"3", "2", "2"} << "n1";
    QTest::newRow("work mobile is not mobile") << QStringList{"17", "6"} << "n0";
    QTest::newRow("type without a number") << QStringList{"", "2"} << "n1";
}

void ItemModelContactsTest::phoneColumn()
{
    QFETCH(QStringList, types);
    QFETCH(QString, expected);
    Contact c = contact(QStringLiteral("Ann"));
    for (int i = 0; i < types.size(); ++i)
        c.addEntity(ENTITY_PHONE, phone(QStringLiteral("n%1").arg(i), types.at(i)));
    m_model->setContacts({c});
    QCOMPARE(m_model->index(0, 1).data().toString(), expected);
    QCOMPARE(m_model->index(0, 1).data(Qt::ToolTipRole).toString(), expected);
}

void ItemModelContactsTest::emailAndAddressColumns()
{
    Contact full = contact(QStringLiteral("Ann"));
    full.addEntity(ENTITY_EMAIL, entity({{data1, QStringLiteral("first@x.org")}, {data2, QStringLiteral("2")}}));
    full.addEntity(ENTITY_EMAIL, entity({{data1, QStringLiteral("second@x.org")}, {data2, QStringLiteral("1")}}));
    full.addEntity(ENTITY_POSTAL_ADDRESS, entity({{data1, QStringLiteral("1 Main St\nSpringfield")}}));
    full.addEntity(ENTITY_POSTAL_ADDRESS, entity({{data1, QStringLiteral("2 Side St")}}));
    m_model->setContacts({full, contact(QStringLiteral("Bob"))});
    QCOMPARE(m_model->index(0, 2).data().toString(), QStringLiteral("first@x.org"));
    QCOMPARE(m_model->index(0, 3).data().toString(), QStringLiteral("1 Main St\nSpringfield"));
    QCOMPARE(m_model->index(1, 2).data().toString(), QString());
    QCOMPARE(m_model->index(1, 3).data().toString(), QString());
}

void ItemModelContactsTest::rowShadingAndHeight_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QColor>("color");
    QTest::newRow("row 0") << 0 << 0 << QColor(250, 250, 250);
    QTest::newRow("row 1") << 1 << 2 << QColor(255, 255, 255);
    QTest::newRow("row 2") << 2 << 3 << QColor(250, 250, 250);
    QTest::newRow("row 3") << 3 << 1 << QColor(255, 255, 255);
}

void ItemModelContactsTest::rowShadingAndHeight()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QColor, color);
    QList<Contact> list;
    for (int i = 0; i < 4; ++i)
        list << contact(QStringLiteral("C%1").arg(i));
    m_model->setContacts(list);
    const QModelIndex index = m_model->index(row, column);
    const QBrush brush = index.data(Qt::BackgroundRole).value<QBrush>();
    QCOMPARE(brush.style(), Qt::SolidPattern);
    QCOMPARE(brush.color(), color);
    QCOMPARE(index.data(Qt::SizeHintRole).toSize(), QSize(0, 25));
}

void ItemModelContactsTest::decoration_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("hasPhoto");
    QTest::addColumn<QImage>("expected");
    const QByteArray jpeg = panetest::picture("JPG", QColor(200, 40, 40), 64, 48);
    const QByteArray png = panetest::picture("PNG", QColor(40, 160, 40), 36, 72);
    QTest::newRow("no photo") << QByteArray() << false << emptyContact();
    QTest::newRow("jpeg") << jpeg << true << expectedDecoration(jpeg, "JPG");
    QTest::newRow("png") << png << true << expectedDecoration(png, "PNG");
    QTest::newRow("bmp is neither") << panetest::picture("BMP", Qt::blue) << true << emptyContact();
    QTest::newRow("garbage") << QByteArray("not a picture at all") << true << emptyContact();
    QTest::newRow("empty bytes") << QByteArray() << true << emptyContact();
    QTest::newRow("truncated jpeg") << jpeg.left(20) << true << emptyContact();
}

void ItemModelContactsTest::decoration()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, hasPhoto);
    QFETCH(QImage, expected);
    QVERIFY(!expected.isNull());
    Contact c = contact(QStringLiteral("Ann"));
    if (hasPhoto)
        c.addEntity(ENTITY_PHOTO, panetest::photo(bytes));
    m_model->setContacts({contact(QStringLiteral("Before")), c});
    for (int pass = 0; pass < 2; ++pass) {   // the second answer comes from the cache
        const QVariant value = m_model->index(1, 0).data(Qt::DecorationRole);
        QCOMPARE(value.typeId(), QMetaType::QPixmap);
        const QPixmap pixmap = value.value<QPixmap>();
        QCOMPARE(pixmap.width(), 18);
        QCOMPARE(pixmap.toImage(), expected);
    }
}

void ItemModelContactsTest::decorationFollowsEditedPhoto()
{
    const QByteArray red = panetest::picture("PNG", Qt::red);
    const QByteArray green = panetest::picture("PNG", Qt::green);
    Contact c = contact(QStringLiteral("Ann"), {{ENTITY_PHOTO, panetest::photo(red)}});
    m_model->setContacts({c});
    QCOMPARE(m_model->index(0, 0).data(Qt::DecorationRole).value<QPixmap>().toImage(),
             expectedDecoration(red, "PNG"));
    // A command edits the stored record in place.
    Contact *stored = m_model->contactAt(m_model->index(0, 0));
    QVERIFY(stored);
    stored->entitiesOf(ENTITY_PHOTO).first().setValue(data15, green);
    QCOMPARE(m_model->index(0, 0).data(Qt::DecorationRole).value<QPixmap>().toImage(),
             expectedDecoration(green, "PNG"));
    stored->entities.remove(ENTITY_PHOTO);
    QCOMPARE(m_model->index(0, 0).data(Qt::DecorationRole).value<QPixmap>().toImage(), emptyContact());
}

void ItemModelContactsTest::indexesCarryStoredRecord()
{
    m_model->setContacts({contact(QStringLiteral("Ann")), contact(QStringLiteral("Bob"))});
    const QModelIndex name = m_model->index(1, 0);
    QVERIFY(name.internalPointer());
    QCOMPARE(static_cast<Contact *>(name.internalPointer()), m_model->contactAt(name));
    QCOMPARE(static_cast<Contact *>(name.internalPointer())->fullName, QStringLiteral("Bob"));
    QVERIFY(!m_model->index(1, 1).internalPointer());
    QVERIFY(!m_model->index(1, 3).internalPointer());
    QCOMPARE(m_model->contactAt(m_model->index(1, 3))->fullName, QStringLiteral("Bob"));

    QCOMPARE(m_model->contactIndex(0), m_model->index(0, 0));
    QVERIFY(!m_model->contactIndex(-1).isValid());
    QVERIFY(!m_model->contactIndex(2).isValid());
    QVERIFY(!m_model->contactAt(QModelIndex()));

    // Edits through the record show in the list.
    static_cast<Contact *>(name.internalPointer())->fullName = QStringLiteral("Robert");
    QCOMPARE(m_model->index(1, 0).data().toString(), QStringLiteral("Robert"));
}

void ItemModelContactsTest::setContactsKeepsCallerListApart()
{
    const QList<Contact> mine{contact(QStringLiteral("Ann"))};
    m_model->setContacts(mine);
    m_model->contactAt(m_model->index(0, 0))->fullName = QStringLiteral("Changed");
    QCOMPARE(mine.first().fullName, QStringLiteral("Ann"));
    QCOMPARE(m_model->contacts().first().fullName, QStringLiteral("Changed"));

    // A long list is freed elsewhere once replaced; what the caller shares
    // with it stays intact.
    QList<Contact> many;
    for (int i = 0; i < 5000; ++i)
        many << contact(QStringLiteral("Person %1").arg(i), {{ENTITY_NOTE, entity({{data1, QStringLiteral("n")}})}});
    const QList<Contact> kept = many;
    QList<Contact> copies(many.cbegin(), many.cend());
    m_model->setContacts(std::move(many));
    QCOMPARE(m_model->rowCount(), 5000);
    m_model->setContacts({contact(QStringLiteral("Next"))});
    m_model->clearContacts();
    QCOMPARE(kept.size(), 5000);
    QCOMPARE(kept.at(4999).fullName, QStringLiteral("Person 4999"));
    QCOMPARE(copies.at(1234).entitiesOf(ENTITY_NOTE).first().text(data1), QStringLiteral("n"));
}

void ItemModelContactsTest::appendAndClear()
{
    m_model->setContacts({contact(QStringLiteral("Ann"))});
    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
    m_model->appendContact(contact(QStringLiteral("Zed")));
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(inserted.first().at(1).toInt(), 1);
    QCOMPARE(inserted.first().at(2).toInt(), 1);
    QCOMPARE(m_model->rowCount(), 2);
    QCOMPARE(m_model->index(1, 0).data().toString(), QStringLiteral("Zed"));

    QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);
    m_model->clearContacts();
    QCOMPARE(reset.size(), 1);
    QCOMPARE(m_model->rowCount(), 0);
}


void ItemModelContactsTest::rowsFromDatabase_data()
{
    QTest::addColumn<bool>("inUse");
    QTest::newRow("database free") << false;
    QTest::newRow("database in use by a job") << true;
}

// A list read as names: each row gets its columns and photo from the
// database when shown, and fullContact() reads the whole contact.
void ItemModelContactsTest::rowsFromDatabase()
{
    QFETCH(bool, inUse);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray png = panetest::picture("PNG", QColor(40, 160, 40), 36, 72);
    const Contact ann = contact(
        QStringLiteral("Ann"),
        {{ENTITY_PHONE, phone(QStringLiteral("+1 111"), QStringLiteral("1"))},
         {ENTITY_PHONE, phone(QStringLiteral("+1 222"), QStringLiteral("2"))},
         {ENTITY_EMAIL, entity({{data1, QStringLiteral("ann@x.org")}})},
         {ENTITY_POSTAL_ADDRESS, entity({{data1, QStringLiteral("1 Main St")}})},
         {ENTITY_NOTE, entity({{data1, QStringLiteral("a note the list never holds")}})},
         {ENTITY_PHOTO, panetest::photo(png)}});
    std::shared_ptr<LocalDb> db = panetest::makeDb(dir.filePath(QStringLiteral("a.db")), {ann, contact(QStringLiteral("Bob"))});
    m_model->setSourceInUse([&] { return inUse; });
    m_model->setContacts(db->searchContactNames(0, QString()), db);
    QCOMPARE(m_model->rowCount(), 2);
    QCOMPARE(m_model->index(0, 0).data().toString(), QStringLiteral("Ann"));
    const QImage decoration = m_model->index(0, 0).data(Qt::DecorationRole).value<QPixmap>().toImage();
    const Contact full = m_model->fullContact(m_model->index(0, 0));
    if (inUse) {
        // Nothing is read while a job may be using the database.
        QCOMPARE(m_model->index(0, 1).data().toString(), QString());
        QCOMPARE(decoration, emptyContact());
        QCOMPARE(full.entityCount(), 0);
        QCOMPARE(full.fullName, QStringLiteral("Ann"));
        inUse = false;   // the job ends: the row is read when next shown
    } else {
        QCOMPARE(decoration, expectedDecoration(png, "PNG"));
        QCOMPARE(full, db->loadContact(full._id));
        QVERIFY(full.hasEntities(ENTITY_NOTE));
    }
    QCOMPARE(m_model->index(0, 1).data().toString(), QStringLiteral("+1 222"));
    QCOMPARE(m_model->index(0, 2).data().toString(), QStringLiteral("ann@x.org"));
    QCOMPARE(m_model->index(0, 3).data().toString(), QStringLiteral("1 Main St"));
    QCOMPARE(m_model->index(0, 0).data(Qt::DecorationRole).value<QPixmap>().toImage(), expectedDecoration(png, "PNG"));
    QVERIFY(!m_model->contactAt(m_model->index(0, 0))->hasEntities(ENTITY_NOTE));
    QCOMPARE(m_model->index(1, 1).data().toString(), QString());

    // Once the database is gone, a row is what the list holds.
    const qint64 id = full._id;
    db.reset();
    const Contact row = m_model->fullContact(m_model->index(0, 0));
    QCOMPARE(row._id, id);
    QVERIFY(!row.hasEntities(ENTITY_NOTE));
    QVERIFY(!m_model->fullContact(m_model->index(2, 0))._id);
}

void ItemModelContactsTest::sortingByColumnFillsEveryRow()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QList<Contact> contacts;
    const QStringList numbers{QStringLiteral("3"), QStringLiteral("1"), QString(), QStringLiteral("2")};
    for (int i = 0; i < numbers.size(); ++i) {
        Contact c = contact(QStringLiteral("C%1").arg(i));
        if (!numbers.at(i).isEmpty())
            c.addEntity(ENTITY_PHONE, phone(numbers.at(i), QStringLiteral("2")));
        contacts << c;
    }
    const std::shared_ptr<LocalDb> db = panetest::makeDb(dir.filePath(QStringLiteral("s.db")), contacts);
    m_model->setContacts(db->searchContactNames(0, QString()), db);
    m_model->sort(ItemModelContacts::PhoneColumn, Qt::DescendingOrder);
    QStringList order;
    for (const Contact &c : m_model->contacts())
        order << c.fullName + QLatin1Char('=') + ItemModelContacts::phoneText(c);
    // Rows without a number go last either way.
    QCOMPARE(order, (QStringList{"C0=3", "C3=2", "C1=1", "C2="}));
    // A new list from the database takes the same order.
    m_model->setContacts(db->searchContactNames(0, QString()), db);
    QCOMPARE(m_model->index(0, 0).data().toString(), QStringLiteral("C0"));
    QCOMPARE(m_model->index(3, 0).data().toString(), QStringLiteral("C2"));
}

QTEST_MAIN(ItemModelContactsTest)
#include "itemmodelcontactstest.moc"
