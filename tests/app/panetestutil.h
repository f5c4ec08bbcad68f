#ifndef TESTS_APP_PANETESTUTIL_H
#define TESTS_APP_PANETESTUTIL_H

#include "contacts/contact.h"

#include <QByteArray>
#include <QColor>
#include <QString>

#include <initializer_list>
#include <memory>
#include <utility>

class LocalDb;

// Contacts, pictures and database files for the tests of the window's panes.
namespace panetest {

Entity entity(std::initializer_list<std::pair<int, QString>> values);
// A contact with a name entity (first name = the whole name) and the given
// entities, by kind.
Contact contact(const QString &fullName, std::initializer_list<std::pair<int, Entity>> entities = {});
// A photo entity holding `bytes` in data15.
Entity photo(const QByteArray &bytes);
// A one-colour picture encoded in `format` ("JPG", "PNG", "BMP").
QByteArray picture(const char *format, const QColor &color, int width = 40, int height = 40);

// A new database file made from the template, holding `contacts`; contacts
// with a non-empty group name in `groups` (same order) become its members.
std::shared_ptr<LocalDb> makeDb(const QString &path, const QList<Contact> &contacts = {},
                                const QStringList &groups = {});

} // namespace panetest

#endif
