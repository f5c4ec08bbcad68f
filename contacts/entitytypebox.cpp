#include "contacts/entitytypebox.h"

#include <QLineEdit>

EntityTypeBox::EntityTypeBox(const LabelTable &labels, QWidget *parent)
    : QComboBox(parent)
{
    setEditable(true);
    // Typed labels stay in the box's text; they never become items.
    setInsertPolicy(QComboBox::NoInsert);
    for (auto it = labels.cbegin(); it != labels.cend(); ++it)
        addItem(it.value(), it.key());
}

void EntityTypeBox::setDefaultType(int code)
{
    const int index = findData(code);
    setCurrentIndex(index >= 0 ? index : 0);
    m_remembered = false;
}

void EntityTypeBox::setType(int code, const QString &label)
{
    if (!label.isEmpty()) {
        const int other = findData(0);
        setCurrentIndex(other >= 0 ? other : 0);
        setEditText(label);
    } else {
        const int index = findData(code);
        setCurrentIndex(index >= 0 ? index : 0);
    }
    m_remembered = true;
    m_storedCode = code;
    m_storedLabel = label;
    m_shownText = currentText();
}

void EntityTypeBox::read(int &code, QString &label) const
{
    if (m_remembered && currentText() == m_shownText) {
        code = m_storedCode;
        label = m_storedLabel;
        return;
    }
    const QString text = currentText().trimmed();
    for (int i = 0; i < count(); ++i) {
        if (itemText(i) == text) {
            code = itemData(i).toInt();
            label.clear();
            return;
        }
    }
    code = 0;
    label = text;
}

int EntityTypeBox::typeCode() const
{
    int code = 0;
    QString label;
    read(code, label);
    return code;
}

QString EntityTypeBox::customLabel() const
{
    int code = 0;
    QString label;
    read(code, label);
    return label;
}
