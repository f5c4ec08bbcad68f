#ifndef CONTACTS_CHANGESET_H
#define CONTACTS_CHANGESET_H

#include "contacts/contact.h"
#include "contacts/contactchange.h"

#include <QList>

class AbsContactCombineRule;
class LocalDb;

// Building and saving the change set of an edited contact.
namespace changeset {

// The kinds the contact editor presents besides the name, ascending. Group
// memberships are not among them: the group commands manage those.
[[nodiscard]] const QList<int> &editorKinds();
// Kinds the editor shows one entity of (the first stored one).
[[nodiscard]] bool isShownOnce(int kind);

// Compares what the editor now holds with the contact it was opened on.
// `name` is the editor's name entity; `current` maps each presented kind to
// the editor's entities, each carrying the _id and srcId of the stored entity
// it was filled from (0 and empty for rows the user added). Every change is
// logged to the debug output. An updated entity is the stored one with the
// editor's columns written over it, so columns the editor does not show keep
// their stored values. What the editor cannot show is never reported deleted:
// group memberships, and the second and later entities of the kinds shown
// once.
[[nodiscard]] ContactChangeSet getChanges(const Entity &name, const Contact::EntityMap &current,
                                          const AbsContactCombineRule &rule, const Contact &source);

// Writes a change set into the database inside one transaction of its own:
// a new contact (source _id 0) is inserted first with the full name of its
// added name entity, then every change in order. Added entities receive the
// _id of their new row in `changes`, so what is handed on afterwards names
// real rows. A name update or addition also writes the contact's full name.
// On failure the transaction is rolled back and the exception propagates.
// Returns the contact's _id (the new one for a new contact); an empty change
// set writes nothing.
qint64 applyChangeSet(LocalDb &db, const Contact &source, ContactChangeSet &changes);

} // namespace changeset

#endif
