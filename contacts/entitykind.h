#ifndef CONTACTS_ENTITYKIND_H
#define CONTACTS_ENTITYKIND_H

// The kinds of values a contact owns, and the value columns of an entity.
// The integer codes are shared by the in-memory model, the `type` column of
// the local databases and the phone wire format, so they never change.
namespace pim {

enum EntityKind : int {
    ENTITY_NAME = 1,
    ENTITY_PHOTO = 2,
    ENTITY_PHONE = 3,
    ENTITY_EMAIL = 4,
    ENTITY_NICKNAME = 5,
    ENTITY_EVENT = 6,
    ENTITY_GROUP_MEMBERSHIP = 7,
    ENTITY_IM = 8,
    ENTITY_NOTE = 9,
    ENTITY_ORGANIZATION = 10,
    ENTITY_RELATION = 11,
    ENTITY_POSTAL_ADDRESS = 12,
    ENTITY_WEBSITE = 13,
};

constexpr int FirstEntityKind = ENTITY_NAME;
constexpr int LastEntityKind = ENTITY_WEBSITE;

constexpr bool isEntityKind(int code)
{
    return code >= FirstEntityKind && code <= LastEntityKind;
}

// Value columns data1 ... data15 of an entity, by number.
enum Column : int {
    data1 = 1,
    data2,
    data3,
    data4,
    data5,
    data6,
    data7,
    data8,
    data9,
    data10,
    data11,
    data12,
    data13,
    data14,
    data15,
};

constexpr int FirstColumn = data1;
constexpr int LastColumn = data15;

} // namespace pim

#endif
