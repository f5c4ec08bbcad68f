#ifndef CONTACTS_EDITORFIELDS_H
#define CONTACTS_EDITORFIELDS_H

#include <QString>

class QDateTimeEdit;
class QLineEdit;
class QPlainTextEdit;

// Filling the contact editor's fields from stored values and reading them
// back. A field filled from a stored value gives that value back, exactly as
// stored, as long as it still shows what it showed after filling: what a
// control cannot hold unchanged (a date it cannot parse, line breaks in a
// one-line field, text beyond its length limit) survives opening and saving
// a contact. A field that was not filled gives what it shows.
namespace editorfields {

void fill(QLineEdit *edit, const QString &stored);
[[nodiscard]] QString read(const QLineEdit *edit);

void fill(QPlainTextEdit *edit, const QString &stored);
[[nodiscard]] QString read(const QPlainTextEdit *edit);

// Parses ISO 8601; an unparsable value leaves the control as it is.
void fill(QDateTimeEdit *edit, const QString &stored);
// ISO 8601 date and time to the second.
[[nodiscard]] QString read(const QDateTimeEdit *edit);

} // namespace editorfields

#endif
