// The stand-in adb. It answers adb command lines for the USB phones of the
// simulator state folders named in PHONESIM_STATE (several folders are
// separated by ':'). Without PHONESIM_STATE no phone is attached.

#include "tools/phonesim/simadb.h"
#include "tools/phonesim/simclient.h"
#include "tools/phonesim/simstate.h"

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

QStringList stateFolders()
{
    QStringList dirs;
    for (const QString &dir : qEnvironmentVariable("PHONESIM_STATE").split(u':', Qt::SkipEmptyParts)) {
        if (QFileInfo(dir).isDir())
            dirs.append(dir);
    }
    return dirs;
}

// USB phones of a folder as they are on disk (the simulator writes every
// change through), for routing a command to the right folder.
QList<PhoneConfig> usbPhones(const QString &dir)
{
    SimState state(dir);
    QString error;
    QList<PhoneConfig> phones;
    if (!state.load(&error))
        return phones;
    for (SimPhone *phone : state.phones()) {
        if (phone->config.usbVisible())
            phones.append(phone->config);
    }
    return phones;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString command = adbCommandWord(args);
    const QStringList dirs = stateFolders();
    const QString cwd = QDir::currentPath();

    if (command == u"devices" || command == u"kill-server" || command == u"start-server") {
        CommandResult merged;
        QByteArray lines;
        for (const QString &dir : dirs) {
            const CommandResult r = SimClient(dir).execute(QStringLiteral("adb"), args, cwd);
            if (!merged.err.contains(r.err)) // one adb server, one start-up message
                merged.err += r.err;
            merged.code = std::max(merged.code, r.code);
            for (const QByteArray &line : r.out.split('\n')) {
                if (!line.isEmpty() && line != "List of devices attached")
                    lines += line + '\n';
            }
        }
        if (command == u"devices")
            merged.out = "List of devices attached\n" + lines + '\n';
        return finish(merged);
    }
    if (command == u"version" || command.isEmpty() || dirs.isEmpty()) {
        if (dirs.isEmpty()) {
            const QString serial = adbSerialArgument(args);
            if (command == u"version")
                return finish({ 0, "Android Debug Bridge version 1.0.41\nVersion 34.0.5-phonesim\n", {} });
            if (!serial.isEmpty())
                return finish(CommandResult::failure("error: device '" + serial.toUtf8() + "' not found"));
            return finish(CommandResult::failure("adb: no devices/emulators found"));
        }
        return finish(SimClient(dirs.first()).execute(QStringLiteral("adb"), args, cwd));
    }

    const QString serial = adbSerialArgument(args);
    QString target;
    int attached = 0;
    for (const QString &dir : dirs) {
        for (const PhoneConfig &phone : usbPhones(dir)) {
            ++attached;
            if (serial.isEmpty() || phone.serial == serial)
                target = dir;
        }
    }
    if (target.isEmpty() || (serial.isEmpty() && attached > 1)) {
        // Nobody runs the command; keep it in the command-line logs all the same.
        for (const QString &dir : dirs)
            SimState(dir).logAdb(args);
        if (!serial.isEmpty())
            return finish(CommandResult::failure("error: device '" + serial.toUtf8() + "' not found"));
        if (attached > 1)
            return finish(CommandResult::failure("adb: more than one device/emulator"));
        return finish(CommandResult::failure("adb: no devices/emulators found"));
    }
    return finish(SimClient(target).execute(QStringLiteral("adb"), args, cwd));
}
