#ifndef TOOLS_PHONESIM_PHONESTORE_H
#define TOOLS_PHONESIM_PHONESTORE_H

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <map>

namespace phonesim {

// One data row of the phone's contact store. `values` holds one text per
// field of the kind (phonekinds.h), in wire order; type, protocol and group
// fields hold decimal codes. A photo row keeps its bytes in `photo`.
struct PhoneRow
{
    qint64 id = 0;
    qint64 rawId = 0;
    int kind = 0;
    QStringList values;
    QByteArray photo;
};

// A contact record: the raw contact id (first key) and the aggregate contact
// id (second key), like the two tables of a phone's contacts provider, and
// its rows in insertion order.
struct PhoneContact
{
    qint64 rawId = 0;
    qint64 contactId = 0;
    QList<qint64> rows;
    bool deleted = false;
};

// The contact store of one simulated phone. Ids are handed out from
// counters that only grow, so an id is never reused.
//
// Persistence: one text file, a snapshot followed by journal records. Each
// change is recorded; flushJournal() appends the records made since the last
// flush, and load() replays the whole file. saveSnapshot() rewrites it.
class PhoneStore
{
public:
    PhoneStore();

    // Contacts ordered by raw id.
    const std::map<qint64, PhoneContact> &contacts() const { return m_contacts; }
    const PhoneContact *contact(qint64 rawId) const;
    // Contacts deleted on the phone whose account has not synced the
    // deletion yet: the provider keeps them (deleted=1) with their rows, the
    // agent and the dump no longer see them.
    const std::map<qint64, PhoneContact> &deletedContacts() const { return m_deleted; }
    const PhoneContact *deletedContact(qint64 rawId) const;
    const PhoneRow *row(qint64 id) const;
    int rowCount() const { return int(m_rows.size()); }
    // Rows of a contact: the first name row first, then the rest by id.
    QList<const PhoneRow *> orderedRows(const PhoneContact &contact) const;

    qint64 addContact();
    qint64 addRow(qint64 rawId, int kind, const QStringList &values, const QByteArray &photo = {});
    void updateRow(qint64 id, const QStringList &values, const QByteArray &photo = {});
    void removeRow(qint64 id);
    void removeContact(qint64 rawId);
    void markDeleted(qint64 rawId);
    void clear();

    // Groups by id; group titles are matched exactly.
    const std::map<qint64, QString> &groups() const { return m_groups; }
    QString groupTitle(qint64 id) const;
    qint64 findGroup(const QString &title) const; // 0 when there is none
    qint64 findOrCreateGroup(const QString &title);
    // A new group even when one of that title exists, as the provider does.
    qint64 addGroup(const QString &title);

    bool load(const QString &path, QString *error);
    bool saveSnapshot(const QString &path, QString *error);
    bool flushJournal(const QString &path, QString *error);
    bool hasPendingJournal() const { return !m_journal.isEmpty(); }
    // Records in the file beyond what a snapshot would need.
    int staleRecords() const { return m_loadedRecords - liveRecords(); }

private:
    int liveRecords() const;
    void record(const QByteArray &line);
    QByteArray rowRecord(const PhoneRow &row) const;
    QByteArray counterRecord() const;
    bool applyRecord(const QByteArray &line);

    std::map<qint64, PhoneContact> m_contacts;
    std::map<qint64, PhoneContact> m_deleted;
    QHash<qint64, PhoneRow> m_rows;
    std::map<qint64, QString> m_groups;
    qint64 m_nextRaw = 1;
    qint64 m_nextContact = 1001;
    qint64 m_nextRow = 1;
    qint64 m_nextGroup = 1;
    QByteArray m_journal;
    int m_loadedRecords = 0;
};

} // namespace phonesim

#endif
