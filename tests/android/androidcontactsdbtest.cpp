// The phone cache database: it shares the phone's connector, and what the
// phone sends comes back out of it unchanged on the wire.
#include "android/androidcontactsdb.h"
#include "android/adbconnector.h"
#include "android/wireencoding.h"
#include "contacts/contactformat.h"
#include "contacts/localdbcombinerule.h"
#include "tools/phonesim/phonesimdriver.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace pim;

class AndroidContactsDbTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void sharesConnector();
    void phoneLinesSurviveTheCache();

private:
    QTemporaryDir m_dir;
};

void AndroidContactsDbTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void AndroidContactsDbTest::sharesConnector()
{
    auto connector = std::make_shared<AdbConnector>(QStringLiteral("R5CT1234ABC"), m_dir.path());
    const std::weak_ptr<IAndroidConnector> watch = connector;
    auto db = std::make_shared<AndroidContactsDb>(m_dir.filePath(QStringLiteral("R5CT1234ABC")), connector);
    QCOMPARE(db->connector().get(), connector.get());
    QVERIFY(dynamic_cast<const LocalDbCombineRule *>(db->combineRule().get()));
    QCOMPARE(db->path(), m_dir.filePath(QStringLiteral("R5CT1234ABC")));

    // A running job keeps its own copy; the connector lives as long as the
    // longest holder.
    PAndroidConnector jobCopy = db->connector();
    connector.reset();
    db.reset();
    QVERIFY(!watch.expired());
    QCOMPARE(static_cast<AdbConnector *>(jobCopy.get())->serial(), QStringLiteral("R5CT1234ABC"));
    jobCopy.reset();
    QVERIFY(watch.expired());
}

void AndroidContactsDbTest::phoneLinesSurviveTheCache()
{
    // What a phone sends, written into the cache the way a receive does and
    // read back: every value the decoding keeps travels back unchanged, and
    // photos and dates come back as the very same fields.
    QProcess generator;
    generator.start(PhoneSimDriver::program(), { "generate", "40", "seed=7", "--wire" });
    QVERIFY(generator.waitForFinished(60000));
    QCOMPARE(generator.exitCode(), 0);
    QStringList lines
        = QString::fromUtf8(generator.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY(lines.size() > 200);

    AndroidContactsDb db(m_dir.filePath(QStringLiteral("cache-roundtrip")), nullptr);
    db.create();
    db.beginTransaction();
    QHash<qint64, qint64> contactOfKey;
    QHash<QString, QList<QStringView>> original;
    QHash<QString, int> kindOf;
    for (QString &line : lines) {
        QVERIFY(line.startsWith(QLatin1String("$ent:")));
        line.remove(0, 5);
        const QList<QStringView> fields = splitEntityFields(line);
        int kind = 0;
        qint64 key = 0;
        QVERIFY(parseSrcId(fields.first(), &kind, &key));
        Entity entity;
        entity.srcId = fields.first().toString();
        decodeEntityFields(fields, kind, entity);
        if (kind == ENTITY_NAME) {
            Contact contact;
            contact.srcId = entity.srcId;
            contact.fullName = formatPersonName(entity);
            db.insertContact(contact);
            contactOfKey.insert(key, contact._id);
            db.insertData(contact._id, kind, entity);
        } else {
            QVERIFY(contactOfKey.contains(key));
            db.insertData(contactOfKey.value(key), kind, entity);
        }
        original.insert(entity.srcId, fields);
        kindOf.insert(entity.srcId, kind);
    }
    db.endTransaction(true);

    int photos = 0;
    int events = 0;
    int compared = 0;
    for (qint64 contactId : std::as_const(contactOfKey)) {
        const Contact contact = db.loadContact(contactId);
        for (auto it = contact.entities.cbegin(); it != contact.entities.cend(); ++it) {
            for (const Entity &loaded : it.value()) {
                QVERIFY2(original.contains(loaded.srcId), qPrintable(loaded.srcId));
                const int kind = kindOf.value(loaded.srcId);
                QCOMPARE(it.key(), kind);
                const QString again = encodeEntityLine(kind, 0, 0, loaded);
                const QList<QStringView> fields = original.value(loaded.srcId);

                Entity before;
                Entity after;
                decodeEntityFields(fields, kind, before);
                decodeEntityFields(splitEntityFields(again), kind, after);
                for (int column : before.columns())
                    QVERIFY2(variantValuesEqual(after.value(column), before.value(column)),
                        qPrintable(QStringLiteral("%1 data%2").arg(again).arg(column)));
                if (kind == ENTITY_PHOTO) {
                    ++photos;
                    QCOMPARE(again, fields.first().toString() + QLatin1Char(',') + fields.at(1).toString());
                }
                if (kind == ENTITY_EVENT) {
                    ++events;
                    QCOMPARE(splitEntityFields(again).at(3).toString(), fields.at(3).toString());
                }
                ++compared;
            }
        }
    }
    QCOMPARE(compared, lines.size());
    QVERIFY(photos > 0);
    QVERIFY(events > 0);
}

QTEST_GUILESS_MAIN(AndroidContactsDbTest)
#include "androidcontactsdbtest.moc"
