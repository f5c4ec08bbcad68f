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

class AndroidMonitor;

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
    // (mainwindow_selection.cpp). `source`: the database the list was read
    // from, which the card and the commands load whole contacts from.
    void showContacts(QList<Contact> contacts, const std::shared_ptr<LocalDb> &source = {});

    // The process-wide device monitor, made by the first window; nullptr
    // before that and after that window is gone.
    [[nodiscard]] static AndroidMonitor *deviceMonitor();
    // The folder of the phones' cache databases.
    [[nodiscard]] static QString phoneCacheFolder();
    // Window size, position and pane sizes between runs (mainwindow_layout.cpp).
    // restoreLayout() takes them from the user's settings, returns whether
    // there were any, and from then on the window saves them when it closes.
    bool restoreLayout();
    void saveLayout() const;

    // How the connector of a USB phone is made (mainwindow_phones.cpp): by
    // default a UsbPhoneConnector, which uses the agent only when the build
    // carries a real agent package and the phone bridge otherwise. Applies
    // to phones that arrive after the call (the monitor's first report is
    // queued, so a call right after construction covers every USB phone).
    using UsbConnectorFactory = std::function<PAndroidConnector(const QString &serial)>;
    void setUsbConnectorFactory(UsbConnectorFactory factory);

public slots:
    // Phones coming and going (mainwindow_phones.cpp).
    void androidDeviceUSBConnected(const QString &devId);
    void androidDeviceIniLoad(const QString &devId, const PAndroidConnector &connector);
    void androidDeviceDisconnected(const QString &devId);
    // A phone adb lists but may not use yet (unauthorized, no permissions):
    // the status bar says what to do on the phone or the computer.
    void androidDeviceWaiting(const QString &devId, const QString &state);

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
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Phones (mainwindow_phones.cpp): the device monitor and the offline
    // phones at start-up; loads asked for while a job runs wait for it.
    struct PendingPhoneLoad
    {
        QString devId;
        PAndroidConnector connector;
    };
    void startPhones();
    void loadOfflinePhones();
    void showDeviceNode(ItemModelMainTree::_DBItemNode *node);
    void onTasksIdle();

    void addStatusBarLink();
    void buildMenusAndToolBar();
    void setTabOrders();

    // Pane and column sizes for the window's present width (mainwindow_layout.cpp).
    void applyPaneSizes();
    void rememberUserPanes();
    // Tools > Find Contacts and Refresh (mainwindow_layout.cpp).
    void findContacts();
    void refreshContacts();

    // The source tree (mainwindow_tree.cpp): the local databases of the data
    // folder, oldest first, and the node the tree's current index stands for.
    void loadLocalDbs();
    [[nodiscard]] ItemModelMainTree::Selection currentTreeSelection() const;

    // Shared by the commands (mainwindow_commands.cpp). selectedContacts:
    // the whole contacts of the selected list rows, in selection order
    // (throws what the database throws);
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

    // Phone loading (mainwindow_phones.cpp).
    UsbConnectorFactory m_usbConnectorFactory;
    QString m_waitingDevId; // the phone whose hint the status bar shows
    QList<PendingPhoneLoad> m_pendingPhoneLoads;
    bool m_phoneLoading = false;
    QString m_loadingDevId;
    bool m_loadedPhoneLeft = false;   // the phone being loaded was unplugged
    // The current node changed while a job ran: its contacts are listed
    // once the job has ended.
    bool m_contactsStale = false;
    // Pane sizes the user chose by dragging a splitter handle, now or in an
    // earlier run: the tree keeps its width and the list and the card share
    // the rest in the chosen proportion. Without one, the panes follow the
    // fixed rule.
    bool m_userPanes = false;
    int m_userTreeWidth = 0;
    double m_userListShare = 0.5;
    bool m_saveLayoutOnClose = false;
};

#endif
