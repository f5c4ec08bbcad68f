// The line protocol and the wire encoding against a simulated phone over
// WiFi: what the phone sends reads back as what it holds, what we send is
// stored as we meant it, and a misbehaving phone fails the exchange cleanly.
#include "android/androidwificonnector.h"
#include "android/linktimings.h"
#include "android/simpleprotocol.h"
#include "android/wireencoding.h"
#include "contacts/contactformat.h"
#include "contacts/entity.h"
#include "tools/phonesim/phonesimdriver.h"

#include <QCryptographicHash>
#include <QTcpSocket>
#include <QTest>

#include <memory>

using namespace simpleprotocol;
using namespace pim;

namespace {

// Phones of this test file: 127.0.0.50 sends, 127.0.0.51 receives.
const QString senderPhone = QStringLiteral("127.0.0.50");
const QString receiverPhone = QStringLiteral("127.0.0.51");
constexpr int dataPort = 42222;

struct Backup
{
    QStringList commands; // every line but the entity lines
    QStringList entities; // "$ent:" arguments
};

QString unescape(QStringView value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size()) {
            const QChar next = value[++i];
            out += next == u't' ? QChar(u'\t') : next == u'n' ? QChar(u'\n') : next == u'r' ? QChar(u'\r') : next;
        } else {
            out += value[i];
        }
    }
    return out;
}

// The code a dumped type reads as after travelling: a label, or "#n" for a
// code without one, which travels as an empty field.
int expectedCode(int tableKey, const QString &type)
{
    return type.startsWith(u'#') ? 0 : wireLabelCode(tableKey, type);
}

} // namespace

class PhoneExchangeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void backupReadsWhatPhoneHolds();
    void misbehavingPhone_data();
    void misbehavingPhone();
    void cancelWhileAgentIsSilent();
    void restoreStoresWhatWasMeant();

private:
    std::unique_ptr<QTcpSocket> openExchange(const QString &host, bool backup);
    Backup readBackup(QTcpSocket &socket);

    PhoneSimDriver m_sim;
};

void PhoneExchangeTest::initTestCase()
{
    QVERIFY2(m_sim.create({ "wifi=127.0.0.50", "contacts=60", "batch-size=7", "seed=99", "+", "wifi=127.0.0.51" }),
        m_sim.lastError());
    QVERIFY2(m_sim.start(), m_sim.lastError());
}

void PhoneExchangeTest::init()
{
    LinkTimings::reset();
    LinkTimings::setStartPauseMs(20);
}

std::unique_ptr<QTcpSocket> PhoneExchangeTest::openExchange(const QString &host, bool backup)
{
    AndroidWifiConnector connector;
    connector.hello(host);
    const QString dataHost = backup ? connector.startBackupService(dataPort) : connector.startRestoreService(dataPort);
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(dataHost, dataPort);
    if (!socket->waitForConnected(ConnectTimeoutMs))
        return nullptr;
    return socket;
}

Backup PhoneExchangeTest::readBackup(QTcpSocket &socket)
{
    Backup backup;
    for (;;) {
        const QString line = readCommand(socket, NoTimeLimit);
        if (line.startsWith(QLatin1String("$ent:"))) {
            backup.entities.append(line.mid(5));
            continue;
        }
        backup.commands.append(line);
        if (line == QLatin1String("$end:"))
            writeCommand(socket, QStringLiteral("$batch:"), QString(), true);
        else if (line.startsWith(QLatin1String("$bye:")))
            return backup;
    }
}

void PhoneExchangeTest::backupReadsWhatPhoneHolds()
{
    const auto socket = openExchange(senderPhone, true);
    QVERIFY(socket);
    const Backup backup = readBackup(*socket);
    QVERIFY(backup.commands.contains(QStringLiteral("$version:3")));
    QVERIFY(backup.commands.contains(QStringLiteral("$count:60")));
    QCOMPARE(backup.commands.count(QStringLiteral("$batch:")), 9); // 60 contacts, 7 a batch

    // The lines are the phone's own, in its order.
    QCOMPARE(backup.entities,
        QString::fromUtf8(m_sim.dump(senderPhone, { "--wire" }))
            .remove(QStringLiteral("$ent:"))
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts));

    // Decoded, they carry what the phone's store holds, row by row.
    QHash<QString, Entity> decoded;
    for (const QString &argument : backup.entities) {
        const QList<QStringView> fields = splitEntityFields(argument);
        int kind = 0;
        QVERIFY2(parseSrcId(fields.first(), &kind), qPrintable(argument));
        Entity entity;
        decodeEntityFields(fields, kind, entity);
        decoded.insert(fields.first().toString(), entity);
    }
    int rows = 0;
    for (const QString &record : QString::fromUtf8(m_sim.dump(senderPhone)).split(QLatin1Char('\n'))) {
        const QStringList parts = record.split(QLatin1Char('\t'));
        if (parts.value(0) != QLatin1String("row"))
            continue;
        ++rows;
        QHash<QString, QString> v;
        for (const QString &part : parts.mid(3)) {
            const qsizetype eq = part.indexOf(QLatin1Char('='));
            v.insert(part.left(eq), unescape(QStringView(part).mid(eq + 1)));
        }
        const Entity e = decoded.value(parts.at(1));
        const QString kindName = parts.at(2);
        const auto check = [&](int column, const QVariant &expected) {
            QVERIFY2(variantValuesEqual(e.value(column), expected),
                qPrintable(QStringLiteral("%1 data%2: %3 != %4")
                               .arg(record)
                               .arg(column)
                               .arg(e.text(column), expected.toString())));
        };
        const auto typed = [&](int kind, const QString &valueKey) {
            check(data2,
                v.value(QStringLiteral("label")).isEmpty() ? expectedCode(kind, v.value(QStringLiteral("type"))) : 0);
            check(data3, v.value(QStringLiteral("label")));
            check(data1, v.value(valueKey));
        };
        if (kindName == QLatin1String("name")) {
            check(data5, v.value(QStringLiteral("prefix")));
            check(data2, v.value(QStringLiteral("given")));
            check(data4, v.value(QStringLiteral("middle")));
            check(data3, v.value(QStringLiteral("family")));
            check(data6, v.value(QStringLiteral("suffix")));
            check(data1, formatPersonName(e));
        } else if (kindName == QLatin1String("photo")) {
            QCOMPARE(QString::fromLatin1(QCryptographicHash::hash(e.bytes(data15), QCryptographicHash::Md5).toHex()),
                v.value(QStringLiteral("md5")));
        } else if (kindName == QLatin1String("phone")) {
            typed(ENTITY_PHONE, QStringLiteral("number"));
        } else if (kindName == QLatin1String("email")) {
            typed(ENTITY_EMAIL, QStringLiteral("address"));
        } else if (kindName == QLatin1String("relation")) {
            typed(ENTITY_RELATION, QStringLiteral("name"));
        } else if (kindName == QLatin1String("website")) {
            typed(ENTITY_WEBSITE, QStringLiteral("url"));
        } else if (kindName == QLatin1String("nickname")) {
            check(data2, 1);
            check(data1, v.value(QStringLiteral("nickname")));
            QVERIFY(!e.has(data3));
        } else if (kindName == QLatin1String("event")) {
            check(data2,
                v.value(QStringLiteral("label")).isEmpty() ? expectedCode(ENTITY_EVENT, v.value(QStringLiteral("type")))
                                                           : 0);
            check(data3, v.value(QStringLiteral("label")));
            check(data1, v.value(QStringLiteral("date")) + QStringLiteral("T00:00:00"));
        } else if (kindName == QLatin1String("group")) {
            check(data2, v.value(QStringLiteral("group")));
        } else if (kindName == QLatin1String("im")) {
            check(data2,
                v.value(QStringLiteral("label")).isEmpty() ? expectedCode(ENTITY_IM, v.value(QStringLiteral("type")))
                                                           : 0);
            check(data3, v.value(QStringLiteral("label")));
            check(data5,
                v.value(QStringLiteral("custom-protocol")).isEmpty()
                    ? expectedCode(WireImProtocolKey, v.value(QStringLiteral("protocol")))
                    : 0);
            check(data6, v.value(QStringLiteral("custom-protocol")));
            check(data1, v.value(QStringLiteral("handle")));
        } else if (kindName == QLatin1String("note")) {
            check(data1, v.value(QStringLiteral("note")));
        } else if (kindName == QLatin1String("organization")) {
            check(data2,
                v.value(QStringLiteral("label")).isEmpty()
                    ? expectedCode(ENTITY_ORGANIZATION, v.value(QStringLiteral("type")))
                    : 0);
            check(data1, v.value(QStringLiteral("company")));
            check(data5, v.value(QStringLiteral("department")));
            check(data4, v.value(QStringLiteral("title")));
        } else if (kindName == QLatin1String("postal")) {
            check(data2,
                v.value(QStringLiteral("label")).isEmpty()
                    ? expectedCode(ENTITY_POSTAL_ADDRESS, v.value(QStringLiteral("type")))
                    : 0);
            check(data10, v.value(QStringLiteral("country")));
            check(data8, v.value(QStringLiteral("region")));
            check(data7, v.value(QStringLiteral("city")));
            check(data4, v.value(QStringLiteral("street")));
            check(data9, v.value(QStringLiteral("postcode")));
            check(data1, formatPostalAddress(e));
        } else {
            QFAIL(qPrintable(record));
        }
    }
    QCOMPARE(rows, backup.entities.size());
}

void PhoneExchangeTest::misbehavingPhone_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QString>("failure"); // exception class, or "" for none
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("oddLine"); // a line that must come through as it is
    const QString text = QStringLiteral("Speicher voll – 内存不足 – Память");
    QTest::newRow("carriage returns") << QStringList { "crlf" } << ""
                                      << ""
                                      << "$count:60";
    QTest::newRow("blank line") << QStringList { "blank-line=3" } << "transfer"
                                << "Null command."
                                << "";
    QTest::newRow("error in the middle") << QStringList { "error-at=12", "error-message=" + text } << "remote" << text
                                         << "";
    QTest::newRow("error with the default text") << QStringList { "error-at=2" } << "remote"
                                                 << ""
                                                 << "";
    QTest::newRow("dropped mid-line") << QStringList { "drop-mid-line=8" } << "transfer"
                                      << ""
                                      << "";
    QTest::newRow("dropped between lines") << QStringList { "drop-after=5" } << "transfer"
                                           << ""
                                           << "";
    QTest::newRow("command word in capitals") << QStringList { "inject=4:$COUNT:9" } << ""
                                              << ""
                                              << "$COUNT:9";
    QTest::newRow("slow agent") << QStringList { "slow=2" } << ""
                                << ""
                                << "$version:3";
}

void PhoneExchangeTest::misbehavingPhone()
{
    QFETCH(QStringList, faults);
    QFETCH(QString, failure);
    QFETCH(QString, message);
    QFETCH(QString, oddLine);
    QVERIFY(m_sim.fault(senderPhone, faults + QStringList { "once", "scope=backup" }));
    const auto socket = openExchange(senderPhone, true);
    QVERIFY(socket);
    QString caught;
    try {
        const Backup backup = readBackup(*socket);
        QVERIFY2(backup.commands.contains(oddLine), qPrintable(backup.commands.join(QLatin1Char('|'))));
        QCOMPARE(backup.entities.size(), QString::fromUtf8(m_sim.dump(senderPhone, { "--wire" })).count(u'\n'));
    } catch (const RemoteException &e) {
        caught = QStringLiteral("remote");
        if (!message.isEmpty())
            QCOMPARE(QString::fromUtf8(e.what()), message);
        else
            QVERIFY(!QString::fromUtf8(e.what()).isEmpty());
    } catch (const SocketDataTransferException &e) {
        caught = QStringLiteral("transfer");
        if (!message.isEmpty())
            QCOMPARE(QString::fromUtf8(e.what()), message);
    }
    QCOMPARE(caught, failure);
}

void PhoneExchangeTest::cancelWhileAgentIsSilent()
{
    QVERIFY(m_sim.fault(senderPhone, { "silent", "once", "scope=backup" }));
    const auto socket = openExchange(senderPhone, true);
    QVERIFY(socket);
    std::atomic<bool> cancelled { false };
    int asked = 0;
    // The user presses Cancel while the job waits for the first line.
    const CancelCheck check = [&] {
        if (++asked == 4)
            cancelled = true;
        return cancelled.load();
    };
    QVERIFY_THROWS_EXCEPTION(CancelledException, (void)readCommand(*socket, NoTimeLimit, check));
    QCOMPARE(asked, 4);
}

void PhoneExchangeTest::restoreStoresWhatWasMeant()
{
    QByteArray photo("\xFF\xD8\xFF\xE0", 4);
    for (int i = 0; i < 700; ++i)
        photo.append(char(i * 31));
    const auto entity = [](qint64 id, std::initializer_list<QPair<int, QVariant>> values) {
        Entity e;
        e._id = id;
        for (const auto &[column, value] : values)
            e.setValue(column, value);
        return e;
    };
    const Entity name = entity(31, { { data2, "Zoë" }, { data3, "Ōtsuka-Łukasz" }, { data5, "Dr." } });

    const auto socket = openExchange(receiverPhone, false);
    QVERIFY(socket);

    // The contact first: its name, with the local contact id as both keys.
    writeCommand(*socket, QStringLiteral("$batch:"), QString(), true);
    writeCommand(*socket, QStringLiteral("$ent:"), encodeEntityLine(ENTITY_NAME, 7, 7, name), false);
    writeCommand(*socket, QStringLiteral("$end:"), QString(), true);
    QString answer = readCommand(*socket, NoTimeLimit);
    QList<IdMapping> mappings = findIdMappings(answer);
    QCOMPARE(mappings.size(), 1);
    QCOMPARE(mappings.first().contactKey, qint64(7));
    QCOMPARE(mappings.first().entityId, qint64(31));
    qint64 rawId = 0;
    qint64 contactId = 0;
    QVERIFY(parseSrcId(mappings.first().newSrcId, nullptr, &rawId, &contactId));

    // Then its other entities, under the phone's keys.
    const QList<QPair<int, Entity>> rest {
        { ENTITY_PHOTO, entity(40, { { data15, photo } }) },
        { ENTITY_PHONE, entity(41, { { data2, 0 }, { data3, "Boat" }, { data1, "+47 22 00 00 00" } }) },
        { ENTITY_EMAIL, entity(42, { { data2, 2 }, { data1, "zoe@example.org" } }) },
        { ENTITY_EVENT, entity(43, { { data2, 3 }, { data1, "1980-02-29T00:00:00" } }) },
        { ENTITY_IM, entity(44, { { data2, 1 }, { data5, 0 }, { data6, "Matrix" }, { data1, "@zoe:m.org" } }) },
        { ENTITY_RELATION, entity(45, { { data2, 9 }, { data1, "Ann" } }) },
        { ENTITY_ORGANIZATION, entity(46, { { data2, 1 }, { data1, "ACME" }, { data5, "R&D" }, { data4, "Boss" } }) },
        { ENTITY_POSTAL_ADDRESS,
            entity(47, { { data2, 1 }, { data4, "Rue 1" }, { data7, "Paris" }, { data10, "France" } }) },
        { ENTITY_WEBSITE, entity(48, { { data2, 2 }, { data1, "https://blog.example" } }) },
        { ENTITY_NOTE, entity(49, { { data1, "line 1\nline 2, with a comma" } }) },
        { ENTITY_NICKNAME, entity(50, { { data2, 1 }, { data1, "Zo" } }) },
        { ENTITY_GROUP_MEMBERSHIP, entity(51, { { data2, "Ünïcode friends" } }) },
    };
    writeCommand(*socket, QStringLiteral("$batch:"), QString(), true);
    for (const auto &[kind, e] : rest)
        writeCommand(*socket, QStringLiteral("$ent:"), encodeEntityLine(kind, rawId, contactId, e), false);
    writeCommand(*socket, QStringLiteral("$end:"), QString(), true);
    answer = readCommand(*socket, NoTimeLimit);
    mappings = findIdMappings(answer);
    QCOMPARE(mappings.size(), rest.size());
    QHash<qint64, QString> phoneIds;
    for (const IdMapping &m : std::as_const(mappings)) {
        QCOMPARE(m.contactKey, rawId);
        phoneIds.insert(m.entityId, m.newSrcId);
    }
    QCOMPARE(phoneIds.size(), rest.size());

    QString dump = QString::fromUtf8(m_sim.dump(receiverPhone));
    const auto row = [&dump](const QString &srcId) {
        const qsizetype at = dump.indexOf(QStringLiteral("row\t") + srcId + QLatin1Char('\t'));
        return at < 0 ? QString() : dump.mid(at, dump.indexOf(QLatin1Char('\n'), at) - at);
    };
    QVERIFY(row(mappings.first().newSrcId).isEmpty() == false);
    QVERIFY(dump.contains(QStringLiteral("\tprefix=Dr.\tgiven=Zoë\tmiddle=\tfamily=Ōtsuka-Łukasz\tsuffix=")));
    QVERIFY(row(phoneIds.value(40))
                .contains(QStringLiteral("md5=%1").arg(
                    QString::fromLatin1(QCryptographicHash::hash(photo, QCryptographicHash::Md5).toHex()))));
    QVERIFY(row(phoneIds.value(41)).contains(QStringLiteral("\ttype=other\tlabel=Boat\tnumber=+47 22 00 00 00")));
    QVERIFY(row(phoneIds.value(43)).contains(QStringLiteral("\ttype=birthday\tlabel=\tdate=1980-02-29")));
    QVERIFY(row(phoneIds.value(44)).contains(QStringLiteral("\tcustom-protocol=Matrix\thandle=@zoe:m.org")));
    QVERIFY(row(phoneIds.value(45)).contains(QStringLiteral("\ttype=parnet\tlabel=\tname=Ann")));
    QVERIFY(row(phoneIds.value(46)).contains(QStringLiteral("\tcompany=ACME\tdepartment=R&D\ttitle=Boss")));
    QVERIFY(row(phoneIds.value(47))
                .contains(QStringLiteral("\tcountry=France\tregion=\tcity=Paris\tstreet=Rue 1\tpostcode=")));
    QVERIFY(row(phoneIds.value(49)).contains(QStringLiteral("\tnote=line 1\\nline 2, with a comma")));
    QVERIFY(row(phoneIds.value(51)).contains(QStringLiteral("\tgroup=Ünïcode friends")));

    // A row that has its phone id is updated in place, and deleted by it.
    Entity number = rest.at(1).second;
    number.srcId = phoneIds.value(41);
    number.setText(data1, QStringLiteral("+47 99 99 99 99"));
    Entity email = rest.at(2).second;
    email.srcId = phoneIds.value(42);
    writeCommand(*socket, QStringLiteral("$batch:"), QString(), true);
    writeCommand(*socket, QStringLiteral("$ent:"), encodeEntityLine(ENTITY_PHONE, rawId, contactId, number), false);
    writeCommand(*socket, QStringLiteral("$del:"), buildSrcId(ENTITY_EMAIL, rawId, contactId, email), false);
    writeCommand(*socket, QStringLiteral("$end:"), QString(), true);
    answer = readCommand(*socket, NoTimeLimit);
    QCOMPARE(answer, QStringLiteral("$batch:"));
    dump = QString::fromUtf8(m_sim.dump(receiverPhone));
    QVERIFY(row(phoneIds.value(41)).contains(QStringLiteral("\tnumber=+47 99 99 99 99")));
    QVERIFY(row(phoneIds.value(42)).isEmpty());
}

QTEST_GUILESS_MAIN(PhoneExchangeTest)
#include "phoneexchangetest.moc"
