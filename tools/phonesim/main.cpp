// phonesim: the phone simulator's command-line tool. See README.md.

#include "tools/phonesim/simcli.h"
#include "tools/phonesim/simclient.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

using namespace phonesim;

namespace {

int finish(const CommandResult &result)
{
    fwrite(result.out.constData(), 1, size_t(result.out.size()), stdout);
    fwrite(result.err.constData(), 1, size_t(result.err.size()), stderr);
    fflush(stdout);
    fflush(stderr);
    return result.code;
}

qint64 watchPidOption(const QStringList &args, bool *ok)
{
    *ok = true;
    const qsizetype i = args.indexOf(QStringLiteral("--watch-pid"));
    if (i < 0)
        return 0;
    return args.value(i + 1).toLongLong(ok);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);

    if (command.isEmpty() || command == u"help" || command == u"--help" || command == u"-h")
        return finish({ command.isEmpty() ? 2 : 0, usageText().toUtf8(), {} });
    if (command == u"adb-dir")
        return finish({ 0, QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/bin")).absolutePath().toUtf8() + '\n', {} });
    if (command == u"generate")
        return finish(runStatelessCommand(args));
    if (args.size() < 2)
        return finish(CommandResult::failure("phonesim " + command.toUtf8() + ": give the state folder", 2));

    SimClient client(args.at(1));
    bool ok = true;
    const qint64 watchPid = watchPidOption(args, &ok);
    if (!ok)
        return finish(CommandResult::failure("phonesim: --watch-pid takes a process id", 2));
    if (command == u"serve")
        return client.serve(watchPid);
    if (command == u"start")
        return finish(client.start(watchPid));
    if (command == u"stop")
        return finish(client.stop());
    if (command == u"status")
        return finish(client.status());

    QStringList rest { command };
    rest += args.mid(2);
    return finish(client.execute(QStringLiteral("phonesim"), rest, QDir::currentPath(), command == u"create"));
}
