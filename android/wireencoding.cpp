#include "android/wireencoding.h"

#include "contacts/contactformat.h"
#include "contacts/entity.h"
#include "contacts/entitykind.h"

#include <QDate>
#include <QVarLengthArray>

#include <array>
#include <limits>
#include <vector>

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
// clang-format off
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
// clang-format on

QString reverseKey(int tableKey, QStringView label)
{
    QString key = QString::number(tableKey) + QLatin1Char('/');
    key.append(label);
    return key;
}

// Standard Base64 decoding straight from the line's characters into `out`
// (room for decodedRoom(field) bytes), skipping every character outside the
// alphabet ('=' included), as QByteArray::fromBase64 does without its strict
// option. Returns the number of bytes.
qsizetype decodeBase64(QStringView field, char *out)
{
    static constexpr auto table = [] {
        std::array<qint8, 128> t {};
        for (auto &v : t)
            v = -1;
        for (int i = 0; i < 26; ++i) {
            t[size_t('A' + i)] = qint8(i);
            t[size_t('a' + i)] = qint8(26 + i);
        }
        for (int i = 0; i < 10; ++i)
            t[size_t('0' + i)] = qint8(52 + i);
        t['+'] = 62;
        t['/'] = 63;
        return t;
    }();
    const auto digit = [](char16_t ch) { return ch < 128 ? int(table[ch]) : -1; };
    const char16_t *in = reinterpret_cast<const char16_t *>(field.utf16());
    const char16_t *const end = in + field.size();
    char *p = out;
    // Whole groups of four alphabet characters, as nearly all of a field is.
    while (end - in >= 4) {
        const int a = digit(in[0]);
        const int b = digit(in[1]);
        const int c = digit(in[2]);
        const int d = digit(in[3]);
        if ((a | b | c | d) < 0)
            break;
        const quint32 n = quint32(a) << 18 | quint32(b) << 12 | quint32(c) << 6 | quint32(d);
        *p++ = char(n >> 16);
        *p++ = char(n >> 8);
        *p++ = char(n);
        in += 4;
    }
    // The rest, with '=' fill and stray characters, bit by bit.
    quint32 buffer = 0;
    int bits = 0;
    for (; in != end; ++in) {
        const int d = digit(*in);
        if (d < 0)
            continue;
        buffer = (buffer << 6) | quint32(d);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            *p++ = char(buffer >> bits);
            buffer &= (1u << bits) - 1;
        }
    }
    return p - out;
}

qsizetype decodedRoom(QStringView field)
{
    return field.size() * 3 / 4 + 3;
}

QString base64Text(QStringView field)
{
    QVarLengthArray<char, 512> bytes(decodedRoom(field));
    const qsizetype length = decodeBase64(field, bytes.data());
    return QString::fromUtf8(bytes.data(), length);
}

QByteArray base64Bytes(QStringView field)
{
    QByteArray bytes(decodedRoom(field), Qt::Uninitialized);
    bytes.truncate(decodeBase64(field, bytes.data()));
    return bytes;
}

// Standard Base64 with '=' fill, appended to the line as characters.
template <typename Byte> void appendBase64(QString &line, const Byte *data, qsizetype size)
{
    static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const qsizetype old = line.size();
    line.resize(old + (size + 2) / 3 * 4);
    QChar *out = line.data() + old;
    qsizetype i = 0;
    for (; i + 3 <= size; i += 3) {
        const quint32 n = quint32(quint8(data[i])) << 16 | quint32(quint8(data[i + 1])) << 8 | quint8(data[i + 2]);
        *out++ = QLatin1Char(alphabet[n >> 18]);
        *out++ = QLatin1Char(alphabet[(n >> 12) & 63]);
        *out++ = QLatin1Char(alphabet[(n >> 6) & 63]);
        *out++ = QLatin1Char(alphabet[n & 63]);
    }
    if (i < size) {
        const bool two = i + 1 < size;
        const quint32 n = quint32(quint8(data[i])) << 16 | (two ? quint32(quint8(data[i + 1])) << 8 : 0);
        *out++ = QLatin1Char(alphabet[n >> 18]);
        *out++ = QLatin1Char(alphabet[(n >> 12) & 63]);
        *out++ = two ? QLatin1Char(alphabet[(n >> 6) & 63]) : QLatin1Char('=');
        *out++ = QLatin1Char('=');
    }
}

// Base64 of the text's UTF-8 bytes. Plain ASCII text is its own UTF-8.
void appendBase64Utf8(QString &line, const QString &text)
{
    const auto *chars = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (chars[i] >= 0x80) {
            const QByteArray utf8 = text.toUtf8();
            appendBase64(line, utf8.constData(), utf8.size());
            return;
        }
    }
    appendBase64(line, chars, size);
}

// The date of a stored ISO 8601 date-time (or date) text. Only the date
// part is read, so no time zone is consulted.
QDate isoDate(const QString &text)
{
    return QDate::fromString(text, Qt::ISODate);
}

int digits(QStringView text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// A wire date "yyyy-MM-dd" (month and day may also come as one digit).
QDate wireDate(QStringView text)
{
    const qsizetype firstDash = 4;
    if (text.size() < 8 || text.size() > 10 || text[firstDash] != u'-')
        return QDate();
    const qsizetype secondDash = text.indexOf(u'-', firstDash + 1);
    if (secondDash < 0)
        return QDate();
    const qsizetype monthLength = secondDash - firstDash - 1;
    const qsizetype dayLength = text.size() - secondDash - 1;
    if (monthLength < 1 || monthLength > 2 || dayLength < 1 || dayLength > 2)
        return QDate();
    const int year = digits(text, 0, 4);
    const int month = digits(text, firstDash + 1, monthLength);
    const int day = digits(text, secondDash + 1, dayLength);
    if (year < 0 || month < 0 || day < 0)
        return QDate();
    return QDate(year, month, day);
}

// "yyyy-MM-dd", or "yyyy-MM-ddT00:00:00"; the year is 1 to 9999 here.
QString formatDate(QDate date, bool withMidnight)
{
    char text[20] = "0000-00-00T00:00:00";
    const auto put = [&text](int at, int width, int value) {
        for (int i = at + width - 1; i >= at; --i, value /= 10)
            text[i] = char('0' + value % 10);
    };
    put(0, 4, date.year());
    put(5, 2, date.month());
    put(8, 2, date.day());
    return QString::fromLatin1(text, withMidnight ? 19 : 10);
}

// The text of a column without a detour through QVariant::toString for
// the common case of a stored string.
QString columnText(const Entity &entity, int column)
{
    const QVariant *v = entity.find(column);
    if (v && v->typeId() == QMetaType::QString)
        return *static_cast<const QString *>(v->constData());
    return v ? entity.text(column) : QString();
}

void appendText(QString &line, const Entity &entity, int column)
{
    line += QLatin1Char(',');
    const QString text = columnText(entity, column);
    if (!text.isEmpty())
        appendBase64Utf8(line, text);
}

// key * 100 + code -> label, for the encoder's look-ups.
const char *labelText(int tableKey, int code)
{
    static const std::vector<const char *> flat = [] {
        std::vector<const char *> table(100 * 100, nullptr);
        for (const LabelRow &row : labelRows)
            table[size_t(row.key * 100 + row.code)] = row.label;
        return table;
    }();
    if (tableKey < 0 || tableKey >= 100 || code < 0 || code >= 100)
        return nullptr;
    return flat[size_t(tableKey * 100 + code)];
}

void appendLabel(QString &line, int tableKey, const Entity &entity, int column)
{
    line += QLatin1Char(',');
    if (const char *label = labelText(tableKey, entity.toInt(column)))
        line += QLatin1String(label);
}

void appendDate(QString &line, const Entity &entity, int column)
{
    line += QLatin1Char(',');
    const QDate date = isoDate(columnText(entity, column));
    if (date.isValid())
        line += formatDate(date, false);
}

// Decoding, written once for both field list types.
template <typename Fields> class FieldReader
{
public:
    FieldReader(const Fields &fields, Entity &entity)
        : m_fields(fields)
        , m_entity(entity)
    { }

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
        const QDate date = wireDate(raw(index));
        m_entity.setValue(column, date.isValid() ? formatDate(date, true) : QString());
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

// Most columns decoding may fill, per kind.
int decodedColumns(int kind)
{
    static constexpr int counts[] = { 0, 6, 1, 3, 3, 2, 3, 1, 5, 1, 5, 3, 8, 3 };
    return isEntityKind(kind) ? counts[kind] : 0;
}

template <typename Fields> void decodeFields(const Fields &fields, int kind, Entity &entity)
{
    // The columns arrive one by one; room for all of them at once.
    if (entity.isEmpty())
        entity.reserve(decodedColumns(kind));
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
    const quint64 limit
        = negative ? quint64(std::numeric_limits<qint64>::max()) + 1 : quint64(std::numeric_limits<qint64>::max());
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
    const char *label = labelText(tableKey, code);
    return label ? QString::fromLatin1(label) : QString();
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
    case ENTITY_PHOTO: {
        line += QLatin1Char(',');
        const QByteArray photo = entity.bytes(data15);
        line.reserve(line.size() + (photo.size() + 2) / 3 * 4);
        appendBase64(line, photo.constData(), photo.size());
        break;
    }
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

QList<QStringView> splitEntityFields(QStringView argument)
{
    QList<QStringView> fields;
    fields.reserve(10); // every kind's line fits
    qsizetype start = 0;
    // indexOf scans many characters per step, which counts for photo lines.
    for (qsizetype comma; (comma = argument.indexOf(u',', start)) >= 0; start = comma + 1)
        fields.append(argument.sliced(start, comma - start));
    fields.append(argument.sliced(start));
    return fields;
}

void decodeEntityFields(const QStringList &fields, int kind, Entity &entity)
{
    decodeFields(fields, kind, entity);
}

void decodeEntityFields(const QList<QStringView> &fields, int kind, Entity &entity)
{
    decodeFields(fields, kind, entity);
}
