#ifndef TOOLS_PHONESIM_PHONESHELL_H
#define TOOLS_PHONESIM_PHONESHELL_H

#include "tools/phonesim/commandresult.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace phonesim {

// The phone's /system/bin/sh as far as "adb shell COMMAND LINE" needs it.
// adb joins its arguments with spaces and hands the phone's shell that one
// line; the shell then splits it into commands and words the way sh does:
//
//   - commands are separated by ";", "&&", "||", "&" and line feeds
//     ("&&" and "||" look at the exit status; "&" runs in the foreground
//     here);
//   - '...' is literal; "..." keeps everything but `$`, "`" and "\";
//     outside quotes "\" takes the next character literally;
//   - $NAME, ${NAME}, $(...) and `...` are expanded, in double quotes as one
//     word, outside quotes split at blanks; the commands inside $(...) and
//     `...` really run;
//   - unquoted "*" and "?" match names in the shell's working folder, "/";
//   - "#" at the start of a word comments out the rest of the line;
//   - pipes and redirections are not simulated and fail the line.
//
// Each command's words go to `run`, which plays the phone's programs.
class PhoneShell
{
public:
    using Runner = std::function<CommandResult(const QStringList &argv)>;

    explicit PhoneShell(Runner run);

    // Runs the line; output and error of all commands, the last status.
    CommandResult execute(const QString &line);

private:
    struct Word
    {
        QString text;
        QList<bool> literal; // per character: quoted or escaped, no glob
        bool quotedSeen = false;
    };

    bool parseCommand(const QString &line, int *pos, QList<Word> *words, QString *separator, QString *error);
    QString substitute(const QString &commands);
    QString variable(const QString &name) const;
    bool readSubstitution(const QString &line, int *pos, QString *inner, QString *error);
    QStringList expandWords(const QList<Word> &words) const;

    Runner m_run;
    int m_status = 0;
    CommandResult m_total;
    int m_depth = 0;
};

} // namespace phonesim

#endif
