// The simulated phone's shell and "content" tool, as "adb shell" reaches
// them: sh quoting and expansion, the provider's tables and codes, the
// output format and where errors go.
#include "tools/phonesim/phonesimdriver.h"

#include <QTest>

class PhoneSimContentTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void shellLines_data();
    void shellLines();
    void bindDialects_data();
    void bindDialects();
    void errorsGoToStandardErrorWithStatusZero();
    void deletedRawContactsStay();
    void daemonLinesAfterKillServer();
    void passingStates_data();
    void passingStates();

private:
    PhoneSimDriver m_sim;
};

void PhoneSimContentTest::initTestCase()
{
    QVERIFY2(m_sim.create({ "serial=CT1", "contacts=2", "seed=3", "+", "serial=CT2", "sdk=29", "+", "serial=CT3" }),
        m_sim.lastError());
}

void PhoneSimContentTest::shellLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QByteArray>("out");
    QTest::newRow("single quotes keep everything") << "echo '$(id) `id` \\ \" *'" << QByteArray("$(id) `id` \\ \" *\n");
    QTest::newRow("quote inside single quotes") << "echo 'it'\\''s'" << QByteArray("it's\n");
    QTest::newRow("double quotes expand") << "echo \"$HOME $(echo in) \\$x\"" << QByteArray("/ in $x\n");
    QTest::newRow("substitution runs") << "echo $(id)" << QByteArray("uid=2000(shell) gid=2000(shell) groups=2000(shell),1004(input),1007(log),1011(adb),1015(sdcard_rw),3003(inet) context=u:r:shell:s0\n");
    QTest::newRow("backticks run") << "echo `echo a b`" << QByteArray("a b\n");
    QTest::newRow("unquoted glob matches /") << "echo sys*" << QByteArray("sys system system_ext\n");
    QTest::newRow("separators") << "echo 1; echo 2\necho 3" << QByteArray("1\n2\n3\n");
    QTest::newRow("and, or") << "false && echo no || echo yes" << QByteArray("yes\n");
    QTest::newRow("backslash outside quotes") << "echo a\\ b\\;c" << QByteArray("a b;c\n");
    QTest::newRow("comment") << "echo a # b" << QByteArray("a\n");
    QTest::newRow("query with a quoted where")
        << "content query --uri content://com.android.contacts/raw_contacts --projection _id:deleted --where '_id IN (1,2) AND deleted=0' --sort '_id DESC'"
        << QByteArray("Row: 0 _id=2, deleted=0\nRow: 1 _id=1, deleted=0\n");
    QTest::newRow("no result") << "content query --uri content://com.android.contacts/raw_contacts --where _id=99"
                               << QByteArray("No result found.\n");
    QTest::newRow("limit") << "content query --uri 'content://com.android.contacts/data?limit=1' --projection _id --sort '_id DESC'"
                           << QByteArray("Row: 0 _id=");
}

void PhoneSimContentTest::shellLines()
{
    QFETCH(QString, line);
    QFETCH(QByteArray, out);
    const auto r = m_sim.adb({ "-s", "CT1", "shell", line });
    QVERIFY2(r.out.startsWith(out), r.out.constData());
    if (!out.endsWith(' ') && !out.endsWith('='))
        QCOMPARE(r.out, out);
}

void PhoneSimContentTest::bindDialects_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("bind");
    QTest::addColumn<QString>("stored"); // empty: refused
    QTest::newRow("Android 10: the rest is the value") << "CT2" << "data1:s:a\\:b:c" << "a\\:b:c";
    QTest::newRow("Android 13: escapes") << "CT3" << "data1:s:a\\:b\\\\c" << "a:b\\c";
    QTest::newRow("Android 13: a bare colon splits") << "CT3" << "data1:s:a:b" << "";
    QTest::newRow("Android 13: null") << "CT3" << "data1:n:" << "";
}

void PhoneSimContentTest::bindDialects()
{
    QFETCH(QString, serial);
    QFETCH(QString, bind);
    QFETCH(QString, stored);
    const QString add = QStringLiteral("content insert --uri content://com.android.contacts/raw_contacts --bind starred:i:0");
    QVERIFY(m_sim.adb({ "-s", serial, "shell", add }).err.isEmpty());
    const QString raw = QString::fromUtf8(m_sim.adb({ "-s", serial, "shell",
        "content query --uri 'content://com.android.contacts/raw_contacts?limit=1' --projection _id --sort '_id DESC'" }).out).section(u'=', 1).trimmed();
    const auto r = m_sim.adb({ "-s", serial, "shell",
        QStringLiteral("content insert --uri content://com.android.contacts/data --bind raw_contact_id:l:%1 "
                       "--bind mimetype:s:vnd.android.cursor.item/note --bind '%2'").arg(raw, bind) });
    QCOMPARE(r.exitCode, 0);
    const QByteArray note = m_sim.adb({ "-s", serial, "shell",
        QStringLiteral("content query --uri content://com.android.contacts/data --projection data1 --where 'raw_contact_id=%1'").arg(raw) }).out;
    if (stored.isEmpty())
        QVERIFY2(note == "No result found.\n" || note == "Row: 0 data1=NULL\n", note.constData());
    else
        QCOMPARE(QString::fromUtf8(note), QStringLiteral("Row: 0 data1=%1\n").arg(stored));
}

void PhoneSimContentTest::errorsGoToStandardErrorWithStatusZero()
{
    const auto bad = m_sim.adb({ "-s", "CT1", "shell", "content query --uri content://com.android.contacts/data --projection nope" });
    QCOMPARE(bad.exitCode, 0);
    QVERIFY(bad.out.isEmpty());
    QVERIFY(bad.err.startsWith("Error while accessing provider:com.android.contacts\njava.lang.IllegalArgumentException: Invalid column nope\n"));
    const auto usage = m_sim.adb({ "-s", "CT1", "shell", "content frobnicate" });
    QCOMPARE(usage.exitCode, 0);
    QVERIFY(usage.out.startsWith("usage: adb shell content"));
    QVERIFY(usage.out.endsWith("[ERROR] Unsupported operation: frobnicate\n"));
    const auto syntax = m_sim.adb({ "-s", "CT1", "shell", "content delete --uri content://com.android.contacts/data --where \"_id='\"" });
    QVERIFY(syntax.err.contains("SQLiteException"));
    const auto notFound = m_sim.adb({ "-s", "CT1", "shell", "reboot" });
    QCOMPARE(notFound.exitCode, 127);
    QVERIFY(m_sim.run(QStringLiteral("log"), { QStringLiteral("CT1") }).out.contains("not simulated, not run: reboot"));
}

void PhoneSimContentTest::deletedRawContactsStay()
{
    QVERIFY(m_sim.adb({ "-s", "CT1", "shell", "content delete --uri content://com.android.contacts/raw_contacts --where _id=1" }).err.isEmpty());
    QCOMPARE(m_sim.adb({ "-s", "CT1", "shell", "content query --uri content://com.android.contacts/raw_contacts --projection _id:deleted" }).out,
        QByteArray("Row: 0 _id=1, deleted=1\nRow: 1 _id=2, deleted=0\n"));
    QCOMPARE(m_sim.dump(QStringLiteral("CT1"), { QStringLiteral("--count") }), QByteArray("1\n"));
}

void PhoneSimContentTest::daemonLinesAfterKillServer()
{
    QVERIFY(m_sim.adb({ "kill-server" }).err.isEmpty());
    const auto first = m_sim.adb({ "devices" });
    QCOMPARE(first.err, QByteArray("* daemon not running; starting now at tcp:5037\n* daemon started successfully\n"));
    QVERIFY(m_sim.adb({ "devices" }).err.isEmpty());
}

void PhoneSimContentTest::passingStates_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QByteArray>("listed");
    QTest::addColumn<QByteArray>("error");
    QTest::newRow("unauthorized") << "unauthorized" << QByteArray("CT3\tunauthorized\n") << QByteArray("error: device unauthorized.");
    QTest::newRow("authorizing") << "authorizing" << QByteArray("CT3\tauthorizing\n") << QByteArray("error: device still authorizing\n");
    QTest::newRow("connecting") << "connecting" << QByteArray("CT3\tconnecting\n") << QByteArray("error: device still connecting\n");
    QTest::newRow("no permissions") << "no-permissions"
                                    << QByteArray("CT3\tno permissions (missing udev rules? user is in the plugdev group); see [http://developer.android.com/tools/device.html]\n")
                                    << QByteArray("error: insufficient permissions for device: missing udev rules?");
}

void PhoneSimContentTest::passingStates()
{
    QFETCH(QString, state);
    QFETCH(QByteArray, listed);
    QFETCH(QByteArray, error);
    QVERIFY(m_sim.run(QStringLiteral("attach"), { QStringLiteral("CT3"), state }).ok());
    QVERIFY(m_sim.adb({ "devices" }).out.contains(listed));
    QVERIFY(m_sim.adb({ "-s", "CT3", "shell", "getprop", "ro.build.version.sdk" }).err.startsWith(error));
    QVERIFY(m_sim.run(QStringLiteral("attach"), { QStringLiteral("CT3"), QStringLiteral("device") }).ok());
}

QTEST_GUILESS_MAIN(PhoneSimContentTest)
#include "phonesimcontenttest.moc"
