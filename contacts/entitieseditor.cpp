#include "contacts/entitieseditor.h"

#include <QGridLayout>
#include <QLabel>
#include <QToolButton>

namespace {

QToolButton *iconButton(const QString &icon, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setIcon(QIcon(icon));
    button->setIconSize(QSize(16, 16));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

EntitiesEditor::EntitiesEditor(const QString &title, QWidget *parent)
    : QWidget(parent)
    , m_grid(new QGridLayout(this))
    , m_title(new QLabel(title, this))
    , m_addButton(iconButton(QStringLiteral(":res/add.png"), this))
{
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_grid->setHorizontalSpacing(4);
    m_grid->setVerticalSpacing(3);
    m_title->setTextFormat(Qt::PlainText);
    m_addButton->setObjectName(QStringLiteral("btnAdd"));
    m_grid->addWidget(m_title, 0, 0);
    m_grid->addWidget(m_addButton, 0, 2, Qt::AlignRight);
    connect(m_addButton, &QToolButton::pressed, this, &EntitiesEditor::add);
}

EntitiesEditor::~EntitiesEditor() = default;

void EntitiesEditor::setEntities(const QList<Entity> &entities)
{
    while (!m_rows.isEmpty())
        removeRow(int(m_rows.size()) - 1);
    for (const Entity &entity : entities)
        appendRow(&entity);
}

QList<Entity> EntitiesEditor::entities() const
{
    QList<Entity> result;
    result.reserve(m_rows.size());
    for (const Row &row : m_rows) {
        Entity entity = readRow(row.widgets.mid(0, row.widgets.size() - 1), row.stored ? &row.entity : nullptr);
        entity._id = row.entity._id;
        entity.srcId = row.entity.srcId;
        result.append(std::move(entity));
    }
    return result;
}

QList<QWidget *> EntitiesEditor::rowWidgets(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].widgets : QList<QWidget *>();
}

void EntitiesEditor::add()
{
    appendRow(nullptr);
}

void EntitiesEditor::remove()
{
    QObject *button = sender();
    for (int i = 0; i < m_rows.size(); ++i) {
        if (!m_rows[i].widgets.isEmpty() && m_rows[i].widgets.last() == button) {
            removeRow(i);
            return;
        }
    }
}

void EntitiesEditor::appendRow(const Entity *entity)
{
    const int gridRow = m_nextGridRow++;
    Row row;
    if (entity) {
        row.stored = true;
        row.entity = *entity;
    }
    row.widgets = createRow(m_grid, gridRow, entity);
    QToolButton *remove = iconButton(QStringLiteral(":res/remove.png"), this);
    remove->setObjectName(QStringLiteral("btnRemove"));
    m_grid->addWidget(remove, gridRow, removeColumn(), Qt::AlignRight | Qt::AlignTop);
    connect(remove, &QToolButton::pressed, this, &EntitiesEditor::remove);
    row.widgets.append(remove);
    for (QWidget *widget : std::as_const(row.widgets))
        widget->show();
    m_rows.append(std::move(row));
}

void EntitiesEditor::removeRow(int index)
{
    const Row row = m_rows.takeAt(index);
    // The remove button may be the sender of the signal being handled: the
    // widgets leave the layout now and are deleted later.
    for (QWidget *widget : row.widgets) {
        m_grid->removeWidget(widget);
        widget->hide();
        widget->deleteLater();
    }
}
