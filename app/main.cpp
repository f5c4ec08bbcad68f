#include "app/mainwindow.h"
#include "app/messageboxes.h"
#include "app/platform.h"

#include <QApplication>
#include <QTranslator>

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

} // namespace

int main(int argc, char *argv[])
{
    auto app = std::make_unique<QApplication>(argc, argv);
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(QStringLiteral(":/en.qm")))
        QCoreApplication::installTranslator(translator.get());

    auto window = std::make_unique<MainWindow>();
    window->showMaximized();
    offerItunesDownload();

    const int result = app->exec();
    window.reset();
    translator.reset();
    app.reset();
    return result;
}
