// AdbCommand against the phone simulator's stand-in adb: the command lines
// it runs and how it reads what adb answers.
#include "android/adbcommand.h"
#include "tools/phonesim/phonesimdriver.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <stdexcept>

using Serials = QSet<QString>;

namespace {

const QString agent = QStringLiteral("com.quillmarrow.contactssync");
const QString receiver = QStringLiteral("com.quillmarrow.contactssync/.AdbSyncBroadcastReceiver");

} // namespace

class AdbCommandSimTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void devicesListsReadyPhones();
    void argumentLists_data();
    void argumentLists();
    void installSucceeds();
    void installFailureRaises();
    void uninstall();
    void listPackages();
    void activityManagerErrors();
    void unknownSerial();
    void warningsOnStandardError();
    void logcat();

private:
    // The adb command lines run since the last call, each as its arguments.
    QList<QStringList> adbLog();
    QString phoneAttribute(const QString &phone, const QString &key);

    PhoneSimDriver m_sim;
    QTemporaryDir m_files;
    AdbCommand m_adb;
};

void AdbCommandSimTest::initTestCase()
{
    QVERIFY2(
        m_sim.create({ "serial=SIMA1", "contacts=2", "+", "serial=SIMB2", "usb-state=unauthorized", "+", "serial=SIMC3",
            "usb-state=offline", "+", "serial=SIMD4", "attached=0", "+", "serial=SIME5", "installed=0" }),
        m_sim.lastError());
    QVERIFY2(m_sim.start(), m_sim.lastError());
    m_sim.exportEnvironment();
    QVERIFY(m_files.isValid());
}

void AdbCommandSimTest::init()
{
    m_sim.run(QStringLiteral("adb-log"), { QStringLiteral("--clear") });
}

QList<QStringList> AdbCommandSimTest::adbLog()
{
    return m_sim.takeAdbLog();
}

QString AdbCommandSimTest::phoneAttribute(const QString &phone, const QString &key)
{
    const PhoneSimDriver::Result shown = m_sim.run(QStringLiteral("show"), { phone });
    return QJsonDocument::fromJson(shown.out).object().value(key).toVariant().toString();
}

void AdbCommandSimTest::devicesListsReadyPhones()
{
    // Unauthorized, offline and unplugged phones are not reported.
    QCOMPARE(m_adb.devices(), (Serials { "SIMA1", "SIME5" }));
    QVERIFY(m_sim.run(QStringLiteral("attach"), { "SIMB2", "device" }).ok());
    QCOMPARE(m_adb.devices(), (Serials { "SIMA1", "SIMB2", "SIME5" }));
    QVERIFY(m_sim.run(QStringLiteral("attach"), { "SIMB2", "unauthorized" }).ok());
    QCOMPARE(m_adb.devices(), (Serials { "SIMA1", "SIME5" }));
    QCOMPARE(adbLog(), (QList<QStringList> { { "devices" }, { "devices" }, { "devices" } }));
}

void AdbCommandSimTest::argumentLists_data()
{
    QTest::addColumn<std::function<void(AdbCommand &)>>("call");
    QTest::addColumn<QStringList>("arguments");
    const QString s = QStringLiteral("SIMA1");
    QTest::newRow("devices") << std::function<void(AdbCommand &)>([](AdbCommand &a) { (void)a.devices(); })
                             << QStringList { "devices" };
    QTest::newRow("kill-server") << std::function<void(AdbCommand &)>([](AdbCommand &a) { a.killServer(); })
                                 << QStringList { "kill-server" };
    QTest::newRow("forward") << std::function<void(AdbCommand &)>([s](AdbCommand &a) { a.forward(s, 23911, 23912); })
                             << QStringList { "-s", s, "forward", "tcp:23911", "tcp:23912" };
    QTest::newRow("list packages") << std::function<void(AdbCommand &)>([s](AdbCommand &a) { (void)a.listPackages(s); })
                                   << QStringList { "-s", s, "shell", "pm", "-l" };
    QTest::newRow("broadcast, data only") << std::function<void(AdbCommand &)>([s](AdbCommand &a) {
        a.activityManager(s, "broadcast", QString(), QString(), "sync://backup:23911/", {}, QString());
    }) << QStringList { "-s", s, "shell", "am", "broadcast", "-d", "sync://backup:23911/" };
    QTest::newRow("broadcast, everything")
        << std::function<void(AdbCommand &)>([s](AdbCommand &a) {
               a.activityManager(s, "broadcast", receiver, "android.intent.action.VIEW", "sync://restore:23911/",
                   { "c.ONE", "c.TWO" }, "text/plain");
           })
        << QStringList { "-s", s, "shell", "am", "broadcast", "-n", receiver, "-a", "android.intent.action.VIEW", "-d",
               "sync://restore:23911/", "-c", "c.ONE", "-c", "c.TWO", "-t", "text/plain" };
    QTest::newRow("logcat") << std::function<void(AdbCommand &)>([s](AdbCommand &a) { (void)a.logcat(s); })
                            << QStringList { "-s", s, "shell", "logcat", "-d" };
    QTest::newRow("uninstall of a missing package") << std::function<void(AdbCommand &)>([](AdbCommand &a) {
        try {
            a.uninstall(QStringLiteral("SIME5"), agent);
        } catch (const std::runtime_error &) { }
    }) << QStringList { "-s", "SIME5", "uninstall", agent };
}

void AdbCommandSimTest::argumentLists()
{
    QFETCH(std::function<void(AdbCommand &)>, call);
    QFETCH(QStringList, arguments);
    call(m_adb);
    QCOMPARE(adbLog(), QList<QStringList> { arguments });
}

void AdbCommandSimTest::installSucceeds()
{
    const QString path = m_files.filePath(QStringLiteral("agent.apk"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("PK\x03\x04 not really a package");
    file.close();
    QVERIFY(!m_adb.listPackages(QStringLiteral("SIME5")).contains(agent));
    m_adb.install(QStringLiteral("SIME5"), path);
    QVERIFY(m_adb.listPackages(QStringLiteral("SIME5")).contains(agent));
    QCOMPARE(phoneAttribute(QStringLiteral("SIME5"), QStringLiteral("installedPackageMd5")),
        QString::fromLatin1(
            QCryptographicHash::hash("PK\x03\x04 not really a package", QCryptographicHash::Md5).toHex()));
    // Put the phone back as it was for the other tests.
    QVERIFY(m_sim.set(QStringLiteral("SIME5"), { "installed=0" }));
}

void AdbCommandSimTest::installFailureRaises()
{
    QVERIFY(m_sim.fault(QStringLiteral("SIME5"), { "install-failure" }));
    try {
        m_adb.install(QStringLiteral("SIME5"), m_files.filePath(QStringLiteral("agent.apk")));
        QFAIL("no exception");
    } catch (const std::runtime_error &e) {
        QVERIFY2(QString::fromUtf8(e.what()).contains(QStringLiteral("Failure [INSTALL_FAILED_INSUFFICIENT_STORAGE]")),
            e.what());
    }
    QVERIFY(m_sim.fault(QStringLiteral("SIME5"), { "clear" }));
    // A file that is not there fails too.
    QVERIFY_THROWS_EXCEPTION(
        std::runtime_error, m_adb.install(QStringLiteral("SIME5"), m_files.filePath(QStringLiteral("none.apk"))));
    QVERIFY(!m_adb.listPackages(QStringLiteral("SIME5")).contains(agent));
}

void AdbCommandSimTest::uninstall()
{
    QVERIFY(m_sim.create({ "serial=SIMF6" }));
    m_adb.uninstall(QStringLiteral("SIMF6"), agent);
    QVERIFY(!m_adb.listPackages(QStringLiteral("SIMF6")).contains(agent));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, m_adb.uninstall(QStringLiteral("SIMF6"), agent));
}

void AdbCommandSimTest::listPackages()
{
    const Serials packages = m_adb.listPackages(QStringLiteral("SIMA1"));
    QVERIFY(packages.contains(agent));
    QVERIFY(packages.contains(QStringLiteral("com.android.contacts")));
    QVERIFY(m_sim.fault(QStringLiteral("SIMA1"), { "missing-package" }));
    QVERIFY(!m_adb.listPackages(QStringLiteral("SIMA1")).contains(agent));
    QVERIFY(m_sim.fault(QStringLiteral("SIMA1"), { "clear" }));
}

void AdbCommandSimTest::activityManagerErrors()
{
    // A broadcast is reported and completed: success.
    m_adb.activityManager(QStringLiteral("SIMA1"), QStringLiteral("broadcast"), receiver, QString(),
        QStringLiteral("sync://backup:23913/"), {}, QString());
    // Anything else gets an "Error:" line from am.
    QVERIFY_THROWS_EXCEPTION(std::runtime_error,
        m_adb.activityManager(
            QStringLiteral("SIMA1"), QStringLiteral("start"), receiver, QString(), QString(), {}, QString()));
}

void AdbCommandSimTest::unknownSerial()
{
    for (const QString &serial : { QStringLiteral("NOSUCH"), QStringLiteral("SIMD4"), QStringLiteral("SIMB2") }) {
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, (void)m_adb.listPackages(serial));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, m_adb.forward(serial, 23914, 23914));
        // Not raising on standard error, but "error:" is a failure.
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
            m_adb.activityManager(serial, QStringLiteral("broadcast"), receiver, QString(),
                QStringLiteral("sync://backup:23914/"), {}, QString()));
    }
    try {
        (void)m_adb.listPackages(QStringLiteral("NOSUCH"));
    } catch (const std::runtime_error &e) {
        QCOMPARE(QString::fromUtf8(e.what()).trimmed(), QStringLiteral("error: device 'NOSUCH' not found"));
    }
}

void AdbCommandSimTest::warningsOnStandardError()
{
    // The daemon start-up lines of a first call are no failure ...
    QVERIFY(m_sim.fault(QStringLiteral("SIMA1"), { "adb-stderr=always" }));
    QVERIFY(m_adb.listPackages(QStringLiteral("SIMA1")).contains(QStringLiteral("android")));
    QVERIFY(m_adb.devices().contains(QStringLiteral("SIMA1")));
    QVERIFY(m_sim.fault(QStringLiteral("SIMA1"), { "clear", "adb-stderr" }));
    QVERIFY(m_sim.fault(QStringLiteral("SIMA1"), { "adb-warning=always" }));
    // ... but the raising calls fail on any other text on standard error ...
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, (void)m_adb.listPackages(QStringLiteral("SIMA1")));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, (void)m_adb.devices());
    // ... the others keep it in front of the output and still find their
    // markers.
    const QString log = m_adb.logcat(QStringLiteral("SIMA1"));
    QVERIFY(log.contains(QStringLiteral("beginning of main")));
    QVERIFY(log.indexOf(QStringLiteral("doesn't match")) < log.indexOf(QStringLiteral("beginning of main")));
    m_adb.activityManager(QStringLiteral("SIMA1"), QStringLiteral("broadcast"), receiver, QString(),
        QStringLiteral("sync://backup:23915/"), {}, QString());
    QVERIFY(m_sim.fault(QStringLiteral("SIMA1"), { "clear" }));
    QCOMPARE(m_adb.devices(), (Serials { "SIMA1", "SIME5", "SIMF6" }));
}

void AdbCommandSimTest::logcat()
{
    const QString log = m_adb.logcat(QStringLiteral("SIMA1"));
    QVERIFY(log.startsWith(QStringLiteral("--------- beginning of main")));
}

QTEST_GUILESS_MAIN(AdbCommandSimTest)
#include "adbcommandsimtest.moc"
