#include "contacts/imentitieseditor.h"

#include "contacts/editorfields.h"
#include "contacts/entitytypebox.h"
#include "contacts/labeltables.h"

#include <QGridLayout>
#include <QLineEdit>

using namespace pim;

IMEntitiesEditor::IMEntitiesEditor(const QString &title, int defaultType, int defaultProtocol, QWidget *parent)
    : EntitiesEditor(title, parent)
    , m_defaultType(defaultType)
    , m_defaultProtocol(defaultProtocol)
{
}

QList<QWidget *> IMEntitiesEditor::createRow(QGridLayout *grid, int gridRow, const Entity *entity)
{
    auto *type = new EntityTypeBox(imTypeLabels(), this);
    type->setFixedWidth(60);
    auto *protocol = new EntityTypeBox(imProtocolLabels(), this);
    auto *handle = new QLineEdit(this);
    if (entity) {
        type->setType(entity->toInt(data2), entity->text(data3));
        protocol->setType(entity->toInt(data5), entity->text(data6));
        editorfields::fill(handle, entity->text(data1));
    } else {
        type->setDefaultType(m_defaultType);
        protocol->setDefaultType(m_defaultProtocol);
    }
    grid->addWidget(type, gridRow, 0);
    grid->addWidget(protocol, gridRow, 1);
    grid->addWidget(handle, gridRow, 2);
    return { type, protocol, handle };
}

Entity IMEntitiesEditor::readRow(const QList<QWidget *> &widgets, const Entity *stored) const
{
    Q_UNUSED(stored)
    const auto *type = static_cast<const EntityTypeBox *>(widgets[0]);
    const auto *protocol = static_cast<const EntityTypeBox *>(widgets[1]);
    Entity entity;
    entity.setValue(data2, type->typeCode());
    entity.setText(data3, type->customLabel());
    entity.setValue(data5, protocol->typeCode());
    entity.setText(data6, protocol->customLabel());
    entity.setText(data1, editorfields::read(static_cast<const QLineEdit *>(widgets[2])));
    return entity;
}
