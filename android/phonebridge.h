#ifndef ANDROID_PHONEBRIDGE_H
#define ANDROID_PHONEBRIDGE_H

#include "android/simpleprotocol.h"
#include "contacts/entity.h"

#include <QHash>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>

class ContentShell;

// Plays the phone agent's side of one data exchange for a phone that has no
// agent installed, and carries it out with the phone's own "content" tool
// through `adb shell` (ContentShell). The sync jobs connect to it exactly as
// to an agent and cannot tell the difference.
//
// Backup (the phone's contacts to the program): one adb call reads the
// phone's release and model, then raw_contacts, groups and data with one
// query each (plus the ids of the groups and data rows, which make their
// rows safe to read, see ContentRowParser). Deleted raw contacts
// (deleted=1, waiting for their account's sync) are left out. Contacts go
// out in batches of "$ent:" lines, name first; a contact with no name row
// gets one made up from its first value, with row id 0. Source ids are
// kind/raw contact id/contact id/data row id.
//
// Restore (the program's contacts and changes to the phone): each batch is
// checked against the phone (one adb call), new raw contacts and groups
// are created (one call), then every row is inserted, updated or deleted in
// as few calls as the phone's command line length allows, and the new
// rows' ids come back from a query of the rows past the highest id seen
// before. A row the batch updates must exist, be of its kind and belong to
// the contact its keys name. When anything does not add up, the exchange
// fails with "$error:" instead of guessing.
//
// Photos cannot travel: the tool shows a photo only as "BLOB" and binds no
// bytes. They are counted in photosLeftOut() and otherwise left alone.
class PhoneBridge
{
public:
    // `stopped` ends a wait for the program's next line.
    explicit PhoneBridge(ContentShell &shell, simpleprotocol::CancelCheck stopped = {});

    void serveBackup(QIODevice &socket, int batchSize = 50);
    void serveRestore(QIODevice &socket);

    [[nodiscard]] int photosLeftOut() const { return m_photosLeftOut; }
    [[nodiscard]] int foreignRowsLeftOut() const { return m_foreignRows; }

private:
    struct Op;
    struct Snapshot;

    [[nodiscard]] Snapshot readPhone();
    [[nodiscard]] QString applyBatch(const QStringList &lines);
    void loadContacts();
    void loadGroups();
    [[nodiscard]] QStringList runSections(const QStringList &commands);
    void readAgain(
        QList<QVariantList> *rows, const QList<int> &unclear, const QList<qint64> &ids, const QStringList &columns);

    ContentShell &m_shell;
    simpleprotocol::CancelCheck m_stopped;
    int m_photosLeftOut = 0;
    int m_foreignRows = 0;

    // Restore state, kept across the batches of one exchange.
    bool m_contactsLoaded = false;
    QHash<qint64, qint64> m_rawContacts; // live raw contact id -> contact id
    qint64 m_maxRawId = 0;
    bool m_groupsLoaded = false;
    QHash<QString, qint64> m_groups; // title -> row id
    qint64 m_maxGroupId = 0;
};

#endif
