#include "android/wireencoding.h"

#include "contacts/contactformat.h"
#include "contacts/entity.h"
#include "contacts/entitykind.h"

#include <QDate>
#include <QDateTime>
#include <limits>
#include <QVarLengthArray>

#include <iterator>

using namespace pim;

namespace {

struct LabelRow
{
    int key;
    int code;
    const char *label;
};

// The lower-case labels the agent knows. "parnet" and "refby" are spelled
// the way the agent spells them; correcting them here would break the
// exchange with phones.
constexpr LabelRow labelRows[] = {
    { ENTITY_PHONE, 0, "other" },          { ENTITY_PHONE, 1, "home" },
    { ENTITY_PHONE, 2, "mobile" },         { ENTITY_PHONE, 3, "work" },
    { ENTITY_PHONE, 4, "work fax" },       { ENTITY_PHONE, 5, "home fax" },
    { ENTITY_PHONE, 6, "pager" },          { ENTITY_PHONE, 8, "callback" },
    { ENTITY_PHONE, 9, "car" },            { ENTITY_PHONE, 10, "company main" },
    { ENTITY_PHONE, 11, "isdn" },          { ENTITY_PHONE, 12, "main" },
    { ENTITY_PHONE, 13, "other fax" },     { ENTITY_PHONE, 14, "radio" },
    { ENTITY_PHONE, 15, "telex" },         { ENTITY_PHONE, 16, "ttytdd" },
    { ENTITY_PHONE, 17, "work mobile" },   { ENTITY_PHONE, 18, "work pager" },
    { ENTITY_PHONE, 19, "assistant" },     { ENTITY_PHONE, 20, "mms" },

    { ENTITY_EMAIL, 0, "other" },          { ENTITY_EMAIL, 1, "home" },
    { ENTITY_EMAIL, 2, "work" },           { ENTITY_EMAIL, 4, "mobile" },

    { ENTITY_NICKNAME, 1, "default" },     { ENTITY_NICKNAME, 2, "other" },
    { ENTITY_NICKNAME, 4, "short" },       { ENTITY_NICKNAME, 5, "init" },

    { ENTITY_EVENT, 0, "other" },          { ENTITY_EVENT, 1, "anniversary" },
    { ENTITY_EVENT, 3, "birthday" },

    { ENTITY_IM, 0, "other" },             { ENTITY_IM, 1, "home" },
    { ENTITY_IM, 2, "work" },

    { WireImProtocolKey, 1, "aim" },       { WireImProtocolKey, 2, "msn" },
    { WireImProtocolKey, 3, "yahoo" },     { WireImProtocolKey, 4, "skype" },
    { WireImProtocolKey, 5, "qq" },        { WireImProtocolKey, 6, "googletalk" },
    { WireImProtocolKey, 7, "icq" },       { WireImProtocolKey, 8, "jabber" },
    { WireImProtocolKey, 9, "netmeeting" },

    { ENTITY_ORGANIZATION, 0, "other" },   { ENTITY_ORGANIZATION, 1, "work" },

    { ENTITY_RELATION, 1, "assistant" },   { ENTITY_RELATION, 2, "brother" },
    { ENTITY_RELATION, 3, "child" },       { ENTITY_RELATION, 4, "dom partner" },
    { ENTITY_RELATION, 5, "father" },      { ENTITY_RELATION, 6, "friend" },
    { ENTITY_RELATION, 7, "manager" },     { ENTITY_RELATION, 8, "mother" },
    { ENTITY_RELATION, 9, "parnet" },      { ENTITY_RELATION, 10, "partner" },
    { ENTITY_RELATION, 11, "refby" },      { ENTITY_RELATION, 12, "relative" },
    { ENTITY_RELATION, 13, "sister" },     { ENTITY_RELATION, 14, "spouse" },

    { ENTITY_POSTAL_ADDRESS, 0, "other" }, { ENTITY_POSTAL_ADDRESS, 1, "home" },
    { ENTITY_POSTAL_ADDRESS, 2, "work" },

    { ENTITY_WEBSITE, 0, "other" },        { ENTITY_WEBSITE, 1, "homepage" },
    { ENTITY_WEBSITE, 2, "blog" },         { ENTITY_WEBSITE, 3, "profile" },
    { ENTITY_WEBSITE, 4, "home" },         { ENTITY_WEBSITE, 5, "work" },
    { ENTITY_WEBSITE, 6, "ftp" },
};

QString reverseKey(int tableKey, QStringView label)
{
    QString key = QString::number(tableKey) + QLatin1Char('/');
    key.append(label);
    return key;
}

// Standard Base64 decoding straight from the line's characters, skipping
// every character outside the alphabet ('=' included), as
// QByteArray::fromBase64 does without its strict option.
template<typename Out>
void decodeBase64(QStringView field, Out &out)
{
    out.reserve(field.size() * 3 / 4 + 1);
    quint32 buffer = 0;
    int bits = 0;
    for (const QChar qc : field) {
        const char16_t ch = qc.unicode();
        int d;
        if (ch >= u'A' && ch <= u'Z')
            d = ch - u'A';
        else if (ch >= u'a' && ch <= u'z')
            d = ch - u'a' + 26;
        else if (ch >= u'0' && ch <= u'9')
            d = ch - u'0' + 52;
        else if (ch == u'+')
            d = 62;
        else if (ch == u'/')
            d = 63;
        else
            continue;
        buffer = (buffer << 6) | quint32(d);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.append(char(buffer >> bits));
            buffer &= (1u << bits) - 1;
        }
    }
}

QString base64Text(QStringView field)
{
    QVarLengthArray<char, 512> bytes;
    decodeBase64(field, bytes);
    return QString::fromUtf8(bytes.data(), bytes.size());
}

QByteArray base64Bytes(QStringView field)
{
    QByteArray bytes;
    decodeBase64(field, bytes);
    return bytes;
}

// The date of a stored ISO 8601 date-time (or plain date) text.
QDate isoDate(const QString &text)
{
    const QDateTime dateTime = QDateTime::fromString(text, Qt::ISODate);
    if (dateTime.isValid())
        return dateTime.date();
    // A local midnight that falls into a daylight-saving gap does not make a
    // valid date-time, but its date is still good.
    if (text.size() == 10 || (text.size() > 10 && text.at(10) == u'T'))
        return QDate::fromString(text.left(10), Qt::ISODate);
    return QDate();
}

void appendText(QString &line, const Entity &entity, int column)
{
    line += QLatin1Char(',');
    const QString text = entity.text(column);
    if (!text.isEmpty())
        line += QLatin1String(text.toUtf8().toBase64());
}

void appendLabel(QString &line, int tableKey, const Entity &entity, int column)
{
    line += QLatin1Char(',');
    line += wireLabel(tableKey, entity.toInt(column));
}

void appendDate(QString &line, const Entity &entity, int column)
{
    line += QLatin1Char(',');
    const QDate date = isoDate(entity.text(column));
    if (date.isValid())
        line += date.toString(u"yyyy-MM-dd");
}

// Decoding, written once for both field list types.
template<typename Fields>
class FieldReader
{
public:
    FieldReader(const Fields &fields, Entity &entity)
        : m_fields(fields)
        , m_entity(entity)
    {
    }

    [[nodiscard]] bool has(qsizetype index) const { return index < m_fields.size(); }
    [[nodiscard]] QStringView raw(qsizetype index) const { return m_fields.at(index); }

    void text(qsizetype index, int column)
    {
        if (has(index))
            m_entity.setValue(column, base64Text(raw(index)));
    }

    void label(qsizetype index, int tableKey, int column)
    {
        if (has(index))
            m_entity.setValue(column, wireLabelCode(tableKey, raw(index)));
    }

    // A custom label in `index` replaces the type code by 0.
    void customLabel(qsizetype index, int column, int typeColumn)
    {
        if (!has(index))
            return;
        text(index, column);
        if (!raw(index).isEmpty())
            m_entity.setValue(typeColumn, 0);
    }

    void date(qsizetype index, int column)
    {
        if (!has(index))
            return;
        const QDate date = QDate::fromString(raw(index).toString(), u"yyyy-MM-dd");
        m_entity.setValue(column, date.isValid() ? date.toString(u"yyyy-MM-dd") + QStringLiteral("T00:00:00") : QString());
    }

    void bytes(qsizetype index, int column)
    {
        if (has(index))
            m_entity.setValue(column, base64Bytes(raw(index)));
    }

private:
    const Fields &m_fields;
    Entity &m_entity;
};

template<typename Fields>
void decodeFields(const Fields &fields, int kind, Entity &entity)
{
    FieldReader<Fields> in(fields, entity);
    switch (kind) {
    case ENTITY_NAME:
        in.text(1, data5);
        in.text(2, data2);
        in.text(3, data4);
        in.text(4, data3);
        in.text(5, data6);
        entity.setValue(data1, formatPersonName(entity));
        break;
    case ENTITY_PHOTO:
        in.bytes(1, data15);
        break;
    case ENTITY_PHONE:
    case ENTITY_EMAIL:
    case ENTITY_RELATION:
    case ENTITY_WEBSITE:
        in.label(1, kind, data2);
        in.customLabel(2, data3, data2);
        in.text(3, data1);
        break;
    case ENTITY_NICKNAME:
        // The agent's nickname label and custom label are not taken over.
        in.text(3, data1);
        entity.setValue(data2, 1);
        break;
    case ENTITY_EVENT:
        in.label(1, ENTITY_EVENT, data2);
        in.customLabel(2, data3, data2);
        in.date(3, data1);
        break;
    case ENTITY_GROUP_MEMBERSHIP:
        in.text(1, data2);
        break;
    case ENTITY_IM:
        in.label(1, ENTITY_IM, data2);
        in.customLabel(2, data3, data2);
        in.label(3, WireImProtocolKey, data5);
        in.customLabel(4, data6, data5);
        in.text(5, data1);
        break;
    case ENTITY_NOTE:
        in.text(1, data1);
        break;
    case ENTITY_ORGANIZATION:
        in.label(1, ENTITY_ORGANIZATION, data2);
        in.customLabel(2, data3, data2);
        in.text(3, data1);
        in.text(4, data5);
        in.text(5, data4);
        break;
    case ENTITY_POSTAL_ADDRESS:
        in.label(1, ENTITY_POSTAL_ADDRESS, data2);
        in.customLabel(2, data3, data2);
        in.text(3, data10);
        in.text(4, data8);
        in.text(5, data7);
        in.text(6, data4);
        in.text(7, data9);
        entity.setValue(data1, formatPostalAddress(entity));
        break;
    default:
        break;
    }
}

// Parses "-?[0-9]+" into a signed 64-bit number; false when it does not fit.
bool parseSigned(QStringView part, qint64 &value)
{
    const bool negative = part.startsWith(u'-');
    const QStringView digits = negative ? part.mid(1) : part;
    if (digits.isEmpty())
        return false;
    quint64 magnitude = 0;
    const quint64 limit = negative ? quint64(std::numeric_limits<qint64>::max()) + 1
                                   : quint64(std::numeric_limits<qint64>::max());
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return false;
        const quint64 d = c.unicode() - u'0';
        if (magnitude > (limit - d) / 10)
            return false;
        magnitude = magnitude * 10 + d;
    }
    value = negative ? qint64(0 - magnitude) : qint64(magnitude);
    return true;
}

} // namespace

QString buildSrcId(int kind, qint64 key1, qint64 key2, const Entity &entity)
{
    if (!entity.srcId.isEmpty())
        return entity.srcId;
    return QStringLiteral("%1/%2/%3/%4").arg(kind).arg(key1).arg(key2).arg(-entity._id);
}

bool parseSrcId(QStringView text, int *kind, qint64 *key1, qint64 *key2, qint64 *id)
{
    qint64 numbers[4];
    qsizetype start = 0;
    for (int i = 0; i < 4; ++i) {
        qsizetype end = text.indexOf(u'/', start);
        if (i == 3) {
            if (end >= 0)
                return false;
            end = text.size();
        } else if (end < 0) {
            return false;
        }
        if (!parseSigned(text.sliced(start, end - start), numbers[i]))
            return false;
        start = end + 1;
    }
    if (numbers[0] < std::numeric_limits<int>::min() || numbers[0] > std::numeric_limits<int>::max())
        return false;
    if (kind)
        *kind = int(numbers[0]);
    if (key1)
        *key1 = numbers[1];
    if (key2)
        *key2 = numbers[2];
    if (id)
        *id = numbers[3];
    return true;
}

const QHash<int, QString> &wireLabelTable()
{
    static const QHash<int, QString> table = [] {
        QHash<int, QString> t;
        for (const LabelRow &row : labelRows)
            t.insert(row.key * 100 + row.code, QString::fromLatin1(row.label));
        return t;
    }();
    return table;
}

const QHash<QString, int> &wireLabelReverseTable()
{
    static const QHash<QString, int> table = [] {
        QHash<QString, int> t;
        for (const LabelRow &row : labelRows)
            t.insert(reverseKey(row.key, QString::fromLatin1(row.label)), row.code);
        return t;
    }();
    return table;
}

QString wireLabel(int tableKey, int code)
{
    if (code < 0 || code >= 100)
        return QString();
    return wireLabelTable().value(tableKey * 100 + code);
}

int wireLabelCode(int tableKey, QStringView label)
{
    // The same answer as a look-up of "key/label" in the reverse table,
    // without building that text for every field.
    for (const LabelRow &row : labelRows) {
        if (row.key == tableKey && label == QLatin1String(row.label))
            return row.code;
    }
    return 0;
}

QString encodeEntityLine(int kind, qint64 key1, qint64 key2, const Entity &entity)
{
    QString line = buildSrcId(kind, key1, key2, entity);
    line.reserve(line.size() + 96);
    switch (kind) {
    case ENTITY_NAME:
        for (int column : { data5, data2, data4, data3, data6 })
            appendText(line, entity, column);
        break;
    case ENTITY_PHOTO:
        line += QLatin1Char(',');
        line += QLatin1String(entity.bytes(data15).toBase64());
        break;
    case ENTITY_PHONE:
    case ENTITY_EMAIL:
    case ENTITY_NICKNAME:
    case ENTITY_RELATION:
    case ENTITY_WEBSITE:
        appendLabel(line, kind, entity, data2);
        appendText(line, entity, data3);
        appendText(line, entity, data1);
        break;
    case ENTITY_EVENT:
        appendLabel(line, kind, entity, data2);
        appendText(line, entity, data3);
        appendDate(line, entity, data1);
        break;
    case ENTITY_GROUP_MEMBERSHIP:
        appendText(line, entity, data2);
        break;
    case ENTITY_IM:
        appendLabel(line, ENTITY_IM, entity, data2);
        appendText(line, entity, data3);
        appendLabel(line, WireImProtocolKey, entity, data5);
        appendText(line, entity, data6);
        appendText(line, entity, data1);
        break;
    case ENTITY_NOTE:
        appendText(line, entity, data1);
        break;
    case ENTITY_ORGANIZATION:
        appendLabel(line, kind, entity, data2);
        for (int column : { data3, data1, data5, data4 })
            appendText(line, entity, column);
        break;
    case ENTITY_POSTAL_ADDRESS:
        appendLabel(line, kind, entity, data2);
        for (int column : { data3, data10, data8, data7, data4, data9 })
            appendText(line, entity, column);
        break;
    default:
        break;
    }
    return line;
}

void decodeEntityFields(const QStringList &fields, int kind, Entity &entity)
{
    decodeFields(fields, kind, entity);
}

void decodeEntityFields(const QList<QStringView> &fields, int kind, Entity &entity)
{
    decodeFields(fields, kind, entity);
}
