#ifndef APP_MYTREEVIEW_H
#define APP_MYTREEVIEW_H

#include <QItemSelection>
#include <QTreeView>

// The tree view of the source tree and the contact list: reports context-menu
// requests and selection changes as signals before the base class handles them.
class MyTreeView : public QTreeView
{
    Q_OBJECT

public:
    explicit MyTreeView(QWidget *parent = nullptr);

signals:
    void onSelectionChanged(const QItemSelection &selected, const QItemSelection &deselected);
    void createContextMenu();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;
};

#endif
