// Context menus, the File menu and tool bar dispatch, and the commands that
// copy contacts elsewhere: backup, transfer, restore, export, print, import,
// opening the database folder, disconnecting and connecting phones.
#include "app/mainwindow.h"

void MainWindow::treeCreateContextMenu()
{
}

void MainWindow::contactCreateContextMenu()
{
}

void MainWindow::miContactExport()
{
}

void MainWindow::miContactPrint()
{
}

void MainWindow::miContactBackup()
{
}

void MainWindow::miContactA2A()
{
}

void MainWindow::miContactDB2A()
{
}

void MainWindow::miOpenFolder()
{
}

void MainWindow::miImport()
{
}

void MainWindow::miTreeExport()
{
}

void MainWindow::miTreePrint()
{
}

void MainWindow::miTreeBackup()
{
}

void MainWindow::miTreeUnmount()
{
}

void MainWindow::miTreeA2A()
{
}

void MainWindow::miTreeDB2A()
{
}

void MainWindow::miFileBackup()
{
}

void MainWindow::miFileExport()
{
}

void MainWindow::miFilePrint()
{
}

void MainWindow::miFileDelete()
{
}

void MainWindow::miFileA2A()
{
}

void MainWindow::miFileDB2A()
{
}

void MainWindow::miToolsConnectViaWiFi()
{
}
