#ifndef CONTACTS_LOCALDBCOMBINERULE_H
#define CONTACTS_LOCALDBCOMBINERULE_H

#include "contacts/abscontactcombinerule.h"

// The combine rule of every local and phone cache database:
//   phone, e-mail, event, relation, website: the same data1 is the same entity;
//   IM: the same handle and protocol (data1, data5, data6);
//   note: each distinct text is its own note;
//   address: the same formatted address (data1), other columns merged;
//   photo, nickname, organization, group membership: one per contact.
// The name (and any code that is not an entity kind) has no rule.
class LocalDbCombineRule : public AbsContactCombineRule
{
public:
    [[nodiscard]] QStringList keyColumns(int kind) const override;
    [[nodiscard]] QStringList matchColumns(int kind) const override;
    [[nodiscard]] QStringList compareColumns(int kind) const override;
    [[nodiscard]] QStringList mergeColumns(int kind, bool &single) const override;
};

#endif
