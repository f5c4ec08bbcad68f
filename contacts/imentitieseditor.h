#ifndef CONTACTS_IMENTITIESEDITOR_H
#define CONTACTS_IMENTITIESEDITOR_H

#include "contacts/entitieseditor.h"

// Rows of IM accounts: type box (data2, custom label data3), protocol box
// (data5, custom protocol data6) and the handle (data1).
class IMEntitiesEditor : public EntitiesEditor
{
    Q_OBJECT

public:
    IMEntitiesEditor(const QString &title, int defaultType, int defaultProtocol, QWidget *parent = nullptr);

protected:
    QList<QWidget *> createRow(QGridLayout *grid, int gridRow, const Entity *entity) override;
    [[nodiscard]] Entity readRow(const QList<QWidget *> &widgets, const Entity *stored) const override;
    [[nodiscard]] int removeColumn() const override { return 3; }

private:
    int m_defaultType;
    int m_defaultProtocol;
};

#endif
