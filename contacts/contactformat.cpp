#include "contacts/contactformat.h"

#include "contacts/entity.h"

#include <QCryptographicHash>

#include <algorithm>

using namespace pim;

QString formatPersonName(const Entity &name)
{
    const QString parts[] = { name.text(data5), name.text(data2), name.text(data4), name.text(data3),
                              name.text(data6) };
    QString result;
    result.reserve(parts[0].size() + parts[1].size() + parts[2].size() + parts[3].size() + parts[4].size() + 4);
    result += parts[0];
    for (int i = 1; i < 5; ++i) {
        if (!parts[i].isEmpty()) {
            result += QLatin1Char(' ');
            result += parts[i];
        }
    }
    return result.trimmed();
}

QString formatPostalAddress(const Entity &address)
{
    const QString city = address.text(data7);
    const QString state = address.text(data8);
    const QString postcode = address.text(data9);
    const QString country = address.text(data10);

    const QString street = address.text(data4);
    QString result;
    result.reserve(street.size() + city.size() + state.size() + postcode.size() + country.size() + 5);
    result += street;
    if (!city.isEmpty() || !state.isEmpty()) {
        result += QLatin1Char('\n');
        if (!city.isEmpty()) {
            result += city;
            if (!state.isEmpty() || !postcode.isEmpty())
                result += QLatin1Char(',');
        }
        if (!state.isEmpty()) {
            result += QLatin1Char(' ');
            result += state;
        }
        if (!postcode.isEmpty()) {
            result += QLatin1Char(' ');
            result += postcode;
        }
    }
    if (!country.isEmpty()) {
        result += QLatin1Char('\n');
        result += country;
    }
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

void addGroupMembership(QList<Entity> &memberships, const QString &groupName)
{
    const bool present = std::any_of(memberships.cbegin(), memberships.cend(),
                                     [&groupName](const Entity &m) { return m.text(data2) == groupName; });
    if (present)
        return;
    Entity membership;
    membership.setText(data2, groupName);
    memberships.append(std::move(membership));
}

bool isAllContactsGroup(QStringView groupName)
{
    static constexpr char16_t word[] = u"mycontacts";
    qsizetype matched = 0;
    for (const QChar c : groupName) {
        if (c == u' ')
            continue;
        if (matched == 10 || c.toLower() != QChar(word[matched]))
            return false;
        ++matched;
    }
    return matched == 10;
}
