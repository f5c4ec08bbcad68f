#ifndef CONTACTS_ENTITYTYPEBOX_H
#define CONTACTS_ENTITYTYPEBOX_H

#include "contacts/labeltables.h"

#include <QComboBox>

// An editable box for the type of an entity (or the protocol of an IM
// account): the labels of the kind's table in ascending code order, each
// item carrying its code, and room to type a label of one's own.
//
// A box set from a stored entity gives the stored type and label back as
// long as its text is what was shown, so a box the user did not touch never
// counts as a change (a stored label that happens to equal an item's text,
// or a code the table lacks, stay as they were).
class EntityTypeBox : public QComboBox
{
    Q_OBJECT

public:
    EntityTypeBox(const LabelTable &labels, QWidget *parent = nullptr);

    // A custom label selects the item of code 0 and shows the label;
    // otherwise the item of the code is selected (the first item when the
    // table lacks the code). Remembers the stored pair.
    void setType(int code, const QString &label);
    // Selects the item of a code without remembering anything: a new row.
    void setDefaultType(int code);

    // The box's text, trimmed: the code of the item with exactly that text
    // and no label, else code 0 and the text as label.
    [[nodiscard]] int typeCode() const;
    [[nodiscard]] QString customLabel() const;

private:
    void read(int &code, QString &label) const;

    bool m_remembered = false;
    int m_storedCode = 0;
    QString m_storedLabel;
    QString m_shownText;
};

#endif
