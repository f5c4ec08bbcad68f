// Not a test: shows the maximized main window the way the program starts it
// and saves a picture of the whole screen, for looking at the window under a
// virtual display:
//     xvfb-run -s "-screen 0 1280x800x24" build/tests/app/mainwindowshot shot.png [delay-ms] [menu]
// With "menu", the File menu is opened before the picture is taken. Without a
// window manager on the display the window cannot be maximized.
#include "app/mainwindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QTranslator>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s picture.png [delay-ms] [menu]\n", argv[0]);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int delay = argc > 2 ? QByteArray(argv[2]).toInt() : 1500;
    QTranslator translator;
    if (translator.load(QStringLiteral(":/en.qm")))
        QCoreApplication::installTranslator(&translator);
    MainWindow window;
    window.showMaximized();
    if (argc > 3 && QByteArray(argv[3]) == "menu") {
        QTimer::singleShot(delay / 2, &window, [&window] {
            auto *bar = window.findChild<QMenuBar *>(QStringLiteral("menuBar"));
            auto *file = window.findChild<QMenu *>(QStringLiteral("menuFile"));
            if (bar && file)
                bar->setActiveAction(file->menuAction());
        });
    }
    int result = 0;
    QTimer::singleShot(delay, &window, [&] {
        const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
        result = shot.save(path) ? 0 : 1;
        app.quit();
    });
    app.exec();
    return result;
}
