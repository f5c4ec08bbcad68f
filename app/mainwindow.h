#ifndef APP_MAINWINDOW_H
#define APP_MAINWINDOW_H

#include <QItemSelection>
#include <QMainWindow>
#include <QModelIndex>

#include <memory>

namespace Ui {
class MainWindow;
}
class QAction;
class QLabel;
class IAndroidConnector;
// A phone's connector, shared by the window, the phone's tree node, its cache
// database and running jobs.
using PAndroidConnector = std::shared_ptr<IAndroidConnector>;

// The main window: source tree on the left, contact list with its search row
// in the middle, contact card on the right; menus, tool bar and status bar.
// The commands live in the mainwindow_*.cpp files, one file per group.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

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

    std::unique_ptr<Ui::MainWindow> ui;

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
