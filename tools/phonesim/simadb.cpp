#include "tools/phonesim/simadb.h"

#include "tools/phonesim/contactsprovider.h"
#include "tools/phonesim/contentcommand.h"
#include "tools/phonesim/phoneshell.h"
#include "tools/phonesim/simserver.h"
#include "tools/phonesim/simstate.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace phonesim {

namespace {

const QStringList systemPackages = { QStringLiteral("android"), QStringLiteral("com.android.phone"),
    QStringLiteral("com.android.providers.contacts"), QStringLiteral("com.android.contacts"),
    QStringLiteral("com.android.settings"), QStringLiteral("com.android.systemui"),
    QStringLiteral("com.google.android.gms"), QStringLiteral("com.android.chrome") };

struct Parsed
{
    QString serial;
    int command = 0; // index of the command word
};

Parsed parseGlobal(const QStringList &args)
{
    Parsed p;
    int i = 0;
    while (i < args.size() && args.at(i).startsWith(u'-')) {
        const QString &opt = args.at(i);
        if (opt == u"-s" && i + 1 < args.size()) {
            p.serial = args.at(i + 1);
            i += 2;
        } else if ((opt == u"-t" || opt == u"-H" || opt == u"-P" || opt == u"-L") && i + 1 < args.size()) {
            i += 2;
        } else {
            ++i;
        }
    }
    p.command = i;
    return p;
}

class Adb
{
public:
    Adb(SimState &state, SimServer *server, const QString &cwd) : m_state(state), m_server(server), m_cwd(cwd) { }

    CommandResult run(const QStringList &args)
    {
        m_state.logAdb(args);
        const Parsed p = parseGlobal(args);
        const QString command = args.value(p.command);
        CommandResult r = runCommand(args, p, command);
        // The first command after "kill-server" starts adb's server again,
        // and says so on standard error.
        const QString stopped = m_state.path(QStringLiteral("adb-server-stopped"));
        if (command == u"kill-server") {
            QFile marker(stopped);
            if (marker.open(QIODevice::WriteOnly))
                marker.close();
        } else if (command != u"version" && !command.isEmpty() && QFile::exists(stopped)) {
            QFile::remove(stopped);
            r.err.prepend(daemonStartLines);
        }
        return r;
    }

private:
    static constexpr const char *daemonStartLines
        = "* daemon not running; starting now at tcp:5037\n* daemon started successfully\n";

    CommandResult runCommand(const QStringList &args, const Parsed &p, const QString &command)
    {
        const QStringList rest = args.mid(p.command + 1);
        if (command == u"devices")
            return devices(rest.contains(QStringLiteral("-l")));
        if (command == u"kill-server") {
            if (m_server)
                m_server->removeAllForwards();
            return {};
        }
        if (command == u"start-server")
            return {};
        if (command == u"version")
            return { 0, "Android Debug Bridge version 1.0.41\nVersion 34.0.5-phonesim\nInstalled as phonesim stand-in\n", {} };
        if (command.isEmpty())
            return CommandResult::failure("adb: no command given");

        static const QStringList deviceCommands = { QStringLiteral("forward"), QStringLiteral("install"),
            QStringLiteral("uninstall"), QStringLiteral("shell"), QStringLiteral("get-state"),
            QStringLiteral("get-serialno"), QStringLiteral("wait-for-device") };
        if (!deviceCommands.contains(command))
            return CommandResult::failure("adb: unknown command " + command.toUtf8());

        CommandResult result;
        SimPhone *phone = selectDevice(p.serial, &result);
        if (!phone)
            return result;
        warn(phone, &result);
        CommandResult r;
        if (command == u"forward")
            r = forward(phone, rest);
        else if (command == u"install")
            r = install(phone, rest);
        else if (command == u"uninstall")
            r = uninstall(phone, rest);
        else if (command == u"shell")
            r = shell(phone, rest);
        else if (command == u"get-state")
            r.out = phone->config.usbState.toUtf8() + '\n';
        else if (command == u"get-serialno")
            r.out = phone->config.serial.toUtf8() + '\n';
        r.err.prepend(result.err);
        return r;
    }

    // Like adb: an unknown serial, an unauthorised or offline phone, or no
    // serial with other than exactly one phone are errors on stderr.
    SimPhone *selectDevice(const QString &serial, CommandResult *result)
    {
        QList<SimPhone *> attached;
        for (SimPhone *phone : m_state.phones()) {
            if (phone->config.usbVisible())
                attached.append(phone);
        }
        SimPhone *phone = nullptr;
        if (serial.isEmpty()) {
            if (attached.isEmpty()) {
                *result = CommandResult::failure("adb: no devices/emulators found");
                return nullptr;
            }
            if (attached.size() > 1) {
                *result = CommandResult::failure("adb: more than one device/emulator");
                return nullptr;
            }
            phone = attached.first();
        } else {
            for (SimPhone *p : std::as_const(attached)) {
                if (p->config.serial == serial)
                    phone = p;
            }
            if (!phone) {
                *result = CommandResult::failure("error: device '" + serial.toUtf8() + "' not found");
                return nullptr;
            }
        }
        if (phone->config.usbState == u"unauthorized") {
            *result = CommandResult::failure("error: device unauthorized.\n"
                                             "This adb server's $ADB_VENDOR_KEYS is not set\n"
                                             "Try 'adb kill-server' if that seems wrong.\n"
                                             "Otherwise check for a confirmation dialog on your device.");
            return nullptr;
        }
        if (phone->config.usbState == u"offline") {
            *result = CommandResult::failure("error: device offline");
            return nullptr;
        }
        if (phone->config.usbState == u"authorizing" || phone->config.usbState == u"connecting") {
            *result = CommandResult::failure("error: device still " + phone->config.usbState.toUtf8());
            return nullptr;
        }
        if (phone->config.usbState == u"no-permissions") {
            *result = CommandResult::failure("error: insufficient permissions for device: " + noPermissionsReason
                + "\nSee [http://developer.android.com/tools/device.html] for more information");
            return nullptr;
        }
        return phone;
    }

    // The "adb-stderr" fault: the daemon start-up chatter real adb prints;
    // "adb-warning": a client and server of different versions, which is
    // more than chatter.
    void warn(SimPhone *phone, CommandResult *result)
    {
        warnWith(phone, result, QStringLiteral("adb-stderr"),
            "* daemon not running; starting now at tcp:5037\n* daemon started successfully\n");
        warnWith(phone, result, QStringLiteral("adb-warning"),
            "adb server version (40) doesn't match this client (41); killing...\n"
            "* daemon started successfully\n");
    }

    void warnWith(SimPhone *phone, CommandResult *result, const QString &fault, const QByteArray &text)
    {
        PhoneConfig &c = phone->config;
        if (!c.hasFault(fault))
            return;
        if (!result->err.contains(text))
            result->err += text;
        if (c.fault(fault) != u"always") {
            const int left = c.faultInt(fault) - 1;
            if (left <= 0)
                c.faults.remove(fault);
            else
                c.faults.insert(fault, QString::number(left));
            m_state.saveConfig(phone);
        }
    }

    CommandResult devices(bool longForm)
    {
        CommandResult result;
        result.out = "List of devices attached\n";
        QList<SimPhone *> phones = m_state.phones();
        std::sort(phones.begin(), phones.end(), [](SimPhone *a, SimPhone *b) { return a->config.serial < b->config.serial; });
        int transport = 1;
        for (SimPhone *phone : std::as_const(phones)) {
            const PhoneConfig &c = phone->config;
            if (!c.usbVisible())
                continue;
            QByteArray line = c.serial.toUtf8() + '\t' + stateText(c.usbState);
            if (longForm && c.usbState == u"device") {
                QString model = c.name;
                model.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral("_"));
                line += " product:phonesim model:" + model.toUtf8() + " device:phonesim";
            }
            if (longForm)
                line += " transport_id:" + QByteArray::number(transport++);
            result.out += line + '\n';
            warn(phone, &result);
        }
        result.out += '\n';
        return result;
    }

    // What "adb devices" prints for a state.
    static QByteArray stateText(const QString &state)
    {
        if (state == u"no-permissions")
            return "no permissions (" + noPermissionsReason + "); see [http://developer.android.com/tools/device.html]";
        return state.toUtf8();
    }

    static inline const QByteArray noPermissionsReason = "missing udev rules? user is in the plugdev group";

    CommandResult forward(SimPhone *phone, const QStringList &rest)
    {
        if (rest.value(0) == u"--list") {
            CommandResult r;
            if (m_server) {
                for (const QString &f : m_server->forwardList())
                    r.out += f.toUtf8() + '\n';
            }
            return r;
        }
        if (!m_server)
            return CommandResult::failure("error: cannot bind listener: the phone simulator is not running for "
                + m_state.dir().toUtf8() + " (run: phonesim start STATE)");
        if (rest.value(0) == u"--remove-all") {
            m_server->removeAllForwards();
            return {};
        }
        static const QRegularExpression tcp(QStringLiteral("^tcp:(\\d{1,5})$"));
        if (rest.value(0) == u"--remove") {
            const auto m = tcp.match(rest.value(1));
            if (!m.hasMatch() || !m_server->removeForward(m.captured(1).toInt()))
                return CommandResult::failure("error: listener '" + rest.value(1).toUtf8() + "' not found");
            return {};
        }
        QStringList ports = rest;
        ports.removeAll(QStringLiteral("--no-rebind"));
        const auto local = tcp.match(ports.value(0));
        const auto remote = tcp.match(ports.value(1));
        const int localPort = local.captured(1).toInt();
        const int remotePort = remote.captured(1).toInt();
        if (ports.size() != 2 || !local.hasMatch() || !remote.hasMatch() || localPort < 1 || localPort > 65535
            || remotePort < 1 || remotePort > 65535)
            return CommandResult::failure("adb: usage: adb forward LOCAL REMOTE (tcp:PORT only in phonesim)");
        QString error;
        if (!m_server->forward(phone, localPort, remotePort, &error))
            return CommandResult::failure("adb: error: " + error.toUtf8());
        return {};
    }

    bool agentPresent(const PhoneConfig &c) const
    {
        return c.agentInstalled && !c.hasFault(QStringLiteral("missing-package"));
    }

    CommandResult install(SimPhone *phone, const QStringList &rest)
    {
        QStringList files;
        for (const QString &arg : rest) {
            if (!arg.startsWith(u'-'))
                files.append(arg);
        }
        if (files.size() != 1)
            return CommandResult::failure("adb: install requires an apk argument");
        if (!files.first().endsWith(u".apk", Qt::CaseInsensitive) && !files.first().endsWith(u".apex", Qt::CaseInsensitive))
            return CommandResult::failure("adb: filename doesn't end .apk or .apex: " + files.first().toUtf8());
        const QString path = QDir(m_cwd).absoluteFilePath(files.first());
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return CommandResult::failure("adb: failed to stat " + files.first().toUtf8() + ": No such file or directory");
        const QByteArray md5 = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Md5).toHex();
        CommandResult r;
        r.out = "Performing Streamed Install\n";
        PhoneConfig &c = phone->config;
        if (c.hasFault(QStringLiteral("install-failure"))) {
            QString code = c.fault(QStringLiteral("install-failure"));
            if (code.isEmpty() || code == u"1")
                code = QStringLiteral("INSUFFICIENT_STORAGE");
            if (!code.startsWith(u"INSTALL_FAILED_"))
                code.prepend(QStringLiteral("INSTALL_FAILED_"));
            r.code = 1;
            r.err = "adb: failed to install " + files.first().toUtf8() + ": Failure [" + code.toUtf8() + "]\n";
            m_state.log(phone, 'W', QStringLiteral("PackageManager"), QStringLiteral("install failed: ") + code);
            return r;
        }
        r.out += "Success\n";
        c.agentInstalled = true;
        c.installedPackageMd5 = QString::fromLatin1(md5);
        m_state.saveConfig(phone);
        m_state.log(phone, 'I', QStringLiteral("PackageManager"),
            QStringLiteral("installed %1 from %2").arg(QString::fromLatin1(agentPackage), path));
        return settled(r);
    }

    CommandResult uninstall(SimPhone *phone, const QStringList &rest)
    {
        QStringList names;
        for (const QString &arg : rest) {
            if (!arg.startsWith(u'-'))
                names.append(arg);
        }
        PhoneConfig &c = phone->config;
        if (names.size() != 1 || names.first() != QLatin1String(agentPackage) || !agentPresent(c))
            return { 1, "Failure [DELETE_FAILED_INTERNAL_ERROR]\n", {} };
        c.agentInstalled = false;
        m_state.saveConfig(phone);
        m_state.log(phone, 'I', QStringLiteral("PackageManager"), QStringLiteral("removed ") + names.first());
        return settled({ 0, "Success\n", {} });
    }

    CommandResult settled(CommandResult r)
    {
        QString error;
        if (m_server)
            m_server->reconcile(&error);
        return r;
    }

    CommandResult shell(SimPhone *phone, const QStringList &rest)
    {
        // adb joins its arguments with spaces and hands the phone's shell
        // that one line.
        const QString line = rest.join(u' ');
        if (line.trimmed().isEmpty())
            return CommandResult::failure("phonesim: interactive shells are not simulated");
        PhoneShell sh([this, phone](const QStringList &argv) { return program(phone, argv); });
        CommandResult r = sh.execute(line);
        QString error;
        if (phone->store && !m_state.flushStore(phone, &error))
            r.err += "phonesim: " + error.toUtf8() + '\n';
        return r;
    }

    // One program run by the phone's shell.
    CommandResult program(SimPhone *phone, const QStringList &words)
    {
        const QString tool = words.value(0);
        if (tool == u"pm")
            return packageManager(phone, words.mid(1));
        if (tool == u"am")
            return activityManager(phone, words.mid(1));
        if (tool == u"logcat")
            return logcat(phone, words.mid(1));
        if (tool == u"getprop")
            return getprop(phone, words.mid(1));
        if (tool == u"content")
            return content(phone, words.mid(1));
        if (tool == u"echo")
            return { 0, words.mid(1).join(u' ').toUtf8() + '\n', {} };
        if (tool == u"true" || tool == u":")
            return {};
        if (tool == u"false")
            return { 1, {}, {} };
        if (tool == u"id")
            return { 0, "uid=2000(shell) gid=2000(shell) groups=2000(shell),1004(input),1007(log),1011(adb),1015(sdcard_rw),3003(inet) context=u:r:shell:s0\n", {} };
        // Anything else the phone would run is recorded, so that a test can
        // see a command that should never have run.
        m_state.log(phone, 'W', QStringLiteral("phonesim-sh"), QStringLiteral("not simulated, not run: ") + words.join(u' '));
        return { 127, {}, "/system/bin/sh: " + tool.toUtf8() + ": inaccessible or not found\n" };
    }

    CommandResult content(SimPhone *phone, const QStringList &args)
    {
        QString error;
        PhoneStore *store = m_state.store(phone, &error);
        if (!store)
            return CommandResult::failure("phonesim: " + error.toUtf8());
        ContactsProvider provider(*store);
        return ContentCommand(provider, phone->config.sdk).run(args);
    }

    CommandResult packageManager(SimPhone *phone, const QStringList &args)
    {
        QStringList rest = args;
        if (rest.value(0) == u"-l")
            rest.removeFirst();
        else if (rest.value(0) == u"list" && rest.value(1) == u"packages")
            rest = rest.mid(2);
        else
            return { 1, {}, "Error: phonesim simulates only \"pm -l\" and \"pm list packages\"\n" };
        QString filter;
        for (const QString &arg : rest) {
            if (!arg.startsWith(u'-'))
                filter = arg;
        }
        QStringList packages = systemPackages;
        if (agentPresent(phone->config))
            packages.append(QString::fromLatin1(agentPackage));
        CommandResult r;
        for (const QString &p : std::as_const(packages)) {
            if (filter.isEmpty() || p.contains(filter))
                r.out += "package:" + p.toUtf8() + '\n';
        }
        return r;
    }

    CommandResult activityManager(SimPhone *phone, const QStringList &args)
    {
        if (args.value(0) != u"broadcast")
            return { 1, "Error: phonesim simulates only \"am broadcast\"\n", {} };
        QString action, data, component, type;
        QStringList categories;
        for (int i = 1; i < args.size(); ++i) {
            const QString &opt = args.at(i);
            const QString value = args.value(i + 1);
            if (opt == u"-a") {
                action = value;
                ++i;
            } else if (opt == u"-d") {
                data = value;
                ++i;
            } else if (opt == u"-n") {
                component = value;
                ++i;
            } else if (opt == u"-c") {
                categories.append(value);
                ++i;
            } else if (opt == u"-t") {
                type = value;
                ++i;
            } else if (opt == u"-f" || opt == u"--user") {
                ++i;
            } else if (opt.startsWith(u"--e")) {
                i += 2;
            } else {
                return { 1, "Error: Unknown option: " + opt.toUtf8() + '\n', {} };
            }
        }
        QStringList intent;
        if (!action.isEmpty())
            intent.append(QStringLiteral("act=") + action);
        if (!categories.isEmpty())
            intent.append(QStringLiteral("cat=[%1]").arg(categories.join(u',')));
        if (!data.isEmpty())
            intent.append(QStringLiteral("dat=") + data);
        if (!type.isEmpty())
            intent.append(QStringLiteral("typ=") + type);
        intent.append(QStringLiteral("flg=0x400000"));
        if (!component.isEmpty())
            intent.append(QStringLiteral("cmp=") + component);
        CommandResult r;
        r.out = "Broadcasting: Intent { " + intent.join(u' ').toUtf8() + " }\nBroadcast completed: result=0\n";
        m_state.log(phone, 'I', QStringLiteral("ActivityManager"), QStringLiteral("broadcast ") + intent.join(u' '));

        static const QRegularExpression uri(QStringLiteral("^sync://(backup|restore):(\\d{1,5})/?$"));
        const auto m = uri.match(data);
        const int port = m.captured(2).toInt();
        const bool forAgent = component == QLatin1String(agentReceiver)
            || component == QStringLiteral("%1/%1.AdbSyncBroadcastReceiver").arg(QLatin1String(agentPackage));
        if (!forAgent)
            return r;
        if (!agentPresent(phone->config)) {
            m_state.log(phone, 'W', QStringLiteral("ActivityManager"), QStringLiteral("Unable to find receiver ") + component);
            return r;
        }
        if (!m.hasMatch() || port < 1 || port > 65535) {
            m_state.log(phone, 'W', QStringLiteral("ContactsSync"), QStringLiteral("ignored start request: ") + data);
            return r;
        }
        if (!m_server) {
            r.err = "Error: the phone simulator is not running for " + m_state.dir().toUtf8()
                + "; the agent cannot start (run: phonesim start STATE)\n";
            return r;
        }
        const bool backup = m.captured(1) == u"backup";
        m_server->startUsbAgent(phone, backup ? AgentSession::Mode::Backup : AgentSession::Mode::Restore, port);
        m_state.log(phone, 'I', QStringLiteral("ContactsSync"),
            QStringLiteral("%1 service listening on port %2").arg(m.captured(1)).arg(port));
        return r;
    }

    CommandResult logcat(SimPhone *phone, const QStringList &args)
    {
        const QString path = phone->folder + QStringLiteral("/logcat.txt");
        if (args.contains(QStringLiteral("-c"))) {
            QFile::remove(path);
            return {};
        }
        // Without -d the real logcat keeps following the log; the stand-in
        // always prints what there is and ends.
        QFile file(path);
        CommandResult r;
        r.out = "--------- beginning of main\n";
        if (file.open(QIODevice::ReadOnly))
            r.out += file.readAll();
        return r;
    }

    static QString releaseOf(int sdk)
    {
        static const QMap<int, QString> releases = { { 19, QStringLiteral("4.4") }, { 21, QStringLiteral("5.0") },
            { 22, QStringLiteral("5.1") }, { 23, QStringLiteral("6.0") }, { 24, QStringLiteral("7.0") },
            { 25, QStringLiteral("7.1") }, { 26, QStringLiteral("8.0") }, { 27, QStringLiteral("8.1") },
            { 28, QStringLiteral("9") }, { 29, QStringLiteral("10") }, { 30, QStringLiteral("11") },
            { 31, QStringLiteral("12") }, { 32, QStringLiteral("12") }, { 33, QStringLiteral("13") },
            { 34, QStringLiteral("14") }, { 35, QStringLiteral("15") } };
        return releases.value(sdk, QString::number(sdk));
    }

    CommandResult getprop(SimPhone *phone, const QStringList &args)
    {
        const QList<QPair<QString, QString>> props = {
            { QStringLiteral("ro.build.version.release"), releaseOf(phone->config.sdk) },
            { QStringLiteral("ro.build.version.sdk"), QString::number(phone->config.sdk) },
            { QStringLiteral("ro.product.manufacturer"), QStringLiteral("phonesim") },
            { QStringLiteral("ro.product.model"), phone->config.name },
            { QStringLiteral("ro.serialno"), phone->config.serial },
        };
        CommandResult r;
        for (const auto &[key, value] : props) {
            if (args.isEmpty())
                r.out += QStringLiteral("[%1]: [%2]\n").arg(key, value).toUtf8();
            else if (args.first() == key)
                r.out += value.toUtf8() + '\n';
        }
        if (!args.isEmpty() && r.out.isEmpty())
            r.out = "\n";
        return r;
    }

    SimState &m_state;
    SimServer *m_server;
    QString m_cwd;
};

} // namespace

CommandResult runAdbCommand(SimState &state, SimServer *server, const QStringList &args, const QString &cwd)
{
    return Adb(state, server, cwd).run(args);
}

QString adbSerialArgument(const QStringList &args)
{
    return parseGlobal(args).serial;
}

QString adbCommandWord(const QStringList &args)
{
    return args.value(parseGlobal(args).command);
}

} // namespace phonesim
