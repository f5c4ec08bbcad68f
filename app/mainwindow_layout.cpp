// The sizes of the window and its panes: the rule that shares the width out,
// the user's own pane sizes, and keeping all of them between runs.
#include "app/mainwindow.h"

#include "ui_mainwindow.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QResizeEvent>
#include <QSettings>

namespace {

// Width of the source tree; the list and the card share the rest equally.
constexpr int treeWidth = 220;
// What the list's columns leave for its frame and scroll bar.
constexpr int listChrome = 23;
// Room beside a column's header text: its margins and the sort arrow.
constexpr int headerTextRoom = 18;

const QString geometryKey = QStringLiteral("window/geometry");
const QString stateKey = QStringLiteral("window/state");
const QString panesKey = QStringLiteral("window/panes");

} // namespace

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    applyPaneSizes();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The splitter learns its new width after the window, sometimes only when
    // the layout runs later (a window manager may resize and maximize the
    // window in either order): it would then stretch the panes set for the
    // window's new width once more. Setting them again as the splitter itself
    // is resized makes the final window width decide, whatever the order.
    if (watched == ui->splitter && event->type() == QEvent::Resize)
        applyPaneSizes();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::applyPaneSizes()
{
    const int w = width();
    double listWidth = 0;
    if (m_userPanes) {
        // The handles' pixels come off the shared part, so the tree keeps
        // exactly its width.
        const int handles = (ui->splitter->count() - 1) * ui->splitter->handleWidth();
        const int rest = qMax(0, w - m_userTreeWidth - handles);
        const int list = int(rest * m_userListShare);
        ui->splitter->setSizes({m_userTreeWidth, list, rest - list});
        listWidth = list;
    } else {
        const double x = (w - treeWidth) * 0.5;
        ui->splitter->setSizes({treeWidth, int(x), int(x)});
        listWidth = x;
    }
    // A column is never narrower than its header text, so headers stay
    // apart at narrow widths (the list scrolls sideways instead).
    const int c = int(listWidth - listChrome);
    QHeaderView *header = ui->treeContacts->header();
    const QFontMetrics metrics(header->font());
    const int shares[] = {int(c * 0.4), int(c * 0.2), int(c * 0.2), int(c * 0.2)};
    for (int column = 0; column < 4; ++column) {
        const QString title = ui->treeContacts->model()
            ? ui->treeContacts->model()->headerData(column, Qt::Horizontal).toString()
            : QString();
        const int needed = title.isEmpty() ? 0 : metrics.horizontalAdvance(title) + headerTextRoom;
        ui->treeContacts->setColumnWidth(column, qMax(shares[column], needed));
    }

}

void MainWindow::rememberUserPanes()
{
    const QList<int> sizes = ui->splitter->sizes();
    if (sizes.size() != 3 || sizes.at(1) + sizes.at(2) <= 0)
        return;
    m_userPanes = true;
    m_userTreeWidth = sizes.at(0);
    m_userListShare = double(sizes.at(1)) / (sizes.at(1) + sizes.at(2));
}

bool MainWindow::restoreLayout()
{
    m_saveLayoutOnClose = true;
    const QSettings settings;
    const QList<QVariant> panes = settings.value(panesKey).toList();
    if (panes.size() == 3) {
        const int tree = panes.at(0).toInt();
        const int list = panes.at(1).toInt();
        const int card = panes.at(2).toInt();
        if (tree > 0 && list > 0 && card > 0) {
            m_userPanes = true;
            m_userTreeWidth = tree;
            m_userListShare = double(list) / (list + card);
        }
    }
    const QByteArray geometry = settings.value(geometryKey).toByteArray();
    if (geometry.isEmpty() || !restoreGeometry(geometry))
        return false;
    restoreState(settings.value(stateKey).toByteArray());
    applyPaneSizes();
    return true;
}

void MainWindow::saveLayout() const
{
    QSettings settings;
    settings.setValue(geometryKey, saveGeometry());
    settings.setValue(stateKey, saveState());
    if (m_userPanes) {
        const QList<int> sizes = ui->splitter->sizes();
        settings.setValue(panesKey, QVariantList{sizes.value(0), sizes.value(1), sizes.value(2)});
    } else {
        settings.remove(panesKey);
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_saveLayoutOnClose)
        saveLayout();
    QMainWindow::closeEvent(event);
}

void MainWindow::findContacts()
{
    ui->txtKeyword->setFocus(Qt::ShortcutFocusReason);
    ui->txtKeyword->selectAll();
}

void MainWindow::refreshContacts()
{
    // The list read again for the same node, group and keyword.
    onBtnSearchPressed();
}
