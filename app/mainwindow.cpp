#include "app/mainwindow.h"

#include "ui_mainwindow.h"

#include "app/aboutusform.h"
#include "app/modal.h"
#include "app/platform.h"
#include "app/productinfo.h"
#include "app/stylesheet.h"
#include "app/taskactivity.h"

#include <QHeaderView>
#include <QLabel>
#include <QUrl>

namespace {

const QString homePage = QString::fromLatin1(productinfo::homePage);
const QString helpPage = homePage + QStringLiteral("help/");
const QString feedbackPage = homePage + QStringLiteral("support/");

// The tool tip of a tool bar button: its text and, when it has one, its shortcut.
void setToolTipFromText(QAction *action)
{
    const QString shortcut = action->shortcut().toString(QKeySequence::NativeText);
    action->setToolTip(shortcut.isEmpty() ? action->text() : QStringLiteral("%1 (%2)").arg(action->text(), shortcut));
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::MainWindow>())
{
    ui->setupUi(this);
    setStyleSheet(StyleSheet::application());
    ui->treeMain->setModel(&m_mainTree);
    ui->treeContacts->setModel(&m_contacts);
    m_contacts.setSourceInUse([] { return TaskActivity::instance().isBusy(); });
    // Every row is 25 pixels high: the view need not ask each row.
    ui->treeContacts->setUniformRowHeights(true);
    // A click on a column header sorts the list by that column, a second
    // click the other way round; the list starts in the order it was read.
    ui->treeContacts->header()->setSortIndicator(-1, Qt::AscendingOrder);
    ui->treeContacts->setSortingEnabled(true);
    ui->splitter->installEventFilter(this);
    connect(ui->splitter, &QSplitter::splitterMoved, this, &MainWindow::rememberUserPanes);
    ui->lbDisplayKeyword->setTextFormat(Qt::PlainText);
    ui->lbDisplayKeyword->hide();
    setWindowTitle(QCoreApplication::translate("QObject", "Quillmarrow"));

    connect(ui->treeMain, &MyTreeView::onSelectionChanged, this, &MainWindow::onMainTreeItemSelected);
    connect(ui->treeMain, &QAbstractItemView::clicked, this, &MainWindow::onMainTreeItemClicked);
    connect(ui->treeMain, &MyTreeView::createContextMenu, this, &MainWindow::treeCreateContextMenu);
    connect(ui->treeContacts, &MyTreeView::createContextMenu, this, &MainWindow::contactCreateContextMenu);
    connect(ui->treeContacts, &MyTreeView::onSelectionChanged, this, &MainWindow::onContactsTreeItemSelected);
    connect(ui->treeContacts, &QAbstractItemView::doubleClicked, this, &MainWindow::onContactsTreeItemDoubleClicked);
    connect(ui->btnSearch, &QToolButton::pressed, this, &MainWindow::onBtnSearchPressed);
    connect(ui->txtKeyword, &QLineEdit::returnPressed, this, &MainWindow::onBtnSearchPressed);

    addStatusBarLink();
    buildMenusAndToolBar();
    startPhones();
    setTabOrders();

    loadLocalDbs();
    ui->treeMain->expandAll();
}

MainWindow::~MainWindow()
{
    // The models go before the views: no selection change may reach a slot
    // of a window that is half gone.
    ui->splitter->removeEventFilter(this);
    ui->treeMain->disconnect(this);
    ui->treeContacts->disconnect(this);
    ui->treeMain->setModel(nullptr);
    ui->treeContacts->setModel(nullptr);
}

void MainWindow::addStatusBarLink()
{
    auto *link = new QLabel(QStringLiteral("<a href=\"%1\">quillmarrow.example</a>").arg(homePage), this);
    link->setObjectName(QStringLiteral("lbHomePage"));
    link->setTextFormat(Qt::RichText);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(link, &QLabel::linkActivated, this, [](const QString &target) { platform::openWebPage(QUrl(target)); });
    ui->statusBar->addPermanentWidget(link);
}

void MainWindow::buildMenusAndToolBar()
{
    auto makeAction = [this](const char *name, const QString &text, const QString &icon, void (MainWindow::*slot)(),
                             bool enabled) {
        auto *action = new QAction(text, this);
        action->setObjectName(QLatin1String(name));
        if (!icon.isEmpty())
            action->setIcon(QIcon(icon));
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };

    QMenu *file = ui->menuBar->addMenu(tr("File"));
    file->setObjectName(QStringLiteral("menuFile"));
    m_actBackup = makeAction("actBackup", tr("IDS_MI_BACKUP_CONTACTS"), QStringLiteral(":res/backup.png"),
                             &MainWindow::miFileBackup, false);
    file->addAction(m_actBackup);
    QMenu *phoneToPhone = file->addMenu(tr("IDS_MI_PHONE_TO_PHONE"));
    phoneToPhone->setObjectName(QStringLiteral("menuPhoneToPhone"));
    m_actA2A = makeAction("actA2A", tr("IDS_MI_TRANSFER_TO_OTHER_ANDROID_FROM_ANDROID"),
                          QStringLiteral(":res/a2a.png"), &MainWindow::miFileA2A, false);
    phoneToPhone->addAction(m_actA2A);
    m_actDB2A = makeAction("actDB2A", tr("IDS_MI_TRANSFER_TO_ANDROID_FROM_LOCALDB"), QStringLiteral(":res/db2a.png"),
                           &MainWindow::miFileDB2A, false);
    file->addAction(m_actDB2A);
    file->addSeparator();
    m_actExport = makeAction("actExport", tr("IDS_MI_EXPORT_CONTACTS"), QStringLiteral(":res/export.png"),
                             &MainWindow::miFileExport, false);
    file->addAction(m_actExport);
    m_actPrint = makeAction("actPrint", tr("IDS_MI_PRINT_CONTACTS"), QStringLiteral(":res/print.png"),
                            &MainWindow::miFilePrint, false);
    m_actPrint->setShortcut(QKeySequence(QStringLiteral("Ctrl+P")));
    file->addAction(m_actPrint);
    m_actNewContact = makeAction("actNewContact", tr("IDS_MI_NEW_CONTACT"), QStringLiteral(":res/new_ct.png"),
                                 &MainWindow::miNewContact, false);
    m_actNewContact->setShortcut(QKeySequence(QStringLiteral("Ctrl+N")));
    file->addAction(m_actNewContact);
    QMenu *import = file->addMenu(tr("IDS_MI_IMPORT"));
    import->setObjectName(QStringLiteral("menuImport"));
    m_actImport = makeAction("actImport", tr("IDS_MI_IMPORT_FROM_FILE"), QStringLiteral(":res/import.png"),
                             &MainWindow::miImport, true);
    import->addAction(m_actImport);
    m_actDelete = makeAction("actDelete", tr("IDS_MI_DEL_CONTACTS"), QStringLiteral(":res/del.png"),
                             &MainWindow::miFileDelete, false);
    m_actDelete->setShortcut(QKeySequence(QStringLiteral("Del")));
    file->addAction(m_actDelete);
    file->addSeparator();
    file->addAction(makeAction("actOpenFolder", tr("IDS_MI_OPEN_LOCALDB_FOLDER"),
                               QStringLiteral(":res/open_db_folder.png"), &MainWindow::miOpenFolder, true));
    QAction *exit = new QAction(QIcon(QStringLiteral(":res/exit.png")), tr("Exit"), this);
    exit->setObjectName(QStringLiteral("actExit"));
    exit->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    connect(exit, &QAction::triggered, this, &QWidget::close);
    file->addAction(exit);

    QMenu *tools = ui->menuBar->addMenu(tr("Tools"));
    tools->setObjectName(QStringLiteral("menuTools"));
    QAction *find = makeAction("actFind", tr("IDS_MI_FIND"), QString(), &MainWindow::findContacts, true);
    find->setShortcut(QKeySequence(QStringLiteral("Ctrl+F")));
    tools->addAction(find);
    QAction *refresh = makeAction("actRefresh", tr("IDS_MI_REFRESH"), QString(), &MainWindow::refreshContacts, true);
    refresh->setShortcut(QKeySequence(QStringLiteral("F5")));
    tools->addAction(refresh);
    tools->addSeparator();
    tools->addAction(makeAction("actCheckForUpdate", tr("IDS_MI_CHECK_FOR_UPDATE"), QString(),
                                &MainWindow::miToolsCheckForUpdate, true));
    tools->addAction(makeAction("actConnectViaWiFi", tr("IDS_MI_CONNECT_ANDROID_VIA_WIFI"), QString(),
                                &MainWindow::miToolsConnectViaWiFi, true));

    QMenu *help = ui->menuBar->addMenu(tr("Help"));
    help->setObjectName(QStringLiteral("menuHelp"));
    help->addAction(
        makeAction("actHelp", tr("IDS_MI_HELP"), QStringLiteral(":res/help.png"), &MainWindow::miHelpHelp, true));
    help->addAction(makeAction("actFeedback", tr("IDS_MI_FEEDBACK"), QString(), &MainWindow::miHelpFeedback, true));
    help->addAction(makeAction("actAbout", tr("IDS_MI_ABOUT"), QString(), &MainWindow::miHelpAbout, true));

    ui->toolBar->addAction(m_actBackup);
    ui->toolBar->addAction(m_actA2A);
    ui->toolBar->addAction(m_actDB2A);
    ui->toolBar->addSeparator();
    ui->toolBar->addAction(m_actExport);
    ui->toolBar->addAction(m_actPrint);
    ui->toolBar->addAction(m_actNewContact);
    ui->toolBar->addAction(m_actImport);
    ui->toolBar->addAction(m_actDelete);
    for (QAction *action : ui->toolBar->actions()) {
        if (!action->isSeparator())
            setToolTipFromText(action);
    }
}

void MainWindow::setTabOrders()
{
    // Left to right through the panes, the way they are read.
    setTabOrder(ui->treeMain, ui->txtKeyword);
    setTabOrder(ui->txtKeyword, ui->btnSearch);
    setTabOrder(ui->btnSearch, ui->treeContacts);
    setTabOrder(ui->treeContacts, ui->wdContactInfo);
}

void MainWindow::miToolsCheckForUpdate()
{
    // The release page tells what is new; the program itself never goes
    // online to find out.
    platform::openWebPage(QUrl(QString::fromLatin1(productinfo::releasesPage)));
}

void MainWindow::miHelpHelp()
{
    platform::openWebPage(QUrl(helpPage));
}

void MainWindow::miHelpFeedback()
{
    platform::openWebPage(QUrl(feedbackPage));
}

void MainWindow::miHelpAbout()
{
    AboutUsForm about(this);
    modal::execDialog(about);
}
