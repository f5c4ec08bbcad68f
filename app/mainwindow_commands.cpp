// Context menus, the File menu and tool bar dispatch between the selected
// contacts and the whole node, and the commands that need no job: opening
// the database folder, disconnecting and connecting phones.
#include "app/mainwindow.h"

#include "ui_mainwindow.h"

#include "android/androidcontactsdb.h"
#include "android/androidwificonnector.h"
#include "app/androidwifiform.h"
#include "app/messageboxes.h"
#include "app/modal.h"
#include "app/platform.h"
#include "app/stylesheet.h"
#include "contacts/localdb.h"

#include <QCursor>
#include <QDir>
#include <QHash>
#include <QMenu>

#include <exception>

using Node = ItemModelMainTree;

namespace {

using CommandSlot = void (MainWindow::*)();

// A context menu whose entries run window commands. The chosen entry is
// dispatched after the menu closes, so the command runs outside the menu's
// own event loop.
class CommandMenu
{
public:
    explicit CommandMenu(MainWindow *window)
        : m_window(window)
    {
        m_menu.setObjectName(QStringLiteral("contextMenu"));
        m_menu.setStyleSheet(StyleSheet::application());
    }

    // The action is named after the command it runs.
    void add(const QString &text, const char *icon, const char *name, CommandSlot slot, bool enabled = true)
    {
        QAction *action = m_menu.addAction(QIcon(QLatin1String(icon)), text);
        action->setObjectName(QLatin1String(name));
        action->setEnabled(enabled);
        m_commands.insert(action, slot);
    }
    void addSeparator() { m_menu.addSeparator(); }

    void exec()
    {
        QAction *chosen = modal::execMenu(m_menu, QCursor::pos());
        if (chosen && chosen->isEnabled() && m_commands.contains(chosen))
            (m_window->*m_commands.value(chosen))();
    }

private:
    MainWindow *m_window;
    QMenu m_menu;
    QHash<QAction *, CommandSlot> m_commands;
};

} // namespace

void MainWindow::runCommand(const std::function<void()> &command)
{
    try {
        command();
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
    }
}

QList<Contact> MainWindow::selectedContacts() const
{
    QList<Contact> contacts;
    for (const QModelIndex &row : ui->treeContacts->selectionModel()->selectedRows(ItemModelContacts::NameColumn)) {
        if (m_contacts.contactAt(row))
            contacts.append(m_contacts.fullContact(row));
    }
    return contacts;
}

QList<Contact> MainWindow::nodeContacts()
{
    const Node::Selection selection = currentTreeSelection();
    if (!selection.dbNode || !selection.dbNode->db)
        return {};
    const qint64 groupId = selection.groupNode ? selection.groupNode->group._id : 0;
    return selection.dbNode->db->searchContacts(groupId, QString());
}

void MainWindow::reloadPhone(Node::_DBItemNode *node)
{
    if (!node || !node->db)
        return;
    // Loading removes the node: keep what it is loaded with.
    const QString deviceId = node->deviceId;
    const auto phone = std::dynamic_pointer_cast<AndroidContactsDb>(node->db);
    const PAndroidConnector connector = phone ? phone->connector() : PAndroidConnector();
    node->db->close();
    if (connector)
        androidDeviceIniLoad(deviceId, connector);
}

void MainWindow::treeCreateContextMenu()
{
    const Node::Selection selection = currentTreeSelection();
    if (!selection.node)
        return;
    CommandMenu menu(this);
    if (selection.node->type == Node::LocalDbsRootNode) {
        menu.add(tr("IDS_MI_OPEN_LOCALDB_FOLDER"), ":res/open_db_folder.png", "miOpenFolder", &MainWindow::miOpenFolder);
        menu.add(tr("IDS_MI_IMPORT_FROM_FILE"), ":res/import.png", "miImport", &MainWindow::miImport);
    } else if (!selection.dbNode) {
        return;
    } else if (selection.dbNode->type == Node::DeviceNode) {
        const bool android = selection.dbNode->kind == Node::AndroidDevice;
        menu.add(tr("IDS_MI_BACKUP_CONTACTS"), ":res/backup.png", "miTreeBackup", &MainWindow::miTreeBackup);
        if (android)
            menu.add(tr("IDS_MI_TRANSFER_TO_OTHER_ANDROID_FROM_ANDROID"), ":res/a2a.png", "miTreeA2A",
                     &MainWindow::miTreeA2A, m_mainTree.countDevices(Node::AndroidDevice) > 1);
        menu.addSeparator();
        menu.add(tr("IDS_MI_EXPORT_CONTACTS"), ":res/export.png", "miTreeExport", &MainWindow::miTreeExport);
        menu.add(tr("IDS_MI_PRINT_CONTACTS"), ":res/print.png", "miTreePrint", &MainWindow::miTreePrint);
        if (android) {
            menu.add(tr("IDS_MI_NEW_CONTACT"), ":res/new_ct.png", "miNewContact", &MainWindow::miNewContact);
            menu.add(tr("IDS_MI_DEL_CONTACTS"), ":res/del.png", "miTreeDel", &MainWindow::miTreeDel);
        }
        menu.addSeparator();
        if (!selection.groupNode)
            menu.add(tr("IDS_MI_UNMOUNT_DEVICE"), ":res/unmount.png", "miTreeUnmount", &MainWindow::miTreeUnmount);
    } else {
        menu.add(tr("IDS_MI_TRANSFER_TO_ANDROID_FROM_LOCALDB"), ":res/db2a.png", "miTreeDB2A", &MainWindow::miTreeDB2A,
                 m_mainTree.countDevices(Node::AndroidDevice) > 0);
        menu.addSeparator();
        menu.add(tr("IDS_MI_EXPORT_CONTACTS"), ":res/export.png", "miTreeExport", &MainWindow::miTreeExport);
        menu.add(tr("IDS_MI_PRINT_CONTACTS"), ":res/print.png", "miTreePrint", &MainWindow::miTreePrint);
        menu.add(tr("IDS_MI_NEW_CONTACT"), ":res/new_ct.png", "miNewContact", &MainWindow::miNewContact);
        if (selection.groupNode)
            menu.add(tr("IDS_MI_DEL_CONTACTS"), ":res/del.png", "miTreeDel", &MainWindow::miTreeDel);
        else
            menu.add(tr("IDS_MI_REMOVE_LOCAL_DB"), ":res/del.png", "miTreeDel", &MainWindow::miTreeDel);
    }
    menu.exec();
}

void MainWindow::contactCreateContextMenu()
{
    const Node::Selection selection = currentTreeSelection();
    const qsizetype selected = ui->treeContacts->selectionModel()->selectedRows(ItemModelContacts::NameColumn).size();
    if (!selection.dbNode || selected == 0)
        return;
    const bool device = selection.dbNode->type == Node::DeviceNode;
    const bool android = device && selection.dbNode->kind == Node::AndroidDevice;
    const bool localDb = selection.dbNode->type == Node::LocalDbNode;
    const int androids = m_mainTree.countDevices(Node::AndroidDevice);
    CommandMenu menu(this);
    if (device) {
        menu.add(tr("IDS_MI_BACKUP_SELECTIONS"), ":res/backup.png", "miContactBackup", &MainWindow::miContactBackup);
        if (android)
            menu.add(tr("IDS_MI_TRANSFER_SELECTIONS_TO_OTHER_ANDROID_FROM_ANDROID"), ":res/a2a.png", "miContactA2A",
                     &MainWindow::miContactA2A, androids > 1);
    } else if (localDb) {
        menu.add(tr("IDS_MI_TRANSFER_SELECTIONS_TO_ANDROID_FROM_DB"), ":res/db2a.png", "miContactDB2A",
                 &MainWindow::miContactDB2A, androids > 0);
    }
    menu.addSeparator();
    menu.add(tr("IDS_MI_EXPORT_SELECTIONS"), ":res/export.png", "miContactExport", &MainWindow::miContactExport);
    menu.add(tr("IDS_MI_PRINT_SELECTIONS"), ":res/print.png", "miContactPrint", &MainWindow::miContactPrint);
    if (android || localDb) {
        menu.add(tr("IDS_MI_EDIT_CONTACT"), ":res/edit.png", "miContactEdit", &MainWindow::miContactEdit,
                 selected == 1);
        menu.add(tr("IDS_MI_SET_GROUP"), ":res/group.png", "miContactSetGroup", &MainWindow::miContactSetGroup);
        menu.add(tr("IDS_MI_DEL_SELECTIONS"), ":res/del.png", "miContactDel", &MainWindow::miContactDel);
    }
    menu.exec();
}

void MainWindow::miFileBackup()
{
    if (ui->treeContacts->selectionModel()->hasSelection())
        miContactBackup();
    else
        miTreeBackup();
}

void MainWindow::miFileA2A()
{
    if (ui->treeContacts->selectionModel()->hasSelection())
        miContactA2A();
    else
        miTreeA2A();
}

void MainWindow::miFileDB2A()
{
    if (ui->treeContacts->selectionModel()->hasSelection())
        miContactDB2A();
    else
        miTreeDB2A();
}

void MainWindow::miFileExport()
{
    if (ui->treeContacts->selectionModel()->hasSelection())
        miContactExport();
    else
        miTreeExport();
}

void MainWindow::miFilePrint()
{
    if (ui->treeContacts->selectionModel()->hasSelection())
        miContactPrint();
    else
        miTreePrint();
}

void MainWindow::miFileDelete()
{
    if (ui->treeContacts->selectionModel()->hasSelection())
        miContactDel();
    else
        miTreeDel();
}

void MainWindow::miOpenFolder()
{
    platform::openFolder(QDir(platform::localDbFolder()).absolutePath());
}

void MainWindow::miTreeUnmount()
{
    const Node::Selection selection = currentTreeSelection();
    if (!selection.dbNode || selection.dbNode->type != Node::DeviceNode)
        return;
    // A copy: removing the node frees the text the node holds.
    const QString deviceId = selection.dbNode->deviceId;
    m_mainTree.removeDevice(deviceId);
}

void MainWindow::miToolsConnectViaWiFi()
{
    runCommand([this] {
        std::shared_ptr<AndroidWifiConnector> wifi;
        {
            AndroidWIFIForm form(this);
            if (modal::execDialog(form) != QDialog::Accepted || !form.connector())
                return;
            wifi = form.connector();
        }
        const PAndroidConnector connector = wifi;
        const QString deviceId = wifi->deviceId();
        androidDeviceIniLoad(deviceId, connector);
    });
}
