// The main window frame: widgets and their settings, menus and tool bar with
// their start-up states, the resize rule and the two tree view signals.
#include "app/contactdisplayer.h"
#include "app/mainwindow.h"
#include "app/modalanswers.h"
#include "app/mytreeview.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QSplitter>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTranslator>
#include <QVBoxLayout>

namespace {

QString describe(QAction *action)
{
    if (action->isSeparator())
        return QStringLiteral("|");
    if (action->menu())
        return action->menu()->objectName();
    return action->objectName();
}

QStringList describe(const QList<QAction *> &actions)
{
    QStringList out;
    for (QAction *action : actions)
        out << describe(action);
    return out;
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void widgets_data();
    void widgets();
    void layoutSettings();
    void actions_data();
    void actions();
    void menuStructure();
    void toolBar();
    void statusBarLink();
    void resizeRule_data();
    void resizeRule();
    void startsMaximizedAndExitCloses();
    void treeViewSignals();
    void connectViaWiFiShowsTheDialog();

private:
    template <typename T>
    T *find(const char *name)
    {
        return m_window->findChild<T *>(QLatin1String(name));
    }

    QTemporaryDir m_home;
    QTranslator m_translator;
    std::unique_ptr<ModalAnswers> m_answers;
    std::unique_ptr<MainWindow> m_window;
};

void MainWindowTest::initTestCase()
{
    // The window must never look at the real user's data folder.
    QVERIFY(m_home.isValid());
    qputenv("HOME", m_home.path().toUtf8());
    qunsetenv("XDG_DATA_HOME");
    QVERIFY(m_translator.load(QStringLiteral(":/en.qm")));
    QCoreApplication::installTranslator(&m_translator);
}

void MainWindowTest::init()
{
    m_answers = std::make_unique<ModalAnswers>();
    m_window = std::make_unique<MainWindow>();
}

void MainWindowTest::cleanup()
{
    m_window.reset();
    QVERIFY2(m_answers->problems().isEmpty(), qPrintable(m_answers->problems().join(u'\n')));
    m_answers.reset();
}

void MainWindowTest::widgets_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName");
    QTest::newRow("centralWidget") << "centralWidget" << "QWidget" << "MainWindow";
    QTest::newRow("splitter") << "splitter" << "QSplitter" << "centralWidget";
    QTest::newRow("treeMain") << "treeMain" << "MyTreeView" << "splitter";
    QTest::newRow("widget_2") << "widget_2" << "QWidget" << "splitter";
    QTest::newRow("widget") << "widget" << "QWidget" << "widget_2";
    QTest::newRow("txtKeyword") << "txtKeyword" << "QLineEdit" << "widget";
    QTest::newRow("btnSearch") << "btnSearch" << "QToolButton" << "widget";
    QTest::newRow("lbDisplayKeyword") << "lbDisplayKeyword" << "QLabel" << "widget_2";
    QTest::newRow("treeContacts") << "treeContacts" << "MyTreeView" << "widget_2";
    QTest::newRow("lbTotal") << "lbTotal" << "QLabel" << "widget_2";
    QTest::newRow("wdContactInfo") << "wdContactInfo" << "ContactDisplayer" << "splitter";
    QTest::newRow("menuBar") << "menuBar" << "QMenuBar" << "MainWindow";
    QTest::newRow("statusBar") << "statusBar" << "QStatusBar" << "MainWindow";
    QTest::newRow("toolBar") << "toolBar" << "QToolBar" << "MainWindow";
}

void MainWindowTest::widgets()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, parentName);
    auto *widget = m_window->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
    QVERIFY(widget->parentWidget());
    QCOMPARE(widget->parentWidget()->objectName(), parentName);
}

void MainWindowTest::layoutSettings()
{
    QCOMPARE(m_window->objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Quillmarrow"));
    QVERIFY(m_window->styleSheet().contains(QStringLiteral("#MainWindow")));

    auto *central = find<QWidget>("centralWidget");
    auto *outer = qobject_cast<QVBoxLayout *>(central->layout());
    QVERIFY(outer);
    QCOMPARE(outer->objectName(), QStringLiteral("verticalLayout_2"));
    QCOMPARE(outer->spacing(), 2);
    QCOMPARE(outer->contentsMargins(), QMargins());
    QCOMPARE(outer->count(), 1);

    auto *splitter = find<QSplitter>("splitter");
    QCOMPARE(splitter->orientation(), Qt::Horizontal);
    QCOMPARE(splitter->handleWidth(), 1);
    QVERIFY(!splitter->childrenCollapsible());
    QCOMPARE(splitter->count(), 3);
    QCOMPARE(splitter->widget(0)->objectName(), QStringLiteral("treeMain"));
    QCOMPARE(splitter->widget(1)->objectName(), QStringLiteral("widget_2"));
    QCOMPARE(splitter->widget(2)->objectName(), QStringLiteral("wdContactInfo"));

    auto *treeMain = find<MyTreeView>("treeMain");
    QCOMPARE(treeMain->selectionMode(), QAbstractItemView::SingleSelection);
    QVERIFY(treeMain->header()->isHidden());

    auto *middle = qobject_cast<QVBoxLayout *>(find<QWidget>("widget_2")->layout());
    QVERIFY(middle);
    QCOMPARE(middle->objectName(), QStringLiteral("verticalLayout"));
    QCOMPARE(middle->spacing(), 0);
    QCOMPARE(middle->contentsMargins(), QMargins());
    QStringList order;
    for (int i = 0; i < middle->count(); ++i)
        order << middle->itemAt(i)->widget()->objectName();
    QCOMPARE(order, (QStringList{"widget", "lbDisplayKeyword", "treeContacts", "lbTotal"}));

    auto *search = find<QWidget>("widget")->layout();
    QCOMPARE(search->objectName(), QStringLiteral("horizontalLayout"));
    QCOMPARE(search->spacing(), 0);
    QCOMPARE(search->contentsMargins(), QMargins());
    QCOMPARE(search->itemAt(0)->widget()->objectName(), QStringLiteral("txtKeyword"));
    QCOMPARE(search->itemAt(1)->widget()->objectName(), QStringLiteral("btnSearch"));
    auto *btnSearch = find<QToolButton>("btnSearch");
    QCOMPARE(btnSearch->text(), QStringLiteral("..."));
    QVERIFY(!btnSearch->icon().isNull());

    auto *banner = find<QLabel>("lbDisplayKeyword");
    QVERIFY(banner->isHidden());
    QVERIFY(banner->wordWrap());
    QCOMPARE(banner->styleSheet(), QStringLiteral("background-color:#FFFFDE;\npadding:2px 10px;"));

    auto *contacts = find<MyTreeView>("treeContacts");
    QCOMPARE(contacts->selectionMode(), QAbstractItemView::ExtendedSelection);
    QCOMPARE(contacts->indentation(), 0);

    auto *total = find<QLabel>("lbTotal");
    QCOMPARE(total->text(), QStringLiteral("Total:0"));
    // The form asks for 25 x 25; the style sheet's border may add to the height.
    QCOMPARE(total->minimumWidth(), 25);
    QVERIFY(total->minimumHeight() >= 25);
    QCOMPARE(total->styleSheet(), QStringLiteral("border-top:none;"));
    QCOMPARE(total->alignment(), Qt::AlignRight | Qt::AlignVCenter);

    auto *card = find<ContactDisplayer>("wdContactInfo");
    QCOMPARE(card->styleSheet(), QStringLiteral("background-color:#F1F5FB;"));
    QCOMPARE(card->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QVERIFY(card->widget());

    QCOMPARE(find<QStatusBar>("statusBar")->styleSheet(), QStringLiteral("QStatusBar::item{border: 0px}"));
    auto *toolBar = find<QToolBar>("toolBar");
    QCOMPARE(m_window->toolBarArea(toolBar), Qt::TopToolBarArea);
    QVERIFY(!toolBar->isMovable());
    QVERIFY(!toolBar->isFloatable());
    QCOMPARE(toolBar->allowedAreas(), Qt::TopToolBarArea);
    QCOMPARE(toolBar->iconSize(), QSize(58, 58));
}

void MainWindowTest::actions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("backup") << "actBackup" << "Backup Contacts" << ":res/backup.png" << "" << false;
    QTest::newRow("a2a") << "actA2A" << "Android to Android" << ":res/a2a.png" << "" << false;
    QTest::newRow("db2a") << "actDB2A" << "Restore Contacts to Android" << ":res/db2a.png" << "" << false;
    QTest::newRow("export") << "actExport" << "Export Contacts to File" << ":res/export.png" << "" << false;
    QTest::newRow("print") << "actPrint" << "Print Contacts" << ":res/print.png" << "Ctrl+P" << false;
    QTest::newRow("new contact") << "actNewContact" << "Add Contact" << ":res/new_ct.png" << "Ctrl+N" << false;
    QTest::newRow("import") << "actImport" << "Import from File" << ":res/import.png" << "" << true;
    QTest::newRow("delete") << "actDelete" << "Delete Contact" << ":res/del.png" << "Del" << false;
    QTest::newRow("open folder") << "actOpenFolder" << "Open Database Folder" << ":res/open_db_folder.png" << ""
                                 << true;
    QTest::newRow("exit") << "actExit" << "Exit" << ":res/exit.png" << "Ctrl+Q" << true;
    QTest::newRow("find") << "actFind" << "Find Contacts" << "" << "Ctrl+F" << true;
    QTest::newRow("refresh") << "actRefresh" << "Refresh" << "" << "F5" << true;
    QTest::newRow("check update") << "actCheckForUpdate" << "Check update" << "" << "" << true;
    QTest::newRow("wifi") << "actConnectViaWiFi" << "Connect Android Phone via WiFi" << "" << "" << true;
    QTest::newRow("help") << "actHelp" << "Help" << ":res/help.png" << "" << true;
    QTest::newRow("feedback") << "actFeedback" << "Feedback and support" << "" << "" << true;
    QTest::newRow("about") << "actAbout" << "About" << "" << "" << true;
}

void MainWindowTest::actions()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, icon);
    QFETCH(QString, shortcut);
    QFETCH(bool, enabled);
    auto *action = m_window->findChild<QAction *>(name);
    QVERIFY(action);
    QCOMPARE(action->text(), text);
    QCOMPARE(action->isEnabled(), enabled);
    QCOMPARE(action->shortcut(), QKeySequence(shortcut));
    if (icon.isEmpty()) {
        QVERIFY(action->icon().isNull());
    } else {
        QVERIFY2(QFile::exists(icon), qPrintable(icon));
        const QImage expected = QIcon(icon).pixmap(58, 58).toImage();
        QVERIFY(!expected.isNull());
        QCOMPARE(action->icon().pixmap(58, 58).toImage(), expected);
    }
}

void MainWindowTest::menuStructure()
{
    auto *menuBar = find<QMenuBar>("menuBar");
    QCOMPARE(describe(menuBar->actions()), (QStringList{"menuFile", "menuTools", "menuHelp"}));
    QStringList titles;
    for (QAction *action : menuBar->actions())
        titles << action->text();
    QCOMPARE(titles, (QStringList{"File", "Tools", "Help"}));

    QCOMPARE(describe(find<QMenu>("menuFile")->actions()),
             (QStringList{"actBackup", "menuPhoneToPhone", "actDB2A", "|", "actExport", "actPrint", "actNewContact",
                          "menuImport", "actDelete", "|", "actOpenFolder", "actExit"}));
    QCOMPARE(find<QMenu>("menuPhoneToPhone")->title(), QStringLiteral("Phone to Phone Transfer"));
    QCOMPARE(describe(find<QMenu>("menuPhoneToPhone")->actions()), QStringList{"actA2A"});
    QCOMPARE(find<QMenu>("menuImport")->title(), QStringLiteral("Import"));
    QCOMPARE(describe(find<QMenu>("menuImport")->actions()), QStringList{"actImport"});
    QCOMPARE(describe(find<QMenu>("menuTools")->actions()),
             (QStringList{"actFind", "actRefresh", "|", "actCheckForUpdate", "actConnectViaWiFi"}));
    QCOMPARE(describe(find<QMenu>("menuHelp")->actions()), (QStringList{"actHelp", "actFeedback", "actAbout"}));
}

void MainWindowTest::toolBar()
{
    QCOMPARE(describe(find<QToolBar>("toolBar")->actions()),
             (QStringList{"actBackup", "actA2A", "actDB2A", "|", "actExport", "actPrint", "actNewContact",
                          "actImport", "actDelete"}));
}

void MainWindowTest::statusBarLink()
{
    auto *link = find<QLabel>("lbHomePage");
    QVERIFY(link);
    QCOMPARE(link->parentWidget(), find<QStatusBar>("statusBar"));
    QCOMPARE(link->textFormat(), Qt::RichText);
    QVERIFY(link->text().contains(QStringLiteral("<a href=\"https://")));
}

void MainWindowTest::resizeRule_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<int>>("sizes");
    QTest::addColumn<QList<int>>("columns");
    QTest::newRow("1000") << 1000 << QList<int>{220, 390, 390} << QList<int>{146, 73, 73, 73};
    QTest::newRow("1280") << 1280 << QList<int>{220, 530, 530} << QList<int>{202, 101, 101, 101};
    QTest::newRow("odd width") << 1001 << QList<int>{220, 390, 390} << QList<int>{146, 73, 73, 73};
}

void MainWindowTest::resizeRule()
{
    QFETCH(int, width);
    QFETCH(QList<int>, sizes);
    QFETCH(QList<int>, columns);
    // Column widths need columns: a four-column model stands in for the list's.
    QStandardItemModel model(0, 4);
    auto *contacts = find<MyTreeView>("treeContacts");
    contacts->setModel(&model);
    // The last column would otherwise stretch to the pane's edge.
    contacts->header()->setStretchLastSection(false);
    auto *splitter = find<QSplitter>("splitter");
    m_window->resize(width, 600);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    // The splitter also loses a pixel per handle, so compare what it was asked
    // for through the tree's width and the two shares it gives the others.
    const QList<int> actual = splitter->sizes();
    QCOMPARE(actual.value(0), sizes.value(0));
    QVERIFY2(qAbs(actual.value(1) - sizes.value(1)) <= 1 && qAbs(actual.value(2) - sizes.value(2)) <= 1,
             qPrintable(QStringLiteral("%1 %2").arg(actual.value(1)).arg(actual.value(2))));
    QList<int> widths;
    for (int column = 0; column < 4; ++column)
        widths << contacts->columnWidth(column);
    QCOMPARE(widths, columns);
    contacts->setModel(nullptr);
}

void MainWindowTest::startsMaximizedAndExitCloses()
{
    m_window->showMaximized();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QVERIFY(m_window->isMaximized());
    m_window->findChild<QAction *>(QStringLiteral("actExit"))->trigger();
    QVERIFY(!m_window->isVisible());
}

void MainWindowTest::treeViewSignals()
{
    MyTreeView view;
    QStandardItemModel model(3, 1);
    view.setModel(&model);
    QStringList events;
    connect(&view, &MyTreeView::onSelectionChanged, this,
            [&events, &view](const QItemSelection &selected, const QItemSelection &) {
                // Emitted before the base class handles the change.
                events << QStringLiteral("selected %1 (current selection %2)")
                              .arg(selected.indexes().value(0).row())
                              .arg(view.selectionModel()->selectedIndexes().size());
            });
    connect(&view, &MyTreeView::createContextMenu, this, [&events] { events << QStringLiteral("menu"); });
    view.selectionModel()->select(model.index(1, 0), QItemSelectionModel::Select);
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5), view.viewport()->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(view.viewport(), &menuEvent);
    QCOMPARE(events, (QStringList{QStringLiteral("selected 1 (current selection 1)"), QStringLiteral("menu")}));
}

void MainWindowTest::connectViaWiFiShowsTheDialog()
{
    // Cancelling the dialog leaves the window as it was: no phone, no box.
    bool sawAddressBox = false;
    m_answers->answerDialog([&sawAddressBox](QDialog &dialog) {
        sawAddressBox = dialog.findChild<QLineEdit *>(QStringLiteral("txtWifiSocket")) != nullptr;
        return int(QDialog::Rejected);
    });
    auto *action = m_window->findChild<QAction *>(QStringLiteral("actConnectViaWiFi"));
    QVERIFY(action);
    action->trigger();
    QCOMPARE(m_answers->dialogs(), QStringList { QStringLiteral("AndroidWIFIForm") });
    QVERIFY(sawAddressBox);
    QVERIFY(m_answers->messageBoxes().isEmpty());
    QCOMPARE(m_answers->unusedAnswers(), 0);
}

QTEST_MAIN(MainWindowTest)
#include "mainwindowtest.moc"
