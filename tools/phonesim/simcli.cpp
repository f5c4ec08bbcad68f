#include "tools/phonesim/simcli.h"

#include "tools/phonesim/phonecontactgenerator.h"
#include "tools/phonesim/simserver.h"
#include "tools/phonesim/simstate.h"
#include "tools/phonesim/storedump.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>

namespace phonesim {

namespace {

QByteArray line(const QString &text)
{
    return text.toUtf8() + '\n';
}

bool splitKeyValue(const QString &arg, QString *key, QString *value)
{
    const qsizetype eq = arg.indexOf(u'=');
    if (eq < 1)
        return false;
    *key = arg.left(eq);
    *value = arg.mid(eq + 1);
    return true;
}

bool parseCount(const QString &text, int *n)
{
    bool ok = false;
    *n = text.toInt(&ok);
    return ok && *n >= 0;
}

bool parseSeed(const QString &text, quint64 *seed)
{
    bool ok = false;
    *seed = text.toULongLong(&ok);
    return ok;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString usbText(const PhoneConfig &c)
{
    if (c.serial.isEmpty())
        return QStringLiteral("none");
    return c.attached ? c.usbState : QStringLiteral("detached");
}

// Settles the server's listeners after a change. In the command-line
// process there is nothing to settle: the next server start binds.
CommandResult settle(SimServer *server, CommandResult ok = {})
{
    QString error;
    if (server && !server->reconcile(&error))
        return CommandResult::failure(error.toUtf8());
    return ok;
}

class Commands
{
public:
    Commands(SimState &state, SimServer *server) : m_state(state), m_server(server) { }

    CommandResult run(const QStringList &args)
    {
        const QString command = args.value(0);
        const QStringList rest = args.mid(1);
        if (command == u"create")
            return create(rest);
        if (command == u"list")
            return list();
        // Everything else names a phone first.
        if (command == u"adb-log")
            return adbLog(rest);
        static const QStringList phoneCommands = { QStringLiteral("remove"), QStringLiteral("show"),
            QStringLiteral("set"), QStringLiteral("attach"), QStringLiteral("detach"), QStringLiteral("wifi"),
            QStringLiteral("fault"), QStringLiteral("fill"), QStringLiteral("clear"), QStringLiteral("dump"),
            QStringLiteral("transcript"), QStringLiteral("log") };
        if (!phoneCommands.contains(command))
            return CommandResult::failure("phonesim: unknown command \"" + command.toUtf8() + "\"; try phonesim help", 2);
        if (rest.isEmpty())
            return CommandResult::failure("phonesim " + command.toUtf8() + ": name a phone", 2);
        SimPhone *phone = m_state.find(rest.first());
        if (!phone)
            return CommandResult::failure("phonesim: no phone \"" + rest.first().toUtf8() + "\" in " + m_state.dir().toUtf8());
        const QStringList params = rest.mid(1);
        if (command == u"remove")
            return remove(phone);
        if (command == u"show")
            return { 0, QJsonDocument(phone->config.toJson()).toJson(), {} };
        if (command == u"set")
            return set(phone, params);
        if (command == u"attach")
            return attach(phone, params, true);
        if (command == u"detach")
            return attach(phone, params, false);
        if (command == u"wifi")
            return wifi(phone, params);
        if (command == u"fault")
            return fault(phone, params);
        if (command == u"fill")
            return fill(phone, params);
        if (command == u"clear")
            return clear(phone);
        if (command == u"dump")
            return dump(phone, params);
        if (command == u"transcript")
            return fileCommand(phone->folder + QStringLiteral("/transcript.txt"), params, phone);
        return fileCommand(phone->folder + QStringLiteral("/logcat.txt"), params, nullptr);
    }

private:
    CommandResult create(const QStringList &args)
    {
        QList<QStringList> descriptions { {} };
        for (const QString &arg : args) {
            if (arg == u"+")
                descriptions.append(QStringList());
            else
                descriptions.last().append(arg);
        }
        CommandResult result;
        for (const QStringList &description : std::as_const(descriptions)) {
            if (description.isEmpty())
                return CommandResult::failure("phonesim create: an empty phone description", 2);
            PhoneConfig config;
            int contacts = 0;
            bool seeded = false;
            quint64 seed = 0;
            for (const QString &arg : description) {
                QString key, value, error;
                if (!splitKeyValue(arg, &key, &value))
                    return CommandResult::failure("phonesim create: expected key=value, got \"" + arg.toUtf8() + '"', 2);
                if (key == u"id") {
                    config.id = value;
                } else if (key == u"contacts") {
                    if (!parseCount(value, &contacts))
                        return CommandResult::failure("phonesim create: bad contact count", 2);
                } else if (key == u"seed") {
                    if (!parseSeed(value, &seed))
                        return CommandResult::failure("phonesim create: bad seed", 2);
                    seeded = true;
                } else if (!config.setAttribute(key, value, &error)) {
                    return CommandResult::failure("phonesim create: " + error.toUtf8(), 2);
                }
            }
            QString error;
            SimPhone *phone = m_state.addPhone(config, &error);
            if (!phone)
                return CommandResult::failure("phonesim create: " + error.toUtf8());
            if (contacts > 0) {
                PhoneContactGenerator(seeded ? seed : seedForId(phone->config.id)).fill(*phone->store, 0, contacts);
                if (!m_state.saveStore(phone, &error))
                    return CommandResult::failure(error.toUtf8());
            }
            if (m_server && !m_server->reconcile(&error)) {
                QString ignored;
                m_server->forgetPhone(phone);
                m_state.removePhone(phone, &ignored);
                return CommandResult::failure("phonesim create: " + error.toUtf8());
            }
            result.out += line(phone->config.id);
        }
        return result;
    }

    CommandResult list()
    {
        CommandResult result;
        for (SimPhone *phone : m_state.phones()) {
            const PhoneConfig &c = phone->config;
            QString error;
            const PhoneStore *store = m_state.store(phone, &error);
            result.out += line(QStringLiteral("%1\tserial=%2\twifi=%3\tusb=%4\tagent=%5\tversion=%6\tcontacts=%7\tname=%8")
                                   .arg(c.id, c.serial, c.wifi.isEmpty() || !c.wifiEnabled ? QStringLiteral("off") : c.wifi,
                                       usbText(c), c.agentInstalled ? QStringLiteral("installed") : QStringLiteral("missing"),
                                       c.agentVersion)
                                   .arg(store ? qsizetype(store->contacts().size()) : -1)
                                   .arg(escapeDumpValue(c.name)));
        }
        return result;
    }

    CommandResult remove(SimPhone *phone)
    {
        if (m_server)
            m_server->forgetPhone(phone);
        QString error;
        if (!m_state.removePhone(phone, &error))
            return CommandResult::failure(error.toUtf8());
        return {};
    }

    CommandResult set(SimPhone *phone, const QStringList &params)
    {
        PhoneConfig config = phone->config;
        for (const QString &arg : params) {
            QString key, value, error;
            if (!splitKeyValue(arg, &key, &value) || !config.setAttribute(key, value, &error))
                return CommandResult::failure("phonesim set: " + (error.isEmpty() ? "expected key=value" : error.toUtf8()), 2);
        }
        for (SimPhone *other : m_state.phones()) {
            if (other == phone)
                continue;
            if ((!config.serial.isEmpty() && other->config.serial == config.serial)
                || (!config.wifi.isEmpty() && other->config.wifi == config.wifi))
                return CommandResult::failure("phonesim set: the serial or address belongs to " + other->config.id.toUtf8());
        }
        if (config.serial.isEmpty() && config.wifi.isEmpty())
            return CommandResult::failure("phonesim set: a phone needs a serial, a WiFi address or both");
        if (m_server && config.serial != phone->config.serial)
            m_server->forgetPhone(phone);
        phone->config = config;
        m_state.saveConfig(phone);
        return settle(m_server);
    }

    CommandResult attach(SimPhone *phone, const QStringList &params, bool attached)
    {
        if (phone->config.serial.isEmpty())
            return CommandResult::failure("phonesim: " + phone->config.id.toUtf8() + " has no USB serial");
        if (attached && !params.isEmpty()) {
            QString error;
            if (!phone->config.setAttribute(QStringLiteral("usb-state"), params.first(), &error))
                return CommandResult::failure("phonesim attach: " + error.toUtf8(), 2);
        }
        phone->config.attached = attached;
        m_state.saveConfig(phone);
        m_state.log(phone, 'I', QStringLiteral("UsbDeviceManager"),
            attached ? QStringLiteral("USB connected") : QStringLiteral("USB disconnected"));
        return settle(m_server);
    }

    CommandResult wifi(SimPhone *phone, const QStringList &params)
    {
        const QString arg = params.value(0);
        QString error;
        if (arg == u"on" || arg == u"off") {
            if (arg == u"on" && phone->config.wifi.isEmpty())
                return CommandResult::failure("phonesim wifi: give the phone an address first");
            phone->config.wifiEnabled = arg == u"on";
        } else if (!arg.isEmpty()) {
            if (SimPhone *other = m_state.findByWifi(arg); other && other != phone)
                return CommandResult::failure("phonesim wifi: " + arg.toUtf8() + " belongs to " + other->config.id.toUtf8());
            if (!phone->config.setAttribute(QStringLiteral("wifi"), arg, &error))
                return CommandResult::failure("phonesim wifi: " + error.toUtf8(), 2);
            phone->config.wifiEnabled = true;
        } else {
            return CommandResult::failure("phonesim wifi: give an address, on or off", 2);
        }
        m_state.saveConfig(phone);
        return settle(m_server);
    }

    CommandResult fault(SimPhone *phone, const QStringList &params)
    {
        if (params.isEmpty()) {
            CommandResult result;
            for (auto it = phone->config.faults.cbegin(); it != phone->config.faults.cend(); ++it)
                result.out += line(it.key() + u'=' + escapeDumpValue(it.value()));
            return result;
        }
        QMap<QString, QString> faults = phone->config.faults;
        if (params.first() == u"clear") {
            if (params.size() == 1)
                faults.clear();
            for (const QString &name : params.mid(1))
                faults.remove(name);
        } else {
            for (const QString &arg : params) {
                QString name = arg, value, error;
                if (!splitKeyValue(arg, &name, &value))
                    value = QStringLiteral("1");
                if (!PhoneConfig::validFault(name, value, &error))
                    return CommandResult::failure("phonesim fault: " + error.toUtf8(), 2);
                if (value == u"0" && !name.startsWith(u"drop") && name != u"stall")
                    faults.remove(name);
                else
                    faults.insert(name, value);
            }
        }
        phone->config.faults = faults;
        m_state.saveConfig(phone);
        return settle(m_server);
    }

    CommandResult fill(SimPhone *phone, const QStringList &params)
    {
        int count = 0, from = 0;
        quint64 seed = seedForId(phone->config.id);
        if (params.isEmpty() || !parseCount(params.first(), &count))
            return CommandResult::failure("phonesim fill: give the number of contacts", 2);
        for (const QString &arg : params.mid(1)) {
            QString key, value;
            if (!splitKeyValue(arg, &key, &value) || !((key == u"seed" && parseSeed(value, &seed))
                    || (key == u"from" && parseCount(value, &from))))
                return CommandResult::failure("phonesim fill: expected seed=S or from=N, got " + arg.toUtf8(), 2);
        }
        QString error;
        PhoneStore *store = storeOf(phone, &error);
        if (!store)
            return CommandResult::failure(error.toUtf8());
        PhoneContactGenerator(seed).fill(*store, from, count);
        if (!m_state.saveStore(phone, &error))
            return CommandResult::failure(error.toUtf8());
        return {};
    }

    CommandResult clear(SimPhone *phone)
    {
        QString error;
        PhoneStore *store = storeOf(phone, &error);
        if (!store)
            return CommandResult::failure(error.toUtf8());
        store->clear();
        if (!m_state.saveStore(phone, &error))
            return CommandResult::failure(error.toUtf8());
        return {};
    }

    CommandResult dump(SimPhone *phone, const QStringList &params)
    {
        QString error;
        PhoneStore *store = storeOf(phone, &error);
        if (!store)
            return CommandResult::failure(error.toUtf8());
        const QString mode = params.value(0);
        if (mode == u"--count")
            return { 0, QByteArray::number(qsizetype(store->contacts().size())) + '\n', {} };
        if (mode == u"--wire")
            return { 0, dumpWire(*store), {} };
        if (!mode.isEmpty())
            return CommandResult::failure("phonesim dump: unknown option " + mode.toUtf8(), 2);
        return { 0, dumpStore(*store), {} };
    }

    CommandResult fileCommand(const QString &path, const QStringList &params, SimPhone *drainFirst)
    {
        if (drainFirst && m_server)
            m_server->drain(drainFirst);
        m_state.flushTranscripts();
        if (params.value(0) == u"--clear") {
            QFile::remove(path);
            return {};
        }
        return { 0, readFile(path), {} };
    }

    CommandResult adbLog(const QStringList &params)
    {
        return fileCommand(m_state.path(QStringLiteral("adb.log")), params, nullptr);
    }

    // The store with everything the desktop has sent so far applied.
    PhoneStore *storeOf(SimPhone *phone, QString *error)
    {
        if (m_server)
            m_server->drain(phone);
        return m_state.store(phone, error);
    }

    SimState &m_state;
    SimServer *m_server;
};

} // namespace

quint64 seedForId(const QString &id)
{
    const QByteArray h = QCryptographicHash::hash(id.toUtf8(), QCryptographicHash::Sha1);
    quint64 seed = 0;
    for (int i = 0; i < 8; ++i)
        seed = (seed << 8) | quint8(h.at(i));
    return seed;
}

CommandResult runSimCommand(SimState &state, SimServer *server, const QStringList &args)
{
    return Commands(state, server).run(args);
}

CommandResult runStatelessCommand(const QStringList &args)
{
    // generate N [seed=S] [from=K] [--wire]
    int count = 0, from = 0;
    quint64 seed = 1;
    bool wire = false;
    if (args.size() < 2 || !parseCount(args.at(1), &count))
        return CommandResult::failure("phonesim generate: give the number of contacts", 2);
    for (const QString &arg : args.mid(2)) {
        QString key, value;
        if (arg == u"--wire")
            wire = true;
        else if (!splitKeyValue(arg, &key, &value)
            || !((key == u"seed" && parseSeed(value, &seed)) || (key == u"from" && parseCount(value, &from))))
            return CommandResult::failure("phonesim generate: expected seed=S, from=N or --wire", 2);
    }
    PhoneStore store;
    PhoneContactGenerator(seed).fill(store, from, count);
    return { 0, wire ? dumpWire(store) : dumpStore(store), {} };
}

QString usageText()
{
    return QStringLiteral(
        "usage: phonesim COMMAND [STATE] [ARGS]\n"
        "\n"
        "State folder and phones:\n"
        "  create STATE KEY=VALUE... [+ KEY=VALUE...]   add phones (creates STATE)\n"
        "      keys: id serial wifi name device-id version installed batch-size\n"
        "            usb-state attached wifi-enabled contacts seed\n"
        "  list STATE                      one line per phone\n"
        "  show STATE PHONE                the phone's attributes and faults (JSON)\n"
        "  remove STATE PHONE\n"
        "  set STATE PHONE KEY=VALUE...    change attributes\n"
        "  attach STATE PHONE [device|unauthorized|offline]\n"
        "  detach STATE PHONE\n"
        "  wifi STATE PHONE ADDRESS|on|off\n"
        "  fault STATE PHONE [NAME[=VALUE]...|clear [NAME...]]\n"
        "  fill STATE PHONE N [seed=S] [from=K]   add generated contacts\n"
        "  clear STATE PHONE               delete every contact\n"
        "  dump STATE PHONE [--wire|--count]\n"
        "  transcript STATE PHONE [--clear]\n"
        "  log STATE PHONE [--clear]       the phone's logcat\n"
        "  adb-log STATE [--clear]         stand-in adb command lines\n"
        "\n"
        "Simulator:\n"
        "  serve STATE [--watch-pid PID]   run in the foreground\n"
        "  start STATE [--watch-pid PID]   run in the background; returns when ready\n"
        "  stop STATE\n"
        "  status STATE                    exit code 0 when running, 3 when not\n"
        "\n"
        "Other:\n"
        "  generate N [seed=S] [from=K] [--wire]   print generated contacts\n"
        "  adb-dir                         folder holding the stand-in adb\n"
        "  help\n");
}

} // namespace phonesim
