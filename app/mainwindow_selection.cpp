// Selection in the source tree and the contact list, and the keyword search.
#include "app/mainwindow.h"

void MainWindow::onMainTreeItemSelected(const QItemSelection &selected, const QItemSelection &deselected)
{
    Q_UNUSED(selected)
    Q_UNUSED(deselected)
}

void MainWindow::onMainTreeItemClicked(const QModelIndex &index)
{
    Q_UNUSED(index)
}

void MainWindow::onContactsTreeItemSelected(const QItemSelection &selected, const QItemSelection &deselected)
{
    Q_UNUSED(selected)
    Q_UNUSED(deselected)
}

void MainWindow::onBtnSearchPressed()
{
}
