#ifndef TOOLS_PHONESIM_RESTOREAPPLIER_H
#define TOOLS_PHONESIM_RESTOREAPPLIER_H

#include "tools/phonesim/phonestore.h"

#include <QByteArray>
#include <QString>

namespace phonesim {

// What the agent does with the lines of a "restore" batch:
//
//   $ent:<id>,...  a source id whose row id is 0 or negative is provisional:
//                  a name line creates a new contact, any other kind a new row
//                  of the contact named by the first two keys; the new id is
//                  remembered as a mapping "old=>new". A positive row id
//                  updates that row, which must exist, be of the same kind and
//                  belong to the contact named by the keys.
//   $del:<id>      deletes that row; a name row deletes its whole contact.
//                  Provisional, unknown or mismatched ids are left alone.
//   $ungroup:<key> removes the contact with that raw id from every group.
//
// Lines are applied one by one; the first failing line stops the batch and
// the lines before it stay applied.
class RestoreApplier
{
public:
    explicit RestoreApplier(PhoneStore &store);

    // Applies one received line (command word included). Other words are
    // ignored. False with a message on failure; `note` receives a log text
    // for lines that were accepted but changed nothing.
    bool apply(const QByteArray &line, QString *error, QString *note = nullptr);

    // The "$batch:" answer argument for the lines applied since the last call.
    QByteArray takeMappings();
    int created() const { return m_created; }

private:
    bool applyEntity(const QByteArray &argument, QString *error);
    bool applyDelete(const QByteArray &argument, QString *error, QString *note);
    bool applyUngroup(const QByteArray &argument, QString *error, QString *note);

    PhoneStore &m_store;
    QByteArray m_mappings;
    int m_created = 0;
};

} // namespace phonesim

#endif
