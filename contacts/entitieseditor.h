#ifndef CONTACTS_ENTITIESEDITOR_H
#define CONTACTS_ENTITIESEDITOR_H

#include "contacts/entity.h"

#include <QList>
#include <QWidget>

class QGridLayout;
class QLabel;
class QToolButton;

// A list editor of the contact editor: one row per entity of a repeating
// kind. Row 0 of its grid holds the title (column 0) and the add button
// (column 2); each following row edits one entity and ends with its remove
// button. Every row remembers the _id and srcId of the entity it was filled
// from (0 and empty for rows the user added). The subclasses lay out and
// read the rows of their kind.
class EntitiesEditor : public QWidget
{
    Q_OBJECT

public:
    ~EntitiesEditor() override;

    // Replaces the rows by one row per entity, in list order.
    void setEntities(const QList<Entity> &entities);
    // The rows' entities, in row order, blank ones included.
    [[nodiscard]] QList<Entity> entities() const;
    [[nodiscard]] int rowCount() const { return int(m_rows.size()); }
    // The widgets of a row, in the order the subclass made them; the
    // remove button last.
    [[nodiscard]] QList<QWidget *> rowWidgets(int row) const;
    [[nodiscard]] QToolButton *addButton() const { return m_addButton; }

public slots:
    // Appends an empty row with the editor's default type.
    void add();
    // Removes the row whose remove button sent the signal.
    void remove();

protected:
    EntitiesEditor(const QString &title, QWidget *parent);

    // Makes and places the widgets of a row at grid row `gridRow`, filled
    // from `entity`, or with the defaults when `entity` is null. Returns
    // them in a fixed order the subclass reads back in readRow.
    virtual QList<QWidget *> createRow(QGridLayout *grid, int gridRow, const Entity *entity) = 0;
    // The entity of a row's widgets; `stored` is the entity the row was
    // filled from, or null for a row the user added. The base adds _id and
    // srcId.
    [[nodiscard]] virtual Entity readRow(const QList<QWidget *> &widgets, const Entity *stored) const = 0;
    // Grid column of the remove buttons.
    [[nodiscard]] virtual int removeColumn() const { return 2; }

private:
    struct Row
    {
        bool stored = false;   // filled from an entity
        Entity entity;         // that entity
        QList<QWidget *> widgets;   // remove button last
    };

    void appendRow(const Entity *entity);
    void removeRow(int index);

    QGridLayout *m_grid;
    QLabel *m_title;
    QToolButton *m_addButton;
    QList<Row> m_rows;
    int m_nextGridRow = 1;
};

#endif
