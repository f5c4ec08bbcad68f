#ifndef CONTACTS_ADDRENTITIESEDITOR_H
#define CONTACTS_ADDRENTITIESEDITOR_H

#include "contacts/entitieseditor.h"

// Rows of postal addresses: type box (data2, custom label data3) and the
// parts in four lines: country (data10); state (data8) beside city (data7);
// street (data4, plain text); postcode (data9). data1 is the formatted
// address of the parts.
class AddrEntitiesEditor : public EntitiesEditor
{
    Q_OBJECT

public:
    AddrEntitiesEditor(const QString &title, int defaultType, QWidget *parent = nullptr);

protected:
    QList<QWidget *> createRow(QGridLayout *grid, int gridRow, const Entity *entity) override;
    [[nodiscard]] Entity readRow(const QList<QWidget *> &widgets, const Entity *stored) const override;
    [[nodiscard]] int removeColumn() const override { return 3; }

private:
    int m_defaultType;
};

#endif
