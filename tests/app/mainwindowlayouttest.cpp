// The window as a desktop program: pane and column sizes for the final window
// size whatever order the size changes come in, headers that stay apart,
// size and panes kept between runs, sorting by a column header, shortcuts,
// tool tips and tab order, the About box and the release page, read-only
// databases shown unchanged, and the German texts.
#include "app/aboutusform.h"
#include "app/itemmodelcontacts.h"
#include "app/itemmodelmaintree.h"
#include "app/mainwindow.h"
#include "app/modalanswers.h"
#include "app/mytreeview.h"
#include "app/platform.h"
#include "app/productinfo.h"
#include "app/uilanguage.h"
#include "contacts/localdb.h"
#include "contacts/localdbcombinerule.h"
#include "panetestutil.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTranslator>
#include <QUrl>

#include <sqlite3.h>

using namespace pim;
using panetest::contact;
using panetest::entity;

namespace {

Contact withPhone(const QString &name, const QString &phone)
{
    if (phone.isEmpty())
        return contact(name);
    return contact(name, {{ENTITY_PHONE, entity({{data1, phone}, {data2, QStringLiteral("2")}})}});
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void dropNameIndex(const QString &path)
{
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, "drop index if exists index_contacts_full_name_nocase", nullptr, nullptr, nullptr),
             SQLITE_OK);
    sqlite3_close(db);
}

} // namespace

// Takes the web pages the program opens instead of a browser.
class PageCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> pages;

public slots:
    void open(const QUrl &url) { pages << url; }
};

class MainWindowLayoutTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void panesFollowFinalWidth_data();
    void panesFollowFinalWidth();
    void headersStayApart_data();
    void headersStayApart();
    void layoutSurvivesRestart_data();
    void layoutSurvivesRestart();
    void headerClickSortsKeepingSelection();
    void shortcutsInMenus_data();
    void shortcutsInMenus();
    void toolTipsOnToolBar();
    void tabOrderReachesEveryControl();
    void findAndRefresh();
    void aboutBox();
    void checkUpdateOpensReleasePage();
    void readOnlyDatabaseShownUnchanged_data();
    void readOnlyDatabaseShownUnchanged();
    void germanWindow();

private:
    void settle();
    void checkPanesFor(int width);
    // A new window, shown, with the first local database selected.
    void openWindowOnFirstDatabase();
    template <typename T>
    T *find(const char *name) const
    {
        return m_window->findChild<T *>(QLatin1String(name));
    }
    [[nodiscard]] QStringList listed() const;

    QTemporaryDir m_home;
    QTemporaryDir m_settings;
    UiLanguage m_language;
    std::unique_ptr<ModalAnswers> m_answers;
    std::unique_ptr<MainWindow> m_window;
};

void MainWindowLayoutTest::initTestCase()
{
    QVERIFY(m_home.isValid() && m_settings.isValid());
    qputenv("HOME", m_home.path().toUtf8());
    qunsetenv("XDG_DATA_HOME");
    // The settings of these windows go to a folder of the test's own.
    QCoreApplication::setOrganizationName(QStringLiteral("QuillmarrowTest"));
    QCoreApplication::setApplicationName(QStringLiteral("QuillmarrowTest"));
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
    QVERIFY(m_language.install(QStringLiteral("en")));
}

void MainWindowLayoutTest::init()
{
    QSettings().clear();
    QDir(platform::localDbFolder()).removeRecursively();
    m_answers = std::make_unique<ModalAnswers>();
    m_window = std::make_unique<MainWindow>();
}

void MainWindowLayoutTest::cleanup()
{
    m_window.reset();
    QVERIFY2(m_answers->problems().isEmpty(), qPrintable(m_answers->problems().join(u'\n')));
    m_answers.reset();
}

void MainWindowLayoutTest::settle()
{
    // Posted layout requests and resizes run before the sizes are read.
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

void MainWindowLayoutTest::checkPanesFor(int width)
{
    const QList<int> sizes = find<QSplitter>("splitter")->sizes();
    const double x = (width - 220) * 0.5;
    // When the shares and handles exceed the width by a pixel, the splitter
    // may take it from any pane.
    QVERIFY2(qAbs(sizes.value(0) - 220) <= 1, qPrintable(QString::number(sizes.value(0))));
    // The splitter's own handles take a pixel from the two shares.
    QVERIFY2(qAbs(sizes.value(1) - int(x)) <= 1 && qAbs(sizes.value(2) - int(x)) <= 1,
             qPrintable(QStringLiteral("%1 %2 for width %3").arg(sizes.value(1)).arg(sizes.value(2)).arg(width)));
    auto *contacts = find<MyTreeView>("treeContacts");
    const int c = int(x - 23);
    // The rule's shares, but never narrower than the header text and its
    // 18 pixels of room; the last column also stretches to the list's edge.
    const QFontMetrics metrics(contacts->header()->font());
    const int shares[] = {int(c * 0.4), int(c * 0.2), int(c * 0.2), int(c * 0.2)};
    for (int column = 0; column < 4; ++column) {
        const QString title = contacts->model()->headerData(column, Qt::Horizontal).toString();
        const int expected = qMax(shares[column], metrics.horizontalAdvance(title) + 18);
        if (column < 3)
            QCOMPARE(contacts->columnWidth(column), expected);
        else
            QVERIFY(contacts->columnWidth(column) >= expected);
    }
}

void MainWindowLayoutTest::panesFollowFinalWidth_data()
{
    // Steps: "resize:W", "show", "maximize", "normal", and "pending", which
    // leaves the window's layout to run later, as happens when a window
    // manager's events arrive before the layout has caught up.
    QTest::addColumn<QStringList>("steps");
    QTest::newRow("resize, show") << QStringList{"resize:1000", "show"};
    QTest::newRow("show, then resize") << QStringList{"show", "resize:1400"};
    QTest::newRow("resize before the layout ran") << QStringList{"show", "pending", "resize:1400"};
    QTest::newRow("maximize before the layout ran") << QStringList{"resize:1000", "show", "pending", "maximize"};
    QTest::newRow("two resizes before the layout ran")
        << QStringList{"show", "pending", "resize:1200", "pending", "resize:1500"};
    QTest::newRow("maximize, then back") << QStringList{"resize:1100", "show", "maximize", "pending", "normal"};
    QTest::newRow("resize while hidden, maximize") << QStringList{"resize:900", "pending", "maximize"};
}

void MainWindowLayoutTest::panesFollowFinalWidth()
{
    QFETCH(QStringList, steps);
    for (const QString &step : std::as_const(steps)) {
        if (step.startsWith(QStringLiteral("resize:"))) {
            m_window->resize(step.mid(7).toInt(), 700);
        } else if (step == QStringLiteral("show")) {
            m_window->show();
            QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        } else if (step == QStringLiteral("maximize")) {
            m_window->showMaximized();
        } else if (step == QStringLiteral("normal")) {
            m_window->showNormal();
        } else if (step == QStringLiteral("pending")) {
            m_window->layout()->invalidate();
            m_window->centralWidget()->layout()->invalidate();
        }
    }
    settle();
    checkPanesFor(m_window->width());
}

void MainWindowLayoutTest::headersStayApart_data()
{
    QTest::addColumn<int>("width");
    for (int width : {420, 560, 700, 1000, 1600})
        QTest::newRow(qPrintable(QString::number(width))) << width;
}

void MainWindowLayoutTest::headersStayApart()
{
    QFETCH(int, width);
    m_window->resize(width, 600);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    settle();
    QHeaderView *header = find<MyTreeView>("treeContacts")->header();
    const QFontMetrics metrics(header->font());
    for (int column = 0; column < 3; ++column) {
        const QString title = header->model()->headerData(column, Qt::Horizontal).toString();
        // The text and a margin fit inside the section; the next one starts after it.
        QVERIFY2(header->sectionSize(column) >= metrics.horizontalAdvance(title) + 8,
                 qPrintable(QStringLiteral("%1 is %2 wide").arg(title).arg(header->sectionSize(column))));
        QCOMPARE(header->sectionPosition(column + 1), header->sectionPosition(column) + header->sectionSize(column));
    }
}

void MainWindowLayoutTest::layoutSurvivesRestart_data()
{
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<int>("dragBy");
    QTest::newRow("normal window") << false << 0;
    QTest::newRow("maximized window") << true << 0;
    QTest::newRow("panes dragged wider") << false << 80;
    QTest::newRow("panes dragged narrower") << false << -60;
}

void MainWindowLayoutTest::layoutSurvivesRestart()
{
    QFETCH(bool, maximized);
    QFETCH(int, dragBy);
    QVERIFY(!m_window->restoreLayout());   // nothing saved yet
    m_window->setGeometry(60, 50, 1050, 640);
    if (maximized)
        m_window->showMaximized();
    else
        m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    settle();
    auto *splitter = find<QSplitter>("splitter");
    if (dragBy != 0) {
        QWidget *handle = splitter->handle(1);
        const QPoint middle = handle->rect().center();
        QTest::mousePress(handle, Qt::LeftButton, {}, middle);
        QTest::mouseMove(handle, middle + QPoint(dragBy, 0));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, middle + QPoint(dragBy, 0));
        settle();
    }
    const QList<int> panes = splitter->sizes();
    const QRect geometry = m_window->geometry();
    // The handle follows the mouse within its own width.
    QVERIFY2(qAbs(panes.value(0) - (220 + dragBy)) <= 2, qPrintable(QString::number(panes.value(0))));
    m_window->close();

    m_window = std::make_unique<MainWindow>();
    QVERIFY(m_window->restoreLayout());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    settle();
    QCOMPARE(m_window->isMaximized(), maximized);
    QCOMPARE(m_window->geometry(), geometry);
    const QList<int> restored = find<QSplitter>("splitter")->sizes();
    QCOMPARE(restored.value(0), panes.value(0));
    // The other two share the rest in the proportion they had, to a pixel.
    QVERIFY2(qAbs(restored.value(1) - panes.value(1)) <= 1 && qAbs(restored.value(2) - panes.value(2)) <= 1,
             qPrintable(QStringLiteral("%1 %2 after %3 %4")
                            .arg(restored.value(1)).arg(restored.value(2)).arg(panes.value(1)).arg(panes.value(2))));
}

void MainWindowLayoutTest::openWindowOnFirstDatabase()
{
    m_window = std::make_unique<MainWindow>();
    m_window->resize(1000, 600);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    auto *tree = qobject_cast<ItemModelMainTree *>(find<MyTreeView>("treeMain")->model());
    find<MyTreeView>("treeMain")->setCurrentIndex(tree->indexOfNode(tree->localDbNodes().value(0)));
}

QStringList MainWindowLayoutTest::listed() const
{
    QStringList names;
    const QAbstractItemModel *model = find<MyTreeView>("treeContacts")->model();
    for (int row = 0; row < model->rowCount(); ++row)
        names << model->index(row, 0).data().toString();
    return names;
}

void MainWindowLayoutTest::headerClickSortsKeepingSelection()
{
    m_window->resize(1200, 600);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->showContacts({withPhone(QStringLiteral("Cyd"), QStringLiteral("555-03")),
                            withPhone(QStringLiteral("Ann"), QStringLiteral("555-09")),
                            withPhone(QStringLiteral("bob"), QString()),
                            withPhone(QStringLiteral("Dee"), QStringLiteral("555-01"))});
    auto *view = find<MyTreeView>("treeContacts");
    auto *model = qobject_cast<ItemModelContacts *>(view->model());
    QVERIFY(model);
    view->selectionModel()->select(model->contactIndex(1), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->selectionModel()->select(model->contactIndex(2), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view->selectionModel()->setCurrentIndex(model->contactIndex(2), QItemSelectionModel::NoUpdate);

    auto clickHeader = [view](int column) {
        QHeaderView *header = view->header();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    };
    auto selectedNames = [view, model] {
        QStringList names;
        for (const QModelIndex &index : view->selectionModel()->selectedRows())
            names << model->contactAt(index)->fullName;
        names.sort();
        return names;
    };

    clickHeader(ItemModelContacts::PhoneColumn);
    QCOMPARE(listed(), (QStringList{"Dee", "Cyd", "Ann", "bob"}));   // no number goes last
    QCOMPARE(selectedNames(), (QStringList{"Ann", "bob"}));
    QCOMPARE(model->contactAt(view->currentIndex())->fullName, QStringLiteral("bob"));
    clickHeader(ItemModelContacts::PhoneColumn);
    QCOMPARE(listed(), (QStringList{"Ann", "Cyd", "Dee", "bob"}));
    QCOMPARE(selectedNames(), (QStringList{"Ann", "bob"}));
    clickHeader(ItemModelContacts::NameColumn);
    QCOMPARE(listed(), (QStringList{"Ann", "bob", "Cyd", "Dee"}));
    QCOMPARE(selectedNames(), (QStringList{"Ann", "bob"}));
    // Rows stay direct positions in the model's own list.
    for (int row = 0; row < model->rowCount(); ++row)
        QCOMPARE(model->contactAt(model->contactIndex(row)), &model->contacts()[row]);
}

void MainWindowLayoutTest::shortcutsInMenus_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<QString>("menu");
    QTest::newRow("find") << "actFind" << "Ctrl+F" << "menuTools";
    QTest::newRow("new contact") << "actNewContact" << "Ctrl+N" << "menuFile";
    QTest::newRow("delete") << "actDelete" << "Del" << "menuFile";
    QTest::newRow("print") << "actPrint" << "Ctrl+P" << "menuFile";
    QTest::newRow("refresh") << "actRefresh" << "F5" << "menuTools";
    QTest::newRow("quit") << "actExit" << "Ctrl+Q" << "menuFile";
}

void MainWindowLayoutTest::shortcutsInMenus()
{
    QFETCH(QString, name);
    QFETCH(QString, shortcut);
    QFETCH(QString, menu);
    auto *action = m_window->findChild<QAction *>(name);
    QVERIFY(action);
    QCOMPARE(action->shortcut(), QKeySequence(shortcut));
    // A menu shows the shortcut beside the entry of an action it holds.
    QVERIFY(find<QMenu>(menu.toLatin1().constData())->actions().contains(action));
    QVERIFY(action->isShortcutVisibleInContextMenu() || !QApplication::testAttribute(Qt::AA_DontShowShortcutsInContextMenus));
    // No two actions of the window share a shortcut.
    for (QAction *other : m_window->findChildren<QAction *>()) {
        if (other != action)
            QVERIFY2(other->shortcut() != action->shortcut(), qPrintable(other->objectName()));
    }
}

void MainWindowLayoutTest::toolTipsOnToolBar()
{
    auto *toolBar = find<QToolBar>("toolBar");
    int buttons = 0;
    for (QAction *action : toolBar->actions()) {
        if (action->isSeparator())
            continue;
        auto *button = qobject_cast<QToolButton *>(toolBar->widgetForAction(action));
        QVERIFY(button);
        ++buttons;
        QVERIFY2(button->toolTip().startsWith(action->text()), qPrintable(button->toolTip()));
        if (!action->shortcut().isEmpty())
            QVERIFY2(button->toolTip().contains(action->shortcut().toString(QKeySequence::NativeText)),
                     qPrintable(button->toolTip()));
    }
    QCOMPARE(buttons, 8);
}

void MainWindowLayoutTest::tabOrderReachesEveryControl()
{
    m_window->resize(1000, 600);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QApplication::setActiveWindow(m_window.get());
    const QStringList expected{"treeMain", "txtKeyword", "btnSearch", "treeContacts", "wdContactInfo"};
    find<QWidget>("treeMain")->setFocus(Qt::TabFocusReason);
    QStringList reached{QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString()};
    for (int step = 1; step < expected.size(); ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString());
    }
    QCOMPARE(reached, expected);
}

void MainWindowLayoutTest::findAndRefresh()
{
    const QString path = QDir(platform::localDbFolder()).filePath(QStringLiteral("people.db"));
    auto db = panetest::makeDb(path, {contact(QStringLiteral("Ann")), contact(QStringLiteral("Bob"))});
    db->close();
    openWindowOnFirstDatabase();
    QCOMPARE(listed(), (QStringList{"Ann", "Bob"}));

    // The file gains a contact behind the window's back; Refresh shows it.
    Contact stored;
    bool merged = false;
    LocalDb other(path, std::make_shared<LocalDbCombineRule>());
    other.saveContactMerged(contact(QStringLiteral("Cyd")), stored, merged);
    other.close();
    m_window->findChild<QAction *>(QStringLiteral("actRefresh"))->trigger();
    QCOMPARE(listed(), (QStringList{"Ann", "Bob", "Cyd"}));

    auto *keyword = find<QLineEdit>("txtKeyword");
    keyword->setText(QStringLiteral("b"));
    find<MyTreeView>("treeContacts")->setFocus();
    QApplication::setActiveWindow(m_window.get());
    m_window->findChild<QAction *>(QStringLiteral("actFind"))->trigger();
    QCOMPARE(QApplication::focusWidget(), keyword);
    QCOMPARE(keyword->selectedText(), QStringLiteral("b"));
}

void MainWindowLayoutTest::aboutBox()
{
    QStringList shown;
    m_answers->answerDialog([&shown](QDialog &dialog) {
        for (const char *name : {"lbTitle", "lbVersion", "lbLicense", "lbLibraries", "lbHomePage"}) {
            auto *label = dialog.findChild<QLabel *>(QLatin1String(name));
            shown << (label ? label->text() : QStringLiteral("(no %1)").arg(QLatin1String(name)));
        }
        return int(QDialog::Accepted);
    });
    m_window->findChild<QAction *>(QStringLiteral("actAbout"))->trigger();
    QCOMPARE(m_answers->dialogs(), QStringList{QStringLiteral("AboutUsForm")});
    QCOMPARE(shown.size(), 5);
    QCOMPARE(shown.at(0), QString::fromLatin1(productinfo::name));
    QVERIFY2(shown.at(1).contains(QString::fromLatin1(productinfo::version)), qPrintable(shown.at(1)));
    QVERIFY2(shown.at(2).contains(QString::fromLatin1(productinfo::license)), qPrintable(shown.at(2)));
    // The versions in use, as the libraries report them.
    QVERIFY2(shown.at(3).contains(QString::fromLatin1(qVersion())), qPrintable(shown.at(3)));
    QVERIFY2(shown.at(3).contains(QString::fromLatin1(sqlite3_libversion())), qPrintable(shown.at(3)));
    QVERIFY2(shown.at(4).contains(QString::fromLatin1(productinfo::homePage)), qPrintable(shown.at(4)));
}

void MainWindowLayoutTest::checkUpdateOpensReleasePage()
{
    PageCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    m_window->findChild<QAction *>(QStringLiteral("actCheckForUpdate"))->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(catcher.pages, QList<QUrl>{QUrl(QString::fromLatin1(productinfo::releasesPage))});
    QVERIFY(m_answers->messageBoxes().isEmpty());
}

void MainWindowLayoutTest::readOnlyDatabaseShownUnchanged_data()
{
    QTest::addColumn<bool>("fileReadOnly");
    QTest::addColumn<bool>("folderReadOnly");
    QTest::newRow("read-only file") << true << false;
    QTest::newRow("read-only folder") << false << true;
}

void MainWindowLayoutTest::readOnlyDatabaseShownUnchanged()
{
    QFETCH(bool, fileReadOnly);
    QFETCH(bool, folderReadOnly);
    const QString folder = platform::localDbFolder();
    const QString path = QDir(folder).filePath(QStringLiteral("kept.db"));
    panetest::makeDb(path, {withPhone(QStringLiteral("Ann"), QStringLiteral("555-01")), contact(QStringLiteral("Bob"))})
        ->close();
    dropNameIndex(path);
    const QByteArray before = fileBytes(path);
    const QStringList entries = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    const QFileDevice::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    const QFileDevice::Permissions folderPermissions = QFile(folder).permissions();
    if (fileReadOnly)
        QVERIFY(QFile::setPermissions(path, readOnly));
    if (folderReadOnly)
        QVERIFY(QFile::setPermissions(folder, readOnly | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));

    openWindowOnFirstDatabase();
    find<QLineEdit>("txtKeyword")->setText(QStringLiteral("ann"));
    find<QToolButton>("btnSearch")->click();
    const QStringList found = listed();
    m_window.reset();

    QVERIFY(QFile::setPermissions(folder, folderPermissions));
    QVERIFY(QFile::setPermissions(path, readOnly | QFile::WriteOwner));
    QCOMPARE(found, QStringList{QStringLiteral("Ann")});
    QCOMPARE(m_answers->messageBoxTexts(), QStringList());
    QCOMPARE(fileBytes(path), before);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), entries);
}

void MainWindowLayoutTest::germanWindow()
{
    QTranslator english;
    QTranslator german;
    QVERIFY(english.load(QStringLiteral(":/en.qm")));
    QVERIFY(german.load(QStringLiteral(":/de.qm")));
    UiLanguage language;
    QVERIFY(language.install(QStringLiteral("de")));
    m_window = std::make_unique<MainWindow>();
    QStringList titles;
    for (QAction *action : find<QMenuBar>("menuBar")->actions())
        titles << action->text();
    QStringList expected;
    for (const char *key : {"File", "Tools", "Help"})
        expected << german.translate("MainWindow", key);
    QCOMPARE(titles, expected);
    QVERIFY(titles != (QStringList{"File", "Tools", "Help"}));
    const std::pair<const char *, const char *> actions[] = {
        {"actBackup", "IDS_MI_BACKUP_CONTACTS"}, {"actImport", "IDS_MI_IMPORT_FROM_FILE"},
        {"actAbout", "IDS_MI_ABOUT"}, {"actFind", "IDS_MI_FIND"}};
    for (const auto &[name, key] : actions) {
        const QString text = m_window->findChild<QAction *>(QLatin1String(name))->text();
        QCOMPARE(text, german.translate("MainWindow", key));
        QVERIFY2(text != english.translate("MainWindow", key), qPrintable(text));
    }
    QCOMPARE(find<QLabel>("lbTotal")->text(), german.translate("MainWindow", "Total:0"));
    m_window.reset();
    QVERIFY(m_language.install(QStringLiteral("en")));
}

QTEST_MAIN(MainWindowLayoutTest)
#include "mainwindowlayouttest.moc"
