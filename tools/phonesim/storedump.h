#ifndef TOOLS_PHONESIM_STOREDUMP_H
#define TOOLS_PHONESIM_STOREDUMP_H

#include "tools/phonesim/phonestore.h"

#include <QByteArray>
#include <QString>

namespace phonesim {

// Text forms of a phone's store for tests and people (documented in
// README.md, "Dump format"). UTF-8, one record per line, tab-separated:
//
//   group   <group id>  <title>
//   contact <raw id>    <contact id>  <display name>
//   row     <source id> <kind>  <field>=<value> ...
//
// Values escape backslash, tab, line feed and carriage return as \\ \t \n \r;
// type codes appear as their wire label (or #<code> without one), groups by
// title, photos as "photo=<format>", "bytes=<n>" and "md5=<hex>".
QByteArray dumpStore(const PhoneStore &store);
// The entity lines a backup would send, "$ent:" included, one per line.
QByteArray dumpWire(const PhoneStore &store);

QString displayName(const QStringList &nameValues);
QString escapeDumpValue(const QString &value);

} // namespace phonesim

#endif
