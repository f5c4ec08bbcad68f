// The source tree: the local databases found at start-up, and what the
// tree's current index stands for.
#include "app/mainwindow.h"

#include "ui_mainwindow.h"

#include "app/localdbfiles.h"
#include "contacts/localdb.h"
#include "contacts/localdbcombinerule.h"

#include <QFileInfo>

void MainWindow::loadLocalDbs()
{
    for (const QFileInfo &file : listLocalDbFiles()) {
        auto db = std::make_shared<LocalDb>(file.absoluteFilePath(), std::make_shared<LocalDbCombineRule>());
        m_mainTree.addLocalDb(std::move(db), file.fileName());
    }
}

ItemModelMainTree::Selection MainWindow::currentTreeSelection() const
{
    return m_mainTree.currentSelection(ui->treeMain->currentIndex());
}
