#include "contacts/contactformat.h"

#include "contacts/entity.h"

#include <QCryptographicHash>

using namespace pim;

QString formatPersonName(const Entity &name)
{
    QString result = name.text(data5);
    for (int column : { data2, data4, data3, data6 }) {
        const QString part = name.text(column);
        if (!part.isEmpty())
            result += QLatin1Char(' ') + part;
    }
    return result.trimmed();
}

QString formatPostalAddress(const Entity &address)
{
    const QString city = address.text(data7);
    const QString state = address.text(data8);
    const QString postcode = address.text(data9);
    const QString country = address.text(data10);

    QString result = address.text(data4);
    if (!city.isEmpty() || !state.isEmpty()) {
        result += QLatin1Char('\n');
        if (!city.isEmpty()) {
            result += city;
            if (!state.isEmpty() || !postcode.isEmpty())
                result += QLatin1Char(',');
        }
        if (!state.isEmpty())
            result += QLatin1Char(' ') + state;
        if (!postcode.isEmpty())
            result += QLatin1Char(' ') + postcode;
    }
    if (!country.isEmpty())
        result += QLatin1Char('\n') + country;
    return result.trimmed();
}

QString photoDigest(const Entity &photo)
{
    const QByteArray digest = QCryptographicHash::hash(photo.bytes(data15), QCryptographicHash::Md5);
    return QString::fromLatin1(digest.toBase64());
}

int phoneTypeRank(const Entity &phone)
{
    switch (phone.toInt(data2)) {
    case 2:
        return 10;
    case 12:
        return 20;
    case 1:
        return 30;
    case 3:
        return 40;
    default:
        return 100;
    }
}

bool phoneRankLess(const Entity &a, const Entity &b)
{
    return phoneTypeRank(a) < phoneTypeRank(b);
}
