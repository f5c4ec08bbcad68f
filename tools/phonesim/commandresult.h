#ifndef TOOLS_PHONESIM_COMMANDRESULT_H
#define TOOLS_PHONESIM_COMMANDRESULT_H

#include <QByteArray>

namespace phonesim {

// What a command printed and its exit code, whether it ran in the
// command-line process or inside a running simulator.
struct CommandResult
{
    int code = 0;
    QByteArray out;
    QByteArray err;

    static CommandResult failure(const QByteArray &message, int exitCode = 1)
    {
        return CommandResult { exitCode, {}, message.endsWith('\n') ? message : message + '\n' };
    }
};

} // namespace phonesim

#endif
