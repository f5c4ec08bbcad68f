#include "files/csvimport.h"

#include "contacts/contactformat.h"
#include "files/csvrowreader.h"

#include <QFile>
#include <QMap>
#include <QVarLengthArray>

#include <algorithm>
#include <numeric>
#include <stdexcept>

using namespace pim;

void CSVImport::open(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(file.errorString().toStdString());
    openDevice(file);
    file.close();
}

void CSVImport::openDevice(QIODevice &device)
{
    m_header.clear();
    std::string().swap(m_data);
    m_fieldEnds.clear();
    m_rowFirstField.assign(1, 0);
    m_cursor = 0;
    if (!device.isSequential() && device.size() > 0)
        m_data.reserve(size_t(device.size()));

    CSVRowReader reader(device);
    bool complete = false;
    m_header = reader.readRow(true, &complete);
    // A file that ends without a line feed still has its last row: only
    // nothing at all (or a lone empty field) after the last line feed is
    // no row.
    const auto isRow = [](const QStringList &fields, bool done) {
        return done || fields.size() > 1 || (fields.size() == 1 && !fields.first().isEmpty());
    };
    if (isRow(m_header, complete)) {
        while (complete) {
            const size_t dataMark = m_data.size();
            const size_t fieldMark = m_fieldEnds.size();
            complete = reader.readRow(false, m_data, m_fieldEnds);
            const size_t fields = m_fieldEnds.size() - fieldMark;
            if (complete || fields > 1 || (fields == 1 && m_data.size() > dataMark)) {
                m_rowFirstField.push_back(qsizetype(m_fieldEnds.size()));
            } else {
                m_data.resize(dataMark);
                m_fieldEnds.resize(fieldMark);
            }
        }
    } else {
        m_header.clear();
    }
    planColumns();
}

// Resolves the header once per file: which positions map to which entity
// group, with the groups ordered by their "kind-type" key.
void CSVImport::planColumns()
{
    m_slots.clear();
    m_groupKinds.clear();
    m_groupsByKind.clear();
    QMap<QString, int> groups;   // key -> kind, in key order
    for (const QString &name : std::as_const(m_header)) {
        const CSVHeaderMapping mapping = lookupHeader(name);
        if (mapping.kind)
            groups.insert(QStringLiteral("%1-%2").arg(mapping.kind).arg(mapping.type), mapping.kind);
    }
    for (auto it = groups.cbegin(); it != groups.cend(); ++it)
        m_groupKinds.push_back(it.value());
    m_groupsByKind.resize(m_groupKinds.size());
    std::iota(m_groupsByKind.begin(), m_groupsByKind.end(), 0);
    std::stable_sort(m_groupsByKind.begin(), m_groupsByKind.end(),
                     [this](int a, int b) { return m_groupKinds[size_t(a)] < m_groupKinds[size_t(b)]; });
    const QStringList keys = groups.keys();
    for (qsizetype i = 0; i < m_header.size(); ++i) {
        const CSVHeaderMapping mapping = lookupHeader(m_header.at(i));
        if (!mapping.kind)
            continue;
        const int group = int(keys.indexOf(QStringLiteral("%1-%2").arg(mapping.kind).arg(mapping.type)));
        m_slots.push_back(Slot { i, group, mapping });
    }
}

qsizetype CSVImport::count() const
{
    return qsizetype(m_rowFirstField.size()) - 1;
}

bool CSVImport::hasNext() const
{
    return m_cursor < count();
}

QByteArrayView CSVImport::field(qsizetype row, qsizetype position) const
{
    const qsizetype index = m_rowFirstField[size_t(row)] + position;
    if (index >= m_rowFirstField[size_t(row) + 1])
        return QByteArrayView();   // the row is shorter than the header
    const qsizetype start = index ? m_fieldEnds[size_t(index) - 1] : 0;
    return QByteArrayView(m_data.data() + start, m_fieldEnds[size_t(index)] - start);
}

QStringList CSVImport::row(qsizetype index) const
{
    QStringList fields;
    if (index < 0 || index >= count())
        return fields;
    const qsizetype n = m_rowFirstField[size_t(index) + 1] - m_rowFirstField[size_t(index)];
    for (qsizetype i = 0; i < n; ++i)
        fields.append(CSVRowReader::decodeField(field(index, i)));
    return fields;
}

Contact CSVImport::next()
{
    Contact contact;
    if (!hasNext())
        return contact;
    const qsizetype row = m_cursor++;

    QVarLengthArray<Entity, 16> entities(qsizetype(m_groupKinds.size()));
    // Per group, the columns set so far (bit n: column n); 0 for a group
    // this row leaves empty.
    QVarLengthArray<quint32, 16> set(qsizetype(m_groupKinds.size()));
    std::fill(set.begin(), set.end(), 0u);
    for (const Slot &slot : m_slots) {
        const QByteArrayView bytes = field(row, slot.field);
        if (bytes.isEmpty())
            continue;
        const QString value = CSVRowReader::decodeField(bytes);
        Entity &e = entities[slot.group];
        quint32 &columns = set[slot.group];
        if (!columns)
            e.reserve(8);
        const int valueColumn = slot.mapping.valueColumn;
        if (columns & (1u << valueColumn)) {
            const QString existing = e.text(valueColumn);
            e.setText(valueColumn, existing.isEmpty() ? value : existing + QLatin1Char(' ') + value);
        } else {
            e.setText(valueColumn, value);
            columns |= 1u << valueColumn;
        }
        const int typeColumn = slot.mapping.typeColumn;
        if (typeColumn && slot.mapping.type != 0 && !(columns & (1u << typeColumn))) {
            e.setValue(typeColumn, slot.mapping.type);
            columns |= 1u << typeColumn;
        }
    }
    // The entities go to their kinds' lists in the order of their keys;
    // kinds come in ascending order, so each list is added at the end.
    for (size_t i = 0; i < m_groupsByKind.size();) {
        const int kind = m_groupKinds[size_t(m_groupsByKind[i])];
        size_t end = i;
        qsizetype count = 0;
        for (; end < m_groupsByKind.size() && m_groupKinds[size_t(m_groupsByKind[end])] == kind; ++end)
            count += set[m_groupsByKind[end]] ? 1 : 0;
        if (count) {
            QList<Entity> list;
            list.reserve(count);
            for (size_t k = i; k < end; ++k) {
                const int g = m_groupsByKind[k];
                if (!set[g])
                    continue;
                Entity &e = entities[g];
                if (kind == ENTITY_NAME) {
                    contact.fullName = formatPersonName(e);
                    e.setText(data1, contact.fullName);
                } else if (kind == ENTITY_POSTAL_ADDRESS) {
                    e.setText(data1, formatPostalAddress(e));
                } else if (kind == ENTITY_IM) {
                    e.setValue(data2, 1);
                }
                list.append(std::move(e));
            }
            contact.entities.insert(contact.entities.cend(), kind, std::move(list));
        }
        i = end;
    }
    return contact;
}

void CSVImport::close()
{
}
