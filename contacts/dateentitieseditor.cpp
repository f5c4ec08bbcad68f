#include "contacts/dateentitieseditor.h"

#include "contacts/editorfields.h"
#include "contacts/entitytypebox.h"

#include <QDateTimeEdit>
#include <QGridLayout>

using namespace pim;

DateEntitiesEditor::DateEntitiesEditor(const QString &title, const LabelTable &types, int defaultType,
                                       QWidget *parent)
    : EntitiesEditor(title, parent)
    , m_types(types)
    , m_defaultType(defaultType)
{
}

QList<QWidget *> DateEntitiesEditor::createRow(QGridLayout *grid, int gridRow, const Entity *entity)
{
    auto *type = new EntityTypeBox(m_types, this);
    type->setFixedWidth(100);
    auto *date = new QDateTimeEdit(this);
    date->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm"));
    date->setCalendarPopup(true);
    if (entity) {
        type->setType(entity->toInt(data2), entity->text(data3));
        // A stored date the edit cannot show leaves it at its initial value
        // and is given back as stored unless the user sets a date.
        editorfields::fill(date, entity->text(data1));
    } else {
        type->setDefaultType(m_defaultType);
        date->setDateTime(QDateTime(QDate::currentDate(), QTime(0, 0)));
    }
    grid->addWidget(type, gridRow, 0);
    grid->addWidget(date, gridRow, 1);
    return { type, date };
}

Entity DateEntitiesEditor::readRow(const QList<QWidget *> &widgets, const Entity *stored) const
{
    Q_UNUSED(stored)
    const auto *type = static_cast<const EntityTypeBox *>(widgets[0]);
    Entity entity;
    entity.setValue(data2, type->typeCode());
    entity.setText(data3, type->customLabel());
    entity.setText(data1, editorfields::read(static_cast<const QDateTimeEdit *>(widgets[1])));
    return entity;
}
