// The choice of the window's language and the catalogues it installs.
#include "app/uilanguage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QTemporaryDir>
#include <QTest>

class UiLanguageTest : public QObject
{
    Q_OBJECT

private slots:
    void normalize_data();
    void normalize();
    void choose_data();
    void choose();
    void installTranslates_data();
    void installTranslates();
    void installedFolderComesFirst();
    void unknownLanguageInstallsNothing();
};

void UiLanguageTest::normalize_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("language");
    QTest::newRow("de") << "de" << "de";
    QTest::newRow("upper case") << "DE" << "de";
    QTest::newRow("locale name") << "de_AT.UTF-8" << "de";
    QTest::newRow("BCP 47") << "de-CH" << "de";
    QTest::newRow("English") << "en_GB" << "en";
    QTest::newRow("blanks") << " en " << "en";
    QTest::newRow("no catalogue") << "fr" << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("C locale") << "C" << "";
}

void UiLanguageTest::normalize()
{
    QFETCH(QString, code);
    QFETCH(QString, language);
    QCOMPARE(UiLanguage::normalize(code), language);
}

void UiLanguageTest::choose_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("system");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("German system") << "" << "" << "de_DE" << "de";
    QTest::newRow("Austrian system") << "" << "" << "de_AT" << "de";
    QTest::newRow("English system") << "" << "" << "en_US" << "en";
    QTest::newRow("French system falls back to English") << "" << "" << "fr_FR" << "en";
    QTest::newRow("C locale") << "" << "" << "C" << "en";
    QTest::newRow("setting beats system") << "" << "en" << "de_DE" << "en";
    QTest::newRow("option beats setting") << "de" << "en" << "en_US" << "de";
    QTest::newRow("option English on German system") << "en" << "" << "de_DE" << "en";
    QTest::newRow("unknown option passed over") << "xx" << "de" << "en_US" << "de";
    QTest::newRow("unknown setting passed over") << "" << "klingon" << "de_DE" << "de";
}

void UiLanguageTest::choose()
{
    QFETCH(QString, option);
    QFETCH(QString, setting);
    QFETCH(QString, system);
    QFETCH(QString, chosen);
    QCOMPARE(UiLanguage::choose(option, setting, QLocale(system)), chosen);
}

void UiLanguageTest::installTranslates_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("catalogue");
    QTest::newRow("English") << "en" << ":/en.qm";
    QTest::newRow("German") << "de" << ":/de.qm";
}

void UiLanguageTest::installTranslates()
{
    QFETCH(QString, code);
    QFETCH(QString, catalogue);
    QTranslator expected;
    QVERIFY(expected.load(catalogue));
    UiLanguage language;
    QVERIFY(language.install(code));
    QCOMPARE(language.installed(), code);
    for (const char *key : {"IDS_ROOT_DEVICE", "IDS_ROOT_LOCALDB"})
        QCOMPARE(QCoreApplication::translate("ItemModelMainTree", key), expected.translate("ItemModelMainTree", key));
    // The list's column headers, which English shows as they stand.
    QCOMPARE(QCoreApplication::translate("ItemModelContacts", "Phone"),
             code == QLatin1String("de") ? QStringLiteral("Telefon") : QStringLiteral("Phone"));
    QCOMPARE(QCoreApplication::translate("MainWindow", "Total:%1").arg(7),
             expected.translate("MainWindow", "Total:%1").arg(7));
    // Qt's own dialogs follow, from Qt's catalogue where the system has one.
    QTranslator qt;
    const bool qtHasCatalogue = code != QLatin1String("en")
        && qt.load(QStringLiteral("qtbase_") + code, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    const QString qtText = QCoreApplication::translate("QFileDialog", "Look in:");
    QCOMPARE(qtText, qtHasCatalogue ? qt.translate("QFileDialog", "Look in:") : QStringLiteral("Look in:"));
    if (qtHasCatalogue)
        QVERIFY(qtText != QLatin1String("Look in:"));
}

void UiLanguageTest::installedFolderComesFirst()
{
    // A catalogue dropped into the installed folder wins over the compiled
    // one; the other language still comes from the resources.
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(QFile::copy(QStringLiteral(":/en.qm"), QDir(folder.path()).filePath(QStringLiteral("de.qm"))));
    QTranslator english;
    QVERIFY(english.load(QStringLiteral(":/en.qm")));
    UiLanguage language;
    QVERIFY(language.install(QStringLiteral("de"), folder.path()));
    QCOMPARE(QCoreApplication::translate("ItemModelMainTree", "IDS_ROOT_DEVICE"),
             english.translate("ItemModelMainTree", "IDS_ROOT_DEVICE"));
}

void UiLanguageTest::unknownLanguageInstallsNothing()
{
    UiLanguage language;
    QVERIFY(!language.install(QStringLiteral("fr")));
    QCOMPARE(language.installed(), QString());
    // Without a catalogue a key reads as itself.
    QCOMPARE(QCoreApplication::translate("ItemModelMainTree", "IDS_ROOT_DEVICE"), QStringLiteral("IDS_ROOT_DEVICE"));
    QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Look in:"));
}

QTEST_GUILESS_MAIN(UiLanguageTest)
#include "uilanguagetest.moc"
