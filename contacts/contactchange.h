#ifndef CONTACTS_CONTACTCHANGE_H
#define CONTACTS_CONTACTCHANGE_H

#include "contacts/entity.h"

#include <QDebug>
#include <QList>
#include <QMetaType>

// One change of an edited contact: an entity of one kind was added, updated
// or deleted. For an added entity `_id` is 0 until its row is inserted (the
// save step then sets it); for updated and deleted ones `_id` and `srcId` are
// those of the stored row. A change set is a list of these in the order they
// were found: the name first, then additions and updates by ascending kind,
// then deletions by ascending kind.
struct ContactChange
{
    enum Action : int {
        ACTION_ADDED = 1,
        ACTION_UPDATED = 2,
        ACTION_DELETED = 3,
    };

    int kind = 0;     // pim::EntityKind
    int action = 0;   // Action
    Entity entity;

    friend bool operator==(const ContactChange &a, const ContactChange &b)
    {
        return a.kind == b.kind && a.action == b.action && a.entity == b.entity;
    }
    friend bool operator!=(const ContactChange &a, const ContactChange &b) { return !(a == b); }
};

using ContactChangeSet = QList<ContactChange>;

// "ACTION_ADDED", "ACTION_UPDATED", "ACTION_DELETED", or the number.
[[nodiscard]] QString actionName(int action);

QDebug operator<<(QDebug debug, const ContactChange &change);

Q_DECLARE_METATYPE(ContactChange)

#endif
