#ifndef TOOLS_PHONESIM_SIMCLI_H
#define TOOLS_PHONESIM_SIMCLI_H

#include "tools/phonesim/commandresult.h"

#include <QString>
#include <QStringList>

namespace phonesim {

class SimServer;
class SimState;

// Runs one phonesim command on a state folder: `args` is the command word
// followed by its arguments, the state folder already taken out. `server`
// is the running simulator when the command runs inside it, otherwise null.
// The commands are listed by usageText() and documented in README.md.
CommandResult runSimCommand(SimState &state, SimServer *server, const QStringList &args);

// Commands that need no state folder: generate.
CommandResult runStatelessCommand(const QStringList &args);

QString usageText();

// A stable default seed for a phone id.
quint64 seedForId(const QString &id);

} // namespace phonesim

#endif
