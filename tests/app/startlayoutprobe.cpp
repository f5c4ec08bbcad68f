// Not a test: starts the main window maximized the way the program does, lets
// the window manager settle it, and prints its width, the pane sizes and the
// column widths on one line, for tools/desktop/startlayout.sh:
//     startlayoutprobe [settle-ms]
#include "app/mainwindow.h"
#include "app/uilanguage.h"

#include <QApplication>
#include <QHeaderView>
#include <QSplitter>
#include <QTimer>
#include <QTreeView>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int settle = argc > 1 ? QByteArray(argv[1]).toInt() : 1500;
    UiLanguage language;
    language.install(QStringLiteral("en"));
    MainWindow window;
    window.showMaximized();
    QTimer::singleShot(settle, &window, [&window] {
        const auto *splitter = window.findChild<QSplitter *>(QStringLiteral("splitter"));
        const auto *contacts = window.findChild<QTreeView *>(QStringLiteral("treeContacts"));
        QStringList panes;
        for (int size : splitter->sizes())
            panes << QString::number(size);
        QStringList columns;
        for (int column = 0; column < 3; ++column)
            columns << QString::number(contacts->columnWidth(column));
        std::printf("width=%d panes=%s columns=%s\n", window.width(), qPrintable(panes.join(u',')),
                    qPrintable(columns.join(u',')));
        std::fflush(stdout);
        window.close();
    });
    return app.exec();
}
