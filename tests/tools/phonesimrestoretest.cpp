// The simulated agent's "restore" exchange: creating, updating and deleting
// through batches, id mappings, groups, and what stays on the phone.

#include "tests/tools/simtestclient.h"

#include <QRegularExpression>
#include <QTest>

class PhoneSimRestoreTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void nameLinesCreateContacts();
    void createdRowsComeBackInBackups();
    void groupsAreFoundByName();
    void positiveIdUpdatesTheRow();
    void refusedLines_data();
    void refusedLines();
    void deletions();
    void ungroupRemovesEveryMembership();
    void unansweredDeletionBatchIsApplied();
    void batchesAreAnsweredInOrder();
    void restoreOverUsb();
    void storeSurvivesRestart();

private:
    bool openRestore(SimTestClient *client);
    // Creates a contact and returns its new source id "1/P/Q/row".
    QByteArray createContact(SimTestClient *client, const QString &given, const QString &family);
    QByteArray dumpLine(const QByteArray &prefix);

    PhoneSimDriver m_sim;
    int m_port = 42230;
};

namespace {

const QString phone = QStringLiteral("127.0.0.14");

QByteArray keysOf(const QByteArray &srcId)
{
    const QList<QByteArray> parts = srcId.split('/');
    return parts.value(1) + '/' + parts.value(2);
}

QByteArray nameLine(const QByteArray &provisional, const QString &given, const QString &family)
{
    return "$ent:" + provisional + ",," + b64(given) + ",," + b64(family) + ',';
}

} // namespace

void PhoneSimRestoreTest::initTestCase()
{
    QVERIFY2(m_sim.create({ "wifi=127.0.0.14", "contacts=5", "seed=3", "+", "serial=RS1", "contacts=2" }),
        m_sim.lastError());
    QVERIFY2(m_sim.start(), m_sim.lastError());
}

bool PhoneSimRestoreTest::openRestore(SimTestClient *client)
{
    const int port = m_port++;
    return wifiControl(phone, "restore://127.0.0.1:" + QByteArray::number(port) + '/')
        && client->connectRetrying(phone, port);
}

QByteArray PhoneSimRestoreTest::createContact(SimTestClient *client, const QString &given, const QString &family)
{
    const QList<IdMapping> m = findMappings(client->restoreBatch({ nameLine("1/900/900/-1", given, family) }));
    return m.size() == 1 ? m.first().newId : QByteArray();
}

QByteArray PhoneSimRestoreTest::dumpLine(const QByteArray &prefix)
{
    for (const QByteArray &line : m_sim.dump(phone).split('\n')) {
        if (line.startsWith(prefix))
            return line;
    }
    return {};
}

void PhoneSimRestoreTest::nameLinesCreateContacts()
{
    SimTestClient client;
    QVERIFY(openRestore(&client));
    const QByteArray answer = client.restoreBatch({ nameLine("1/7/7/-31", "Zoë", "Ünal"),
        nameLine("1/8/8/-32", "王", "伟"), nameLine("1/9/9/0", "", "Solo") });
    QVERIFY2(answer.startsWith("$batch:"), answer.constData());
    const QList<IdMapping> m = findMappings(answer);
    QCOMPARE(m.size(), 3);
    QCOMPARE(m.at(0).key, 7);
    QCOMPARE(m.at(0).row, 31);
    QCOMPARE(m.at(1).key, 8);
    QCOMPARE(m.at(2).row, 0);
    static const QRegularExpression nameId(QStringLiteral("^1/(\\d+)/(\\d+)/(\\d+)$"));
    QSet<QByteArray> keys;
    for (const IdMapping &mapping : m) {
        QVERIFY(nameId.match(QString::fromLatin1(mapping.newId)).hasMatch());
        keys.insert(keysOf(mapping.newId));
    }
    QCOMPARE(keys.size(), 3);
    const QByteArray contactLine = "contact\t" + keysOf(m.at(0).newId).replace('/', '\t') + '\t';
    QCOMPARE(dumpLine(contactLine), contactLine + "Zoë Ünal");
    QVERIFY(dumpLine("row\t" + m.at(1).newId).contains("given=王\tmiddle=\tfamily=伟"));
}

void PhoneSimRestoreTest::createdRowsComeBackInBackups()
{
    SimTestClient client;
    QVERIFY(openRestore(&client));
    const QByteArray id = createContact(&client, QStringLiteral("Round"), QStringLiteral("Trip"));
    QVERIFY(!id.isEmpty());
    const QByteArray keys = keysOf(id);
    const QByteArray photo = QByteArray("\xFF\xD8\xFF\xE0 not really a JPEG", 22);
    // One line of every kind, in the field layout each kind travels with.
    const QList<QByteArray> fields = {
        "2/" + keys + "/-2," + photo.toBase64(),
        "3/" + keys + "/-3,work fax,," + b64(QStringLiteral("+49 30 1234")),
        "4/" + keys + "/-4,other," + b64(QStringLiteral("Privat")) + ',' + b64(QStringLiteral("a@b.example")),
        "5/" + keys + "/-5,default,," + b64(QStringLiteral("Roundy")),
        "6/" + keys + "/-6,birthday,,1980-02-29",
        "7/" + keys + "/-7," + b64(QStringLiteral("Runners")),
        "8/" + keys + "/-8,home,,,," + b64(QStringLiteral("round@jabber.example")),
        "9/" + keys + "/-9," + b64(QStringLiteral("tab\there\nnew line, back\\slash")),
        "10/" + keys + "/-10,work,," + b64(QStringLiteral("Initech")) + ',' + b64(QStringLiteral("IT")) + ','
            + b64(QStringLiteral("Boss")),
        "11/" + keys + "/-11,parnet,," + b64(QStringLiteral("Mum")),
        "12/" + keys + "/-12,home,," + b64(QStringLiteral("Norge")) + ",," + b64(QStringLiteral("Oslo")) + ','
            + b64(QStringLiteral("Gate 1")) + ',' + b64(QStringLiteral("0154")),
        "13/" + keys + "/-13,blog,," + b64(QStringLiteral("https://round.example/")),
    };
    QList<QByteArray> lines;
    for (const QByteArray &f : fields)
        lines.append("$ent:" + f);
    const QList<IdMapping> m = findMappings(client.restoreBatch(lines));
    QCOMPARE(m.size(), fields.size());

    // The next backup sends each row back under its new id, fields unchanged.
    SimTestClient backup;
    QVERIFY(wifiControl(phone, "backup://127.0.0.1:42299/"));
    QVERIFY(backup.connectRetrying(phone, 42299));
    const SimTestClient::Backup b = backup.readBackup();
    QVERIFY(b.bye);
    QList<QByteArray> sent;
    for (const auto &batch : b.batches)
        sent += batch;
    for (int i = 0; i < fields.size(); ++i) {
        const QByteArray expected = "$ent:" + m.at(i).newId + fields.at(i).mid(fields.at(i).indexOf(','));
        QVERIFY2(sent.contains(expected), expected.constData());
    }
    QVERIFY(dumpLine("row\t" + m.at(7).newId).endsWith("note\tnote=tab\\there\\nnew line, back\\\\slash"));
    QVERIFY(dumpLine("row\t" + m.at(0).newId).contains("bytes=22"));
}

void PhoneSimRestoreTest::groupsAreFoundByName()
{
    SimTestClient client;
    QVERIFY(openRestore(&client));
    const QByteArray a = keysOf(createContact(&client, QStringLiteral("Gru"), QStringLiteral("Ppe")));
    const QByteArray b = keysOf(createContact(&client, QStringLiteral("Grou"), QStringLiteral("Pie")));
    const QList<IdMapping> m = findMappings(client.restoreBatch({ "$ent:7/" + a + "/-1," + b64(QStringLiteral("Neu 🆕")),
        "$ent:7/" + b + "/-2," + b64(QStringLiteral("Neu 🆕")), "$ent:7/" + b + "/-3," + b64(QStringLiteral("neu 🆕")) }));
    QCOMPARE(m.size(), 3);
    const QList<QByteArray> dump = m_sim.dump(phone).split('\n');
    int groups = 0;
    for (const QByteArray &line : dump)
        groups += line.startsWith("group\t") && line.endsWith("\tNeu 🆕");
    QCOMPARE(groups, 1);
    QVERIFY(dumpLine("row\t" + m.at(0).newId).endsWith("group\tgroup=Neu 🆕"));
    QVERIFY(dumpLine("row\t" + m.at(2).newId).endsWith("group\tgroup=neu 🆕"));
}

void PhoneSimRestoreTest::positiveIdUpdatesTheRow()
{
    SimTestClient client;
    QVERIFY(openRestore(&client));
    const QByteArray keys = keysOf(createContact(&client, QStringLiteral("Up"), QStringLiteral("Date")));
    const QList<IdMapping> m = findMappings(client.restoreBatch({ "$ent:3/" + keys + "/-1,mobile,," + b64(QStringLiteral("111")) }));
    QCOMPARE(m.size(), 1);
    const QByteArray answer = client.restoreBatch({ "$ent:" + m.first().newId + ",home,," + b64(QStringLiteral("222")) });
    QCOMPARE(answer, QByteArray("$batch:"));
    QVERIFY(dumpLine("row\t" + m.first().newId).endsWith("phone\ttype=home\tlabel=\tnumber=222"));
}

void PhoneSimRestoreTest::refusedLines_data()
{
    QTest::addColumn<QByteArray>("line"); // "P/Q" stands for the keys of a fresh contact, "ROW" for its phone row
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown row") << QByteArray("$ent:3/P/Q/999999,home,,MQ==") << "No phone row 999999";
    QTest::newRow("row of another kind") << QByteArray("$ent:4/P/Q/ROW,home,,MQ==") << "No email row";
    QTest::newRow("row of another contact") << QByteArray("$ent:3/1/1001/ROW,home,,MQ==") << "No phone row";
    QTest::newRow("unknown contact") << QByteArray("$ent:3/999999/1/-1,home,,MQ==") << "No contact 999999/1";
    QTest::newRow("keys swapped") << QByteArray("$ent:3/Q/P/-1,home,,MQ==") << "No contact";
    QTest::newRow("not Base64") << QByteArray("$ent:9/P/Q/-1,a note") << "Invalid entity line";
    QTest::newRow("no source id") << QByteArray("$ent:hello") << "Invalid entity line";
    QTest::newRow("bad delete") << QByteArray("$del:1/2/3") << "Invalid source id";
    QTest::newRow("bad ungroup") << QByteArray("$ungroup:abc") << "Invalid contact key";
}

void PhoneSimRestoreTest::refusedLines()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, message);
    SimTestClient client;
    QVERIFY(openRestore(&client));
    const QByteArray id = createContact(&client, QStringLiteral("Re"), QStringLiteral("Fused"));
    const QList<QByteArray> k = keysOf(id).split('/');
    const QList<IdMapping> m = findMappings(client.restoreBatch({ "$ent:3/" + keysOf(id) + "/-1,mobile,,MQ==" }));
    QCOMPARE(m.size(), 1);
    line.replace("P/Q", k.at(0) + '/' + k.at(1)).replace("Q/P", k.at(1) + '/' + k.at(0));
    line.replace("ROW", m.first().newId.split('/').last());
    const QByteArray before = m_sim.dump(phone);
    const QByteArray answer = client.restoreBatch({ line });
    QVERIFY2(answer.startsWith("$error:"), answer.constData());
    QVERIFY2(unb64(answer.mid(7)).contains(message), qPrintable(unb64(answer.mid(7))));
    QVERIFY(client.waitClosed());
    QCOMPARE(m_sim.dump(phone), before);
}

void PhoneSimRestoreTest::deletions()
{
    SimTestClient client;
    QVERIFY(openRestore(&client));
    const QByteArray gone = createContact(&client, QStringLiteral("Del"), QStringLiteral("Eted"));
    const QByteArray kept = createContact(&client, QStringLiteral("Ke"), QStringLiteral("Pt"));
    const QList<IdMapping> m = findMappings(client.restoreBatch({ "$ent:3/" + keysOf(gone) + "/-1,mobile,,MQ==",
        "$ent:3/" + keysOf(kept) + "/-2,mobile,,Mg==", "$ent:4/" + keysOf(kept) + "/-3,home,,Mw==" }));
    QCOMPARE(m.size(), 3);
    const QByteArray answer = client.restoreBatch({ "$del:" + gone, // a name row: the whole contact
        "$del:" + m.at(2).newId,                                        // one row
        "$del:4/" + keysOf(kept) + "/-77",                                // never reached the phone
        "$del:3/" + keysOf(kept) + "/999999",                             // not there
        "$del:4/" + keysOf(gone) + '/' + m.at(1).newId.split('/').last() }); // mismatched kind: left alone
    QCOMPARE(answer, QByteArray("$batch:"));
    const QByteArray dump = m_sim.dump(phone);
    QVERIFY(!dump.contains("\t" + gone + "\t"));
    QVERIFY(!dump.contains("\t" + m.at(0).newId + "\t"));
    QVERIFY(!dump.contains("\t" + m.at(2).newId + "\t"));
    QVERIFY(dump.contains("\t" + kept + "\t"));
    QVERIFY(dump.contains("\t" + m.at(1).newId + "\t"));
}

void PhoneSimRestoreTest::ungroupRemovesEveryMembership()
{
    SimTestClient client;
    QVERIFY(openRestore(&client));
    const QByteArray a = keysOf(createContact(&client, QStringLiteral("Un"), QStringLiteral("Grouped")));
    const QByteArray b = keysOf(createContact(&client, QStringLiteral("Still"), QStringLiteral("Grouped")));
    QCOMPARE(findMappings(client.restoreBatch({ "$ent:7/" + a + "/-1," + b64(QStringLiteral("Family")),
                              "$ent:7/" + a + "/-2," + b64(QStringLiteral("Gym")),
                              "$ent:7/" + b + "/-3," + b64(QStringLiteral("Gym")) }))
                 .size(),
        3);
    QCOMPARE(client.restoreBatch({ "$ungroup:" + a.split('/').first(), "$ungroup:999999" }), QByteArray("$batch:"));
    const QByteArray dump = m_sim.dump(phone);
    QVERIFY(!dump.contains("row\t7/" + a + '/'));
    QVERIFY(dump.contains("row\t7/" + b + '/'));
    QVERIFY(dump.contains("row\t1/" + a + '/'));
}

// A desktop deleting contacts sends its batch and drops the connection
// without reading the answer; the deletion must happen all the same, and
// a dump right afterwards must show it.
void PhoneSimRestoreTest::unansweredDeletionBatchIsApplied()
{
    SimTestClient setup;
    QVERIFY(openRestore(&setup));
    const QByteArray a = createContact(&setup, QStringLiteral("Fire"), QStringLiteral("Forget"));
    const QByteArray b = createContact(&setup, QStringLiteral("And"), QStringLiteral("Forget"));
    SimTestClient client;
    QVERIFY(openRestore(&client));
    client.sendLines({ "$batch:", "$del:" + a, "$del:" + b, "$end:" });
    client.socket().disconnectFromHost();
    const QByteArray dump = m_sim.dump(phone);
    QVERIFY(!dump.contains("\t" + a + "\t"));
    QVERIFY(!dump.contains("\t" + b + "\t"));
}

void PhoneSimRestoreTest::batchesAreAnsweredInOrder()
{
    SimTestClient client;
    QVERIFY(openRestore(&client));
    QList<QByteArray> lines;
    for (int batch = 1; batch <= 3; ++batch) {
        lines << "$batch:";
        for (int i = 0; i < batch; ++i)
            lines << nameLine("1/" + QByteArray::number(batch) + '/' + QByteArray::number(batch) + "/-" + QByteArray::number(i + 1),
                QStringLiteral("B%1").arg(batch), QStringLiteral("N%1").arg(i));
        lines << "$end:";
    }
    client.sendLines(lines);
    for (int batch = 1; batch <= 3; ++batch) {
        QByteArray answer;
        QVERIFY(client.readLine(&answer));
        const QList<IdMapping> m = findMappings(answer);
        QCOMPARE(m.size(), batch);
        for (const IdMapping &mapping : m)
            QCOMPARE(mapping.key, batch);
    }
}

void PhoneSimRestoreTest::restoreOverUsb()
{
    QVERIFY(startUsbAgent(m_sim, QStringLiteral("RS1"), 23201, QStringLiteral("restore")));
    SimTestClient client;
    QVERIFY(client.connectTo(QStringLiteral("127.0.0.1"), 23201));
    const QList<IdMapping> m = findMappings(client.restoreBatch({ nameLine("1/4/4/-4", "Über", "USB") }));
    QCOMPARE(m.size(), 1);
    QVERIFY(m_sim.dump(QStringLiteral("RS1")).contains("given=Über\tmiddle=\tfamily=USB"));
    QCOMPARE(m_sim.dump(QStringLiteral("RS1"), { QStringLiteral("--count") }), QByteArray("3\n"));
}

void PhoneSimRestoreTest::storeSurvivesRestart()
{
    SimTestClient client;
    QVERIFY(openRestore(&client));
    const QByteArray id = createContact(&client, QStringLiteral("Per"), QStringLiteral("Sistent"));
    QVERIFY(!id.isEmpty());
    const QByteArray before = m_sim.dump(phone);
    QVERIFY(before.contains("\t" + id + "\t"));
    QVERIFY(m_sim.stop());
    QCOMPARE(m_sim.dump(phone), before); // read from disk, no simulator running
    QVERIFY(m_sim.start());
    QCOMPARE(m_sim.dump(phone), before);
    // New ids continue after the old ones.
    QVERIFY(openRestore(&client));
    const QByteArray next = createContact(&client, QStringLiteral("Af"), QStringLiteral("Ter"));
    QVERIFY(next.split('/').last().toLongLong() > id.split('/').last().toLongLong());
}

QTEST_GUILESS_MAIN(PhoneSimRestoreTest)
#include "phonesimrestoretest.moc"
