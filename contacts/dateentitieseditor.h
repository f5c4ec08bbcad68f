#ifndef CONTACTS_DATEENTITIESEDITOR_H
#define CONTACTS_DATEENTITIESEDITOR_H

#include "contacts/entitieseditor.h"
#include "contacts/labeltables.h"

// Rows of a type and a date (events): type box (data2, custom label data3)
// and a date-time edit (data1, ISO 8601). A new row starts at today, 00:00.
class DateEntitiesEditor : public EntitiesEditor
{
    Q_OBJECT

public:
    DateEntitiesEditor(const QString &title, const LabelTable &types, int defaultType, QWidget *parent = nullptr);

protected:
    QList<QWidget *> createRow(QGridLayout *grid, int gridRow, const Entity *entity) override;
    [[nodiscard]] Entity readRow(const QList<QWidget *> &widgets, const Entity *stored) const override;

private:
    const LabelTable &m_types;
    int m_defaultType;
};

#endif
