#include "contacts/entity.h"

#include <algorithm>
#include <utility>

int Entity::columnNumber(QStringView name)
{
    // "data" and one or two digits without a leading zero. Read by hand:
    // merging looks column names up for every entity it compares.
    if (name.size() < 5 || name.size() > 6 || !name.startsWith(u"data") || name.at(4) == u'0')
        return 0;
    int n = 0;
    for (const QChar c : name.sliced(4)) {
        if (c < u'0' || c > u'9')
            return 0;
        n = n * 10 + (c.unicode() - u'0');
    }
    return (n >= pim::FirstColumn && n <= pim::LastColumn) ? n : 0;
}

QString Entity::columnName(int column)
{
    return QStringLiteral("data") + QString::number(column);
}

const QVariant *Entity::find(int column) const
{
    for (const Slot &slot : m_values) {
        if (slot.column == column)
            return &slot.value;
        if (slot.column > column)
            break;
    }
    return nullptr;
}

QVariant Entity::value(int column) const
{
    const QVariant *v = find(column);
    return v ? *v : QVariant();
}

QString Entity::text(int column) const
{
    const QVariant *v = find(column);
    if (!v)
        return QString();
    if (v->typeId() == QMetaType::QString)
        return *static_cast<const QString *>(v->constData());
    if (v->typeId() == QMetaType::QByteArray)
        return QString::fromUtf8(v->toByteArray());
    return v->toString();
}

QByteArray Entity::bytes(int column) const
{
    const QVariant *v = find(column);
    if (!v)
        return QByteArray();
    if (v->typeId() == QMetaType::QByteArray)
        return v->toByteArray();
    return v->toString().toUtf8();
}

int Entity::toInt(int column) const
{
    return int(toInt64(column));
}

qint64 Entity::toInt64(int column) const
{
    const QVariant *v = find(column);
    if (!v)
        return 0;
    if (v->typeId() == QMetaType::QString)
        return static_cast<const QString *>(v->constData())->toLongLong();   // 0 when empty or not a number
    bool ok = false;
    const qint64 n = v->toLongLong(&ok);
    return ok ? n : 0;
}

void Entity::setValue(int column, QVariant &&value)
{
    if (column < pim::FirstColumn || column > pim::LastColumn)
        return;
    if (!value.isValid()) {
        // No value is an absent column, never a present one that reads empty.
        remove(column);
        return;
    }
    if (m_values.empty() || m_values.back().column < column) {
        // Columns are mostly set in ascending order.
        m_values.push_back(Slot { column, std::move(value) });
        return;
    }
    auto it = std::lower_bound(m_values.begin(), m_values.end(), column,
                               [](const Slot &slot, int c) { return slot.column < c; });
    if (it != m_values.end() && it->column == column)
        it->value = std::move(value);
    else
        m_values.insert(it, Slot { column, std::move(value) });
}

void Entity::remove(int column)
{
    m_values.erase(std::remove_if(m_values.begin(), m_values.end(),
                                  [column](const Slot &slot) { return slot.column == column; }),
                   m_values.end());
}

QList<int> Entity::columns() const
{
    QList<int> result;
    result.reserve(qsizetype(m_values.size()));
    for (const Slot &slot : m_values)
        result.append(slot.column);
    return result;
}

bool operator==(const Entity &a, const Entity &b)
{
    if (a._id != b._id || a.srcId != b.srcId || a.m_values.size() != b.m_values.size())
        return false;
    for (size_t i = 0; i < a.m_values.size(); ++i) {
        if (a.m_values[i].column != b.m_values[i].column
            || !variantValuesEqual(a.m_values[i].value, b.m_values[i].value))
            return false;
    }
    return true;
}

bool isEntityBlank(const Entity &entity, const QStringList &columns)
{
    return std::all_of(columns.begin(), columns.end(),
                       [&entity](const QString &name) { return entity.text(name).isEmpty(); });
}

namespace {

bool isInteger(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isUnsigned(const QVariant &v)
{
    const int t = v.typeId();
    return t == QMetaType::UInt || t == QMetaType::ULong || t == QMetaType::ULongLong
        || t == QMetaType::UShort || t == QMetaType::UChar;
}

QString decimal(const QVariant &integer)
{
    return isUnsigned(integer) ? QString::number(integer.toULongLong()) : QString::number(integer.toLongLong());
}

} // namespace

bool variantValuesEqual(const QVariant &a, const QVariant &b)
{
    if (!a.isValid() || !b.isValid())
        return a.isValid() == b.isValid();
    const bool aText = a.typeId() == QMetaType::QString;
    const bool bText = b.typeId() == QMetaType::QString;
    if (aText && bText)
        return a.toString() == b.toString();
    if (aText && isInteger(b))
        return a.toString() == decimal(b);
    if (bText && isInteger(a))
        return b.toString() == decimal(a);
    if (isInteger(a) && isInteger(b))
        return decimal(a) == decimal(b);
    if (a.typeId() == QMetaType::QByteArray && b.typeId() == QMetaType::QByteArray)
        return a.toByteArray() == b.toByteArray();
    if (a.typeId() == b.typeId())
        return a == b;
    return a.toString() == b.toString();
}

bool entityValuesEqual(const Entity &a, const Entity &b, const QStringList &columns)
{
    // Compared where they are stored: merging compares every incoming entity
    // with the stored ones, and copies of the values would cost more than
    // the comparison.
    static const QVariant absent;
    for (const QString &name : columns) {
        const int column = Entity::columnNumber(name);
        const QVariant *va = a.find(column);
        const QVariant *vb = b.find(column);
        if (!variantValuesEqual(va ? *va : absent, vb ? *vb : absent))
            return false;
    }
    return true;
}

QDebug operator<<(QDebug debug, const Entity &entity)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "Entity(_id=" << entity._id << ", srcId=" << entity.srcId;
    for (int column : entity.columns()) {
        const QVariant v = entity.value(column);
        debug << ", data" << column << '=';
        if (v.typeId() == QMetaType::QByteArray)
            debug << v.toByteArray().size() << " bytes";
        else
            debug << v;
    }
    debug << ')';
    return debug;
}
