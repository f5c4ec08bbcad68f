#ifndef TOOLS_PHONESIM_PHONECONFIG_H
#define TOOLS_PHONESIM_PHONECONFIG_H

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

namespace phonesim {

// The attributes of one simulated phone, kept in phones/<id>/phone.json of
// the state folder, and its injected faults (name -> value, see faultNames()).
struct PhoneConfig
{
    QString id;           // folder name and CLI handle
    QString serial;       // adb serial; empty for a WiFi-only phone
    bool attached = true; // plugged in over USB
    // "device", "unauthorized", "offline", "authorizing", "connecting" or
    // "no-permissions" (printed by adb as "no permissions (...)")
    QString usbState = QStringLiteral("device");
    int sdk = 33;         // Android release (ro.build.version.sdk)
    QString wifi;         // address in 127.0.0.0/8; empty when not on WiFi
    bool wifiEnabled = true;
    QString deviceId;     // answered to "hello:"
    QString name;         // "$device:"
    QString agentVersion = QStringLiteral("3");
    bool agentInstalled = true;
    int batchSize = 50;   // contacts per backup batch
    QString installedPackageMd5;
    qint64 exchanges = 0; // data exchanges served so far
    QMap<QString, QString> faults;

    QJsonObject toJson() const;
    static PhoneConfig fromJson(const QJsonObject &json);

    bool usbVisible() const { return !serial.isEmpty() && attached; }
    bool wifiListening() const;
    bool hasFault(const QString &key) const { return faults.contains(key); }
    QString fault(const QString &key) const { return faults.value(key); }
    int faultInt(const QString &key, int fallback = 0) const;

    // Sets an attribute from its CLI key ("name", "version", ...). False and
    // a message for an unknown key or a bad value.
    bool setAttribute(const QString &key, const QString &value, QString *error);
    static QStringList attributeKeys();
    static QStringList faultNames();
    static bool validFault(const QString &key, const QString &value, QString *error);
};

// "127.0.0.N" style loopback address check.
bool isLoopbackAddress(const QString &text);
// Folder-safe id check: letters, digits, '.', '_', '-', ':'.
bool isValidPhoneId(const QString &text);

} // namespace phonesim

#endif
