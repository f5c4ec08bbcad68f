#include "contacts/genericentitieseditor.h"

#include "contacts/editorfields.h"
#include "contacts/entitytypebox.h"

#include <QGridLayout>
#include <QLineEdit>

using namespace pim;

GenericEntitiesEditor::GenericEntitiesEditor(const QString &title, const QString &placeholder,
                                             const LabelTable &types, int defaultType, QWidget *parent)
    : EntitiesEditor(title, parent)
    , m_placeholder(placeholder)
    , m_types(types)
    , m_defaultType(defaultType)
{
}

QList<QWidget *> GenericEntitiesEditor::createRow(QGridLayout *grid, int gridRow, const Entity *entity)
{
    auto *type = new EntityTypeBox(m_types, this);
    type->setFixedWidth(100);
    auto *value = new QLineEdit(this);
    value->setPlaceholderText(m_placeholder);
    if (entity) {
        type->setType(entity->toInt(data2), entity->text(data3));
        editorfields::fill(value, entity->text(data1));
    } else {
        type->setDefaultType(m_defaultType);
    }
    grid->addWidget(type, gridRow, 0);
    grid->addWidget(value, gridRow, 1);
    return { type, value };
}

Entity GenericEntitiesEditor::readRow(const QList<QWidget *> &widgets, const Entity *stored) const
{
    Q_UNUSED(stored)
    const auto *type = static_cast<const EntityTypeBox *>(widgets[0]);
    Entity entity;
    entity.setValue(data2, type->typeCode());
    entity.setText(data3, type->customLabel());
    entity.setText(data1, editorfields::read(static_cast<const QLineEdit *>(widgets[1])));
    return entity;
}
