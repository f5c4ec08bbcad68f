#include "tools/phonesim/restoreapplier.h"

#include "tools/phonesim/phonekinds.h"
#include "tools/phonesim/phonewire.h"

namespace phonesim {

RestoreApplier::RestoreApplier(PhoneStore &store) : m_store(store) { }

QByteArray RestoreApplier::takeMappings()
{
    QByteArray m;
    m.swap(m_mappings);
    return m;
}

bool RestoreApplier::apply(const QByteArray &line, QString *error, QString *note)
{
    if (line.startsWith("$ent:"))
        return applyEntity(line.mid(5), error);
    if (line.startsWith("$del:"))
        return applyDelete(line.mid(5), error, note);
    if (line.startsWith("$ungroup:"))
        return applyUngroup(line.mid(9), error, note);
    if (note)
        *note = QStringLiteral("ignored line: %1").arg(QString::fromLatin1(line));
    return true;
}

bool RestoreApplier::applyEntity(const QByteArray &argument, QString *error)
{
    wire::DecodedEntity e;
    QString why;
    if (!wire::decodeEntityLine(argument, &e, &why)) {
        *error = QStringLiteral("Invalid entity line (%1): %2").arg(why, QString::fromLatin1(argument));
        return false;
    }
    const wire::SourceId &src = e.source;
    QStringList values = e.values;
    if (src.kind == 7)
        values[0] = values.at(0).isEmpty() ? QStringLiteral("0") : QString::number(m_store.findOrCreateGroup(values.at(0)));

    if (src.id > 0) {
        const PhoneRow *row = m_store.row(src.id);
        const PhoneContact *owner = row ? m_store.contact(row->rawId) : nullptr;
        if (!row || row->kind != src.kind || !owner || owner->rawId != src.key1 || owner->contactId != src.key2) {
            *error = QStringLiteral("No %1 row %2 of contact %3/%4 on the phone: %5")
                         .arg(kindLayout(src.kind)->name)
                         .arg(src.id)
                         .arg(src.key1)
                         .arg(src.key2)
                         .arg(QString::fromLatin1(argument));
            return false;
        }
        m_store.updateRow(src.id, values, e.photo);
        return true;
    }

    qint64 raw = 0;
    if (src.kind == 1) {
        raw = m_store.addContact();
    } else {
        const PhoneContact *owner = m_store.contact(src.key1);
        if (!owner || owner->contactId != src.key2) {
            *error = QStringLiteral("No contact %1/%2 on the phone: %3")
                         .arg(src.key1)
                         .arg(src.key2)
                         .arg(QString::fromLatin1(argument));
            return false;
        }
        raw = owner->rawId;
    }
    const qint64 rowId = m_store.addRow(raw, src.kind, values, e.photo);
    const PhoneContact *owner = m_store.contact(raw);
    if (!m_mappings.isEmpty())
        m_mappings += ',';
    m_mappings += wire::sourceIdText(src);
    m_mappings += "=>";
    m_mappings += wire::sourceIdText({ src.kind, owner->rawId, owner->contactId, rowId });
    ++m_created;
    return true;
}

bool RestoreApplier::applyDelete(const QByteArray &argument, QString *error, QString *note)
{
    wire::SourceId src;
    if (!wire::parseSourceId(argument, &src)) {
        *error = QStringLiteral("Invalid source id to delete: %1").arg(QString::fromLatin1(argument));
        return false;
    }
    const PhoneRow *row = src.id > 0 ? m_store.row(src.id) : nullptr;
    const PhoneContact *owner = row ? m_store.contact(row->rawId) : nullptr;
    if (!row || row->kind != src.kind || !owner || owner->rawId != src.key1 || owner->contactId != src.key2) {
        if (note)
            *note = QStringLiteral("nothing to delete for %1").arg(QString::fromLatin1(argument));
        return true;
    }
    if (src.kind == 1)
        m_store.removeContact(owner->rawId);
    else
        m_store.removeRow(src.id);
    return true;
}

bool RestoreApplier::applyUngroup(const QByteArray &argument, QString *error, QString *note)
{
    bool ok = false;
    const qint64 raw = argument.toLongLong(&ok);
    if (!ok) {
        *error = QStringLiteral("Invalid contact key to ungroup: %1").arg(QString::fromLatin1(argument));
        return false;
    }
    const PhoneContact *contact = m_store.contact(raw);
    if (!contact) {
        if (note)
            *note = QStringLiteral("no contact %1 to ungroup").arg(raw);
        return true;
    }
    const QList<qint64> rows = contact->rows;
    for (qint64 id : rows) {
        const PhoneRow *row = m_store.row(id);
        if (row && row->kind == 7)
            m_store.removeRow(id);
    }
    return true;
}

} // namespace phonesim
