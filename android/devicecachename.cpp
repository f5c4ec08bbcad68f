#include "android/devicecachename.h"

#include <QCryptographicHash>

#include <algorithm>

namespace {

bool isPlainChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'.' || u == u'_'
        || u == u'-';
}

constexpr qsizetype MaxStemChars = 64;

} // namespace

QString deviceCacheFileName(const QString &deviceId)
{
    const bool plain = !deviceId.isEmpty() && deviceId != u"." && deviceId != u".."
        && std::all_of(deviceId.cbegin(), deviceId.cend(), isPlainChar);
    if (plain)
        return deviceId;

    QString stem;
    for (const QChar c : deviceId.left(MaxStemChars))
        stem += isPlainChar(c) ? c : QChar(u'_');
    const QByteArray hash = QCryptographicHash::hash(deviceId.toUtf8(), QCryptographicHash::Sha1).toHex().left(8);
    return stem + u'-' + QString::fromLatin1(hash);
}
