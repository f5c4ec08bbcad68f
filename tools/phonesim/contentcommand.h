#ifndef TOOLS_PHONESIM_CONTENTCOMMAND_H
#define TOOLS_PHONESIM_CONTENTCOMMAND_H

#include "tools/phonesim/commandresult.h"

#include <QStringList>

namespace phonesim {

class ContactsProvider;

// The phone's "content" command (query, insert, update, delete) over the
// simulated contacts provider, printing what Android's prints:
//
//   query   one line per row, "Row: N col=value, col=value", values as they
//           are (no escaping: ", ", "=" and line breaks pass through),
//           NULL and BLOB for null and blob values, or "No result found.";
//   insert, update, delete   nothing.
//
// A usage error prints the usage and "[ERROR] ..." on standard output; a
// failure inside the provider prints "Error while accessing provider:" and
// the exception on standard error. The exit status is 0 either way.
//
// `sdk` is the phone's release: from 30 on, a --bind argument is split at
// colons with "\" escaping the next character ("\:" a colon, "\\" a
// backslash) and the type "n" binds NULL; before, the value is everything
// after the second colon, taken as it is.
class ContentCommand
{
public:
    ContentCommand(ContactsProvider &provider, int sdk);

    CommandResult run(const QStringList &args);

private:
    ContactsProvider &m_provider;
    int m_sdk;
};

} // namespace phonesim

#endif
