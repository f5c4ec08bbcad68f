// The commands that move contacts through files: export, PDF, printing and
// import.
#include "app/mainwindow.h"

#include "ui_mainwindow.h"

#include "app/messageboxes.h"
#include "app/modal.h"
#include "app/taskrunner.h"
#include "contacts/localdb.h"

using Node = ItemModelMainTree;

void MainWindow::exportContacts(const QList<Contact> &contacts)
{
    Q_UNUSED(contacts)
}

void MainWindow::exportPdf(const QList<Contact> &contacts, const QString &fileName)
{
    Q_UNUSED(contacts)
    Q_UNUSED(fileName)
}

void MainWindow::printContacts(const QList<Contact> &contacts)
{
    Q_UNUSED(contacts)
}

void MainWindow::miTreeExport()
{
    runCommand([this] {
        if (!currentTreeSelection().dbNode)
            return;
        exportContacts(nodeContacts());
    });
}

void MainWindow::miContactExport()
{
    runCommand([this] { exportContacts(selectedContacts()); });
}

void MainWindow::miTreePrint()
{
    runCommand([this] {
        if (!currentTreeSelection().dbNode)
            return;
        printContacts(nodeContacts());
    });
}

void MainWindow::miContactPrint()
{
    runCommand([this] { printContacts(selectedContacts()); });
}

void MainWindow::miImport()
{
}
