#include "app/mainwindow.h"
#include "app/messageboxes.h"
#include "app/platform.h"
#include "app/productinfo.h"
#include "app/uilanguage.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QIcon>
#include <QSettings>

#include <cstdio>
#include <memory>

namespace {

// Windows only: phones from Apple need iTunes, so offer its download page when
// it is missing. Systems without a registry have nothing to offer.
void offerItunesDownload()
{
    const auto itunes = platform::lookUpLocalMachineKey(QStringLiteral("SOFTWARE\\Apple Computer, Inc.\\iTunes"));
    if (itunes != platform::RegistryKey::Absent)
        return;
    if (askQuestion(QCoreApplication::translate("QObject", "IDS_NONE_INSTALL_ITUNES")))
        platform::startExplorer(QStringLiteral("https://www.apple.com/itunes/download/"));
}

// Asking only for the version or the help needs no display: such a run gets
// a plain application object, so it also works on a machine without one.
bool onlyPrints(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "-v" || arg == "--version" || arg == "-h" || arg == "--help" || arg == "--help-all"
            || arg == "-?")
            return true;
    }
    return false;
}

const QString languageOptionName = QStringLiteral("language");

void addOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QCoreApplication::translate("QObject", "IDS_CLI_DESCRIPTION"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(QCommandLineOption(languageOptionName, QCoreApplication::translate("QObject", "IDS_CLI_LANGUAGE"),
                                        QCoreApplication::translate("QObject", "IDS_CLI_LANGUAGE_VALUE")));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setOrganizationName(QString::fromLatin1(productinfo::name));
    QCoreApplication::setApplicationName(QString::fromLatin1(productinfo::name));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(productinfo::version));
    std::unique_ptr<QCoreApplication> app;
    if (onlyPrints(argc, argv))
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);

    // The language comes first, so that the help is shown in it; the options
    // are read a second time with their texts translated.
    QString option;
    {
        QCommandLineParser early;
        addOptions(early);
        if (early.parse(QCoreApplication::arguments()))
            option = early.value(languageOptionName);
    }
    const QString setting = QSettings().value(QStringLiteral("language")).toString();
    auto language = std::make_unique<UiLanguage>();
    const QString installedTranslations =
        QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(productinfo::translationsBelowBin));
    language->install(UiLanguage::choose(option, setting, QLocale::system()), installedTranslations);

    QCommandLineParser parser;
    addOptions(parser);
    parser.process(*app);
    if (!option.isEmpty() && UiLanguage::normalize(option).isEmpty()) {
        std::fprintf(stderr, "%s\n",
                     qPrintable(QCoreApplication::translate("QObject", "IDS_CLI_UNKNOWN_LANGUAGE_%1").arg(option)));
        return 2;
    }
    if (!qobject_cast<QApplication *>(app.get()))
        return 0;

    QGuiApplication::setDesktopFileName(QString::fromLatin1(productinfo::appId));
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/res/appicon-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);

    auto window = std::make_unique<MainWindow>();
    // The window comes back where and as large as the user left it; the first
    // time it starts maximized.
    if (window->restoreLayout())
        window->show();
    else
        window->showMaximized();
    offerItunesDownload();

    const int result = app->exec();
    window.reset();
    language.reset();
    app.reset();
    return result;
}
