// Commands that change contacts: add, edit, delete, delete a group or a
// local database, clear a phone, set the group of contacts.
#include "app/mainwindow.h"

void MainWindow::onContactsTreeItemDoubleClicked(const QModelIndex &index)
{
    Q_UNUSED(index)
}

void MainWindow::miNewContact()
{
}

void MainWindow::miContactEdit()
{
}

void MainWindow::miContactDel()
{
}

void MainWindow::miContactSetGroup()
{
}

void MainWindow::miTreeDel()
{
}
