#ifndef CONTACTS_CONTACTGROUP_H
#define CONTACTS_CONTACTGROUP_H

#include <QList>
#include <QMetaType>
#include <QString>

// A row of the `contact_group` table.
struct ContactGroup
{
    qint64 _id = 0;
    QString name;

    friend bool operator==(const ContactGroup &a, const ContactGroup &b)
    {
        return a._id == b._id && a.name == b.name;
    }
};

Q_DECLARE_METATYPE(ContactGroup)

#endif
