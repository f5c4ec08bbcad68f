// The phone bridge against the simulated phone: a backup through
// `adb shell content` reads what the simulated agent would send, and what
// the program sends arrives on the phone as it was typed.
#include "android/adbbridgeconnector.h"
#include "android/contentshell.h"
#include "android/simpleprotocol.h"
#include "android/wireencoding.h"
#include "contacts/entity.h"
#include "contacts/entitykind.h"
#include "tools/phonesim/phonesimdriver.h"

#include <QCoreApplication>
#include <QTcpSocket>
#include <QTest>
#include <QTranslator>

#include <memory>

using namespace simpleprotocol;
using namespace pim;

namespace {

// Ports below the ephemeral range, under the USB port lock.
constexpr int backupPort = 23311; // below the ephemeral range: no client connection holds it
constexpr int restorePort = 23312;

struct Backup
{
    QStringList commands;
    QStringList entities;
};

QString b64(const QString &text)
{
    return QString::fromLatin1(text.toUtf8().toBase64());
}

} // namespace

class PhoneBridgeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void backupSendsWhatTheAgentWould();
    void deletedContactsAreLeftOut();
    void hostileValuesArriveAsTyped_data();
    void hostileValuesArriveAsTyped();
    void newContactThenRowsThenEditAndDelete();
    void groupAndUngroup();
    void updateOfMissingRowFails();
    void unauthorizedPhoneShowsHint();
    void daemonLinesDoNotFailTheExchange();

private:
    Backup backup(const QString &serial);
    // Sends one batch of lines to a restore exchange and returns the answer.
    QString restoreBatch(const QString &serial, const QStringList &lines);

    PhoneSimDriver m_sim;
    QTranslator m_translator;
};

void PhoneBridgeTest::initTestCase()
{
    QVERIFY(m_translator.load(QStringLiteral(":/en.qm")));
    QCoreApplication::installTranslator(&m_translator);
    QVERIFY2(m_sim.create({ "serial=BRG1", "contacts=40", "seed=7", "+", "serial=BRG2", "sdk=29", "+", "serial=BRG3",
                 "sdk=33" }),
        m_sim.lastError());
    QVERIFY2(m_sim.start(), m_sim.lastError());
    m_sim.exportEnvironment();
}

Backup PhoneBridgeTest::backup(const QString &serial)
{
    Backup b;
    AdbBridgeConnector connector(serial);
    connector.prepareAgent();
    QTcpSocket socket;
    socket.connectToHost(connector.startBackupService(backupPort), backupPort);
    if (!socket.waitForConnected(ConnectTimeoutMs))
        return b;
    for (;;) {
        QString line;
        try {
            line = readCommand(socket, 30000);
        } catch (const std::exception &e) {
            b.commands.append(QStringLiteral("error: ") + QString::fromUtf8(e.what()));
            return b;
        }
        if (line.startsWith(u"$ent:"))
            b.entities.append(line.mid(5));
        else
            b.commands.append(line);
        if (line.startsWith(u"$end:"))
            writeCommand(socket, QStringLiteral("$batch:"), QString(), true);
        if (line.startsWith(u"$bye:"))
            break;
    }
    return b;
}

QString PhoneBridgeTest::restoreBatch(const QString &serial, const QStringList &lines)
{
    AdbBridgeConnector connector(serial);
    QTcpSocket socket;
    socket.connectToHost(connector.startRestoreService(restorePort), restorePort);
    if (!socket.waitForConnected(ConnectTimeoutMs))
        return QStringLiteral("not connected");
    writeCommand(socket, QStringLiteral("$batch:"), QString(), true);
    for (const QString &line : lines)
        writeLine(socket, line, false);
    writeCommand(socket, QStringLiteral("$end:"), QString(), true);
    try {
        return readCommand(socket, 60000);
    } catch (const std::exception &e) {
        return QStringLiteral("error: ") + QString::fromUtf8(e.what());
    }
}

void PhoneBridgeTest::backupSendsWhatTheAgentWould()
{
    const qint64 callsBefore = ContentShell::adbCalls();
    const Backup b = backup(QStringLiteral("BRG1"));
    // getprop for the release, then one call for everything.
    QCOMPARE(ContentShell::adbCalls() - callsBefore, 2);
    QVERIFY(b.commands.contains(QStringLiteral("$version:3")));
    QVERIFY(b.commands.contains(QStringLiteral("$count:40")));
    QCOMPARE(b.commands.last(), QStringLiteral("$bye:"));

    // The simulated agent's own lines are the oracle, photos aside: the
    // content tool cannot carry them.
    QStringList expected;
    for (const QByteArray &line : m_sim.dump(QStringLiteral("BRG1"), { QStringLiteral("--wire") }).split('\n')) {
        if (line.startsWith("$ent:") && !line.startsWith("$ent:2/"))
            expected.append(QString::fromLatin1(line.mid(5)));
    }
    QVERIFY(expected.size() > 100);
    QCOMPARE(b.entities.size(), expected.size());
    // Compared as the program stores them: a code without a wire label
    // (the agent's empty field) and Android's "other" code both read as 0.
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const QStringList got = b.entities.at(i).split(u',');
        const QStringList want = expected.at(i).split(u',');
        int kind = 0;
        QVERIFY(parseSrcId(want.first(), &kind));
        QCOMPARE(got.first(), want.first());
        Entity a, e;
        decodeEntityFields(got, kind, a);
        decodeEntityFields(want, kind, e);
        QVERIFY2(a == e, qPrintable(b.entities.at(i) + QStringLiteral(" vs ") + expected.at(i)));
    }
}

void PhoneBridgeTest::deletedContactsAreLeftOut()
{
    // Contact 3 deleted on the phone: its account keeps it with deleted=1.
    const auto r = m_sim.adb({ "-s", "BRG1", "shell",
        "content delete --uri content://com.android.contacts/raw_contacts --where _id=3" });
    QVERIFY2(r.ok() && r.err.isEmpty(), r.err.constData());
    const QByteArray raw = m_sim.adb({ "-s", "BRG1", "shell",
        "content query --uri content://com.android.contacts/raw_contacts --projection _id:deleted --where _id=3" }).out;
    QCOMPARE(raw, QByteArray("Row: 0 _id=3, deleted=1\n"));
    const Backup b = backup(QStringLiteral("BRG1"));
    QVERIFY(b.commands.contains(QStringLiteral("$count:39")));
    for (const QString &e : b.entities)
        QVERIFY2(!e.section(u'/', 1, 1).startsWith(u'3') || e.section(u'/', 1, 1).size() > 1, qPrintable(e));
}

void PhoneBridgeTest::hostileValuesArriveAsTyped_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("value");
    const QStringList values = { QStringLiteral("$(reboot)"), QStringLiteral("`id`"),
        QStringLiteral("'; rm -rf /sdcard; '"), QStringLiteral("\""), QStringLiteral("\\"),
        QStringLiteral("back\\:slash\\\\colon:"), QStringLiteral("two\nlines"), QStringLiteral("100% sure"),
        QStringLiteral("Zoë 李 😀"), QStringLiteral("a, data2=b"), QStringLiteral("NULL-ish * ?"),
        QStringLiteral("x\nRow: 1 _id=5, raw_contact_id=1, mimetype=y") };
    for (const QString &serial : { QStringLiteral("BRG2"), QStringLiteral("BRG3") }) {
        for (const QString &v : values)
            QTest::addRow("%s %s", qPrintable(serial), qPrintable(QString(v).replace(u'\n', u'|'))) << serial << v;
    }
}

void PhoneBridgeTest::hostileValuesArriveAsTyped()
{
    QFETCH(QString, serial);
    QFETCH(QString, value);
    // A new contact named by the value, then a phone number, a note and a
    // group named by it.
    const QString answer = restoreBatch(serial, { QStringLiteral("$ent:1/9/9/-91,,%1,,,").arg(b64(value)) });
    QVERIFY2(answer.startsWith(u"$batch:1/9/9/-91=>1/"), qPrintable(answer));
    const QString contact = answer.section(QStringLiteral("=>"), 1);
    qint64 raw = 0, contactId = 0;
    QVERIFY(parseSrcId(contact, nullptr, &raw, &contactId));
    const QString second = restoreBatch(serial,
        { QStringLiteral("$ent:3/%1/%2/-92,mobile,%3,%3").arg(raw).arg(contactId).arg(b64(value)),
            QStringLiteral("$ent:9/%1/%2/-93,%3").arg(raw).arg(contactId).arg(b64(value)),
            QStringLiteral("$ent:7/%1/%2/-94,%3").arg(raw).arg(contactId).arg(b64(value)) });
    QVERIFY2(second.count(QStringLiteral("=>")) == 3, qPrintable(second));

    // Read back through the bridge: exactly the value, everywhere.
    const Backup b = backup(serial);
    QCOMPARE(b.commands.last(), QStringLiteral("$bye:"));
    const QString key = QStringLiteral("/%1/%2/").arg(raw).arg(contactId);
    int found = 0;
    for (const QString &line : b.entities) {
        if (!line.contains(key))
            continue;
        const QStringList fields = line.split(u',');
        Entity e;
        int kind = 0;
        QVERIFY(parseSrcId(fields.first(), &kind));
        decodeEntityFields(fields, kind, e);
        const int column = kind == ENTITY_NAME ? data2 : kind == ENTITY_GROUP_MEMBERSHIP ? data2 : data1;
        QCOMPARE(e.text(column), value);
        if (kind == ENTITY_PHONE)
            QCOMPARE(e.text(data3), value);
        ++found;
    }
    QCOMPARE(found, 4);
    // The phone's shell ran nothing it was not meant to.
    QVERIFY(!m_sim.run(QStringLiteral("log"), { serial }).out.contains("not simulated, not run"));
}

void PhoneBridgeTest::newContactThenRowsThenEditAndDelete()
{
    const QString serial = QStringLiteral("BRG3");
    const QString answer = restoreBatch(serial,
        { QStringLiteral("$ent:1/5/5/-51,%1,%2,,%3,").arg(b64("Dr."), b64("Ada"), b64("Lovelace")) });
    QVERIFY2(answer.startsWith(u"$batch:1/5/5/-51=>1/"), qPrintable(answer));
    qint64 raw = 0, contactId = 0;
    QVERIFY(parseSrcId(answer.section(QStringLiteral("=>"), 1), nullptr, &raw, &contactId));
    const QString rows = restoreBatch(serial,
        { QStringLiteral("$ent:3/%1/%2/-52,other,,%3").arg(raw).arg(contactId).arg(b64("+44 20 7946 0000")),
            QStringLiteral("$ent:4/%1/%2/-53,work,,%3").arg(raw).arg(contactId).arg(b64("ada@example.org")),
            QStringLiteral("$ent:8/%1/%2/-54,home,,skype,,%3").arg(raw).arg(contactId).arg(b64("ada.l")),
            QStringLiteral("$ent:6/%1/%2/-55,birthday,,1815-12-10").arg(raw).arg(contactId) });
    const QList<IdMapping> mappings = findIdMappings(rows);
    QCOMPARE(mappings.size(), 4);
    QByteArray dump = m_sim.dump(serial);
    QVERIFY2(dump.contains("\tname\tprefix=Dr.\tgiven=Ada\tmiddle=\tfamily=Lovelace\tsuffix="), dump.constData());
    QVERIFY(dump.contains("\tphone\ttype=other\tlabel=\tnumber=+44 20 7946 0000"));
    QVERIFY(dump.contains("\tim\ttype=home\tlabel=\tprotocol=skype\tcustom-protocol=\thandle=ada.l"));
    QVERIFY(dump.contains("\tevent\ttype=birthday\tlabel=\tdate=1815-12-10"));
    // Android's own codes on the phone: "other" phone is 7, Skype is 3.
    const QByteArray provider = m_sim.adb({ "-s", serial, "shell",
        QStringLiteral("content query --uri content://com.android.contacts/data --projection mimetype:data2:data5 "
                       "--where raw_contact_id=%1 --sort _id")
            .arg(raw) })
                                    .out;
    QVERIFY2(provider.contains("phone_v2, data2=7, data5=NULL"), provider.constData());
    QVERIFY(provider.contains("im, data2=1, data5=3"));

    // Edit the number, delete the e-mail.
    const QString phoneId = mappings.at(0).newSrcId;
    const QString email = mappings.at(1).newSrcId;
    const QString edit = restoreBatch(serial,
        { QStringLiteral("$ent:%1,mobile,%2,%3").arg(phoneId, b64("Büro"), b64("+44 1")),
            QStringLiteral("$del:%1").arg(email) });
    QVERIFY2(edit == u"$batch:", qPrintable(edit));
    dump = m_sim.dump(serial);
    QVERIFY(dump.contains("\tphone\ttype=#0\tlabel=Büro\tnumber=+44 1") || dump.contains("\tphone\ttype=other\tlabel=Büro\tnumber=+44 1"));
    QVERIFY(!dump.contains("ada@example.org"));
    // Delete the contact.
    QVERIFY(restoreBatch(serial, { QStringLiteral("$del:") + answer.section(QStringLiteral("=>"), 1) }) == u"$batch:");
    QVERIFY(!m_sim.dump(serial).contains("Lovelace"));
}

void PhoneBridgeTest::groupAndUngroup()
{
    const QString serial = QStringLiteral("BRG3");
    const QString answer = restoreBatch(serial, { QStringLiteral("$ent:1/6/6/-61,,%1,,,").arg(b64("Grace")) });
    qint64 raw = 0, contactId = 0;
    QVERIFY(parseSrcId(answer.section(QStringLiteral("=>"), 1), nullptr, &raw, &contactId));
    const QString grouped = restoreBatch(serial,
        { QStringLiteral("$ent:7/%1/%2/-62,%3").arg(raw).arg(contactId).arg(b64("Navy")) });
    QCOMPARE(findIdMappings(grouped).size(), 1);
    QVERIFY(m_sim.dump(serial).contains("\tgroup\tgroup=Navy"));
    QVERIFY(restoreBatch(serial, { QStringLiteral("$ungroup:%1").arg(raw) }) == u"$batch:");
    const QByteArray dump = m_sim.dump(serial);
    QVERIFY(!dump.contains("\tgroup\tgroup=Navy"));
    QVERIFY(dump.contains("given=Grace"));
}

void PhoneBridgeTest::updateOfMissingRowFails()
{
    const QString answer = restoreBatch(QStringLiteral("BRG3"), { QStringLiteral("$ent:3/1/1001/999999,home,,%1").arg(b64("1")) });
    QVERIFY2(answer.startsWith(u"error: No phone row 999999"), qPrintable(answer));
}

void PhoneBridgeTest::unauthorizedPhoneShowsHint()
{
    QVERIFY(m_sim.run(QStringLiteral("attach"), { QStringLiteral("BRG2"), QStringLiteral("unauthorized") }).ok());
    AdbBridgeConnector connector(QStringLiteral("BRG2"));
    try {
        connector.prepareAgent();
        QFAIL("no exception");
    } catch (const std::runtime_error &e) {
        QVERIFY2(QString::fromUtf8(e.what()).contains(QStringLiteral("allow USB debugging")), e.what());
    }
    QVERIFY(m_sim.run(QStringLiteral("attach"), { QStringLiteral("BRG2"), QStringLiteral("device") }).ok());
}

void PhoneBridgeTest::daemonLinesDoNotFailTheExchange()
{
    QVERIFY(m_sim.adb({ "kill-server" }).ok());
    const Backup b = backup(QStringLiteral("BRG3"));
    QCOMPARE(b.commands.last(), QStringLiteral("$bye:"));
}

QTEST_GUILESS_MAIN(PhoneBridgeTest)
#include "phonebridgetest.moc"
