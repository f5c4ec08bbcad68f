#ifndef CONTACTS_GENERICENTITIESEDITOR_H
#define CONTACTS_GENERICENTITIESEDITOR_H

#include "contacts/entitieseditor.h"
#include "contacts/labeltables.h"

// Rows of a type and one text (phones, e-mail addresses, relations,
// websites): type box (data2, custom label data3), value line edit (data1).
class GenericEntitiesEditor : public EntitiesEditor
{
    Q_OBJECT

public:
    GenericEntitiesEditor(const QString &title, const QString &placeholder, const LabelTable &types, int defaultType,
                          QWidget *parent = nullptr);

protected:
    QList<QWidget *> createRow(QGridLayout *grid, int gridRow, const Entity *entity) override;
    [[nodiscard]] Entity readRow(const QList<QWidget *> &widgets, const Entity *stored) const override;

private:
    QString m_placeholder;
    const LabelTable &m_types;
    int m_defaultType;
};

#endif
