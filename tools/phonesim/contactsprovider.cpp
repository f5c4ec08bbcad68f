#include "tools/phonesim/contactsprovider.h"

#include "tools/phonesim/phonekinds.h"
#include "tools/phonesim/sqlwhere.h"

#include <QHash>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

#include <algorithm>

namespace phonesim {

namespace {

const QString authority = QStringLiteral("com.android.contacts");

// Where each field of a kind (store order, phonekinds.h) lives among the
// data columns.
struct KindColumns
{
    int kind;
    const char *mime;
    QList<QPair<QString, int>> columns; // column -> field index
};

const QList<KindColumns> &kindColumns()
{
    static const QList<KindColumns> table = {
        { 1, "vnd.android.cursor.item/name",
            { { QStringLiteral("data4"), 0 }, { QStringLiteral("data2"), 1 }, { QStringLiteral("data5"), 2 },
                { QStringLiteral("data3"), 3 }, { QStringLiteral("data6"), 4 } } },
        { 2, "vnd.android.cursor.item/photo", {} },
        { 3, "vnd.android.cursor.item/phone_v2",
            { { QStringLiteral("data2"), 0 }, { QStringLiteral("data3"), 1 }, { QStringLiteral("data1"), 2 } } },
        { 4, "vnd.android.cursor.item/email_v2",
            { { QStringLiteral("data2"), 0 }, { QStringLiteral("data3"), 1 }, { QStringLiteral("data1"), 2 } } },
        { 5, "vnd.android.cursor.item/nickname",
            { { QStringLiteral("data2"), 0 }, { QStringLiteral("data3"), 1 }, { QStringLiteral("data1"), 2 } } },
        { 6, "vnd.android.cursor.item/contact_event",
            { { QStringLiteral("data2"), 0 }, { QStringLiteral("data3"), 1 }, { QStringLiteral("data1"), 2 } } },
        { 7, "vnd.android.cursor.item/group_membership", { { QStringLiteral("data1"), 0 } } },
        { 8, "vnd.android.cursor.item/im",
            { { QStringLiteral("data2"), 0 }, { QStringLiteral("data3"), 1 }, { QStringLiteral("data5"), 2 },
                { QStringLiteral("data6"), 3 }, { QStringLiteral("data1"), 4 } } },
        { 9, "vnd.android.cursor.item/note", { { QStringLiteral("data1"), 0 } } },
        { 10, "vnd.android.cursor.item/organization",
            { { QStringLiteral("data2"), 0 }, { QStringLiteral("data3"), 1 }, { QStringLiteral("data1"), 2 },
                { QStringLiteral("data5"), 3 }, { QStringLiteral("data4"), 4 } } },
        { 11, "vnd.android.cursor.item/relation",
            { { QStringLiteral("data2"), 0 }, { QStringLiteral("data3"), 1 }, { QStringLiteral("data1"), 2 } } },
        { 12, "vnd.android.cursor.item/postal-address_v2",
            { { QStringLiteral("data2"), 0 }, { QStringLiteral("data3"), 1 }, { QStringLiteral("data10"), 2 },
                { QStringLiteral("data8"), 3 }, { QStringLiteral("data7"), 4 }, { QStringLiteral("data4"), 5 },
                { QStringLiteral("data9"), 6 } } },
        { 13, "vnd.android.cursor.item/website",
            { { QStringLiteral("data2"), 0 }, { QStringLiteral("data3"), 1 }, { QStringLiteral("data1"), 2 } } },
    };
    return table;
}

const KindColumns *columnsOfKind(int kind)
{
    for (const KindColumns &k : kindColumns()) {
        if (k.kind == kind)
            return &k;
    }
    return nullptr;
}

int kindOfMime(const QString &mime)
{
    for (const KindColumns &k : kindColumns()) {
        if (mime == QLatin1String(k.mime))
            return k.kind;
    }
    return 0;
}

// Android's "other" code of the kinds whose store code 0 means "other"
// when no custom label goes with it.
int androidOther(int kind)
{
    switch (kind) {
    case 3:
    case 13:
        return 7;
    case 4:
    case 8:
    case 12:
        return 3;
    case 6:
    case 10:
        return 2;
    default:
        return -1;
    }
}

QVariant androidType(int kind, const QString &storeCode, const QString &label)
{
    if (storeCode.isEmpty())
        return QVariant();
    const int code = storeCode.toInt();
    if (code == 0 && androidOther(kind) >= 0 && label.isEmpty())
        return qint64(androidOther(kind));
    return qint64(code);
}

QString storeType(int kind, const QVariant &android)
{
    if (android.isNull())
        return QString();
    const int code = android.toString().toInt();
    if (androidOther(kind) >= 0 && code == androidOther(kind))
        return QStringLiteral("0");
    return QString::number(code);
}

QVariant androidProtocol(const QString &storeCode)
{
    if (storeCode.isEmpty())
        return QVariant();
    const int code = storeCode.toInt();
    return qint64(code <= 0 ? -1 : code - 1);
}

QString storeProtocol(const QVariant &android)
{
    if (android.isNull())
        return QString();
    const int code = android.toString().toInt();
    return QString::number(code < 0 ? 0 : code + 1);
}

QVariant textOrNull(const QString &text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QString displayNameOf(const QStringList &name)
{
    QStringList parts;
    for (int i : { 0, 1, 2, 3, 4 }) {
        if (!name.value(i).isEmpty())
            parts.append(name.value(i));
    }
    return parts.join(u' ');
}

QString formattedAddress(const QStringList &f)
{
    QStringList lines;
    if (!f.value(5).isEmpty())
        lines.append(f.value(5));
    const QString cityLine = QStringList({ f.value(4), f.value(3), f.value(6) }).filter(QRegularExpression(QStringLiteral("."))).join(u' ');
    if (!cityLine.isEmpty())
        lines.append(cityLine);
    if (!f.value(2).isEmpty())
        lines.append(f.value(2));
    return lines.join(u'\n');
}

QString contactDisplayName(const PhoneStore &store, const PhoneContact &contact)
{
    for (qint64 id : contact.rows) {
        const PhoneRow *r = store.row(id);
        if (r && r->kind == 1)
            return displayNameOf(r->values);
    }
    return QString();
}

} // namespace

ContactsProvider::ContactsProvider(PhoneStore &store)
    : m_store(store)
{ }

QString ContactsProvider::mimeType(int kind)
{
    const KindColumns *k = columnsOfKind(kind);
    return k ? QString::fromLatin1(k->mime) : QString();
}

bool ContactsProvider::resolve(const QString &uri, Target *target, QString *error) const
{
    const QUrl url(uri, QUrl::StrictMode);
    if (url.scheme() != u"content" || url.host() != authority) {
        *error = QStringLiteral("Unknown URL %1").arg(uri);
        return false;
    }
    const QString path = url.path();
    if (path == u"/raw_contacts")
        target->table = Table::RawContacts;
    else if (path == u"/data")
        target->table = Table::Data;
    else if (path == u"/groups")
        target->table = Table::Groups;
    else {
        *error = QStringLiteral("Unknown URL %1").arg(uri);
        return false;
    }
    const QUrlQuery query(url);
    if (query.hasQueryItem(QStringLiteral("limit"))) {
        bool ok = false;
        target->limit = query.queryItemValue(QStringLiteral("limit")).toInt(&ok);
        if (!ok || target->limit < 0) {
            *error = QStringLiteral("Limit must be a non-negative integer");
            return false;
        }
    }
    return true;
}

QStringList ContactsProvider::allColumns(Table table) const
{
    switch (table) {
    case Table::RawContacts:
        return { QStringLiteral("_id"), QStringLiteral("contact_id"), QStringLiteral("deleted"),
            QStringLiteral("account_name"), QStringLiteral("account_type"), QStringLiteral("display_name"),
            QStringLiteral("aggregation_mode"), QStringLiteral("starred"), QStringLiteral("version"),
            QStringLiteral("dirty"), QStringLiteral("sourceid") };
    case Table::Groups:
        return { QStringLiteral("_id"), QStringLiteral("title"), QStringLiteral("deleted"),
            QStringLiteral("account_name"), QStringLiteral("account_type"), QStringLiteral("group_visible"),
            QStringLiteral("system_id"), QStringLiteral("version") };
    case Table::Data: {
        QStringList c = { QStringLiteral("_id"), QStringLiteral("raw_contact_id"), QStringLiteral("contact_id"),
            QStringLiteral("mimetype") };
        for (int i = 1; i <= 15; ++i)
            c.append(QStringLiteral("data%1").arg(i));
        c << QStringLiteral("data_version") << QStringLiteral("is_primary") << QStringLiteral("is_super_primary")
          << QStringLiteral("account_name") << QStringLiteral("account_type") << QStringLiteral("display_name");
        return c;
    }
    }
    return {};
}

QMap<QString, QVariant> ContactsProvider::dataRow(const PhoneContact &contact, const PhoneRow &row, bool) const
{
    QMap<QString, QVariant> v;
    v.insert(QStringLiteral("_id"), row.id);
    v.insert(QStringLiteral("raw_contact_id"), contact.rawId);
    v.insert(QStringLiteral("contact_id"), contact.contactId);
    v.insert(QStringLiteral("mimetype"), mimeType(row.kind));
    for (int i = 1; i <= 15; ++i)
        v.insert(QStringLiteral("data%1").arg(i), QVariant());
    v.insert(QStringLiteral("data_version"), qint64(0));
    v.insert(QStringLiteral("is_primary"), qint64(0));
    v.insert(QStringLiteral("is_super_primary"), qint64(0));
    v.insert(QStringLiteral("account_name"), QStringLiteral("phonesim@example.com"));
    v.insert(QStringLiteral("account_type"), QStringLiteral("com.google"));
    v.insert(QStringLiteral("display_name"), textOrNull(contactDisplayName(m_store, contact)));
    const QStringList &f = row.values;
    switch (row.kind) {
    case 1:
        v.insert(QStringLiteral("data1"), textOrNull(displayNameOf(f)));
        break;
    case 2:
        v.insert(QStringLiteral("data15"), row.photo);
        return v;
    case 7:
        v.insert(QStringLiteral("data1"), f.value(0).isEmpty() ? QVariant() : QVariant(f.value(0).toLongLong()));
        return v;
    case 12:
        v.insert(QStringLiteral("data1"), textOrNull(formattedAddress(f)));
        break;
    default:
        break;
    }
    const KindColumns *k = columnsOfKind(row.kind);
    if (!k)
        return v;
    for (const auto &[column, index] : k->columns) {
        const KindLayout *layout = kindLayout(row.kind);
        const FieldType type = layout->fields.at(index).type;
        if (type == FieldType::Type)
            v.insert(column, androidType(row.kind, f.value(index), f.value(1)));
        else if (type == FieldType::Protocol)
            v.insert(column, androidProtocol(f.value(index)));
        else
            v.insert(column, textOrNull(f.value(index)));
    }
    return v;
}

QList<QMap<QString, QVariant>> ContactsProvider::rowsOf(Table table) const
{
    QList<QMap<QString, QVariant>> rows;
    if (table == Table::Groups) {
        for (const auto &[id, title] : m_store.groups()) {
            rows.append({ { QStringLiteral("_id"), id }, { QStringLiteral("title"), textOrNull(title) },
                { QStringLiteral("deleted"), qint64(0) },
                { QStringLiteral("account_name"), QStringLiteral("phonesim@example.com") },
                { QStringLiteral("account_type"), QStringLiteral("com.google") },
                { QStringLiteral("group_visible"), qint64(1) }, { QStringLiteral("system_id"), QVariant() },
                { QStringLiteral("version"), qint64(1) } });
        }
        return rows;
    }
    // Live and deleted raw contacts in id order.
    QList<const PhoneContact *> contacts;
    for (const auto &[raw, c] : m_store.contacts())
        contacts.append(&c);
    for (const auto &[raw, c] : m_store.deletedContacts())
        contacts.append(&c);
    std::sort(contacts.begin(), contacts.end(),
        [](const PhoneContact *a, const PhoneContact *b) { return a->rawId < b->rawId; });
    if (table == Table::RawContacts) {
        for (const PhoneContact *c : std::as_const(contacts)) {
            rows.append({ { QStringLiteral("_id"), c->rawId }, { QStringLiteral("contact_id"), c->contactId },
                { QStringLiteral("deleted"), qint64(c->deleted ? 1 : 0) },
                { QStringLiteral("account_name"), QStringLiteral("phonesim@example.com") },
                { QStringLiteral("account_type"), QStringLiteral("com.google") },
                { QStringLiteral("display_name"), textOrNull(contactDisplayName(m_store, *c)) },
                { QStringLiteral("aggregation_mode"), qint64(0) }, { QStringLiteral("starred"), qint64(0) },
                { QStringLiteral("version"), qint64(1) }, { QStringLiteral("dirty"), qint64(c->deleted ? 1 : 0) },
                { QStringLiteral("sourceid"), QVariant() } });
        }
        return rows;
    }
    QList<QPair<const PhoneContact *, const PhoneRow *>> data;
    for (const PhoneContact *c : std::as_const(contacts)) {
        for (qint64 id : c->rows) {
            if (const PhoneRow *r = m_store.row(id))
                data.append({ c, r });
        }
    }
    std::sort(data.begin(), data.end(), [](const auto &a, const auto &b) { return a.second->id < b.second->id; });
    for (const auto &[c, r] : std::as_const(data))
        rows.append(dataRow(*c, *r, c->deleted));
    return rows;
}

bool ContactsProvider::select(Table table, const QString &where, QList<QMap<QString, QVariant>> *rows,
    QString *error) const
{
    SqlWhere selection;
    if (!selection.parse(where, error))
        return false;
    const QStringList columns = allColumns(table);
    for (const QMap<QString, QVariant> &row : rowsOf(table)) {
        bool hit = false;
        const auto lookup = [&](const QString &name, QVariant *value) {
            if (!columns.contains(name))
                return false;
            *value = row.value(name);
            return true;
        };
        if (!selection.matches(lookup, &hit, error))
            return false;
        if (hit)
            rows->append(row);
    }
    return true;
}

bool ContactsProvider::query(const QString &uri, const QStringList &projection, const QString &where,
    const QString &sort, Result *result, QString *error)
{
    Target target;
    if (!resolve(uri, &target, error))
        return false;
    const QStringList columns = allColumns(target.table);
    result->columns = projection.isEmpty() ? columns : projection;
    for (const QString &c : std::as_const(result->columns)) {
        if (!columns.contains(c)) {
            *error = QStringLiteral("Invalid column %1").arg(c);
            return false;
        }
    }
    QList<QMap<QString, QVariant>> rows;
    if (!select(target.table, where, &rows, error))
        return false;
    if (!sort.trimmed().isEmpty()) {
        QList<QPair<QString, bool>> keys; // column, descending
        for (const QString &part : sort.split(u',')) {
            const QStringList words = part.trimmed().split(QRegularExpression(QStringLiteral("\\s+")));
            const bool desc = words.size() == 2 && words.at(1).compare(u"DESC", Qt::CaseInsensitive) == 0;
            const bool asc = words.size() == 2 && words.at(1).compare(u"ASC", Qt::CaseInsensitive) == 0;
            if (words.isEmpty() || words.size() > 2 || (words.size() == 2 && !desc && !asc)) {
                *error = QStringLiteral("near \"%1\": syntax error").arg(words.value(words.size() > 2 ? 2 : 1));
                return false;
            }
            if (!columns.contains(words.at(0))) {
                *error = QStringLiteral("no such column: %1").arg(words.at(0));
                return false;
            }
            keys.append({ words.at(0), desc });
        }
        std::stable_sort(rows.begin(), rows.end(), [&keys](const auto &a, const auto &b) {
            for (const auto &[column, desc] : keys) {
                const QVariant va = a.value(column), vb = b.value(column);
                bool na = false, nb = false;
                const qint64 ia = va.toString().toLongLong(&na), ib = vb.toString().toLongLong(&nb);
                int c = (na && nb) ? (ia < ib ? -1 : ia > ib) : va.toString().compare(vb.toString());
                if (c != 0)
                    return desc ? c > 0 : c < 0;
            }
            return false;
        });
    }
    if (target.limit >= 0 && rows.size() > target.limit)
        rows = rows.mid(0, target.limit);
    for (const QMap<QString, QVariant> &row : std::as_const(rows)) {
        QVariantList values;
        for (const QString &c : std::as_const(result->columns))
            values.append(row.value(c));
        result->rows.append(values);
    }
    return true;
}

bool ContactsProvider::storeValues(int kind, const QMap<QString, QVariant> &values, QStringList *fields,
    QByteArray *photo, QString *error)
{
    const KindLayout *layout = kindLayout(kind);
    const KindColumns *k = columnsOfKind(kind);
    while (fields->size() < layout->fields.size())
        fields->append(QString());
    const QStringList dataColumns = allColumns(Table::Data);
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (!dataColumns.contains(it.key())) {
            *error = QStringLiteral("Invalid column %1").arg(it.key());
            return false;
        }
    }
    if (kind == 2) {
        if (values.contains(QStringLiteral("data15")))
            *photo = values.value(QStringLiteral("data15")).toByteArray();
        return true;
    }
    int typeIndex = -1;
    QVariant type;
    for (const auto &[column, index] : k->columns) {
        if (!values.contains(column))
            continue;
        const QVariant v = values.value(column);
        const FieldType fieldType = layout->fields.at(index).type;
        if (fieldType == FieldType::Type) {
            typeIndex = index;
            type = v;
        } else if (fieldType == FieldType::Protocol) {
            (*fields)[index] = storeProtocol(v);
        } else if (fieldType == FieldType::Group) {
            const qint64 group = v.toString().toLongLong();
            if (!v.isNull() && m_store.groupTitle(group).isNull()) {
                *error = QStringLiteral("Group %1 does not exist").arg(group);
                return false;
            }
            (*fields)[index] = v.isNull() ? QString() : QString::number(group);
        } else {
            (*fields)[index] = v.isNull() ? QString() : v.toString();
        }
    }
    if (typeIndex >= 0)
        (*fields)[typeIndex] = storeType(kind, type);
    // A display name or formatted address alone is split up by the provider;
    // the simulated one keeps it in the first part.
    const QString data1 = values.value(QStringLiteral("data1")).toString();
    if (kind == 1 && displayNameOf(*fields).isEmpty() && !data1.isEmpty())
        (*fields)[1] = data1;
    if (kind == 12 && formattedAddress(*fields).isEmpty() && !data1.isEmpty())
        (*fields)[5] = data1;
    return true;
}

bool ContactsProvider::insert(const QString &uri, const QMap<QString, QVariant> &values, QString *error)
{
    Target target;
    if (!resolve(uri, &target, error))
        return false;
    if (target.table == Table::RawContacts) {
        const QStringList columns = allColumns(Table::RawContacts);
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            if (!columns.contains(it.key())) {
                *error = QStringLiteral("Invalid column %1").arg(it.key());
                return false;
            }
        }
        m_store.addContact();
        return true;
    }
    if (target.table == Table::Groups) {
        m_store.addGroup(values.value(QStringLiteral("title")).toString());
        return true;
    }
    const QVariant raw = values.value(QStringLiteral("raw_contact_id"));
    if (raw.isNull()) {
        *error = QStringLiteral("raw_contact_id is required");
        return false;
    }
    const QString mime = values.value(QStringLiteral("mimetype")).toString();
    const int kind = kindOfMime(mime);
    if (mime.isEmpty()) {
        *error = QStringLiteral("mimetype is required");
        return false;
    }
    if (kind == 0) {
        *error = QStringLiteral("phonesim keeps no rows of type %1").arg(mime);
        return false;
    }
    const qint64 rawId = raw.toString().toLongLong();
    if (!m_store.contact(rawId)) {
        *error = QStringLiteral("Raw contact %1 does not exist").arg(rawId);
        return false;
    }
    QStringList fields;
    QByteArray photo;
    QMap<QString, QVariant> columns = values;
    columns.remove(QStringLiteral("raw_contact_id"));
    columns.remove(QStringLiteral("mimetype"));
    if (!storeValues(kind, columns, &fields, &photo, error))
        return false;
    m_store.addRow(rawId, kind, fields, photo);
    return true;
}

bool ContactsProvider::update(
    const QString &uri, const QMap<QString, QVariant> &values, const QString &where, QString *error)
{
    Target target;
    if (!resolve(uri, &target, error))
        return false;
    QList<QMap<QString, QVariant>> rows;
    if (!select(target.table, where, &rows, error))
        return false;
    if (target.table != Table::Data)
        return true; // nothing the simulated phone keeps changes
    if (values.contains(QStringLiteral("mimetype")) || values.contains(QStringLiteral("raw_contact_id"))) {
        *error = QStringLiteral("phonesim does not move data rows between kinds or contacts");
        return false;
    }
    for (const QMap<QString, QVariant> &r : std::as_const(rows)) {
        const PhoneRow *row = m_store.row(r.value(QStringLiteral("_id")).toLongLong());
        if (!row)
            continue;
        QStringList fields = row->values;
        QByteArray photo = row->photo;
        if (!storeValues(row->kind, values, &fields, &photo, error))
            return false;
        m_store.updateRow(row->id, fields, photo);
    }
    return true;
}

bool ContactsProvider::remove(const QString &uri, const QString &where, QString *error)
{
    Target target;
    if (!resolve(uri, &target, error))
        return false;
    QList<QMap<QString, QVariant>> rows;
    if (!select(target.table, where, &rows, error))
        return false;
    for (const QMap<QString, QVariant> &r : std::as_const(rows)) {
        const qint64 id = r.value(QStringLiteral("_id")).toLongLong();
        if (target.table == Table::Data)
            m_store.removeRow(id);
        else if (target.table == Table::RawContacts)
            m_store.markDeleted(id);
    }
    if (target.table == Table::Groups && !rows.isEmpty()) {
        *error = QStringLiteral("phonesim does not delete groups");
        return false;
    }
    return true;
}

} // namespace phonesim
