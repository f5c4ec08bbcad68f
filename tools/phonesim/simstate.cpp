#include "tools/phonesim/simstate.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

#include <algorithm>

namespace phonesim {

namespace {

void appendToFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write(data);
}

} // namespace

QString storePath(const SimPhone &phone)
{
    return phone.folder + QStringLiteral("/contacts.store");
}

SimState::SimState(const QString &dir) : m_dir(QDir(dir).absolutePath()) { }

SimState::~SimState()
{
    flushTranscripts();
}

QString SimState::path(const QString &relative) const
{
    return m_dir + u'/' + relative;
}

bool SimState::load(QString *error)
{
    m_phones.clear();
    QDir phonesDir(path(QStringLiteral("phones")));
    const QStringList ids = phonesDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &id : ids) {
        QFile file(phonesDir.filePath(id) + QStringLiteral("/phone.json"));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QJsonParseError parseError;
        const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
        if (!doc.isObject()) {
            *error = QStringLiteral("%1: %2").arg(file.fileName(), parseError.errorString());
            return false;
        }
        auto phone = std::make_unique<SimPhone>();
        phone->config = PhoneConfig::fromJson(doc.object());
        phone->config.id = id;
        phone->folder = phonesDir.filePath(id);
        m_phones.push_back(std::move(phone));
    }
    return true;
}

QList<SimPhone *> SimState::phones() const
{
    QList<SimPhone *> list;
    for (const auto &p : m_phones)
        list.append(p.get());
    return list;
}

SimPhone *SimState::find(const QString &ref) const
{
    for (const auto &p : m_phones) {
        if (p->config.id == ref)
            return p.get();
    }
    for (const auto &p : m_phones) {
        const PhoneConfig &c = p->config;
        if ((!c.serial.isEmpty() && c.serial == ref) || (!c.wifi.isEmpty() && c.wifi == ref)
            || (!c.deviceId.isEmpty() && c.deviceId == ref))
            return p.get();
    }
    return nullptr;
}

SimPhone *SimState::findBySerial(const QString &serial) const
{
    for (const auto &p : m_phones) {
        if (!p->config.serial.isEmpty() && p->config.serial == serial)
            return p.get();
    }
    return nullptr;
}

SimPhone *SimState::findByWifi(const QString &address) const
{
    for (const auto &p : m_phones) {
        if (!p->config.wifi.isEmpty() && p->config.wifi == address)
            return p.get();
    }
    return nullptr;
}

SimPhone *SimState::addPhone(const PhoneConfig &config, QString *error)
{
    PhoneConfig c = config;
    if (c.id.isEmpty())
        c.id = !c.serial.isEmpty() ? c.serial : QStringLiteral("wifi-") + c.wifi;
    if (c.serial.isEmpty() && c.wifi.isEmpty()) {
        *error = QStringLiteral("a phone needs a serial, a WiFi address or both");
        return nullptr;
    }
    if (!isValidPhoneId(c.id)) {
        *error = QStringLiteral("bad phone id \"%1\"").arg(c.id);
        return nullptr;
    }
    if (find(c.id) || (!c.serial.isEmpty() && findBySerial(c.serial)) || (!c.wifi.isEmpty() && findByWifi(c.wifi))) {
        *error = QStringLiteral("a phone with this id, serial or WiFi address exists already: %1").arg(c.id);
        return nullptr;
    }
    if (c.deviceId.isEmpty()) {
        // Stable per phone, shaped like an Android id.
        c.deviceId = QString::fromLatin1(
            QCryptographicHash::hash(c.id.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
    }
    if (c.name.isEmpty())
        c.name = QStringLiteral("Phone ") + c.id;
    auto phone = std::make_unique<SimPhone>();
    phone->config = c;
    phone->folder = path(QStringLiteral("phones/")) + c.id;
    if (!QDir().mkpath(phone->folder)) {
        *error = QStringLiteral("cannot create %1").arg(phone->folder);
        return nullptr;
    }
    phone->store = std::make_unique<PhoneStore>();
    SimPhone *raw = phone.get();
    m_phones.push_back(std::move(phone));
    std::sort(m_phones.begin(), m_phones.end(), [](const auto &a, const auto &b) { return a->config.id < b->config.id; });
    if (!saveConfig(raw, error) || !saveStore(raw, error))
        return nullptr;
    return raw;
}

bool SimState::removePhone(SimPhone *phone, QString *error)
{
    const QString folder = phone->folder;
    m_phones.erase(std::remove_if(m_phones.begin(), m_phones.end(), [&](const auto &p) { return p.get() == phone; }),
        m_phones.end());
    if (!QDir(folder).removeRecursively()) {
        *error = QStringLiteral("cannot remove %1").arg(folder);
        return false;
    }
    return true;
}

bool SimState::saveConfig(SimPhone *phone, QString *error)
{
    QSaveFile file(phone->folder + QStringLiteral("/phone.json"));
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("cannot write %1").arg(file.fileName());
        return false;
    }
    file.write(QJsonDocument(phone->config.toJson()).toJson());
    if (!file.commit()) {
        if (error)
            *error = QStringLiteral("cannot write %1").arg(file.fileName());
        return false;
    }
    return true;
}

PhoneStore *SimState::store(SimPhone *phone, QString *error)
{
    if (phone->store)
        return phone->store.get();
    auto store = std::make_unique<PhoneStore>();
    if (!store->load(storePath(*phone), error))
        return nullptr;
    phone->store = std::move(store);
    // Keep the journal from growing without bound.
    if (phone->store->staleRecords() > std::max(2000, phone->store->rowCount()))
        saveStore(phone, error);
    return phone->store.get();
}

bool SimState::saveStore(SimPhone *phone, QString *error)
{
    return !phone->store || phone->store->saveSnapshot(storePath(*phone), error);
}

bool SimState::flushStore(SimPhone *phone, QString *error)
{
    return !phone->store || phone->store->flushJournal(storePath(*phone), error);
}

void SimState::saveAll(bool compact)
{
    for (const auto &p : m_phones) {
        QString error;
        if (p->store && compact && p->store->staleRecords() > 0)
            saveStore(p.get(), &error);
        else
            flushStore(p.get(), &error);
    }
    flushTranscripts();
}

void SimState::log(SimPhone *phone, char level, const QString &tag, const QString &message)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("MM-dd HH:mm:ss.zzz"));
    const int pid = tag == u"ContactsSync" ? 4242 : 1000;
    QByteArray line;
    for (const QString &part : message.split(u'\n')) {
        line += QStringLiteral("%1 %2 %3 %4 %5: %6\n")
                    .arg(stamp)
                    .arg(pid, 5)
                    .arg(pid, 5)
                    .arg(QChar::fromLatin1(level), tag, part)
                    .toUtf8();
    }
    appendToFile(phone->folder + QStringLiteral("/logcat.txt"), line);
}

void SimState::transcript(SimPhone *phone, qint64 exchange, const QString &channel, char direction,
    const QByteArray &line)
{
    QByteArray &out = phone->pendingTranscript;
    out += QByteArray::number(exchange);
    out += '\t';
    out += channel.toLatin1();
    out += '\t';
    out += direction;
    out += '\t';
    out += line;
    out += '\n';
    if (out.size() > (1 << 16))
        flushTranscript(phone);
}

void SimState::flushTranscript(SimPhone *phone)
{
    if (phone->pendingTranscript.isEmpty())
        return;
    appendToFile(phone->folder + QStringLiteral("/transcript.txt"), phone->pendingTranscript);
    phone->pendingTranscript.clear();
}

void SimState::flushTranscripts()
{
    for (const auto &p : m_phones)
        flushTranscript(p.get());
}

void SimState::logAdb(const QStringList &args)
{
    QByteArray line = QJsonDocument(QJsonArray::fromStringList(args)).toJson(QJsonDocument::Compact);
    line += '\n';
    QDir().mkpath(m_dir);
    appendToFile(path(QStringLiteral("adb.log")), line);
}

} // namespace phonesim
