#ifndef TOOLS_PHONESIM_SIMADB_H
#define TOOLS_PHONESIM_SIMADB_H

#include "tools/phonesim/commandresult.h"

#include <QString>
#include <QStringList>

namespace phonesim {

class SimServer;
class SimState;

// The agent's package and the receiver that starts it.
inline constexpr char agentPackage[] = "com.quillmarrow.contactssync";
inline constexpr char agentReceiver[] = "com.quillmarrow.contactssync/.AdbSyncBroadcastReceiver";

// Runs one adb command line against the USB phones of a state folder, with
// output shaped like the real adb's. `cwd` resolves relative package paths.
// `server` is the running simulator, or null (then forward and the agent
// start by broadcast fail with an error that says so).
CommandResult runAdbCommand(SimState &state, SimServer *server, const QStringList &args, const QString &cwd);

// The serial named by an adb command line ("-s S"), empty
// when none is named.
QString adbSerialArgument(const QStringList &args);
// The adb command word after the global options ("devices", "shell", ...).
QString adbCommandWord(const QStringList &args);

} // namespace phonesim

#endif
