// The simulated phone's contact store on disk, and the contact generator.

#include "tools/phonesim/phonecontactgenerator.h"
#include "tools/phonesim/phonestore.h"
#include "tools/phonesim/storedump.h"

#include <QFile>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace phonesim;

class PhoneSimStoreTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void journalReplaysEveryChange();
    void idsAreNeverReused();
    void unfinishedLastRecordIsDropped();
    void foreignFileIsRefused();
    void generatorIsDeterministic();
    void generatorCoversScriptsAndKinds();
    void photosAreJpegImages();
};

namespace {

QByteArray reload(const QString &path)
{
    PhoneStore store;
    QString error;
    if (!store.load(path, &error))
        return "load failed: " + error.toUtf8();
    return dumpStore(store);
}

} // namespace

void PhoneSimStoreTest::journalReplaysEveryChange()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("contacts.store"));
    PhoneStore store;
    QString error;
    PhoneContactGenerator(5).fill(store, 0, 20);
    QVERIFY(store.saveSnapshot(path, &error));

    // One change of every sort, each flushed as the agent does after a batch.
    const qint64 raw = store.addContact();
    const qint64 name = store.addRow(raw, 1, { "", "Nuevo", "", "Contacto", "" });
    const qint64 phone = store.addRow(raw, 3, { "2", "", "+34 600 000 000" });
    QVERIFY(store.flushJournal(path, &error));
    QCOMPARE(reload(path), dumpStore(store));

    store.updateRow(phone, { "0", "Casa de campo", "+34 911 111 111" });
    store.addRow(raw, 7, { QString::number(store.findOrCreateGroup(QStringLiteral("Vecinos"))) });
    const qint64 firstRaw = store.contacts().begin()->first;
    store.removeContact(firstRaw);
    store.removeRow(store.contacts().rbegin()->second.rows.value(1));
    QVERIFY(store.flushJournal(path, &error));
    QCOMPARE(reload(path), dumpStore(store));
    QVERIFY(!reload(path).contains("contact\t" + QByteArray::number(firstRaw) + "\t"));

    store.clear();
    store.addRow(store.addContact(), 1, { "", "Solo", "", "", "" });
    QVERIFY(store.flushJournal(path, &error));
    QCOMPARE(reload(path), dumpStore(store));
    QVERIFY(reload(path).contains("given=Solo"));
    Q_UNUSED(name);
}

void PhoneSimStoreTest::idsAreNeverReused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("contacts.store"));
    PhoneStore store;
    QString error;
    const qint64 raw = store.addContact();
    const qint64 row = store.addRow(raw, 1, { "", "A", "", "", "" });
    const qint64 contactId = store.contact(raw)->contactId;
    QVERIFY(contactId != raw); // the two keys of a contact differ
    store.removeContact(raw);
    QVERIFY(store.flushJournal(path, &error));

    PhoneStore again;
    QVERIFY(again.load(path, &error));
    const qint64 raw2 = again.addContact();
    QVERIFY(raw2 > raw);
    QVERIFY(again.contact(raw2)->contactId > contactId);
    QVERIFY(again.addRow(raw2, 1, { "", "B", "", "", "" }) > row);
}

void PhoneSimStoreTest::unfinishedLastRecordIsDropped()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("contacts.store"));
    PhoneStore store;
    QString error;
    PhoneContactGenerator(3).fill(store, 0, 5);
    QVERIFY(store.saveSnapshot(path, &error));
    const QByteArray before = dumpStore(store);
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        file.write("R\t999\t1\t9\tbm90");
    }
    PhoneStore again;
    QVERIFY(again.load(path, &error));
    QCOMPARE(dumpStore(again), before);
    QVERIFY(again.staleRecords() > 0); // so the next save rewrites the file
}

void PhoneSimStoreTest::foreignFileIsRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("contacts.store"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("BEGIN:VCARD\nEND:VCARD\n");
    file.close();
    PhoneStore store;
    QString error;
    QVERIFY(!store.load(path, &error));
    QVERIFY(error.contains(path));
}

void PhoneSimStoreTest::generatorIsDeterministic()
{
    PhoneStore a, b, c, tail;
    PhoneContactGenerator(42).fill(a, 0, 150);
    PhoneContactGenerator(42).fill(b, 0, 150);
    PhoneContactGenerator(43).fill(c, 0, 150);
    QCOMPARE(dumpStore(a), dumpStore(b));
    QVERIFY(dumpStore(a) != dumpStore(c));
    // Contact i does not depend on what was generated before it.
    const auto rowsA = PhoneContactGenerator(42).contact(120);
    PhoneContactGenerator(42).fill(tail, 120, 1);
    const PhoneContact &only = tail.contacts().begin()->second;
    QCOMPARE(qsizetype(only.rows.size()), rowsA.size());
    QCOMPARE(tail.row(only.rows.first())->values, rowsA.first().values);
}

void PhoneSimStoreTest::generatorCoversScriptsAndKinds()
{
    PhoneStore store;
    PhoneContactGenerator(7).fill(store, 0, 2000);
    QSet<int> kinds;
    QSet<QChar::Script> scripts;
    int photos = 0, multiPhone = 0;
    for (const auto &[raw, contact] : store.contacts()) {
        int phones = 0;
        const QList<const PhoneRow *> rows = store.orderedRows(contact);
        QCOMPARE(rows.first()->kind, 1);
        for (const PhoneRow *row : rows) {
            kinds.insert(row->kind);
            phones += row->kind == 3;
            photos += row->kind == 2;
            if (row->kind == 1) {
                for (const QString &part : row->values) {
                    for (QChar ch : part)
                        scripts.insert(ch.script());
                }
            }
        }
        multiPhone += phones > 1;
    }
    QCOMPARE(kinds.size(), 13);
    for (QChar::Script s : { QChar::Script_Latin, QChar::Script_Cyrillic, QChar::Script_Greek, QChar::Script_Han,
             QChar::Script_Hiragana, QChar::Script_Hangul, QChar::Script_Arabic, QChar::Script_Hebrew,
             QChar::Script_Devanagari, QChar::Script_Thai })
        QVERIFY2(scripts.contains(s), qPrintable(QString::number(int(s))));
    QCOMPARE(photos, 250);
    QVERIFY(multiPhone > 400);
    QCOMPARE(store.groups().size(), size_t(9));
}

void PhoneSimStoreTest::photosAreJpegImages()
{
    for (int i : { 3, 11, 19 }) {
        const QByteArray jpeg = PhoneContactGenerator::photo(1, i);
        QVERIFY(jpeg.startsWith("\xFF\xD8"));
        QVERIFY(jpeg.size() < 8000);
        QImage image;
        QVERIFY(image.loadFromData(jpeg, "JPEG"));
        QVERIFY(image.width() >= 48);
        QCOMPARE(PhoneContactGenerator::photo(1, i), jpeg);
    }
    QVERIFY(PhoneContactGenerator::photo(1, 3) != PhoneContactGenerator::photo(1, 11));
}

QTEST_GUILESS_MAIN(PhoneSimStoreTest)
#include "phonesimstoretest.moc"
