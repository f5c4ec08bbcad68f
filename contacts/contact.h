#ifndef CONTACTS_CONTACT_H
#define CONTACTS_CONTACT_H

#include "contacts/entity.h"

#include <QList>
#include <QMap>
#include <QMetaType>
#include <QString>

// One contact as every part of the program sees it: its row id in a local
// database, the id of the phone's contact record, the display name, and its
// entities filed by kind. Iteration over `entities` runs by ascending kind;
// within a kind, entities keep their insertion (load) order.
//
// A plain value: copies are independent (the containers share their data
// until one side writes, so copying a contact is cheap).
class Contact
{
public:
    using EntityMap = QMap<int, QList<Entity>>;

    // The entities of one kind; an empty list when the contact has none.
    [[nodiscard]] const QList<Entity> &entitiesOf(int kind) const;
    // Mutable access; creates the kind's list when it is missing.
    [[nodiscard]] QList<Entity> &entitiesOf(int kind) { return entities[kind]; }
    [[nodiscard]] bool hasEntities(int kind) const { return !entitiesOf(kind).isEmpty(); }
    // The first entity of a kind, or nullptr.
    [[nodiscard]] const Entity *firstEntity(int kind) const;
    void addEntity(int kind, const Entity &entity) { entities[kind].append(entity); }
    // Total number of entities over all kinds.
    [[nodiscard]] qsizetype entityCount() const;

    friend bool operator==(const Contact &a, const Contact &b);
    friend bool operator!=(const Contact &a, const Contact &b) { return !(a == b); }

    qint64 _id = 0;     // row id in the `contact` table; 0 = not stored yet
    QString srcId;      // phone-side id of the contact, or empty
    QString fullName;   // display name, the sort and merge key
    EntityMap entities;
};

// Contact order: plain comparison of the full names' UTF-16 code units,
// case-sensitive, no locale collation.
[[nodiscard]] bool contactLessThan(const Contact &a, const Contact &b);
void sortContacts(QList<Contact> &contacts);

QDebug operator<<(QDebug debug, const Contact &contact);

Q_DECLARE_METATYPE(Contact)

#endif
