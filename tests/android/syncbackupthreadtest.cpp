// The send job against simulated phones over WiFi: what it merges into the
// phone's cache database is what reaches the phone, in batches of twenty,
// with the phone's ids written back; every failure and a cancel leave the
// cache database as it was.
#include "android/androidcontactsdb.h"
#include "android/androidwificonnector.h"
#include "android/linktimings.h"
#include "android/simpleprotocol.h"
#include "android/syncbackupthread.h"
#include "android/wireencoding.h"
#include "contacts/entitykind.h"
#include "tests/contacts/dbtestutil.h"
#include "tools/phonesim/phonesimdriver.h"

#include "phonecache.h"
#include "scriptedpeer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <memory>

#include <sqlite3.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

using namespace pim;
using dbtest::Recorder;
using phonecache::Batch;

namespace {

// Phones of this test file, one address each.
const QString emptyPhone = QStringLiteral("127.0.0.80"); // receives new contacts
const QString fullPhone = QStringLiteral("127.0.0.81");  // holds 30 contacts, no two of one name
const QString peerHost = QStringLiteral("127.0.0.82");   // a scripted agent
constexpr int dataPort = 42222;

// A connector whose agent is always listening on one host.
class FixedHostConnector : public IAndroidConnector
{
public:
    explicit FixedHostConnector(QString host)
        : m_host(std::move(host))
    { }
    void prepareAgent() override { }
    QString startBackupService(int) override { return m_host; }
    QString startRestoreService(int) override { return m_host; }
    QString deviceLog() override { return QString(); }

private:
    QString m_host;
};

Entity entityOf(std::initializer_list<std::pair<int, QVariant>> values)
{
    Entity e;
    for (const auto &[column, value] : values)
        e.setValue(column, value);
    return e;
}

// A contact as a local database holds it: name, a mobile number and, when
// given, a home e-mail address.
Contact person(const QString &given, const QString &family, const QString &number, const QString &email = QString())
{
    Contact c;
    c.fullName = given + QLatin1Char(' ') + family;
    c.addEntity(ENTITY_NAME, entityOf({ { data1, c.fullName }, { data2, given }, { data3, family } }));
    if (!number.isEmpty())
        c.addEntity(ENTITY_PHONE, entityOf({ { data1, number }, { data2, 2 } }));
    if (!email.isEmpty())
        c.addEntity(ENTITY_EMAIL, entityOf({ { data1, email }, { data2, 1 } }));
    return c;
}

QList<Contact> newPeople(int count, bool withDetails = true)
{
    QList<Contact> list;
    for (int i = 1; i <= count; ++i) {
        const QString n = QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
        list << (withDetails ? person(QStringLiteral("Sendy"), QStringLiteral("Number") + n,
                                   QStringLiteral("+49 30 5550") + n, QStringLiteral("sendy%1@example.org").arg(n))
                             : person(QStringLiteral("Plain"), QStringLiteral("Name") + n, QString()));
    }
    return list;
}

// The dump's row lines of one phone contact, by the keys of its source ids.
QStringList rowsOf(const QByteArray &dump, qint64 key1, qint64 key2)
{
    QStringList rows;
    const QRegularExpression own(QStringLiteral("^row\t\\d+/%1/%2/\\d+\t").arg(key1).arg(key2));
    for (const QString &line : QString::fromUtf8(dump).split(QLatin1Char('\n'))) {
        if (own.match(line).hasMatch())
            rows << line;
    }
    return rows;
}

// An agent that answers `batches` batches, mapping every provisional id it
// was sent to kind/900/901/(1000 + _id), plus the extra mappings given.
ScriptedPeer::Script answeringAgent(int batches, QStringList *received, const QStringList &extra = {})
{
    return [=](QTcpSocket &socket) {
        for (int batch = 0; batch < batches; ++batch) {
            QStringList mappings;
            for (;;) {
                const QByteArray line = ScriptedPeer::readLine(socket).trimmed();
                if (line.isEmpty())
                    return;
                received->append(QString::fromLatin1(line));
                if (line == "$end:")
                    break;
                if (!line.startsWith("$ent:"))
                    continue;
                const QString id = QString::fromLatin1(line.mid(5, line.indexOf(',') - 5));
                const QStringList n = id.split(QLatin1Char('/'));
                mappings << id + QStringLiteral("=>%1/900/901/%2").arg(n.at(0)).arg(-n.at(3).toLongLong() + 1000);
            }
            ScriptedPeer::send(socket, "$batch:" + (mappings + extra).join(QLatin1Char(',')).toLatin1() + '\n');
        }
        ScriptedPeer::drain(socket);
    };
}

// A listening socket that takes no connection: its queue is full, so a
// further connection attempt hangs until the system gives up on it.
class FullListener
{
public:
    FullListener(const QString &host, int port)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        const int one = 1;
        ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = htons(quint16(port));
        ::inet_pton(AF_INET, host.toLatin1().constData(), &address.sin_addr);
        m_listening = ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 && ::listen(m_fd, 0) == 0;
        // Connections that fill the queue.
        for (int i = 0; i < 2 && m_listening; ++i) {
            auto filler = std::make_unique<QTcpSocket>();
            filler->connectToHost(host, quint16(port));
            filler->waitForConnected(300);
            m_fillers.push_back(std::move(filler));
        }
    }
    ~FullListener() { close(); }
    [[nodiscard]] bool isListening() const { return m_listening; }
    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        m_fillers.clear();
    }

private:
    int m_fd = -1;
    bool m_listening = false;
    std::vector<std::unique_ptr<QTcpSocket>> m_fillers;
};

} // namespace

class SyncBackupThreadTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void newContactsGoInBatchesOfTwenty();
    void allMergedMakesNoConnection();
    void newNumberOfAPhoneContact();
    void twoSourcesIntoOnePhoneContact_data();
    void twoSourcesIntoOnePhoneContact();
    void failureRollsBack_data();
    void failureRollsBack();
    void cancel_data();
    void cancel();
    void onlyProvisionalIdsAreMapped();
    void unreachableAgent();
    void failedCommitRollsBack();
    void slowConnection();
    void cancelWhileConnecting();

private:
    std::shared_ptr<AndroidContactsDb> cacheFor(const QString &phone, bool filled);
    QList<Contact> cachedContacts();
    void clearTranscripts();

    QTranslator m_translator;
    PhoneSimDriver m_sim;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void SyncBackupThreadTest::initTestCase()
{
    QVERIFY(m_translator.load(QStringLiteral(":/en.qm")));
    QCoreApplication::installTranslator(&m_translator);
    QVERIFY2(m_sim.create({ "wifi=127.0.0.80", "+", "wifi=127.0.0.81", "contacts=30", "seed=12" }), m_sim.lastError());
    QVERIFY2(m_sim.start(), m_sim.lastError());
}

void SyncBackupThreadTest::init()
{
    LinkTimings::reset();
    LinkTimings::setStartPauseMs(20);
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(m_sim.run(QStringLiteral("clear"), { emptyPhone }).ok());
    QVERIFY(m_sim.fault(emptyPhone, { "clear" }));
    QVERIFY(m_sim.fault(fullPhone, { "clear" }));
    clearTranscripts();
}

void SyncBackupThreadTest::clearTranscripts()
{
    QVERIFY(m_sim.run(QStringLiteral("transcript"), { emptyPhone, "--clear" }).ok());
    QVERIFY(m_sim.run(QStringLiteral("transcript"), { fullPhone, "--clear" }).ok());
}

// The phone's cache database with its WiFi connector; filled with what the
// phone holds when asked to.
std::shared_ptr<AndroidContactsDb> SyncBackupThreadTest::cacheFor(const QString &phone, bool filled)
{
    auto connector = std::make_shared<AndroidWifiConnector>();
    connector->hello(phone);
    auto db = std::make_shared<AndroidContactsDb>(m_dir->filePath(QStringLiteral("cache.db")), connector);
    db->create();
    if (filled) {
        QList<Contact> contacts = phonecache::contactsFromWire(m_sim.dump(phone, { "--wire" }));
        phonecache::store(*db, contacts);
    }
    return db;
}

void SyncBackupThreadTest::newContactsGoInBatchesOfTwenty()
{
    auto db = cacheFor(emptyPhone, false);
    Recorder recorder;
    SyncBackupThread job(newPeople(45), db, dataPort, JobProgress(&recorder, &recorder.cancel));
    QVERIFY(phonecache::runJob(job));
    QCOMPARE(recorder.errors, QStringList());
    QCOMPARE(recorder.successes, QStringList { QStringLiteral("Successfully transferred 45 contacts to Android.") });

    const QList<Batch> batches = phonecache::lastRestore(m_sim.transcript(emptyPhone));
    QCOMPARE(batches.size(), 6);
    // Create phase: the name rows alone, 20, 20 and 5, with provisional ids
    // naming the cache contact; the answers map each to the phone's id.
    QHash<qint64, QPair<qint64, qint64>> phoneKeys; // cache contact _id -> phone keys
    for (int b = 0; b < 3; ++b) {
        QCOMPARE(batches.at(b).lines.size(), b < 2 ? 20 : 5);
        for (const QString &line : batches.at(b).lines) {
            QVERIFY2(line.startsWith(QLatin1String("$ent:1/")), qPrintable(line));
            qint64 key = 0;
            qint64 key2 = 0;
            qint64 id = 0;
            QVERIFY(parseSrcId(splitEntityFields(QStringView(line).mid(5)).first(), nullptr, &key, &key2, &id));
            QCOMPARE(key, key2);
            QVERIFY(id < 0);
        }
        const QList<simpleprotocol::IdMapping> mappings = simpleprotocol::findIdMappings(batches.at(b).answer);
        QCOMPARE(mappings.size(), batches.at(b).lines.size());
        for (const simpleprotocol::IdMapping &m : mappings) {
            qint64 key1 = 0;
            qint64 key2 = 0;
            QVERIFY(parseSrcId(m.newSrcId, nullptr, &key1, &key2));
            phoneKeys.insert(m.contactKey, { key1, key2 });
            QCOMPARE(db->loadContact(m.contactKey).srcId, m.newSrcId);
        }
    }
    QCOMPARE(phoneKeys.size(), 45);
    // Entity phase: 20, 20 and 5 contacts, each with its number and address
    // under the keys the phone gave it.
    QSet<QPair<qint64, qint64>> seen;
    for (int b = 3; b < 6; ++b) {
        QCOMPARE(batches.at(b).lines.size(), b < 5 ? 40 : 10);
        QSet<QPair<qint64, qint64>> inBatch;
        for (const QString &line : batches.at(b).lines) {
            int kind = 0;
            qint64 key1 = 0;
            qint64 key2 = 0;
            qint64 id = 0;
            QVERIFY(parseSrcId(splitEntityFields(QStringView(line).mid(5)).first(), &kind, &key1, &key2, &id));
            QVERIFY(kind == ENTITY_PHONE || kind == ENTITY_EMAIL);
            QVERIFY(id < 0);
            inBatch.insert({ key1, key2 });
        }
        QCOMPARE(inBatch.size(), b < 5 ? 20 : 5);
        seen.unite(inBatch);
        QCOMPARE(simpleprotocol::findIdMappings(batches.at(b).answer).size(), batches.at(b).lines.size());
    }
    const QSet<QPair<qint64, qint64>> assigned(phoneKeys.cbegin(), phoneKeys.cend());
    QCOMPARE(seen, assigned);

    // The phone holds every contact with its details, and the cache names
    // each row by the phone's id.
    const QByteArray dump = m_sim.dump(emptyPhone);
    QCOMPARE(m_sim.dump(emptyPhone, { "--count" }).trimmed(), QByteArray("45"));
    for (auto it = phoneKeys.cbegin(); it != phoneKeys.cend(); ++it) {
        const Contact cached = db->loadContact(it.key());
        const QStringList rows = rowsOf(dump, it.value().first, it.value().second);
        QCOMPARE(rows.size(), 3);
        const QString n = cached.fullName.right(2);
        QVERIFY2(rows.join(QLatin1Char('|')).contains(QStringLiteral("number=+49 30 5550") + n), qPrintable(rows.join('|')));
        QVERIFY(rows.join(QLatin1Char('|')).contains(QStringLiteral("address=sendy%1@example.org").arg(n)));
        for (int kind : { ENTITY_NAME, ENTITY_PHONE, ENTITY_EMAIL }) {
            const Entity *e = cached.firstEntity(kind);
            QVERIFY(e);
            QVERIFY2(dump.contains("row\t" + e->srcId.toUtf8() + '\t'), qPrintable(e->srcId));
        }
    }

    // Progress: merging up to 33, creating up to 66, details up to 100.
    QCOMPARE(recorder.progress.first().text, QStringLiteral("Contacts:1/45"));
    QCOMPARE(recorder.progress.first().percent, 0);
    QCOMPARE(recorder.progress.at(44).percent, 33);
    QCOMPARE(recorder.progress.at(44).text, QStringLiteral("Contacts:45/45"));
    QCOMPARE(recorder.progress.at(45).status, QStringLiteral("Starting Sync Service now..."));
    QList<int> sent;
    for (qsizetype i = 46; i < recorder.progress.size(); ++i) {
        QCOMPARE(recorder.progress.at(i).status, QStringLiteral("Updating Android device now..."));
        sent << recorder.progress.at(i).percent;
    }
    QCOMPARE(sent, (QList<int> { 47, 62, 66, 81, 96, 100 }));
}

void SyncBackupThreadTest::allMergedMakesNoConnection()
{
    auto db = cacheFor(fullPhone, true);
    const QStringList before = dbtest::dump(db->path());
    // The phone's own contacts once more. (A contact in two groups is left
    // out: a contact holds one membership, so the second would replace the
    // first.)
    QList<Contact> again;
    for (const Contact &c : db->searchContacts(0, QString())) {
        const Contact full = db->loadContact(c._id);
        if (full.entitiesOf(ENTITY_GROUP_MEMBERSHIP).size() <= 1)
            again << full;
    }
    QVERIFY(again.size() >= 20);
    clearTranscripts();

    Recorder recorder;
    SyncBackupThread job(again, db, dataPort, JobProgress(&recorder, &recorder.cancel));
    QVERIFY(phonecache::runJob(job));
    QCOMPARE(recorder.errors, QStringList());
    QCOMPARE(recorder.successes,
        QStringList { QStringLiteral("Successfully transferred 0 contacts to Android,with %1 repeated contacts merged.")
                          .arg(again.size()) });
    // Not even the agent was asked to start.
    QCOMPARE(m_sim.transcript(fullPhone), QByteArray());
    QCOMPARE(recorder.progress.size(), again.size());
    QCOMPARE(dbtest::dump(db->path()), before);
}

void SyncBackupThreadTest::newNumberOfAPhoneContact()
{
    auto db = cacheFor(fullPhone, true);
    const Contact existing = db->loadContact(db->searchContacts(0, QString()).first()._id);
    qint64 key1 = 0;
    qint64 key2 = 0;
    QVERIFY(parseSrcId(existing.srcId, nullptr, &key1, &key2));
    Contact source;
    source.fullName = existing.fullName;
    source.addEntity(ENTITY_PHONE, entityOf({ { data1, QStringLiteral("+1 555 0100 777") }, { data2, 3 } }));
    clearTranscripts();

    Recorder recorder;
    SyncBackupThread job({ source }, db, dataPort, JobProgress(&recorder, &recorder.cancel));
    QVERIFY(phonecache::runJob(job));
    QCOMPARE(recorder.errors, QStringList());
    QCOMPARE(recorder.successes,
        QStringList { QStringLiteral("Successfully transferred 0 contacts to Android,with 1 repeated contacts merged.") });
    const QList<Batch> batches = phonecache::lastRestore(m_sim.transcript(fullPhone));
    QCOMPARE(batches.size(), 1);
    QCOMPARE(batches.first().lines.size(), 1);
    QVERIFY2(batches.first().lines.first().startsWith(QStringLiteral("$ent:3/%1/%2/-").arg(key1).arg(key2)),
        qPrintable(batches.first().lines.first()));
    const Contact after = db->loadContact(existing._id);
    const QString mapped = after.entitiesOf(ENTITY_PHONE).last().srcId;
    QVERIFY(mapped.startsWith(QStringLiteral("3/%1/%2/").arg(key1).arg(key2)));
    QVERIFY(rowsOf(m_sim.dump(fullPhone), key1, key2).join(QLatin1Char('|')).contains(QStringLiteral("\ttype=work\tlabel=\tnumber=+1 555 0100 777")));
}

void SyncBackupThreadTest::twoSourcesIntoOnePhoneContact_data()
{
    QTest::addColumn<bool>("onPhone"); // the name is already a phone contact
    QTest::newRow("a contact the phone has") << true;
    QTest::newRow("a contact new to the phone") << false;
}

void SyncBackupThreadTest::twoSourcesIntoOnePhoneContact()
{
    QFETCH(bool, onPhone);
    const QString phone = onPhone ? fullPhone : emptyPhone;
    auto db = cacheFor(phone, onPhone);
    QString name = QStringLiteral("Twice Merged");
    if (onPhone)
        name = db->searchContacts(0, QString()).at(3).fullName;
    Contact first = person(QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("+33 1 11 11 11 11"));
    Contact second = person(QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("+33 2 22 22 22 22"),
        QStringLiteral("second@example.org"));
    first.fullName = name;
    second.fullName = name;
    // The second source also changes the first one's number type: the row is
    // sent once, in its latest form.
    Contact third = first;
    third.entitiesOf(ENTITY_PHONE).first().setValue(data2, 3);
    clearTranscripts();

    Recorder recorder;
    SyncBackupThread job({ first, second, third }, db, dataPort, JobProgress(&recorder, &recorder.cancel));
    QVERIFY(phonecache::runJob(job));
    QCOMPARE(recorder.errors, QStringList());
    QCOMPARE(recorder.successes.size(), 1);

    const qint64 id = db->findContactIdByFullName(name);
    const Contact cached = db->loadContact(id);
    qint64 key1 = 0;
    qint64 key2 = 0;
    QVERIFY2(parseSrcId(cached.srcId, nullptr, &key1, &key2), qPrintable(cached.srcId));
    const QString rows = rowsOf(m_sim.dump(phone), key1, key2).join(QLatin1Char('\n'));
    QVERIFY2(rows.contains(QStringLiteral("\ttype=work\tlabel=\tnumber=+33 1 11 11 11 11")), qPrintable(rows));
    QVERIFY2(rows.contains(QStringLiteral("\ttype=mobile\tlabel=\tnumber=+33 2 22 22 22 22")), qPrintable(rows));
    QVERIFY(rows.contains(QStringLiteral("address=second@example.org")));
    QCOMPARE(rows.count(QStringLiteral("+33 1 11 11 11 11")), 1);
    const QList<Batch> batches = phonecache::lastRestore(m_sim.transcript(phone));
    QCOMPARE(batches.last().lines.size(), 3);
    for (const Entity &e : cached.entitiesOf(ENTITY_PHONE) + cached.entitiesOf(ENTITY_EMAIL))
        QVERIFY2(rows.contains(QStringLiteral("row\t") + e.srcId + QLatin1Char('\t')), qPrintable(e.srcId));
}

void SyncBackupThreadTest::failureRollsBack_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<bool>("details"); // the new contacts carry numbers and e-mails
    QTest::addColumn<QString>("message"); // the whole error, or a regular expression
    const QString text = QStringLiteral("Kein Platz – 空间不足");
    QTest::newRow("error answer to a name batch") << QStringList { "error-at=1", "error-message=" + text } << true
                                                  << QRegularExpression::escape(text);
    QTest::newRow("error answer to a details batch") << QStringList { "error-at=3", "error-message=" + text } << true
                                                     << QRegularExpression::escape(text);
    QTest::newRow("farewell instead of an answer")
        << QStringList { "replace=1:$bye:" } << true
        << QRegularExpression::escape(QStringLiteral("receive $batch: command error, invalid command:$bye:"));
    QTest::newRow("connection dropped mid-batch") << QStringList { "drop-after-received=12" } << true << ".+";
    QTest::newRow("connection dropped before an answer") << QStringList { "drop-after=2" } << true << ".+";
    QTest::newRow("no ids for contacts with details")
        << QStringList { "no-mappings" } << true
        << QRegularExpression::escape(QStringLiteral("The phone gave no id to the contact Sendy Number01, so its details were not sent."));
    // Names alone need no ids to be sent: the job succeeds.
    QTest::newRow("no ids for names alone") << QStringList { "no-mappings" } << false << QString();
}

void SyncBackupThreadTest::failureRollsBack()
{
    QFETCH(QStringList, faults);
    QFETCH(bool, details);
    QFETCH(QString, message);
    auto db = cacheFor(emptyPhone, false);
    const QStringList before = dbtest::dump(db->path());
    QVERIFY(m_sim.fault(emptyPhone, faults + QStringList { "scope=restore" }));

    Recorder recorder;
    SyncBackupThread job(newPeople(25, details), db, dataPort, JobProgress(&recorder, &recorder.cancel));
    QVERIFY(phonecache::runJob(job));
    if (message.isEmpty()) {
        QCOMPARE(recorder.errors, QStringList());
        QCOMPARE(recorder.successes.size(), 1);
        QCOMPARE(db->searchContacts(0, QString()).size(), 25);
        return;
    }
    QCOMPARE(recorder.successes, QStringList());
    QCOMPARE(recorder.errors.size(), 1);
    QVERIFY2(QRegularExpression(QStringLiteral("^(%1)$").arg(message)).match(recorder.errors.first()).hasMatch(),
        qPrintable(recorder.errors.first()));
    QCOMPARE(dbtest::dump(db->path()), before);
}

void SyncBackupThreadTest::cancel_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<int>("cancelAfterProgress"); // -1: when the phone stops answering
    QTest::addColumn<bool>("connects");
    QTest::addColumn<QByteArray>("sign"); // in the transcript once the phone has gone quiet
    QTest::newRow("while merging") << QStringList() << 10 << false << QByteArray();
    QTest::newRow("silent agent") << QStringList { "silent" } << -1 << true << QByteArray("\trestore\t<\t$end:");
    // 45 new contacts go in three batches; the phone answers the first.
    QTest::newRow("stalled after the first batch")
        << QStringList { "stall=1" } << -1 << true << QByteArray("stalled after 1 lines");
}

void SyncBackupThreadTest::cancel()
{
    QFETCH(QStringList, faults);
    QFETCH(int, cancelAfterProgress);
    QFETCH(bool, connects);
    QFETCH(QByteArray, sign);
    auto db = cacheFor(emptyPhone, false);
    const QStringList before = dbtest::dump(db->path());
    if (!faults.isEmpty())
        QVERIFY(m_sim.fault(emptyPhone, faults + QStringList { "scope=restore" }));

    Recorder recorder;
    recorder.cancelAfterProgress = cancelAfterProgress;
    SyncBackupThread job(newPeople(45), db, dataPort, JobProgress(&recorder, &recorder.cancel));
    job.start();
    QElapsedTimer sinceCancel;
    if (cancelAfterProgress < 0) {
        // The phone goes quiet with the connection open; the user gives up.
        QTRY_VERIFY_WITH_TIMEOUT(m_sim.transcript(emptyPhone).contains(sign), 60000);
        sinceCancel.start();
        recorder.cancel = true;
    }
    // A cancelled job ends on its own, whatever the phone does.
    QTRY_VERIFY_WITH_TIMEOUT(job.isFinished(), 30000);
    if (sinceCancel.isValid())
        QVERIFY2(sinceCancel.elapsed() < 3000, qPrintable(QString::number(sinceCancel.elapsed())));
    QCoreApplication::processEvents();
    QCOMPARE(recorder.successes, QStringList());
    QCOMPARE(recorder.errors, QStringList());
    QCOMPARE(dbtest::dump(db->path()), before);
    QCOMPARE(phonecache::restoreCount(m_sim.transcript(emptyPhone)) > 0, connects);
}

void SyncBackupThreadTest::onlyProvisionalIdsAreMapped()
{
    // A phone contact in the cache, and a new one to send.
    auto db = std::make_shared<AndroidContactsDb>(
        m_dir->filePath(QStringLiteral("peer.db")), std::make_shared<FixedHostConnector>(peerHost));
    db->create();
    QList<Contact> existing { person(QStringLiteral("Old"), QStringLiteral("Friend"), QStringLiteral("+1 1")) };
    existing[0].srcId = QStringLiteral("1/500/600/700");
    existing[0].entitiesOf(ENTITY_NAME)[0].srcId = existing[0].srcId;
    existing[0].entitiesOf(ENTITY_PHONE)[0].srcId = QStringLiteral("3/500/600/701");
    phonecache::store(*db, existing);
    const Contact old = db->loadContact(existing[0]._id);

    QStringList received;
    // Each answer maps what was sent, plus ids of rows this batch never
    // sent: the old contact's name and number.
    ScriptedPeer agent(QHostAddress(peerHost), quint16(dataPort),
        answeringAgent(2, &received,
            { QStringLiteral("1/%1/%1/-%2=>1/66/66/66").arg(old._id).arg(old.firstEntity(ENTITY_NAME)->_id),
                QStringLiteral("3/500/600/%1=>3/66/66/67").arg(old.firstEntity(ENTITY_PHONE)->_id) }));
    QVERIFY(agent.startListening());

    Recorder recorder;
    SyncBackupThread job({ person(QStringLiteral("New"), QStringLiteral("One"), QStringLiteral("+2 2")) }, db, dataPort,
        JobProgress(&recorder, &recorder.cancel));
    QVERIFY(phonecache::runJob(job));
    QCOMPARE(recorder.errors, QStringList());
    QCOMPARE(recorder.successes.size(), 1);

    // The old contact keeps its ids.
    QCOMPARE(db->loadContact(old._id), old);
    // The new one has the ids of its own rows.
    const Contact added = db->loadContact(db->findContactIdByFullName(QStringLiteral("New One")));
    QCOMPARE(added.srcId, QStringLiteral("1/900/901/%1").arg(added.firstEntity(ENTITY_NAME)->_id + 1000));
    QCOMPARE(added.firstEntity(ENTITY_NAME)->srcId, added.srcId);
    QCOMPARE(added.firstEntity(ENTITY_PHONE)->srcId,
        QStringLiteral("3/900/901/%1").arg(added.firstEntity(ENTITY_PHONE)->_id + 1000));
    QCOMPARE(received.size(), 6);
    QVERIFY(received.at(4).startsWith(QStringLiteral("$ent:3/900/901/-")));
}

void SyncBackupThreadTest::unreachableAgent()
{
    // Nobody listens on the peer's address: the connection is refused.
    auto db = std::make_shared<AndroidContactsDb>(
        m_dir->filePath(QStringLiteral("peer.db")), std::make_shared<FixedHostConnector>(peerHost));
    db->create();
    const QStringList before = dbtest::dump(db->path());
    Recorder recorder;
    SyncBackupThread job(newPeople(3), db, dataPort, JobProgress(&recorder, &recorder.cancel));
    QVERIFY(phonecache::runJob(job));
    QCOMPARE(recorder.errors, QStringList { QStringLiteral("Failed to Connect to 127.0.0.82:42222.") });
    QCOMPARE(recorder.successes, QStringList());
    QCOMPARE(dbtest::dump(db->path()), before);
}

void SyncBackupThreadTest::failedCommitRollsBack()
{
    auto db = cacheFor(emptyPhone, false);
    const QStringList before = dbtest::dump(db->path());
    (void)db->listGroups(); // the job's connection is open before the reader comes
    // Another reader of the cache file keeps a read transaction open, so
    // the job's commit cannot take the file.
    sqlite3 *reader = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(db->path()).constData(), &reader, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    const auto closeReader = qScopeGuard([&] { sqlite3_close(reader); });
    QCOMPARE(sqlite3_exec(reader, "begin; select count(*) from contact;", nullptr, nullptr, nullptr), SQLITE_OK);

    Recorder recorder;
    SyncBackupThread job(newPeople(3), db, dataPort, JobProgress(&recorder, &recorder.cancel));
    QVERIFY(phonecache::runJob(job));
    QCOMPARE(recorder.successes, QStringList());
    QCOMPARE(recorder.errors.size(), 1);
    QVERIFY2(recorder.errors.first().contains(QLatin1String("locked")), qPrintable(recorder.errors.first()));
    // The phone has them, the cache does not claim them.
    QCOMPARE(m_sim.dump(emptyPhone, { "--count" }).trimmed(), QByteArray("3"));
    QCOMPARE(sqlite3_exec(reader, "rollback;", nullptr, nullptr, nullptr), SQLITE_OK);
    QCOMPARE(dbtest::dump(db->path()), before);
    // The database is usable again afterwards.
    SyncBackupThread again(newPeople(3), db, dataPort, JobProgress(&recorder, &recorder.cancel));
    QVERIFY(phonecache::runJob(again));
    QCOMPARE(recorder.successes.size(), 1);
    QCOMPARE(db->searchContacts(0, QString()).size(), 3);
}

void SyncBackupThreadTest::slowConnection()
{
    // The agent's port takes no connection at first; the job's attempt
    // goes through when the system tries again, well after a second.
    auto db = std::make_shared<AndroidContactsDb>(
        m_dir->filePath(QStringLiteral("peer.db")), std::make_shared<FixedHostConnector>(peerHost));
    db->create();
    auto full = std::make_unique<FullListener>(peerHost, dataPort);
    QVERIFY(full->isListening());
    Recorder recorder;
    SyncBackupThread job(newPeople(1), db, dataPort, JobProgress(&recorder, &recorder.cancel));
    job.start();
    QTRY_VERIFY_WITH_TIMEOUT(!recorder.progress.isEmpty() && recorder.progress.last().percent == 0, 20000);
    QTest::qWait(500);
    full.reset();
    QStringList received;
    ScriptedPeer agent(QHostAddress(peerHost), quint16(dataPort), answeringAgent(2, &received));
    QVERIFY(agent.startListening());
    QTRY_VERIFY_WITH_TIMEOUT(job.isFinished(), 60000);
    QCoreApplication::processEvents();
    QCOMPARE(recorder.errors, QStringList());
    QCOMPARE(recorder.successes.size(), 1);
    QCOMPARE(received.size(), 7); // name; number and e-mail
}

void SyncBackupThreadTest::cancelWhileConnecting()
{
    auto db = std::make_shared<AndroidContactsDb>(
        m_dir->filePath(QStringLiteral("peer.db")), std::make_shared<FixedHostConnector>(peerHost));
    db->create();
    const QStringList before = dbtest::dump(db->path());
    FullListener full(peerHost, dataPort);
    QVERIFY(full.isListening());
    Recorder recorder;
    SyncBackupThread job(newPeople(2), db, dataPort, JobProgress(&recorder, &recorder.cancel));
    job.start();
    QTRY_VERIFY_WITH_TIMEOUT(!recorder.progress.isEmpty() && recorder.progress.last().percent == 0, 20000);
    QTest::qWait(1000);
    QVERIFY(!job.isFinished());
    recorder.cancel = true;
    QTRY_VERIFY_WITH_TIMEOUT(job.isFinished(), 10000);
    QCoreApplication::processEvents();
    QCOMPARE(recorder.errors, QStringList());
    QCOMPARE(recorder.successes, QStringList());
    QCOMPARE(dbtest::dump(db->path()), before);
}

QTEST_GUILESS_MAIN(SyncBackupThreadTest)
#include "syncbackupthreadtest.moc"
