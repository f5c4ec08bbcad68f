// Phones arriving over USB or WiFi, loading them into the tree, and phones
// going away.
#include "app/mainwindow.h"

void MainWindow::androidDeviceUSBConnected(const QString &devId)
{
    Q_UNUSED(devId)
}

void MainWindow::androidDeviceIniLoad(const QString &devId, const PAndroidConnector &connector)
{
    Q_UNUSED(devId)
    Q_UNUSED(connector)
}

void MainWindow::androidDeviceDisconnected(const QString &devId)
{
    Q_UNUSED(devId)
}
