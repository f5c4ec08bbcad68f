#include "tools/phonesim/phoneconfig.h"

#include <QCryptographicHash>
#include <QHostAddress>
#include <QJsonArray>
#include <QRegularExpression>

namespace phonesim {

namespace {

bool parseBool(const QString &value, bool *out)
{
    const QString v = value.toLower();
    if (v == u"1" || v == u"true" || v == u"yes" || v == u"on") {
        *out = true;
        return true;
    }
    if (v == u"0" || v == u"false" || v == u"no" || v == u"off") {
        *out = false;
        return true;
    }
    return false;
}

bool isNumber(const QString &value, int min)
{
    bool ok = false;
    const int n = value.toInt(&ok);
    return ok && n >= min;
}

} // namespace

bool isLoopbackAddress(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^127\\.\\d{1,3}\\.\\d{1,3}\\.\\d{1,3}$"));
    QHostAddress address;
    return pattern.match(text).hasMatch() && address.setAddress(text) && address.isLoopback();
}

bool isValidPhoneId(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9._:-]{1,64}$"));
    return pattern.match(text).hasMatch() && text != u"." && text != u"..";
}

QJsonObject PhoneConfig::toJson() const
{
    QJsonObject faultObject;
    for (auto it = faults.cbegin(); it != faults.cend(); ++it)
        faultObject.insert(it.key(), it.value());
    return QJsonObject {
        { QStringLiteral("id"), id },
        { QStringLiteral("serial"), serial },
        { QStringLiteral("attached"), attached },
        { QStringLiteral("usbState"), usbState },
        { QStringLiteral("wifi"), wifi },
        { QStringLiteral("wifiEnabled"), wifiEnabled },
        { QStringLiteral("deviceId"), deviceId },
        { QStringLiteral("name"), name },
        { QStringLiteral("agentVersion"), agentVersion },
        { QStringLiteral("agentInstalled"), agentInstalled },
        { QStringLiteral("batchSize"), batchSize },
        { QStringLiteral("installedPackageMd5"), installedPackageMd5 },
        { QStringLiteral("exchanges"), exchanges },
        { QStringLiteral("faults"), faultObject },
    };
}

PhoneConfig PhoneConfig::fromJson(const QJsonObject &json)
{
    PhoneConfig c;
    c.id = json.value(QStringLiteral("id")).toString();
    c.serial = json.value(QStringLiteral("serial")).toString();
    c.attached = json.value(QStringLiteral("attached")).toBool(true);
    c.usbState = json.value(QStringLiteral("usbState")).toString(QStringLiteral("device"));
    c.wifi = json.value(QStringLiteral("wifi")).toString();
    c.wifiEnabled = json.value(QStringLiteral("wifiEnabled")).toBool(true);
    c.deviceId = json.value(QStringLiteral("deviceId")).toString();
    c.name = json.value(QStringLiteral("name")).toString();
    c.agentVersion = json.value(QStringLiteral("agentVersion")).toString(QStringLiteral("3"));
    c.agentInstalled = json.value(QStringLiteral("agentInstalled")).toBool(true);
    c.batchSize = json.value(QStringLiteral("batchSize")).toInt(50);
    c.installedPackageMd5 = json.value(QStringLiteral("installedPackageMd5")).toString();
    c.exchanges = json.value(QStringLiteral("exchanges")).toInteger();
    const QJsonObject f = json.value(QStringLiteral("faults")).toObject();
    for (auto it = f.begin(); it != f.end(); ++it)
        c.faults.insert(it.key(), it.value().toString());
    return c;
}

bool PhoneConfig::wifiListening() const
{
    return !wifi.isEmpty() && wifiEnabled && agentInstalled && !hasFault(QStringLiteral("missing-package"));
}

int PhoneConfig::faultInt(const QString &key, int fallback) const
{
    bool ok = false;
    const int v = faults.value(key).toInt(&ok);
    return ok ? v : fallback;
}

QStringList PhoneConfig::attributeKeys()
{
    return { QStringLiteral("serial"), QStringLiteral("wifi"), QStringLiteral("name"), QStringLiteral("device-id"),
        QStringLiteral("version"), QStringLiteral("installed"), QStringLiteral("batch-size"),
        QStringLiteral("usb-state"), QStringLiteral("attached"), QStringLiteral("wifi-enabled") };
}

bool PhoneConfig::setAttribute(const QString &key, const QString &value, QString *error)
{
    bool flag = false;
    if (key == u"serial") {
        if (!value.isEmpty() && !isValidPhoneId(value)) {
            *error = QStringLiteral("bad serial \"%1\" (letters, digits, . _ - : only)").arg(value);
            return false;
        }
        serial = value;
    } else if (key == u"wifi") {
        if (!value.isEmpty() && !isLoopbackAddress(value)) {
            *error = QStringLiteral("the WiFi address must be in 127.0.0.0/8: \"%1\"").arg(value);
            return false;
        }
        wifi = value;
    } else if (key == u"name") {
        name = value;
    } else if (key == u"device-id") {
        if (value.isEmpty() || value.contains(u'\n')) {
            *error = QStringLiteral("bad device id");
            return false;
        }
        deviceId = value;
    } else if (key == u"version") {
        if (value.contains(u'\n')) {
            *error = QStringLiteral("bad version");
            return false;
        }
        agentVersion = value;
    } else if (key == u"installed") {
        if (!parseBool(value, &flag)) {
            *error = QStringLiteral("installed takes 0 or 1");
            return false;
        }
        agentInstalled = flag;
    } else if (key == u"batch-size") {
        if (!isNumber(value, 1)) {
            *error = QStringLiteral("batch-size takes a number of at least 1");
            return false;
        }
        batchSize = value.toInt();
    } else if (key == u"usb-state") {
        if (value != u"device" && value != u"unauthorized" && value != u"offline") {
            *error = QStringLiteral("usb-state is device, unauthorized or offline");
            return false;
        }
        usbState = value;
    } else if (key == u"attached") {
        if (!parseBool(value, &flag)) {
            *error = QStringLiteral("attached takes 0 or 1");
            return false;
        }
        attached = flag;
    } else if (key == u"wifi-enabled") {
        if (!parseBool(value, &flag)) {
            *error = QStringLiteral("wifi-enabled takes 0 or 1");
            return false;
        }
        wifiEnabled = flag;
    } else {
        *error = QStringLiteral("unknown attribute \"%1\"").arg(key);
        return false;
    }
    return true;
}

QStringList PhoneConfig::faultNames()
{
    return {
        QStringLiteral("scope"),
        QStringLiteral("once"),
        QStringLiteral("omit"),
        QStringLiteral("error-at"),
        QStringLiteral("error-message"),
        QStringLiteral("drop-after"),
        QStringLiteral("drop-mid-line"),
        QStringLiteral("drop-after-received"),
        QStringLiteral("silent"),
        QStringLiteral("stall"),
        QStringLiteral("malformed"),
        QStringLiteral("slow"),
        QStringLiteral("blank-line"),
        QStringLiteral("inject"),
        QStringLiteral("replace"),
        QStringLiteral("crlf"),
        QStringLiteral("no-mappings"),
        QStringLiteral("start-delay"),
        QStringLiteral("hello-error"),
        QStringLiteral("silent-hello"),
        QStringLiteral("adb-stderr"),
        QStringLiteral("install-failure"),
        QStringLiteral("missing-package"),
    };
}

bool PhoneConfig::validFault(const QString &key, const QString &value, QString *error)
{
    const QString &name = key;
    auto fail = [&](const QString &what) {
        *error = QStringLiteral("fault %1: %2").arg(name, what);
        return false;
    };
    if (!faultNames().contains(name))
        return fail(QStringLiteral("unknown fault"));
    if (name == u"scope") {
        if (value != u"backup" && value != u"restore" && value != u"both")
            return fail(QStringLiteral("backup, restore or both"));
    } else if (name == u"omit") {
        static const QStringList omittable
            = { QStringLiteral("version"), QStringLiteral("device"), QStringLiteral("count"), QStringLiteral("bye") };
        for (const QString &part : value.split(u',', Qt::SkipEmptyParts)) {
            if (!omittable.contains(part))
                return fail(QStringLiteral("a list of version, device, count, bye"));
        }
    } else if (name == u"error-at" || name == u"drop-after" || name == u"drop-mid-line"
        || name == u"drop-after-received" || name == u"malformed" || name == u"blank-line" || name == u"stall") {
        if (!isNumber(value, name.startsWith(u"drop") || name == u"stall" ? 0 : 1))
            return fail(QStringLiteral("takes a line number"));
    } else if (name == u"slow" || name == u"start-delay") {
        if (!isNumber(value, 0))
            return fail(QStringLiteral("takes milliseconds"));
    } else if (name == u"inject" || name == u"replace") {
        const qsizetype colon = value.indexOf(u':');
        if (colon < 1 || !isNumber(value.left(colon), 1) || value.contains(u'\n'))
            return fail(QStringLiteral("takes N:TEXT"));
    } else if (name == u"adb-stderr") {
        if (value != u"always" && !isNumber(value, 1))
            return fail(QStringLiteral("takes a count or \"always\""));
    } else if (name == u"install-failure") {
        static const QRegularExpression code(QStringLiteral("^[A-Z0-9_]*$"));
        if (!code.match(value).hasMatch())
            return fail(QStringLiteral("takes a code such as INSUFFICIENT_STORAGE"));
    } else if (name == u"error-message") {
        // any text
    } else {
        bool flag = false;
        if (!value.isEmpty() && !parseBool(value, &flag))
            return fail(QStringLiteral("takes no value"));
    }
    return true;
}

} // namespace phonesim
