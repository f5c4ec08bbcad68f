#include "tools/phonesim/phonestore.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>

namespace phonesim {

namespace {

const QByteArray storeHeader = QByteArrayLiteral("phonesim-store\t1");

QByteArray b64(const QString &text)
{
    return text.toUtf8().toBase64();
}

QString unb64(const QByteArray &field)
{
    return QString::fromUtf8(QByteArray::fromBase64(field));
}

} // namespace

PhoneStore::PhoneStore() = default;

const PhoneContact *PhoneStore::contact(qint64 rawId) const
{
    const auto it = m_contacts.find(rawId);
    return it == m_contacts.end() ? nullptr : &it->second;
}

const PhoneContact *PhoneStore::deletedContact(qint64 rawId) const
{
    const auto it = m_deleted.find(rawId);
    return it == m_deleted.end() ? nullptr : &it->second;
}

const PhoneRow *PhoneStore::row(qint64 id) const
{
    const auto it = m_rows.constFind(id);
    return it == m_rows.cend() ? nullptr : &*it;
}

QList<const PhoneRow *> PhoneStore::orderedRows(const PhoneContact &contact) const
{
    QList<const PhoneRow *> rows;
    rows.reserve(contact.rows.size());
    const PhoneRow *name = nullptr;
    for (qint64 id : contact.rows) {
        const PhoneRow *r = row(id);
        if (!r)
            continue;
        if (r->kind == 1 && !name)
            name = r;
        else
            rows.append(r);
    }
    // Rows are appended with growing ids, so the list is already in id order.
    if (name)
        rows.prepend(name);
    return rows;
}

qint64 PhoneStore::addContact()
{
    PhoneContact c;
    c.rawId = m_nextRaw++;
    c.contactId = m_nextContact++;
    m_contacts.emplace(c.rawId, c);
    record("C\t" + QByteArray::number(c.rawId) + '\t' + QByteArray::number(c.contactId));
    return c.rawId;
}

qint64 PhoneStore::addRow(qint64 rawId, int kind, const QStringList &values, const QByteArray &photo)
{
    const auto it = m_contacts.find(rawId);
    if (it == m_contacts.end())
        return 0;
    PhoneRow r;
    r.id = m_nextRow++;
    r.rawId = rawId;
    r.kind = kind;
    r.values = values;
    r.photo = photo;
    it->second.rows.append(r.id);
    m_rows.insert(r.id, r);
    record(rowRecord(r));
    return r.id;
}

void PhoneStore::updateRow(qint64 id, const QStringList &values, const QByteArray &photo)
{
    const auto it = m_rows.find(id);
    if (it == m_rows.end())
        return;
    it->values = values;
    it->photo = photo;
    record(rowRecord(*it));
}

void PhoneStore::removeRow(qint64 id)
{
    const auto it = m_rows.find(id);
    if (it == m_rows.end())
        return;
    const auto c = m_contacts.find(it->rawId);
    if (c != m_contacts.end())
        c->second.rows.removeOne(id);
    const auto d = m_deleted.find(it->rawId);
    if (d != m_deleted.end())
        d->second.rows.removeOne(id);
    m_rows.erase(it);
    record("D\t" + QByteArray::number(id));
}

void PhoneStore::removeContact(qint64 rawId)
{
    auto c = m_contacts.find(rawId);
    std::map<qint64, PhoneContact> *from = &m_contacts;
    if (c == m_contacts.end()) {
        c = m_deleted.find(rawId);
        from = &m_deleted;
        if (c == m_deleted.end())
            return;
    }
    for (qint64 id : std::as_const(c->second.rows))
        m_rows.remove(id);
    from->erase(c);
    record("X\t" + QByteArray::number(rawId));
}

void PhoneStore::markDeleted(qint64 rawId)
{
    const auto c = m_contacts.find(rawId);
    if (c == m_contacts.end())
        return;
    PhoneContact contact = c->second;
    contact.deleted = true;
    m_contacts.erase(c);
    m_deleted.emplace(rawId, contact);
    record("K\t" + QByteArray::number(rawId));
}

void PhoneStore::clear()
{
    m_contacts.clear();
    m_deleted.clear();
    m_rows.clear();
    m_groups.clear();
    record(QByteArrayLiteral("E"));
}

QString PhoneStore::groupTitle(qint64 id) const
{
    const auto it = m_groups.find(id);
    return it == m_groups.end() ? QString() : it->second;
}

qint64 PhoneStore::findGroup(const QString &title) const
{
    for (const auto &[id, t] : m_groups) {
        if (t == title)
            return id;
    }
    return 0;
}

qint64 PhoneStore::findOrCreateGroup(const QString &title)
{
    if (const qint64 id = findGroup(title))
        return id;
    const qint64 id = m_nextGroup++;
    m_groups.emplace(id, title);
    record("G\t" + QByteArray::number(id) + '\t' + b64(title));
    return id;
}

qint64 PhoneStore::addGroup(const QString &title)
{
    const qint64 id = m_nextGroup++;
    m_groups.emplace(id, title);
    record("G\t" + QByteArray::number(id) + '\t' + b64(title));
    return id;
}

void PhoneStore::record(const QByteArray &line)
{
    m_journal += line;
    m_journal += '\n';
}

QByteArray PhoneStore::rowRecord(const PhoneRow &r) const
{
    QByteArray line = "R\t" + QByteArray::number(r.id) + '\t' + QByteArray::number(r.rawId) + '\t'
        + QByteArray::number(r.kind);
    if (r.kind == 2) {
        line += '\t';
        line += r.photo.toBase64();
    } else {
        for (const QString &v : r.values) {
            line += '\t';
            line += b64(v);
        }
    }
    return line;
}

QByteArray PhoneStore::counterRecord() const
{
    return "N\t" + QByteArray::number(m_nextRaw) + '\t' + QByteArray::number(m_nextContact) + '\t'
        + QByteArray::number(m_nextRow) + '\t' + QByteArray::number(m_nextGroup);
}

int PhoneStore::liveRecords() const
{
    return 1 + int(m_groups.size()) + int(m_contacts.size()) + 2 * int(m_deleted.size()) + int(m_rows.size());
}

bool PhoneStore::applyRecord(const QByteArray &line)
{
    const QList<QByteArray> f = line.split('\t');
    const QByteArray &tag = f.at(0);
    bool ok = true;
    auto num = [&](int i) -> qint64 {
        if (i >= f.size()) {
            ok = false;
            return 0;
        }
        bool good = false;
        const qint64 v = f.at(i).toLongLong(&good);
        ok = ok && good;
        return v;
    };
    if (tag == "N") {
        const qint64 raw = num(1), contact = num(2), row = num(3), group = num(4);
        if (!ok)
            return false;
        m_nextRaw = std::max(m_nextRaw, raw);
        m_nextContact = std::max(m_nextContact, contact);
        m_nextRow = std::max(m_nextRow, row);
        m_nextGroup = std::max(m_nextGroup, group);
    } else if (tag == "G") {
        const qint64 id = num(1);
        if (!ok || f.size() != 3)
            return false;
        m_groups[id] = unb64(f.at(2));
        m_nextGroup = std::max(m_nextGroup, id + 1);
    } else if (tag == "C") {
        const qint64 raw = num(1), contact = num(2);
        if (!ok)
            return false;
        PhoneContact &c = m_contacts[raw];
        c.rawId = raw;
        c.contactId = contact;
        m_nextRaw = std::max(m_nextRaw, raw + 1);
        m_nextContact = std::max(m_nextContact, contact + 1);
    } else if (tag == "R") {
        PhoneRow r;
        r.id = num(1);
        r.rawId = num(2);
        r.kind = int(num(3));
        PhoneContact *owner = nullptr;
        if (const auto c = m_contacts.find(r.rawId); c != m_contacts.end())
            owner = &c->second;
        else if (const auto d = m_deleted.find(r.rawId); d != m_deleted.end())
            owner = &d->second;
        if (!ok || !owner)
            return false;
        if (r.kind == 2)
            r.photo = QByteArray::fromBase64(f.value(4));
        else {
            for (int i = 4; i < f.size(); ++i)
                r.values.append(unb64(f.at(i)));
        }
        if (!m_rows.contains(r.id))
            owner->rows.append(r.id);
        m_rows.insert(r.id, r);
        m_nextRow = std::max(m_nextRow, r.id + 1);
    } else if (tag == "D") {
        const qint64 id = num(1);
        if (!ok)
            return false;
        removeRow(id);
    } else if (tag == "K") {
        const qint64 raw = num(1);
        if (!ok)
            return false;
        markDeleted(raw);
    } else if (tag == "X") {
        const qint64 raw = num(1);
        if (!ok)
            return false;
        removeContact(raw);
    } else if (tag == "E") {
        clear();
    } else {
        return false;
    }
    return true;
}

bool PhoneStore::load(const QString &path, QString *error)
{
    m_contacts.clear();
    m_deleted.clear();
    m_rows.clear();
    m_groups.clear();
    m_journal.clear();
    m_loadedRecords = 0;
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray data = file.readAll();
    qsizetype pos = 0;
    int lineNo = 0;
    while (pos < data.size()) {
        qsizetype end = data.indexOf('\n', pos);
        if (end < 0) { // an unfinished last record: the writer died; rewrite the file
            m_loadedRecords += 1 << 20;
            break;
        }
        const QByteArray line = data.mid(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (lineNo == 1) {
            if (line != storeHeader) {
                *error = QStringLiteral("%1 is not a phonesim contact store").arg(path);
                return false;
            }
            continue;
        }
        if (line.isEmpty())
            continue;
        if (!applyRecord(line)) {
            *error = QStringLiteral("%1:%2: bad record").arg(path).arg(lineNo);
            return false;
        }
        ++m_loadedRecords;
    }
    m_journal.clear(); // replaying records the changes again; they are on disk already
    return true;
}

bool PhoneStore::saveSnapshot(const QString &path, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    QByteArray out;
    out.reserve(1 << 20);
    out += storeHeader + '\n';
    out += counterRecord() + '\n';
    for (const auto &[id, title] : m_groups)
        out += "G\t" + QByteArray::number(id) + '\t' + b64(title) + '\n';
    for (const auto &[raw, c] : m_contacts) {
        out += "C\t" + QByteArray::number(raw) + '\t' + QByteArray::number(c.contactId) + '\n';
        for (qint64 id : c.rows) {
            if (const PhoneRow *r = row(id))
                out += rowRecord(*r) + '\n';
        }
        if (out.size() > (1 << 20)) {
            file.write(out);
            out.clear();
        }
    }
    for (const auto &[raw, c] : m_deleted) {
        out += "C\t" + QByteArray::number(raw) + '\t' + QByteArray::number(c.contactId) + '\n';
        for (qint64 id : c.rows) {
            if (const PhoneRow *r = row(id))
                out += rowRecord(*r) + '\n';
        }
        out += "K\t" + QByteArray::number(raw) + '\n';
    }
    file.write(out);
    if (!file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    m_journal.clear();
    m_loadedRecords = liveRecords();
    return true;
}

bool PhoneStore::flushJournal(const QString &path, QString *error)
{
    if (m_journal.isEmpty())
        return true;
    if (!QFile::exists(path))
        return saveSnapshot(path, error);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(m_journal) != m_journal.size()) {
        *error = QStringLiteral("cannot append to %1: %2").arg(path, file.errorString());
        return false;
    }
    m_loadedRecords += int(m_journal.count('\n'));
    m_journal.clear();
    return true;
}

} // namespace phonesim
