#include "contacts/contact.h"

#include <algorithm>

const QList<Entity> &Contact::entitiesOf(int kind) const
{
    static const QList<Entity> none;
    const auto it = entities.constFind(kind);
    return it == entities.constEnd() ? none : it.value();
}

const Entity *Contact::firstEntity(int kind) const
{
    const QList<Entity> &list = entitiesOf(kind);
    return list.isEmpty() ? nullptr : &list.first();
}

qsizetype Contact::entityCount() const
{
    qsizetype n = 0;
    for (const QList<Entity> &list : entities)
        n += list.size();
    return n;
}

bool operator==(const Contact &a, const Contact &b)
{
    if (a._id != b._id || a.srcId != b.srcId || a.fullName != b.fullName)
        return false;
    // A kind with an empty list means the same as a missing kind.
    for (auto it = a.entities.cbegin(); it != a.entities.cend(); ++it) {
        if (it.value() != b.entitiesOf(it.key()))
            return false;
    }
    for (auto it = b.entities.cbegin(); it != b.entities.cend(); ++it) {
        if (it.value() != a.entitiesOf(it.key()))
            return false;
    }
    return true;
}

bool contactLessThan(const Contact &a, const Contact &b)
{
    // QString's case-sensitive compare orders by UTF-16 code unit values.
    return QString::compare(a.fullName, b.fullName, Qt::CaseSensitive) < 0;
}

void sortContacts(QList<Contact> &contacts)
{
    std::stable_sort(contacts.begin(), contacts.end(), contactLessThan);
}

QDebug operator<<(QDebug debug, const Contact &contact)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "Contact(_id=" << contact._id << ", srcId=" << contact.srcId
                    << ", fullName=" << contact.fullName;
    for (auto it = contact.entities.cbegin(); it != contact.entities.cend(); ++it)
        for (const Entity &e : it.value())
            debug << ", kind " << it.key() << ": " << e;
    debug << ')';
    return debug;
}
