#include "android/adbcommand.h"

#include <QTest>

#include <stdexcept>

using Serials = QSet<QString>;

class AdbCommandTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parseDevices_data();
    void parseDevices();
    void parseDeviceStates_data();
    void parseDeviceStates();
    void parsePackages();
    void successLine_data();
    void successLine();
    void errorLine_data();
    void errorLine();
    void activityManagerArguments_data();
    void activityManagerArguments();
    void runChannels_data();
    void runChannels();
    void missingProgramGivesEmptyOutput();
    void hangingProgramIsKilled();
};

void AdbCommandTest::parseDevices_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<Serials>("serials");
    QTest::newRow("one phone") << "List of devices attached\n0123456789ABCDEF\tdevice\n\n"
                               << Serials { "0123456789ABCDEF" };
    QTest::newRow("no header") << "0123456789ABCDEF\tdevice\n" << Serials {};
    QTest::newRow("header in other case") << "LIST of Devices ATTACHED\nabc\tdevice\n" << Serials { "abc" };
    QTest::newRow("CR LF") << "List of devices attached\r\nabc\tdevice\r\ndef\tdevice\r\n\r\n"
                           << Serials { "abc", "def" };
    QTest::newRow("daemon start first")
        << "* daemon not running; starting now at tcp:5037\n* daemon started successfully\nList of devices attached\n"
           "emulator-5554\tdevice\n"
        << Serials { "emulator-5554" };
    QTest::newRow("header only") << "List of devices attached\n\n" << Serials {};
    QTest::newRow("empty") << "" << Serials {};
    QTest::newRow("unauthorized and offline left out")
        << "List of devices attached\nAAA\tunauthorized\nBBB\toffline\nCCC\tdevice\nDDD\tno permissions\n"
        << Serials { "CCC" };
    QTest::newRow("state word in capitals") << "List of devices attached\nAAA\tDEVICE\n" << Serials {};
    QTest::newRow("state word glued to serial") << "List of devices attached\nAAAdevice\n" << Serials {};
    QTest::newRow("serial ending in device") << "List of devices attached\nmydevice\toffline\nyourdevice\tdevice\n"
                                             << Serials { "yourdevice" };
    QTest::newRow("spaces instead of tab") << "List of devices attached\n  192.168.1.5:5555   device  \n"
                                           << Serials { "192.168.1.5:5555" };
    QTest::newRow("bare state word") << "List of devices attached\ndevice\n" << Serials {};
}

void AdbCommandTest::parseDevices()
{
    QFETCH(QString, output);
    QFETCH(Serials, serials);
    QCOMPARE(AdbCommand::parseDevices(output), serials);
}

void AdbCommandTest::parseDeviceStates_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QStringList>("states"); // "serial=state", sorted by serial
    QTest::newRow("every state real adb prints")
        << "* daemon not running; starting now at tcp:5037\n* daemon started successfully\nList of devices attached\n"
           "AAA\tdevice\nBBB\tunauthorized\nCCC\tauthorizing\nDDD\tconnecting\nEEE\toffline\n"
           "FFF\tno permissions (user in plugdev group; are your udev rules wrong?); see "
           "[http://developer.android.com/tools/device.html]\n\n"
        << QStringList { "AAA=device", "BBB=unauthorized", "CCC=authorizing", "DDD=connecting", "EEE=offline",
                         "FFF=no permissions" };
    QTest::newRow("wireless serials") << "List of devices attached\n192.168.1.5:5555\tdevice\n"
                                         "adb-R58M123ABC-Xy1z._adb-tls-connect._tcp\tdevice\n"
                                      << QStringList { "192.168.1.5:5555=device",
                                                       "adb-R58M123ABC-Xy1z._adb-tls-connect._tcp=device" };
    QTest::newRow("old adb without the reason") << "List of devices attached\n????????????\tno permissions\n"
                                                << QStringList { "????????????=no permissions" };
    QTest::newRow("no header") << "AAA\tdevice\n" << QStringList {};
    QTest::newRow("serial without state") << "List of devices attached\nAAA\n\n" << QStringList {};
}

void AdbCommandTest::parseDeviceStates()
{
    QFETCH(QString, output);
    QFETCH(QStringList, states);
    QStringList got;
    const QMap<QString, QString> parsed = AdbCommand::parseDeviceStates(output);
    for (auto it = parsed.cbegin(); it != parsed.cend(); ++it)
        got << it.key() + u'=' + it.value();
    QCOMPARE(got, states);
}

void AdbCommandTest::parsePackages()
{
    const QString output = QStringLiteral("package:com.android.phone\n"
                                          "  package: com.quillmarrow.contactssync \r\n"
                                          "Package:com.capital.p\n"
                                          "something package:com.not.at.start\n"
                                          "\n"
                                          "package:com.last");
    QCOMPARE(AdbCommand::parsePackages(output),
        (Serials { "com.android.phone", "com.quillmarrow.contactssync", "com.last" }));
}

void AdbCommandTest::successLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("success");
    QTest::newRow("last line") << "Performing Streamed Install\nSuccess" << true;
    QTest::newRow("line feed after") << "Performing Streamed Install\nSuccess\n" << true;
    QTest::newRow("other case, CR LF") << "  SUCCESS  \r\n" << true;
    QTest::newRow("after warnings") << "adb: warning: slow\n\nSuccess\n" << true;
    QTest::newRow("failure") << "Performing Streamed Install\nFailure [INSTALL_FAILED_INSUFFICIENT_STORAGE]\n" << false;
    QTest::newRow("word inside a line") << "Success: not really\nSuccessful\n" << false;
    QTest::newRow("empty") << "" << false;
}

void AdbCommandTest::successLine()
{
    QFETCH(QString, text);
    QFETCH(bool, success);
    QCOMPARE(AdbCommand::hasSuccessLine(text), success);
}

void AdbCommandTest::errorLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("error");
    QTest::newRow("broadcast completed") << "Broadcasting: Intent { dat=sync://backup:42222/ "
                                            "cmp=com.quillmarrow.contactssync/.AdbSyncBroadcastReceiver }\n"
                                            "Broadcast completed: result=0\n"
                                         << false;
    QTest::newRow("Error line") << "Broadcasting: Intent { }\nError: Activity class does not exist.\n" << true;
    QTest::newRow("indented, lower case") << "   error: device 'X' not found\n" << true;
    QTest::newRow("capitals") << "ERROR:\n" << true;
    QTest::newRow("error in the middle") << "Exception: error: nested\n" << false;
    QTest::newRow("no colon") << "Error occurred\n" << false;
    QTest::newRow("empty") << "" << false;
}

void AdbCommandTest::errorLine()
{
    QFETCH(QString, text);
    QFETCH(bool, error);
    QCOMPARE(AdbCommand::hasErrorLine(text), error);
}

void AdbCommandTest::activityManagerArguments_data()
{
    QTest::addColumn<QString>("component");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QStringList>("categories");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QStringList>("arguments");
    const QStringList head { "-s", "S1", "shell", "am", "broadcast" };
    QTest::newRow("data only") << QString() << QString() << "sync://backup:42222/" << QStringList() << QString()
                               << head + QStringList { "-d", "sync://backup:42222/" };
    QTest::newRow("nothing") << QString() << QString() << QString() << QStringList() << QString() << head;
    QTest::newRow("agent start") << "com.quillmarrow.contactssync/.AdbSyncBroadcastReceiver" << QString()
                                 << "sync://restore:42223/" << QStringList() << QString()
                                 << head
            + QStringList { "-n", "com.quillmarrow.contactssync/.AdbSyncBroadcastReceiver", "-d",
                  "sync://restore:42223/" };
    QTest::newRow("everything") << "c/.R"
                                << "a.b.ACTION"
                                << "d://x" << QStringList { "cat.ONE", "cat.TWO" } << "text/plain"
                                << head
            + QStringList { "-n", "c/.R", "-a", "a.b.ACTION", "-d", "d://x", "-c", "cat.ONE", "-c", "cat.TWO", "-t",
                  "text/plain" };
}

void AdbCommandTest::activityManagerArguments()
{
    QFETCH(QString, component);
    QFETCH(QString, action);
    QFETCH(QString, data);
    QFETCH(QStringList, categories);
    QFETCH(QString, type);
    QFETCH(QStringList, arguments);
    QCOMPARE(AdbCommand::activityManagerArguments(
                 QStringLiteral("S1"), QStringLiteral("broadcast"), component, action, data, categories, type),
        arguments);
}

void AdbCommandTest::runChannels_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("raise");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("failure");
    QTest::newRow("output only") << "printf 'out\\n'" << true << "out\n" << QString();
    QTest::newRow("error text raises") << "printf 'out\\n'; printf 'adb: warn\\n' >&2" << true << QString()
                                       << "adb: warn\n";
    QTest::newRow("error text kept in front") << "printf 'out\\n'; printf 'warn\\n' >&2" << false << "warn\n\nout\n"
                                              << QString();
    QTest::newRow("exit code ignored") << "printf 'fine'; exit 3" << true << "fine" << QString();
    QTest::newRow("output cut at NUL") << "printf 'ab\\000cd'" << true << "ab" << QString();
    QTest::newRow("8-bit output") << "printf '\\351t\\351'" << true << QStringLiteral("\u00e9t\u00e9") << QString();
}

void AdbCommandTest::runChannels()
{
    QFETCH(QString, script);
    QFETCH(bool, raise);
    QFETCH(QString, result);
    QFETCH(QString, failure);
    AdbCommand sh(QStringLiteral("sh"));
    try {
        QCOMPARE(sh.run({ QStringLiteral("-c"), script }, raise, 10000), result);
        QVERIFY(failure.isEmpty());
    } catch (const std::runtime_error &e) {
        QCOMPARE(QString::fromUtf8(e.what()), failure);
    }
}

void AdbCommandTest::missingProgramGivesEmptyOutput()
{
    AdbCommand adb(QStringLiteral("/nonexistent/folder/adb"));
    QCOMPARE(adb.devices(), Serials {});
    QCOMPARE(adb.listPackages(QStringLiteral("S")), Serials {});
    adb.forward(QStringLiteral("S"), 42222, 42222); // seems to succeed
    adb.activityManager(
        QStringLiteral("S"), QStringLiteral("broadcast"), QString(), QString(), QString(), {}, QString());
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, adb.install(QStringLiteral("S"), QStringLiteral("/tmp/x.apk")));
    QCOMPARE(adb.logcat(QStringLiteral("S")), QString());
}

void AdbCommandTest::hangingProgramIsKilled()
{
    AdbCommand sleeper(QStringLiteral("sleep"));
    try {
        (void)sleeper.run({ QStringLiteral("600") }, false, 300);
        QFAIL("no exception");
    } catch (const std::runtime_error &e) {
        QVERIFY2(QString::fromUtf8(e.what()).contains(QStringLiteral("did not finish")), e.what());
    }
}

QTEST_GUILESS_MAIN(AdbCommandTest)
#include "adbcommandtest.moc"
