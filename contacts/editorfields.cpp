#include "contacts/editorfields.h"

#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVariant>

#include <limits>

namespace editorfields {

namespace {

// Dynamic properties of the field: the stored value and what was shown.
const char StoredProperty[] = "qmStoredValue";
const char ShownProperty[] = "qmShownValue";

void remember(QObject *field, const QVariant &stored, const QVariant &shown)
{
    field->setProperty(StoredProperty, stored);
    field->setProperty(ShownProperty, shown);
}

// The stored value when the field still shows what it was filled with.
bool storedIfUnchanged(const QObject *field, const QVariant &shown, QString &stored)
{
    const QVariant remembered = field->property(ShownProperty);
    if (!remembered.isValid() || remembered != shown)
        return false;
    stored = field->property(StoredProperty).toString();
    return true;
}

} // namespace

void fill(QLineEdit *edit, const QString &stored)
{
    // The default limit (32767) would cut long values short.
    edit->setMaxLength(std::numeric_limits<int>::max());
    edit->setText(stored);
    remember(edit, stored, edit->text());
}

QString read(const QLineEdit *edit)
{
    QString stored;
    return storedIfUnchanged(edit, edit->text(), stored) ? stored : edit->text();
}

void fill(QPlainTextEdit *edit, const QString &stored)
{
    edit->setPlainText(stored);
    remember(edit, stored, edit->toPlainText());
}

QString read(const QPlainTextEdit *edit)
{
    QString stored;
    const QString shown = edit->toPlainText();
    return storedIfUnchanged(edit, shown, stored) ? stored : shown;
}

void fill(QDateTimeEdit *edit, const QString &stored)
{
    const QDateTime value = QDateTime::fromString(stored, Qt::ISODate);
    if (value.isValid())
        edit->setDateTime(value);
    remember(edit, stored, edit->dateTime());
}

QString read(const QDateTimeEdit *edit)
{
    QString stored;
    return storedIfUnchanged(edit, edit->dateTime(), stored) ? stored : edit->dateTime().toString(Qt::ISODate);
}

} // namespace editorfields
