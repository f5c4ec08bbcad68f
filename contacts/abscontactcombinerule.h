#ifndef CONTACTS_ABSCONTACTCOMBINERULE_H
#define CONTACTS_ABSCONTACTCOMBINERULE_H

#include <QStringList>

// Which columns of an entity kind identify, compare and merge entities when
// contacts are combined (duplicate merging in the database, and the change
// sets of the editor). Every operation takes an entity kind code and returns
// column names ("data1" ...), in order; a kind without a rule gets an empty
// list. Implementations are stateless and may be shared between threads.
class AbsContactCombineRule
{
public:
    virtual ~AbsContactCombineRule() = default;

    // Columns that must not all be empty for an entity to count as present.
    [[nodiscard]] virtual QStringList keyColumns(int kind) const = 0;
    // Columns on which an incoming entity is recognised as a stored one.
    [[nodiscard]] virtual QStringList matchColumns(int kind) const = 0;
    // Columns whose difference makes an entity "updated".
    [[nodiscard]] virtual QStringList compareColumns(int kind) const = 0;
    // Columns compared and copied when merging; `single` is set to true when
    // a contact may hold only one entity of the kind, false otherwise.
    [[nodiscard]] virtual QStringList mergeColumns(int kind, bool &single) const = 0;
};

#endif
