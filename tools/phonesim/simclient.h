#ifndef TOOLS_PHONESIM_SIMCLIENT_H
#define TOOLS_PHONESIM_SIMCLIENT_H

#include "tools/phonesim/commandresult.h"

#include <QString>
#include <QStringList>

namespace phonesim {

// How the command-line tool and the stand-in adb reach a state folder: when
// a simulator serves the folder the command runs inside it (over its
// control port), otherwise in this process under the folder's lock file.
class SimClient
{
public:
    explicit SimClient(const QString &stateDir);

    QString stateDir() const { return m_dir; }
    // tool is "phonesim" (args: command word and arguments, no state) or "adb".
    CommandResult execute(const QString &tool, const QStringList &args, const QString &cwd, bool createFolder = false);

    // The running simulator's pid and port, from STATE/server.json when its
    // process is alive.
    bool serverInfo(qint64 *pid, int *port) const;
    bool running() const;

    CommandResult start(qint64 watchPid);
    CommandResult stop();
    CommandResult status();
    // Runs the simulator in this process until it is stopped.
    int serve(qint64 watchPid);

private:
    bool call(int port, const QString &tool, const QStringList &args, const QString &cwd, CommandResult *result,
        int timeoutMs) const;

    QString m_dir;
};

} // namespace phonesim

#endif
