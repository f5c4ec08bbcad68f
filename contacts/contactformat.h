#ifndef CONTACTS_CONTACTFORMAT_H
#define CONTACTS_CONTACTFORMAT_H

#include <QList>
#include <QString>
#include <QStringView>

class Entity;

// Display name of a name entity: prefix, first, middle, last and suffix
// (data5, data2, data4, data3, data6), the non-empty ones joined by single
// spaces, the whole trimmed. Fills both data1 of the name and the contact's
// full name wherever a name is made or changed.
[[nodiscard]] QString formatPersonName(const Entity &name);

// Formatted postal address (data1 of an address entity): street; then city,
// state and postcode on one line; then the country; lines joined by "\n",
// the whole trimmed. The postcode only shows when a city or a state does.
[[nodiscard]] QString formatPostalAddress(const Entity &address);

// Base64 of the MD5 of a photo entity's data15 bytes.
[[nodiscard]] QString photoDigest(const Entity &photo);

// Listing rank of a phone by its type: Mobile 10, Main 20, Home 30,
// Work 40, everything else 100.
[[nodiscard]] int phoneTypeRank(const Entity &phone);
[[nodiscard]] bool phoneRankLess(const Entity &a, const Entity &b);

// Adds a membership of the group named `groupName` (its data2) unless the
// list already holds one of that name.
void addGroupMembership(QList<Entity> &memberships, const QString &groupName);

// Whether a group name is Google's group of all contacts ("myContacts", in
// any letter case and spacing), which is no group of the user's.
[[nodiscard]] bool isAllContactsGroup(QStringView groupName);

#endif
