#ifndef APP_MAINWINDOW_H
#define APP_MAINWINDOW_H

#include "app/itemmodelcontacts.h"
#include "android/iandroidconnector.h"
#include "app/itemmodelmaintree.h"

#include <QItemSelection>
#include <QMainWindow>
#include <QModelIndex>

#include <functional>
#include <memory>

namespace Ui {
class MainWindow;
}
class AndroidSendChangesThread;
class CommandTarget;
class QAction;
class QLabel;

// The main window: source tree on the left, contact list with its search row
// in the middle, contact card on the right; menus, tool bar and status bar.
// The commands live in the mainwindow_*.cpp files, one file per group.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Shows a list of contacts with its count and makes the first row current
    // (mainwindow_selection.cpp).
    void showContacts(QList<Contact> contacts);

public slots:
    // Phones coming and going (mainwindow_phones.cpp).
    void androidDeviceUSBConnected(const QString &devId);
    void androidDeviceIniLoad(const QString &devId, const PAndroidConnector &connector);
    void androidDeviceDisconnected(const QString &devId);

    // Selection and search (mainwindow_selection.cpp).
    void onMainTreeItemSelected(const QItemSelection &selected, const QItemSelection &deselected);
    void onMainTreeItemClicked(const QModelIndex &index);
    void onContactsTreeItemSelected(const QItemSelection &selected, const QItemSelection &deselected);
    void onContactsTreeItemDoubleClicked(const QModelIndex &index);
    void onBtnSearchPressed();

    // Context menus and the commands that copy contacts (mainwindow_commands.cpp).
    void treeCreateContextMenu();
    void contactCreateContextMenu();
    void miContactExport();
    void miContactPrint();
    void miContactBackup();
    void miContactA2A();
    void miContactDB2A();

    // Commands that change contacts (mainwindow_edits.cpp).
    void miNewContact();
    void miContactEdit();
    void miContactDel();
    void miContactSetGroup();

    void miOpenFolder();
    void miImport();
    void miTreeExport();
    void miTreePrint();
    void miTreeBackup();
    void miTreeUnmount();
    void miTreeA2A();
    void miTreeDB2A();
    void miTreeDel();

    void miFileBackup();
    void miFileExport();
    void miFilePrint();
    void miFileDelete();
    void miFileA2A();
    void miFileDB2A();

    void miToolsConnectViaWiFi();

    // Periphery (mainwindow.cpp).
    void miToolsCheckForUpdate();
    void miHelpHelp();
    void miHelpFeedback();
    void miHelpAbout();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void addStatusBarLink();
    void buildMenusAndToolBar();

    // The source tree (mainwindow_tree.cpp): the local databases of the data
    // folder, oldest first, and the node the tree's current index stands for.
    void loadLocalDbs();
    [[nodiscard]] ItemModelMainTree::Selection currentTreeSelection() const;

    // Shared by the commands (mainwindow_commands.cpp). selectedContacts:
    // copies of the contacts of the selected list rows, in selection order;
    // nodeContacts: the contacts of the current database node, or of its
    // current group (throws what the database throws); reloadPhone: reads a
    // phone again, replacing its node.
    [[nodiscard]] QList<Contact> selectedContacts() const;
    [[nodiscard]] QList<Contact> nodeContacts();
    void reloadPhone(ItemModelMainTree::_DBItemNode *node);
    // Runs one command, showing the error box for any exception it throws.
    void runCommand(const std::function<void()> &command);

    // The commands that copy contacts (mainwindow_transfer.cpp and
    // mainwindow_files.cpp).
    ItemModelMainTree::_DBItemNode *chooseLocalDb(const QString &suggestedName);
    // After a job filled a database: the node that holds it (if it is still
    // in the tree) gets its groups again, is expanded and made current, and
    // the list shows its contacts, also when it was current already.
    void showDatabaseNode(const std::shared_ptr<LocalDb> &db);
    void backupContacts(const QList<Contact> &contacts, const QString &suggestedName);
    void transferContacts(const QList<Contact> &contacts, const QString &excludedDeviceId);
    void exportContacts(const QList<Contact> &contacts);
    void exportPdf(const QList<Contact> &contacts, const QString &fileName);
    void printContacts(const QList<Contact> &contacts);

    // Selection and search (mainwindow_selection.cpp).
    void updateActionsForSelection(const ItemModelMainTree::Selection &selection);
    void loadContactsForSelection(const ItemModelMainTree::Selection &selection);
    void showNoContacts();
    // Leaves the source tree without a current node and without a selection.
    void clearTreeSelection();

    // Commands that change contacts (mainwindow_edits.cpp). `row` is the
    // contact's row in the list, -1 for a new contact.
    void editContact(const Contact &contact, int row);
    // False when the deletion failed or was not sent (the phone is then
    // read again).
    bool deleteContacts(const CommandTarget &target, const QList<Contact> &contacts);
    // Runs the change job on the target phone under a progress form.
    bool sendToPhone(const CommandTarget &target, const std::function<void(AndroidSendChangesThread &)> &setUp);
    void reloadPhoneOf(const CommandTarget &target);
    [[nodiscard]] bool listShows(const CommandTarget &target) const;
    // Reloads the groups of the target's node, expands it and makes it current.
    void showDbNode(const CommandTarget &target);

    std::unique_ptr<Ui::MainWindow> ui;

    // The models behind treeMain and treeContacts.
    ItemModelMainTree m_mainTree;
    ItemModelContacts m_contacts;

    // The eight actions that the selection rules switch or the tool bar shows.
    QAction *m_actBackup = nullptr;
    QAction *m_actA2A = nullptr;
    QAction *m_actDB2A = nullptr;
    QAction *m_actExport = nullptr;
    QAction *m_actPrint = nullptr;
    QAction *m_actNewContact = nullptr;
    QAction *m_actImport = nullptr;
    QAction *m_actDelete = nullptr;
};

#endif
