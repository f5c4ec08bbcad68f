// The change job against simulated phones over WiFi: an edited contact's
// changes, deletions and group assignments reach the phone as the cache
// database holds them, the ids the phone assigns come back into the cache,
// and a failing or silent phone ends the job with an error or a cancel.
#include "android/androidcontactsdb.h"
#include "android/androidsendchangesthread.h"
#include "android/androidwificonnector.h"
#include "android/linktimings.h"
#include "android/simpleprotocol.h"
#include "android/wireencoding.h"
#include "contacts/entitykind.h"
#include "tests/contacts/dbtestutil.h"
#include "tools/phonesim/phonesimdriver.h"

#include "phonecache.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMutex>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <memory>

using namespace pim;
using dbtest::Recorder;
using phonecache::Batch;

namespace {

// Phones of this test file, one address each.
const QString phone = QStringLiteral("127.0.0.83");    // 30 contacts, edited
const QString bigPhone = QStringLiteral("127.0.0.84"); // 5,000 contacts, cleared
constexpr int dataPort = 42222;

// Qt's complaints about objects used from a thread they do not belong to.
QMutex threadWarningsLock;
QStringList threadWarnings;
QtMessageHandler previousHandler = nullptr;

void watchThreadWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.contains(QLatin1String("thread"), Qt::CaseInsensitive)) {
        QMutexLocker lock(&threadWarningsLock);
        threadWarnings << message;
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

Entity entityOf(std::initializer_list<std::pair<int, QVariant>> values)
{
    Entity e;
    for (const auto &[column, value] : values)
        e.setValue(column, value);
    return e;
}

QString rowOf(const QByteArray &dump, const QString &srcId)
{
    const QString text = QString::fromUtf8(dump);
    const qsizetype at = text.indexOf(QStringLiteral("row\t") + srcId + QLatin1Char('\t'));
    return at < 0 ? QString() : text.mid(at, text.indexOf(QLatin1Char('\n'), at) - at);
}

// The titles of the groups a phone contact is in.
QStringList groupsOf(const QByteArray &dump, qint64 key1, qint64 key2)
{
    QStringList groups;
    const QRegularExpression row(QStringLiteral("^row\t7/%1/%2/\\d+\tgroup\tgroup=(.*)$").arg(key1).arg(key2));
    for (const QString &line : QString::fromUtf8(dump).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = row.match(line);
        if (m.hasMatch())
            groups << m.captured(1);
    }
    groups.sort();
    return groups;
}

} // namespace

class AndroidSendChangesThreadTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void editedNumber();
    void addedEmailGetsItsId();
    void deletedRows();
    void newContactGoesInTwoBatches_data();
    void newContactGoesInTwoBatches();
    void contactWithoutIdOrName();
    void deleteThreeContacts();
    void clearAll_data();
    void clearAll();
    void groupAssignment_data();
    void groupAssignment();
    void failure_data();
    void failure();
    void cancelWhenPhoneStopsAnswering_data();
    void cancelWhenPhoneStopsAnswering();

private:
    std::shared_ptr<AndroidContactsDb> cacheFor(const QString &address);
    // A cached phone contact with at least one number.
    Contact contactWithNumber();
    // Runs the job; its only report must be a success with an empty text.
    void runToSuccess(AndroidSendChangesThread &job, Recorder &recorder);

    QTranslator m_translator;
    PhoneSimDriver m_sim;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::shared_ptr<AndroidContactsDb> m_db;
};

void AndroidSendChangesThreadTest::initTestCase()
{
    QVERIFY(m_translator.load(QStringLiteral(":/en.qm")));
    QCoreApplication::installTranslator(&m_translator);
    previousHandler = qInstallMessageHandler(watchThreadWarnings);
    QVERIFY2(m_sim.create({ "wifi=127.0.0.83", "contacts=30", "seed=12", "+", "wifi=127.0.0.84" }), m_sim.lastError());
    QVERIFY2(m_sim.start(), m_sim.lastError());
}

void AndroidSendChangesThreadTest::init()
{
    LinkTimings::reset();
    LinkTimings::setStartPauseMs(20);
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(m_sim.fault(phone, { "clear" }));
    m_db = cacheFor(phone);
    QVERIFY(m_sim.run(QStringLiteral("transcript"), { phone, "--clear" }).ok());
}

void AndroidSendChangesThreadTest::cleanup()
{
    QMutexLocker lock(&threadWarningsLock);
    QCOMPARE(threadWarnings, QStringList());
}

std::shared_ptr<AndroidContactsDb> AndroidSendChangesThreadTest::cacheFor(const QString &address)
{
    auto connector = std::make_shared<AndroidWifiConnector>();
    connector->hello(address);
    auto db = std::make_shared<AndroidContactsDb>(m_dir->filePath(address + QStringLiteral(".db")), connector);
    db->create();
    QList<Contact> contacts = phonecache::contactsFromWire(m_sim.dump(address, { "--wire" }));
    phonecache::store(*db, contacts);
    return db;
}

Contact AndroidSendChangesThreadTest::contactWithNumber()
{
    for (const Contact &c : m_db->searchContacts(0, QString())) {
        const Contact full = m_db->loadContact(c._id);
        if (full.hasEntities(ENTITY_PHONE))
            return full;
    }
    return Contact();
}

void AndroidSendChangesThreadTest::runToSuccess(AndroidSendChangesThread &job, Recorder &recorder)
{
    QVERIFY(phonecache::runJob(job));
    QCOMPARE(recorder.errors, QStringList());
    QCOMPARE(recorder.successes, QStringList { QString() });
}

void AndroidSendChangesThreadTest::editedNumber()
{
    const Contact contact = contactWithNumber();
    QVERIFY(contact._id);
    Entity number = contact.entitiesOf(ENTITY_PHONE).first();
    number.setText(data1, QStringLiteral("+44 20 7946 0000"));
    m_db->updateData(ENTITY_PHONE, number);

    Recorder recorder;
    AndroidSendChangesThread job(JobProgress(&recorder, &recorder.cancel), m_db, dataPort);
    job.setContactChanges(m_db->loadContact(contact._id), { ContactChange { ENTITY_PHONE, ContactChange::ACTION_UPDATED, number } });
    QCOMPARE(job.mode(), 0);
    runToSuccess(job, recorder);
    QCOMPARE(recorder.progress.first().status, QStringLiteral("Starting Sync Service now..."));
    QCOMPARE(recorder.progress.last().status, QStringLiteral("Updating device contacts now..."));
    QCOMPARE(recorder.progress.last().percent, 99);

    const QList<Batch> batches = phonecache::lastRestore(m_sim.transcript(phone));
    QCOMPARE(batches.size(), 1);
    QCOMPARE(batches.first().lines,
        QStringList { QStringLiteral("$ent:") + encodeEntityLine(ENTITY_PHONE, 0, 0, number) });
    QVERIFY(batches.first().lines.first().startsWith(QStringLiteral("$ent:") + number.srcId + QLatin1Char(',')));
    QVERIFY(rowOf(m_sim.dump(phone), number.srcId).endsWith(QStringLiteral("\tnumber=+44 20 7946 0000")));
    QCOMPARE(m_db->loadContact(contact._id).entitiesOf(ENTITY_PHONE).first().srcId, number.srcId);
}

void AndroidSendChangesThreadTest::addedEmailGetsItsId()
{
    const Contact contact = contactWithNumber();
    qint64 key1 = 0;
    qint64 key2 = 0;
    QVERIFY(parseSrcId(contact.srcId, nullptr, &key1, &key2));
    Entity email = entityOf({ { data1, QStringLiteral("added@example.org") }, { data2, 2 } });
    m_db->insertData(contact._id, ENTITY_EMAIL, email);

    Recorder recorder;
    AndroidSendChangesThread job(JobProgress(&recorder, &recorder.cancel), m_db, dataPort);
    job.setContactChanges(m_db->loadContact(contact._id), { ContactChange { ENTITY_EMAIL, ContactChange::ACTION_ADDED, email } });
    runToSuccess(job, recorder);

    const QList<Batch> batches = phonecache::lastRestore(m_sim.transcript(phone));
    QCOMPARE(batches.size(), 1);
    QCOMPARE(batches.first().lines.size(), 1);
    QVERIFY2(batches.first().lines.first().startsWith(QStringLiteral("$ent:4/%1/%2/-%3,work,").arg(key1).arg(key2).arg(email._id)),
        qPrintable(batches.first().lines.first()));
    const QList<simpleprotocol::IdMapping> mappings = simpleprotocol::findIdMappings(batches.first().answer);
    QCOMPARE(mappings.size(), 1);

    const Contact after = m_db->loadContact(contact._id);
    const Entity stored = after.entitiesOf(ENTITY_EMAIL).last();
    QCOMPARE(stored._id, email._id);
    QCOMPARE(stored.srcId, mappings.first().newSrcId);
    QVERIFY(rowOf(m_sim.dump(phone), stored.srcId).endsWith(QStringLiteral("\ttype=work\tlabel=\taddress=added@example.org")));
}

void AndroidSendChangesThreadTest::deletedRows()
{
    const Contact contact = contactWithNumber();
    qint64 key1 = 0;
    qint64 key2 = 0;
    QVERIFY(parseSrcId(contact.srcId, nullptr, &key1, &key2));
    const Entity number = contact.entitiesOf(ENTITY_PHONE).first();
    // A row that never reached the phone goes with its provisional id, which
    // the phone leaves alone.
    Entity unsent = entityOf({ { data1, QStringLiteral("never@example.org") } });
    unsent._id = 4242;
    const int before = m_sim.dump(phone).count('\n');

    Recorder recorder;
    AndroidSendChangesThread job(JobProgress(&recorder, &recorder.cancel), m_db, dataPort);
    job.setContactChanges(contact,
        { ContactChange { ENTITY_PHONE, ContactChange::ACTION_DELETED, number },
            ContactChange { ENTITY_EMAIL, ContactChange::ACTION_DELETED, unsent } });
    runToSuccess(job, recorder);

    const QList<Batch> batches = phonecache::lastRestore(m_sim.transcript(phone));
    QCOMPARE(batches.size(), 1);
    QCOMPARE(batches.first().lines,
        (QStringList { QStringLiteral("$del:") + number.srcId, QStringLiteral("$del:4/%1/%2/-4242").arg(key1).arg(key2) }));
    const QByteArray dump = m_sim.dump(phone);
    QCOMPARE(rowOf(dump, number.srcId), QString());
    QCOMPARE(dump.count('\n'), before - 1);
}

void AndroidSendChangesThreadTest::newContactGoesInTwoBatches_data()
{
    QTest::addColumn<bool>("nameUpdated"); // the change set also updates the name
    QTest::newRow("name added") << false;
    QTest::newRow("name added and updated") << true;
}

void AndroidSendChangesThreadTest::newContactGoesInTwoBatches()
{
    QFETCH(bool, nameUpdated);
    // Created in the window: in the cache, not on the phone.
    Contact contact;
    contact.fullName = QStringLiteral("Neu Angelegt");
    m_db->insertContact(contact);
    Entity name = entityOf({ { data1, contact.fullName }, { data2, QStringLiteral("Neu") }, { data3, QStringLiteral("Angelegt") } });
    Entity number = entityOf({ { data1, QStringLiteral("+49 89 123456") }, { data2, 1 } });
    m_db->insertData(contact._id, ENTITY_NAME, name);
    m_db->insertData(contact._id, ENTITY_PHONE, number);
    QList<ContactChange> changes { { ENTITY_NAME, ContactChange::ACTION_ADDED, name },
        { ENTITY_PHONE, ContactChange::ACTION_ADDED, number } };
    if (nameUpdated)
        changes << ContactChange { ENTITY_NAME, ContactChange::ACTION_UPDATED, name };

    const int before = m_sim.dump(phone, { "--count" }).trimmed().toInt();
    Recorder recorder;
    AndroidSendChangesThread job(JobProgress(&recorder, &recorder.cancel), m_db, dataPort);
    job.setContactChanges(m_db->loadContact(contact._id), changes);
    runToSuccess(job, recorder);

    const QList<Batch> batches = phonecache::lastRestore(m_sim.transcript(phone));
    QCOMPARE(batches.size(), 2);
    QCOMPARE(batches.at(0).lines.size(), 1);
    QVERIFY(batches.at(0).lines.first().startsWith(QStringLiteral("$ent:1/%1/%1/-%2,").arg(contact._id).arg(name._id)));
    const Contact after = m_db->loadContact(contact._id);
    qint64 key1 = 0;
    qint64 key2 = 0;
    QVERIFY2(parseSrcId(after.srcId, nullptr, &key1, &key2), qPrintable(after.srcId));
    QCOMPARE(after.firstEntity(ENTITY_NAME)->srcId, after.srcId);
    QCOMPARE(batches.at(1).lines.size(), nameUpdated ? 2 : 1);
    QVERIFY(batches.at(1).lines.first().startsWith(QStringLiteral("$ent:3/%1/%2/-%3,").arg(key1).arg(key2).arg(number._id)));
    if (nameUpdated) // the name row the phone just created, not another one
        QVERIFY(batches.at(1).lines.last().startsWith(QStringLiteral("$ent:") + after.srcId + QLatin1Char(',')));

    const QByteArray dump = m_sim.dump(phone);
    QCOMPARE(m_sim.dump(phone, { "--count" }).trimmed().toInt(), before + 1);
    QVERIFY(rowOf(dump, after.srcId).contains(QStringLiteral("\tgiven=Neu\tmiddle=\tfamily=Angelegt\t")));
    QVERIFY(rowOf(dump, after.firstEntity(ENTITY_PHONE)->srcId).endsWith(QStringLiteral("\ttype=home\tlabel=\tnumber=+49 89 123456")));
}

void AndroidSendChangesThreadTest::contactWithoutIdOrName()
{
    Contact contact;
    contact.fullName = QStringLiteral("Nameless");
    m_db->insertContact(contact);
    Entity email = entityOf({ { data1, QStringLiteral("nobody@example.org") } });
    m_db->insertData(contact._id, ENTITY_EMAIL, email);

    Recorder recorder;
    AndroidSendChangesThread job(JobProgress(&recorder, &recorder.cancel), m_db, dataPort);
    job.setContactChanges(m_db->loadContact(contact._id), { ContactChange { ENTITY_EMAIL, ContactChange::ACTION_ADDED, email } });
    QVERIFY(phonecache::runJob(job));
    QCOMPARE(recorder.successes, QStringList());
    QCOMPARE(recorder.errors,
        QStringList { QStringLiteral("The contact Nameless is not on the phone and has no name to create it with, so its changes were not sent.") });
    // Nothing was sent, the agent was not even started.
    QCOMPARE(m_sim.transcript(phone), QByteArray());
}

void AndroidSendChangesThreadTest::deleteThreeContacts()
{
    const QList<Contact> all = m_db->searchContacts(0, QString());
    QList<Contact> doomed;
    for (int i : { 2, 11, 20 })
        doomed << m_db->loadContact(all.at(i)._id);
    // One contact without a name row sends nothing.
    Contact nameless = m_db->loadContact(all.at(25)._id);
    nameless.entities.remove(ENTITY_NAME);
    const int before = m_sim.dump(phone, { "--count" }).trimmed().toInt();

    Recorder recorder;
    AndroidSendChangesThread job(JobProgress(&recorder, &recorder.cancel), m_db, dataPort);
    job.setDeleteContacts(doomed + QList<Contact> { nameless });
    QCOMPARE(job.mode(), 1);
    runToSuccess(job, recorder);

    const QList<Batch> batches = phonecache::lastRestore(m_sim.transcript(phone));
    QCOMPARE(batches.size(), 1);
    QStringList expected;
    for (const Contact &c : std::as_const(doomed))
        expected << QStringLiteral("$del:") + c.firstEntity(ENTITY_NAME)->srcId;
    QCOMPARE(batches.first().lines, expected);
    const QByteArray dump = m_sim.dump(phone);
    QCOMPARE(m_sim.dump(phone, { "--count" }).trimmed().toInt(), before - 3);
    for (const Contact &c : std::as_const(doomed))
        QCOMPARE(rowOf(dump, c.srcId), QString());
    QVERIFY(!rowOf(dump, nameless.srcId).isEmpty());
}

void AndroidSendChangesThreadTest::clearAll_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::newRow("agent drops after 100 lines") << QStringList { "drop-after-received=100" };
    QTest::newRow("clean") << QStringList();
}

void AndroidSendChangesThreadTest::clearAll()
{
    QFETCH(QStringList, faults);
    if (m_sim.dump(bigPhone, { "--count" }).trimmed().toInt() != 5000) {
        QVERIFY(m_sim.run(QStringLiteral("clear"), { bigPhone }).ok());
        QVERIFY(m_sim.run(QStringLiteral("fill"), { bigPhone, "5000", "seed=5" }).ok());
    }
    QVERIFY(m_sim.fault(bigPhone, QStringList { "clear" }));
    if (!faults.isEmpty())
        QVERIFY(m_sim.fault(bigPhone, faults + QStringList { "scope=restore" }));
    auto connector = std::make_shared<AndroidWifiConnector>();
    connector->hello(bigPhone);
    auto db = std::make_shared<AndroidContactsDb>(m_dir->filePath(QStringLiteral("big.db")), connector);
    const QList<Contact> everyone = phonecache::contactsFromWire(m_sim.dump(bigPhone, { "--wire" }));
    QCOMPARE(everyone.size(), 5000);

    Recorder recorder;
    AndroidSendChangesThread job(JobProgress(&recorder, &recorder.cancel), db, dataPort);
    job.setDeleteContacts(everyone);
    if (!faults.isEmpty()) {
        // Most of the batch never reached the phone: no success.
        QVERIFY(phonecache::runJob(job));
        QCOMPARE(recorder.successes, QStringList());
        QCOMPARE(recorder.errors.size(), 1);
        QVERIFY(m_sim.dump(bigPhone, { "--count" }).trimmed().toInt() > 4000);
        return;
    }
    runToSuccess(job, recorder);
    // By the time success is reported every line has left; the phone holds
    // nothing more.
    QCOMPARE(m_sim.dump(bigPhone, { "--count" }).trimmed(), QByteArray("0"));
    const QList<Batch> batches = phonecache::lastRestore(m_sim.transcript(bigPhone));
    QCOMPARE(batches.size(), 1);
    QCOMPARE(batches.first().lines.size(), 5000);
}

void AndroidSendChangesThreadTest::groupAssignment_data()
{
    QTest::addColumn<QString>("group"); // "" leaves every group; "*" a group the phone has
    QTest::addColumn<bool>("onPhone");
    QTest::newRow("into a new group") << QStringLiteral("Ganz neue Gruppe") << true;
    QTest::newRow("into a group the phone has") << QStringLiteral("*") << true;
    QTest::newRow("out of every group") << QString() << true;
    QTest::newRow("contact not on the phone") << QStringLiteral("Ganz neue Gruppe") << false;
}

void AndroidSendChangesThreadTest::groupAssignment()
{
    QFETCH(QString, group);
    QFETCH(bool, onPhone);
    // A contact in at least one group.
    Contact contact;
    for (const Contact &c : m_db->searchContacts(0, QString())) {
        contact = m_db->loadContact(c._id);
        if (contact.hasEntities(ENTITY_GROUP_MEMBERSHIP))
            break;
    }
    QVERIFY(contact.hasEntities(ENTITY_GROUP_MEMBERSHIP));
    qint64 key1 = 0;
    qint64 key2 = 0;
    QVERIFY(parseSrcId(contact.srcId, nullptr, &key1, &key2));
    const QByteArray dumpBefore = m_sim.dump(phone);
    const QStringList groupsBefore = groupsOf(dumpBefore, key1, key2);
    QVERIFY(!groupsBefore.isEmpty());
    if (group == QLatin1String("*")) {
        for (const ContactGroup &g : m_db->listGroups()) {
            if (!groupsBefore.contains(g.name))
                group = g.name;
        }
    }
    if (group.isEmpty())
        m_db->deleteGroupMemberships(contact._id);
    else
        m_db->setContactGroup(contact._id, m_db->findOrCreateGroup(group), group);
    contact = m_db->loadContact(contact._id);
    Contact sent = contact;
    if (!onPhone) {
        sent.srcId.clear();
        sent.entitiesOf(ENTITY_NAME).first().srcId.clear();
    }

    Recorder recorder;
    AndroidSendChangesThread job(JobProgress(&recorder, &recorder.cancel), m_db, dataPort);
    job.setGroupContacts({ sent });
    QCOMPARE(job.mode(), 2);
    runToSuccess(job, recorder);

    const QList<Batch> batches = phonecache::lastRestore(m_sim.transcript(phone));
    QCOMPARE(batches.size(), 1);
    const QByteArray dump = m_sim.dump(phone);
    if (!onPhone) {
        QCOMPARE(batches.first().lines, QStringList());
        QCOMPARE(dump, dumpBefore);
        return;
    }
    QCOMPARE(batches.first().lines.first(), QStringLiteral("$ungroup:%1").arg(key1));
    QCOMPARE(groupsOf(dump, key1, key2), group.isEmpty() ? QStringList() : QStringList { group });
    if (!group.isEmpty()) {
        // The cache's membership row carries the phone's id of the new row.
        const Entity membership = m_db->loadContact(contact._id).entitiesOf(ENTITY_GROUP_MEMBERSHIP).first();
        QVERIFY(rowOf(dump, membership.srcId).endsWith(QStringLiteral("\tgroup=") + group));
    }
}

void AndroidSendChangesThreadTest::failure_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QString>("message"); // a regular expression
    const QString text = QStringLiteral("Kontakt gesperrt – 联系人已锁定");
    QTest::newRow("edit, agent error") << 0 << QStringList { "error-at=1", "error-message=" + text }
                                       << QRegularExpression::escape(text);
    QTest::newRow("edit, farewell for an answer")
        << 0 << QStringList { "replace=1:$bye:" }
        << QRegularExpression::escape(QStringLiteral("receive $batch: command error, invalid command:$bye:"));
    QTest::newRow("edit, dropped mid-batch") << 0 << QStringList { "drop-after-received=1" } << ".+";
    QTest::newRow("groups, agent error") << 2 << QStringList { "error-at=1", "error-message=" + text }
                                         << QRegularExpression::escape(text);
    QTest::newRow("groups, dropped before the answer") << 2 << QStringList { "drop-after=0" } << ".+";
    QTest::newRow("delete, agent error") << 1 << QStringList { "error-at=1", "error-message=" + text }
                                         << QRegularExpression::escape(text);
}

void AndroidSendChangesThreadTest::failure()
{
    QFETCH(int, mode);
    QFETCH(QStringList, faults);
    QFETCH(QString, message);
    QVERIFY(m_sim.fault(phone, faults + QStringList { "scope=restore" }));
    const Contact contact = contactWithNumber();
    Entity number = contact.entitiesOf(ENTITY_PHONE).first();
    number.setText(data1, QStringLiteral("+1 202 555 0199"));

    Recorder recorder;
    AndroidSendChangesThread job(JobProgress(&recorder, &recorder.cancel), m_db, dataPort);
    if (mode == 0)
        job.setContactChanges(contact, { ContactChange { ENTITY_PHONE, ContactChange::ACTION_UPDATED, number } });
    else if (mode == 1)
        job.setDeleteContacts({ contact });
    else
        job.setGroupContacts({ contact });
    QVERIFY(phonecache::runJob(job));
    QCOMPARE(recorder.successes, QStringList());
    QCOMPARE(recorder.errors.size(), 1);
    QVERIFY2(QRegularExpression(QStringLiteral("^(%1)$").arg(message)).match(recorder.errors.first()).hasMatch(),
        qPrintable(recorder.errors.first()));
}

void AndroidSendChangesThreadTest::cancelWhenPhoneStopsAnswering_data()
{
    QTest::addColumn<int>("mode"); // 3: a contact the phone doesn't have yet (two batches)
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QByteArray>("sign"); // in the transcript once the phone has gone quiet
    const QStringList silent { "silent", "scope=restore" };
    const QByteArray gotBatch = "\trestore\t<\t$end:";
    QTest::newRow("edit, silent") << 0 << silent << gotBatch;
    QTest::newRow("delete, silent") << 1 << silent << gotBatch;
    QTest::newRow("groups, silent") << 2 << silent << gotBatch;
    QTest::newRow("new contact, stalled after the first batch")
        << 3 << QStringList { "stall=1", "scope=restore" } << QByteArray("stalled after 1 lines");
}

void AndroidSendChangesThreadTest::cancelWhenPhoneStopsAnswering()
{
    QFETCH(int, mode);
    QFETCH(QStringList, faults);
    QFETCH(QByteArray, sign);
    QVERIFY(m_sim.fault(phone, faults));
    Contact contact = contactWithNumber();
    Entity number = contact.entitiesOf(ENTITY_PHONE).first();
    number.setText(data1, QStringLiteral("+1 202 555 0100"));
    QList<ContactChange> changes { ContactChange { ENTITY_PHONE, ContactChange::ACTION_UPDATED, number } };
    if (mode == 3) {
        contact = Contact();
        contact.fullName = QStringLiteral("Noch Nicht");
        m_db->insertContact(contact);
        Entity name = entityOf({ { data1, contact.fullName } });
        number = entityOf({ { data1, QStringLiteral("+49 30 555") }, { data2, 1 } });
        m_db->insertData(contact._id, ENTITY_NAME, name);
        m_db->insertData(contact._id, ENTITY_PHONE, number);
        changes = { { ENTITY_NAME, ContactChange::ACTION_ADDED, name },
            { ENTITY_PHONE, ContactChange::ACTION_ADDED, number } };
        contact = m_db->loadContact(contact._id);
    }

    Recorder recorder;
    AndroidSendChangesThread job(JobProgress(&recorder, &recorder.cancel), m_db, dataPort);
    if (mode == 1)
        job.setDeleteContacts({ contact });
    else if (mode == 2)
        job.setGroupContacts({ contact });
    else
        job.setContactChanges(contact, changes);
    job.start();
    // The phone goes quiet with the connection open; the user presses Cancel.
    QTRY_VERIFY_WITH_TIMEOUT(m_sim.transcript(phone).contains(sign), 60000);
    QElapsedTimer sinceCancel;
    sinceCancel.start();
    recorder.cancel = true;
    QTRY_VERIFY_WITH_TIMEOUT(job.isFinished(), 30000);
    QVERIFY2(sinceCancel.elapsed() < 3000, qPrintable(QString::number(sinceCancel.elapsed())));
    QCoreApplication::processEvents();
    QCOMPARE(recorder.successes, QStringList());
    QCOMPARE(recorder.errors, QStringList());
}

QTEST_GUILESS_MAIN(AndroidSendChangesThreadTest)
#include "androidsendchangesthreadtest.moc"
