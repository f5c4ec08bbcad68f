#ifndef TOOLS_PHONESIM_SIMSTATE_H
#define TOOLS_PHONESIM_SIMSTATE_H

#include "tools/phonesim/phoneconfig.h"
#include "tools/phonesim/phonestore.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace phonesim {

// One phone of a state folder: its configuration, its contact store (loaded
// on first use) and the transcript lines not yet written.
struct SimPhone
{
    PhoneConfig config;
    QString folder;
    std::unique_ptr<PhoneStore> store;
    QByteArray pendingTranscript;
};

// A simulator state folder:
//
//   STATE/server.json               pid and control port while a server runs
//   STATE/server.log                output of a server started with "start"
//   STATE/adb.log                   one JSON array per stand-in adb run
//   STATE/phones/<id>/phone.json    attributes and faults
//   STATE/phones/<id>/contacts.store  the contact store
//   STATE/phones/<id>/logcat.txt    the phone's log, for "adb shell logcat"
//   STATE/phones/<id>/transcript.txt  every line of every exchange
//
// A SimState is used by one process at a time: by the server while one runs,
// otherwise by the command-line tool under the folder's lock file.
class SimState
{
public:
    explicit SimState(const QString &dir);
    ~SimState();

    QString dir() const { return m_dir; }
    QString path(const QString &relative) const;
    bool load(QString *error);

    QList<SimPhone *> phones() const;
    // By id, serial, WiFi address or device id.
    SimPhone *find(const QString &ref) const;
    SimPhone *findBySerial(const QString &serial) const;
    SimPhone *findByWifi(const QString &address) const;

    SimPhone *addPhone(const PhoneConfig &config, QString *error);
    bool removePhone(SimPhone *phone, QString *error);
    bool saveConfig(SimPhone *phone, QString *error = nullptr);

    PhoneStore *store(SimPhone *phone, QString *error);
    bool saveStore(SimPhone *phone, QString *error);
    bool flushStore(SimPhone *phone, QString *error);
    // Writes pending store changes; `compact` rewrites stores whose file
    // carries superseded records.
    void saveAll(bool compact = false);

    // Phone log lines in logcat's threadtime layout; level is one of VDIWE.
    void log(SimPhone *phone, char level, const QString &tag, const QString &message);
    // direction: '>' phone to PC, '<' PC to phone, '!' an event.
    void transcript(SimPhone *phone, qint64 exchange, const QString &channel, char direction, const QByteArray &line);
    void flushTranscript(SimPhone *phone);
    void flushTranscripts();
    void logAdb(const QStringList &args);

private:
    QString m_dir;
    std::vector<std::unique_ptr<SimPhone>> m_phones;
};

QString storePath(const SimPhone &phone);

} // namespace phonesim

#endif
