// The source tree: the local databases found at start-up, and what the
// tree's current index stands for.
#include "app/mainwindow.h"

#include "ui_mainwindow.h"

#include "app/platform.h"
#include "contacts/localdb.h"
#include "contacts/localdbcombinerule.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

void MainWindow::loadLocalDbs()
{
    QFileInfoList files = QDir(platform::localDbFolder())
                              .entryInfoList({QStringLiteral("*.db")}, QDir::Files, QDir::Name);
    // Oldest first; files of the same age in name order.
    std::stable_sort(files.begin(), files.end(), [](const QFileInfo &a, const QFileInfo &b) {
        return a.lastModified() < b.lastModified();
    });
    for (const QFileInfo &file : files) {
        auto db = std::make_shared<LocalDb>(file.absoluteFilePath(), std::make_shared<LocalDbCombineRule>());
        m_mainTree.addLocalDb(std::move(db), file.fileName());
    }
}

ItemModelMainTree::Selection MainWindow::currentTreeSelection() const
{
    return m_mainTree.currentSelection(ui->treeMain->currentIndex());
}
