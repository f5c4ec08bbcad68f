// Where the data folder lives: the roaming folder for each system, the
// redirect file, and the folder the program creates for itself.
#include "app/platform.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using platform::Os;

namespace {

const QString id = QLatin1String(platform::productFolderId);

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace

class PlatformTest : public QObject
{
    Q_OBJECT

private slots:
    void productFolderIdIsFixedHex();
    void roamingFolder_data();
    void roamingFolder();
    void redirect_data();
    void redirect();
    void dataFolderIsCreatedAndKept();
    void registryIsAbsentHere();
};

void PlatformTest::productFolderIdIsFixedHex()
{
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9A-F]{32}$")).match(id).hasMatch());
}

void PlatformTest::roamingFolder_data()
{
    QTest::addColumn<Os>("os");
    QTest::addColumn<bool>("appDataExists");
    QTest::addColumn<QString>("xdgDataHome");   // "<tmp>" stands for a folder in the test's temporary folder
    QTest::addColumn<QString>("expected");      // below the home folder, or "<tmp>/..."

    QTest::newRow("windows, AppData/Roaming") << Os::Windows << true << QString() << QStringLiteral("AppData/Roaming");
    QTest::newRow("windows, no AppData") << Os::Windows << false << QString()
                                         << QStringLiteral("Application Data");
    QTest::newRow("windows ignores XDG") << Os::Windows << false << QStringLiteral("<tmp>/xdg")
                                         << QStringLiteral("Application Data");
    QTest::newRow("other, AppData/Roaming first") << Os::Other << true << QStringLiteral("<tmp>/xdg")
                                                  << QStringLiteral("AppData/Roaming");
    QTest::newRow("other, XDG unset") << Os::Other << false << QString() << QStringLiteral(".local/share");
    QTest::newRow("other, XDG set") << Os::Other << false << QStringLiteral("<tmp>/xdg")
                                    << QStringLiteral("<tmp>/xdg");
    QTest::newRow("other, relative XDG ignored") << Os::Other << false << QStringLiteral("relative/xdg")
                                                 << QStringLiteral(".local/share");
}

void PlatformTest::roamingFolder()
{
    QFETCH(Os, os);
    QFETCH(bool, appDataExists);
    QFETCH(QString, xdgDataHome);
    QFETCH(QString, expected);
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString home = tmp.filePath(QStringLiteral("home"));
    QVERIFY(QDir().mkpath(home));
    if (appDataExists)
        QVERIFY(QDir(home).mkpath(QStringLiteral("AppData/Roaming")));
    QProcessEnvironment env;
    if (!xdgDataHome.isEmpty())
        env.insert(QStringLiteral("XDG_DATA_HOME"), xdgDataHome.replace(QStringLiteral("<tmp>"), tmp.path()));
    const QString roaming = expected.startsWith(QStringLiteral("<tmp>"))
                                ? expected.replace(QStringLiteral("<tmp>"), tmp.path())
                                : QDir(home).filePath(expected);

    QCOMPARE(platform::roamingFolder(home, os, env), roaming);
    QCOMPARE(platform::dataFolderFor(home, os, env), roaming + QStringLiteral("/Quillmarrow/") + id);
    // Resolving creates nothing.
    QVERIFY(!QFileInfo::exists(roaming + QStringLiteral("/Quillmarrow")));
}

void PlatformTest::redirect_data()
{
    QTest::addColumn<QByteArray>("content");   // "<target>" stands for an existing folder
    QTest::addColumn<bool>("followed");
    QTest::newRow("existing folder") << QByteArray("<target>") << true;
    QTest::newRow("missing path") << QByteArray("<target>/missing") << false;
    QTest::newRow("empty file") << QByteArray() << false;
    QTest::newRow("text after a NUL byte") << QByteArray("<target>\0garbage", 16) << true;
    QTest::newRow("trailing line break") << QByteArray("<target>\r\n") << true;
    QTest::newRow("non-ASCII folder name") << QByteArray("<target>/K\xc3\xb6ln") << true;
}

void PlatformTest::redirect()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, followed);
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString home = tmp.filePath(QStringLiteral("home"));
    const QString roaming = home + QStringLiteral("/AppData/Roaming");
    QVERIFY(QDir().mkpath(roaming));
    QString target = tmp.filePath(QStringLiteral("elsewhere"));
    if (content.contains("K\xc3\xb6ln"))
        target += QStringLiteral("/K\u00f6ln");
    QVERIFY(QDir().mkpath(target));
    content.replace("<target>", tmp.filePath(QStringLiteral("elsewhere")).toUtf8());
    writeFile(roaming + QStringLiteral("/Quillmarrow/") + id + QStringLiteral(".redirect"), content);

    const QString expected =
        (followed ? target : roaming + QStringLiteral("/Quillmarrow")) + QStringLiteral("/") + id;
    QCOMPARE(platform::dataFolderFor(home, Os::Windows, QProcessEnvironment()), expected);
    QCOMPARE(platform::dataFolderFor(home, Os::Other, QProcessEnvironment()), expected);
}

void PlatformTest::dataFolderIsCreatedAndKept()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    qputenv("HOME", tmp.path().toUtf8());
    qunsetenv("XDG_DATA_HOME");
    const QString expected = tmp.path() + QStringLiteral("/.local/share/Quillmarrow/") + id;

    QCOMPARE(platform::dataFolder(), expected);
    QVERIFY(QFileInfo(expected).isDir());
    // Removed behind the program's back: the next request creates it again.
    QVERIFY(QDir(tmp.path() + QStringLiteral("/.local")).removeRecursively());
    QCOMPARE(platform::localDbFolder(), expected + QStringLiteral("/data"));
    QVERIFY(QFileInfo(expected + QStringLiteral("/data")).isDir());

    // Resolved once per process: a later change of the home folder is not seen.
    QTemporaryDir other;
    qputenv("HOME", other.path().toUtf8());
    QCOMPARE(platform::dataFolder(), expected);
}

void PlatformTest::registryIsAbsentHere()
{
    if (platform::currentOs() == Os::Windows)
        QSKIP("Windows has a registry");
    QCOMPARE(platform::lookUpLocalMachineKey(QStringLiteral("SOFTWARE\\Apple Computer, Inc.\\iTunes")),
             platform::RegistryKey::NoRegistry);
}

QTEST_GUILESS_MAIN(PlatformTest)
#include "platformtest.moc"
