// The USB connector against the phone simulator: installing the agent,
// forwarding the data port and starting the agent by broadcast.
#include "android/adbconnector.h"
#include "android/linktimings.h"
#include "android/simpleprotocol.h"
#include "android/wireencoding.h"
#include "contacts/entity.h"
#include "tools/phonesim/phonesimdriver.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

using namespace simpleprotocol;

namespace {

const QString agentResource = QStringLiteral(":/res/com.quillmarrow.contactssync.apk");

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class AdbConnectorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void agentPresentMeansNoInstallAndNoPause();
    void missingAgentIsInstalled_data();
    void missingAgentIsInstalled();
    void installFailureRaises();
    void backupServiceOnFirstPort();
    void restoreServiceOnFirstPort();
    void busyLocalPortIsAvoided();
    void unpluggedPhoneFails();
    void deviceLog();
    void packageGoesToDataFolderByDefault();

private:
    QList<QStringList> adbLog();
    QJsonObject phone(const QString &id);

    PhoneSimDriver m_sim;
    QTemporaryDir m_dataFolder;
};

void AdbConnectorTest::initTestCase()
{
    QVERIFY2(m_sim.create({ "serial=USB-1", "contacts=45", "batch-size=20", QStringLiteral("name=Téléphone Ωμέγα"), "+",
                 "serial=USB-2", "installed=0" }),
        m_sim.lastError());
    QVERIFY2(m_sim.start(), m_sim.lastError());
    m_sim.exportEnvironment();
    QVERIFY(m_dataFolder.isValid());
}

void AdbConnectorTest::init()
{
    LinkTimings::reset();
    LinkTimings::setStartPauseMs(20);
    LinkTimings::setInstallPauseMs(20);
    m_sim.run(QStringLiteral("adb-log"), { QStringLiteral("--clear") });
}

QList<QStringList> AdbConnectorTest::adbLog()
{
    return m_sim.takeAdbLog();
}

QJsonObject AdbConnectorTest::phone(const QString &id)
{
    return QJsonDocument::fromJson(m_sim.run(QStringLiteral("show"), { id }).out).object();
}

void AdbConnectorTest::agentPresentMeansNoInstallAndNoPause()
{
    // A pause after installing would take a minute here.
    LinkTimings::setInstallPauseMs(60000);
    AdbConnector connector(QStringLiteral("USB-1"), m_dataFolder.path());
    QElapsedTimer timer;
    timer.start();
    connector.prepareAgent();
    QVERIFY(timer.elapsed() < 30000);
    QCOMPARE(adbLog(), (QList<QStringList> { { "-s", "USB-1", "shell", "pm", "-l" } }));
    QVERIFY(!QFile::exists(connector.agentPackagePath()));
}

void AdbConnectorTest::missingAgentIsInstalled_data()
{
    QTest::addColumn<bool>("staleFile");
    QTest::newRow("no file yet") << false;
    QTest::newRow("stale file replaced") << true;
}

void AdbConnectorTest::missingAgentIsInstalled()
{
    QFETCH(bool, staleFile);
    QVERIFY(m_sim.set(QStringLiteral("USB-2"), { "installed=0" }));
    QTemporaryDir folder;
    AdbConnector connector(QStringLiteral("USB-2"), folder.path());
    const QString target = connector.agentPackagePath();
    QCOMPARE(target, folder.filePath(QStringLiteral("com.quillmarrow.contactssync.apk")));
    if (staleFile) {
        QFile stale(target);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("an older agent, much longer than the one in the resources ... ... ... ... ... ... ... ...");
        stale.close();
        QVERIFY(stale.setPermissions(QFileDevice::ReadOwner));
    }

    connector.prepareAgent();

    const QByteArray package = fileBytes(agentResource);
    QVERIFY(!package.isEmpty());
    // The copy adb installed from is gone; the phone got the package's bytes.
    QVERIFY(!QFile::exists(target));
    QCOMPARE(adbLog(),
        (QList<QStringList> { { "-s", "USB-2", "shell", "pm", "-l" }, { "-s", "USB-2", "install", target } }));
    const QJsonObject shown = phone(QStringLiteral("USB-2"));
    QVERIFY(shown.value(QStringLiteral("agentInstalled")).toBool());
    QCOMPARE(shown.value(QStringLiteral("installedPackageMd5")).toString(),
        QString::fromLatin1(QCryptographicHash::hash(package, QCryptographicHash::Md5).toHex()));
}

void AdbConnectorTest::installFailureRaises()
{
    QVERIFY(m_sim.set(QStringLiteral("USB-2"), { "installed=0" }));
    QVERIFY(m_sim.fault(QStringLiteral("USB-2"), { "install-failure=VERSION_DOWNGRADE" }));
    QTemporaryDir folder;
    AdbConnector connector(QStringLiteral("USB-2"), folder.path());
    try {
        connector.prepareAgent();
        QFAIL("no exception");
    } catch (const std::runtime_error &e) {
        QVERIFY2(QString::fromUtf8(e.what()).contains(QStringLiteral("INSTALL_FAILED_VERSION_DOWNGRADE")), e.what());
    }
    QVERIFY(!QFile::exists(connector.agentPackagePath()));
    QVERIFY(m_sim.fault(QStringLiteral("USB-2"), { "clear" }));
    QVERIFY(!phone(QStringLiteral("USB-2")).value(QStringLiteral("agentInstalled")).toBool());
}

void AdbConnectorTest::backupServiceOnFirstPort()
{
    AdbConnector connector(QStringLiteral("USB-1"), m_dataFolder.path());
    QCOMPARE(connector.startBackupService(22222), QStringLiteral("127.0.0.1"));
    QCOMPARE(adbLog(),
        (QList<QStringList> { { "-s", "USB-1", "forward", "tcp:22222", "tcp:22222" },
            { "-s", "USB-1", "shell", "am", "broadcast", "-n", "com.quillmarrow.contactssync/.AdbSyncBroadcastReceiver",
                "-d", "sync://backup:22222/" } }));

    // The agent now serves one receive exchange on the forwarded port.
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), 22222);
    QVERIFY(socket.waitForConnected(ConnectTimeoutMs));
    QStringList entities;
    QString deviceName;
    for (;;) {
        const QString line = readCommand(socket, NoTimeLimit);
        if (line.startsWith(QLatin1String("$device:")))
            deviceName = QString::fromUtf8(QByteArray::fromBase64(line.mid(8).toLatin1()));
        else if (line.startsWith(QLatin1String("$ent:")))
            entities.append(line.mid(5));
        else if (line == QLatin1String("$end:"))
            writeCommand(socket, QStringLiteral("$batch:"), QString(), true);
        else if (line.startsWith(QLatin1String("$bye:")))
            break;
    }
    QCOMPARE(deviceName, QStringLiteral("Téléphone Ωμέγα"));
    const QStringList sent = QString::fromUtf8(m_sim.dump(QStringLiteral("USB-1"), { "--wire" }))
                                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(entities.size(), sent.size());
    for (const QString &argument : std::as_const(entities))
        QVERIFY2(parseSrcId(splitEntityFields(argument).first()), qPrintable(argument));
}

void AdbConnectorTest::restoreServiceOnFirstPort()
{
    AdbConnector connector(QStringLiteral("USB-1"), m_dataFolder.path());
    QCOMPARE(connector.startRestoreService(22222), QStringLiteral("127.0.0.1"));
    QCOMPARE(adbLog().last(),
        (QStringList { "-s", "USB-1", "shell", "am", "broadcast", "-n",
            "com.quillmarrow.contactssync/.AdbSyncBroadcastReceiver", "-d", "sync://restore:22222/" }));
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), 22222);
    QVERIFY(socket.waitForConnected(ConnectTimeoutMs));
    Entity name;
    name._id = 77;
    name.setText(pim::data2, QStringLiteral("Agnieszka"));
    name.setText(pim::data3, QStringLiteral("Wróbel"));
    writeCommand(socket, QStringLiteral("$batch:"), QString(), true);
    writeCommand(socket, QStringLiteral("$ent:"), encodeEntityLine(pim::ENTITY_NAME, 77, 77, name), false);
    writeCommand(socket, QStringLiteral("$end:"), QString(), true);
    const QString answer = readCommand(socket, NoTimeLimit);
    QVERIFY(answer.startsWith(QLatin1String("$batch:")));
    const QList<IdMapping> mappings = findIdMappings(answer);
    QCOMPARE(mappings.size(), 1);
    QCOMPARE(mappings.first().contactKey, qint64(77));
    QCOMPARE(mappings.first().entityId, qint64(77));
    QVERIFY(parseSrcId(mappings.first().newSrcId));
    QVERIFY(m_sim.dump(QStringLiteral("USB-1")).contains(QStringLiteral("\tgiven=Agnieszka\t").toUtf8()));
}

void AdbConnectorTest::busyLocalPortIsAvoided()
{
    // Another program (or an outgoing connection) holds the port here; the
    // phone's agent still listens on its own port 22223.
    QTcpServer squatter;
    QVERIFY(squatter.listen(QHostAddress::LocalHost, 22223));
    AdbConnector connector(QStringLiteral("USB-1"), m_dataFolder.path());
    QCOMPARE(connector.startBackupService(22223), QStringLiteral("127.0.0.1"));
    const int local = connector.servicePort(22223);
    QVERIFY(local != 22223 && local > 0);
    const QList<QStringList> log = adbLog();
    QCOMPARE(log.at(log.size() - 2),
             (QStringList { "-s", "USB-1", "forward", QStringLiteral("tcp:%1").arg(local), "tcp:22223" }));
    QCOMPARE(log.last().last(), QStringLiteral("sync://backup:22223/"));
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(local));
    QVERIFY(socket.waitForConnected(ConnectTimeoutMs));
    QVERIFY(readCommand(socket, NoTimeLimit).startsWith(QLatin1String("$")));
    QVERIFY(!squatter.hasPendingConnections());
}

void AdbConnectorTest::unpluggedPhoneFails()
{
    QVERIFY(m_sim.run(QStringLiteral("detach"), { "USB-2" }).ok());
    AdbConnector connector(QStringLiteral("USB-2"), m_dataFolder.path());
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, connector.prepareAgent());
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, (void)connector.startBackupService(22223));
    QVERIFY(m_sim.run(QStringLiteral("attach"), { "USB-2" }).ok());
}

void AdbConnectorTest::deviceLog()
{
    AdbConnector connector(QStringLiteral("USB-1"), m_dataFolder.path());
    QVERIFY(connector.deviceLog().startsWith(QStringLiteral("--------- beginning of main")));
    QCOMPARE(adbLog(), (QList<QStringList> { { "-s", "USB-1", "shell", "logcat", "-d" } }));
}

void AdbConnectorTest::packageGoesToDataFolderByDefault()
{
    // The program's data folder is found from HOME on first use.
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    const AdbConnector connector(QStringLiteral("USB-1"));
    QVERIFY2(connector.agentPackagePath().startsWith(home.path() + QLatin1Char('/')),
        qPrintable(connector.agentPackagePath()));
    QVERIFY(connector.agentPackagePath().endsWith(QStringLiteral("/com.quillmarrow.contactssync.apk")));
}

QTEST_GUILESS_MAIN(AdbConnectorTest)
#include "adbconnectortest.moc"
