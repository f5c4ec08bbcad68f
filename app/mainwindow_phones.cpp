// Phones arriving over USB or WiFi, loading them into the tree, and phones
// going away.
//
// Loading a phone runs the receive job under the progress form. While any
// job runs, the GUI thread sits in that form's loop and still gets the
// device monitor's signals; a phone that arrives then is loaded after the
// running job has ended, so that a job never has its cache file deleted
// under it and one device id never gets two nodes.
#include "app/mainwindow.h"

#include "ui_mainwindow.h"

#include "android/adbbridgeconnector.h"
#include "android/androidcontactsdb.h"
#include "android/androidmonitor.h"
#include "android/dataport.h"
#include "android/devicecachename.h"
#include "android/syncrestorethread.h"
#include "android/usbphoneconnector.h"
#include "app/messageboxes.h"
#include "app/platform.h"
#include "app/taskactivity.h"
#include "app/taskrunner.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QStatusBar>

#include <exception>

namespace {

// The process-wide device monitor; its parent is the window that made it.
QPointer<AndroidMonitor> monitorSlot;

} // namespace

AndroidMonitor *MainWindow::deviceMonitor()
{
    return monitorSlot.data();
}

QString MainWindow::phoneCacheFolder()
{
    return QDir(platform::dataFolder()).filePath(QStringLiteral("android_cache"));
}

void MainWindow::setUsbConnectorFactory(UsbConnectorFactory factory)
{
    m_usbConnectorFactory = std::move(factory);
}

void MainWindow::startPhones()
{
    if (!m_usbConnectorFactory)
        m_usbConnectorFactory = [](const QString &serial) { return std::make_shared<UsbPhoneConnector>(serial); };
    if (!monitorSlot)
        monitorSlot = new AndroidMonitor(this);
    connect(monitorSlot, &AndroidMonitor::deviceConnected, this, &MainWindow::androidDeviceUSBConnected);
    connect(monitorSlot, &AndroidMonitor::deviceDisconnected, this, &MainWindow::androidDeviceDisconnected);
    connect(monitorSlot, &AndroidMonitor::deviceWaiting, this, &MainWindow::androidDeviceWaiting);
    connect(&TaskActivity::instance(), &TaskActivity::idle, this, &MainWindow::onTasksIdle);
    monitorSlot->startMonitoring();
    loadOfflinePhones();
}

void MainWindow::loadOfflinePhones()
{
    const QDir folder(QDir(platform::dataFolder()).filePath(QStringLiteral("android_virtual")));
    if (!folder.exists())
        return;
    const QFileInfoList files = folder.entryInfoList({QStringLiteral("*.db")}, QDir::Files, QDir::Name);
    for (const QFileInfo &file : files) {
        const QString devId = file.fileName();
        const PAndroidConnector connector = m_usbConnectorFactory(devId);
        auto db = std::make_shared<AndroidContactsDb>(file.absoluteFilePath(), connector);
        ItemModelMainTree::_DBItemNode *node
            = m_mainTree.addDevice(std::move(db), file.fileName().section(u'.', 0, 0), devId,
                                   ItemModelMainTree::AndroidDevice);
        showDeviceNode(node);
    }
}

void MainWindow::showDeviceNode(ItemModelMainTree::_DBItemNode *node)
{
    const QModelIndex index = m_mainTree.indexOfNode(node);
    ui->treeMain->expand(index);
    ui->treeMain->setCurrentIndex(index);
}

void MainWindow::androidDeviceUSBConnected(const QString &devId)
{
    if (devId == m_waitingDevId) {
        ui->statusBar->clearMessage();
        m_waitingDevId.clear();
    }
    androidDeviceIniLoad(devId, m_usbConnectorFactory(devId));
}

void MainWindow::androidDeviceWaiting(const QString &devId, const QString &state)
{
    const QString hint = AdbBridgeConnector::stateHint(devId, state);
    if (hint.isEmpty()) {
        if (devId == m_waitingDevId) {
            ui->statusBar->clearMessage();
            m_waitingDevId.clear();
        }
        return;
    }
    m_waitingDevId = devId;
    ui->statusBar->showMessage(hint);
}

void MainWindow::androidDeviceIniLoad(const QString &devId, const PAndroidConnector &connector)
{
    if (m_phoneLoading || TaskActivity::instance().isBusy()) {
        // Later: the newest arrival of a phone is the one that counts.
        m_pendingPhoneLoads.removeIf([&](const PendingPhoneLoad &load) { return load.devId == devId; });
        m_pendingPhoneLoads.append({devId, connector});
        return;
    }
    m_phoneLoading = true;
    m_loadingDevId = devId;
    m_loadedPhoneLeft = false;
    struct Loading
    {
        MainWindow *window;
        ~Loading()
        {
            window->m_phoneLoading = false;
            window->m_loadingDevId.clear();
            if (!window->m_pendingPhoneLoads.isEmpty())
                QMetaObject::invokeMethod(window, &MainWindow::onTasksIdle, Qt::QueuedConnection);
        }
    } loading{this};

    m_mainTree.removeDevice(devId);
    auto db = std::make_shared<AndroidContactsDb>(QDir(phoneCacheFolder()).filePath(deviceCacheFileName(devId)),
                                                  connector);
    try {
        if (!QDir().mkpath(phoneCacheFolder()))
            throw std::runtime_error(
                QStringLiteral("Cannot create %1.").arg(QDir::toNativeSeparators(phoneCacheFolder())).toStdString());
        db->create();
    } catch (const std::exception &e) {
        showError(QString::fromUtf8(e.what()));
        return;
    }

    TaskRunner task(QString(), nullptr);
    SyncRestoreThread job(db, dataPortFor(devId), task.progress());
    if (!task.run(job) || m_loadedPhoneLeft)
        return;

    // The phone bridge cannot read photos; the user hears that they stayed
    // on the phone instead of finding them missing.
    if (auto *usb = dynamic_cast<UsbPhoneConnector *>(connector.get())) {
        if (const QString note = usb->photosNote(); !note.isEmpty())
            ui->statusBar->showMessage(note);
    }
    const QString name = job.deviceName().isEmpty() ? devId : job.deviceName();
    ItemModelMainTree::_DBItemNode *node = m_mainTree.addDevice(db, name, devId, ItemModelMainTree::AndroidDevice);
    try {
        m_mainTree.loadGroups(node);
    } catch (const std::exception &e) {
        showError(QString::fromUtf8(e.what()));
    }
    showDeviceNode(node);
}

void MainWindow::androidDeviceDisconnected(const QString &devId)
{
    m_pendingPhoneLoads.removeIf([&](const PendingPhoneLoad &load) { return load.devId == devId; });
    if (devId == m_waitingDevId) {
        ui->statusBar->clearMessage();
        m_waitingDevId.clear();
    }
    if (m_phoneLoading && devId == m_loadingDevId)
        m_loadedPhoneLeft = true;
    m_mainTree.removeDevice(devId);
}

void MainWindow::onTasksIdle()
{
    if (TaskActivity::instance().isBusy() || m_phoneLoading)
        return;
    if (m_contactsStale) {
        m_contactsStale = false;
        onMainTreeItemSelected(QItemSelection(), QItemSelection());
    }
    if (!m_pendingPhoneLoads.isEmpty()) {
        const PendingPhoneLoad next = m_pendingPhoneLoads.takeFirst();
        androidDeviceIniLoad(next.devId, next.connector);
    }
}
