#include "files/vcardexport.h"

#include "contacts/labeltables.h"
#include "files/vcardtypes.h"

#include <QStringEncoder>
#include <QVarLengthArray>

#include <cstdio>
#include <cstring>
#include <string>

using namespace pim;

namespace {

struct Param
{
    QByteArrayView key;
    QByteArrayView value;
};

char *copy(char *out, QByteArrayView bytes)
{
    std::memcpy(out, bytes.data(), size_t(bytes.size()));
    return out + bytes.size();
}

// Where the lines of a card go. Both sinks get the same calls, so
// exportContact (straight into one byte buffer, the fast path) and
// buildCard (a list of properties for serializeCard) always agree.
// Parameters are passed in ascending key order, the order serializeCard
// writes them in; a null value leaves the parameter out.
class ByteSink
{
public:
    explicit ByteSink(std::string &out) : m_out(out) { }

    // The group the next lines belong to ("item1"), or none.
    void setGroup(QByteArrayView group) { m_group = group; }

    std::string &begin(QByteArrayView name, std::initializer_list<Param> params)
    {
        // One resize for the whole "NAME;KEY=VALUE...:" part.
        qsizetype size = name.size() + 1 + (m_group.isEmpty() ? 0 : m_group.size() + 1);
        for (const Param &p : params) {
            if (!p.value.isNull())
                size += p.key.size() + p.value.size() + 2;
        }
        const size_t at = m_out.size();
        m_out.resize(at + size_t(size));
        char *o = m_out.data() + at;
        if (!m_group.isEmpty()) {
            o = copy(o, m_group);
            *o++ = '.';
        }
        o = copy(o, name);
        for (const Param &p : params) {
            if (p.value.isNull())
                continue;
            *o++ = ';';
            o = copy(o, p.key);
            *o++ = '=';
            o = copy(o, p.value);
        }
        *o = ':';
        return m_out;
    }
    void end() { m_out.append("\r\n", 2); }

private:
    std::string &m_out;
    QByteArrayView m_group;
};

class ListSink
{
public:
    explicit ListSink(VCard &card) : m_card(card) { }

    void setGroup(QByteArrayView group) { m_group = group; }

    std::string &begin(QByteArrayView name, std::initializer_list<Param> params)
    {
        VCardProperty p;
        p.name = m_group.isEmpty() ? name.toByteArray() : m_group.toByteArray() + '.' + name.toByteArray();
        for (const Param &param : params) {
            if (!param.value.isNull())
                p.setParam(param.key.toByteArray(), param.value.toByteArray());
        }
        m_card.append(std::move(p));
        m_value.clear();
        return m_value;
    }
    void end() { m_card.last().value = QByteArray(m_value.data(), qsizetype(m_value.size())); }

private:
    VCard &m_card;
    std::string m_value;
    QByteArrayView m_group;
};

constexpr QByteArrayView charsetKey("CHARSET");
constexpr QByteArrayView encodingKey("ENCODING");
constexpr QByteArrayView typeKey("TYPE");
constexpr QByteArrayView utf8("UTF-8");
constexpr QByteArrayView quotedPrintable("QUOTED-PRINTABLE");

bool isAscii(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

// Text values go out with vCard 3.0 escapes for the characters that would
// otherwise change their meaning: a backslash, a line break (which would
// end the line) and, in a list such as CATEGORIES, a comma.
bool needsEscape(QStringView text, bool commas)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'\n' || u == u'\r' || (commas && u == u','))
            return true;
    }
    return false;
}

QString escapeText(QStringView text, bool commas)
{
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\\' || (commas && c == u',')) {
            out.append(u'\\');
            out.append(c);
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            out.append(QLatin1String("\\n"));
        } else {
            out.append(c);
        }
    }
    return out;
}

// Appends the text as UTF-8; with `escapeSemicolons`, ";" goes out as "\;".
void appendUtf8(std::string &out, QStringView text, bool escapeSemicolons = false)
{
    // ASCII, by far the most common, is copied as it is checked.
    const size_t at = out.size();
    out.resize(at + size_t(text.size()) * (escapeSemicolons ? 2 : 1));
    char *o = out.data() + at;
    const QChar *c = text.constData();
    const QChar *const end = c + text.size();
    for (; c < end; ++c) {
        const char16_t u = c->unicode();
        if (u >= 0x80)
            break;
        if (escapeSemicolons && u == u';')
            *o++ = '\\';
        *o++ = char(u);
    }
    out.resize(size_t(o - out.data()));
    if (c == end)
        return;
    const QStringView rest(c, end);
    if (escapeSemicolons && rest.contains(QLatin1Char(';'))) {
        QString escaped = rest.toString();
        escaped.replace(QLatin1Char(';'), QLatin1String("\\;"));
        appendUtf8(out, escaped);
        return;
    }
    QStringEncoder encoder(QStringEncoder::Utf8);
    const size_t from = out.size();
    out.resize(from + size_t(encoder.requiredSpace(rest.size())));
    char *last = encoder.appendToBuffer(out.data() + from, rest);
    out.resize(size_t(last - out.data()));
}

// Phone numbers, addresses, dates and URLs go out in the local 8-bit code
// page, which Qt takes to be UTF-8 on every Unix.
void appendLocal8Bit(std::string &out, QStringView text)
{
#ifdef Q_OS_WIN
    const QByteArray local = text.toLocal8Bit();
    out.append(local.constData(), size_t(local.size()));
#else
    appendUtf8(out, text);
#endif
}

void appendComponent(std::string &out, const QString &text)
{
    if (needsEscape(text, false))
        appendUtf8(out, escapeText(text, false), true);
    else
        appendUtf8(out, text, true);
}

// A type code (data2, data5): decimal text or a number.
int typeCode(const Entity &e, int column)
{
    const QVariant v = e.value(column);
    if (v.typeId() == QMetaType::QString) {
        // One or two ASCII digits, read without the number parser.
        const QString text = v.toString();
        const auto digit = [&text](qsizetype i) {
            const char16_t c = text.at(i).unicode();
            return c >= u'0' && c <= u'9' ? int(c - u'0') : -1;
        };
        if (text.size() == 1 && digit(0) >= 0)
            return digit(0);
        if (text.size() == 2 && digit(0) >= 0 && digit(1) >= 0)
            return digit(0) * 10 + digit(1);
    }
    return e.toInt(column);
}

void appendQuotedPrintable(std::string &out, QByteArrayView bytes)
{
    static const char hex[] = "0123456789ABCDEF";
    const size_t at = out.size();
    out.resize(at + size_t(bytes.size()) * 3);
    char *o = out.data() + at;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x21 && b <= 0x7E && b != '=') {
            *o++ = c;
        } else {
            *o++ = '=';
            *o++ = hex[b >> 4];
            *o++ = hex[b & 0x0F];
        }
    }
    out.resize(size_t(o - out.data()));
}

void appendBase64Folded(std::string &out, QByteArrayView bytes, int width)
{
    const QByteArray plain = QByteArray::fromRawData(bytes.data(), bytes.size()).toBase64();
    if (width <= 0 || plain.size() <= width) {
        out.append(plain.constData(), size_t(plain.size()));
        return;
    }
    out.reserve(out.size() + size_t(plain.size() + (plain.size() / width + 1) * 3));
    for (qsizetype at = 0; at < plain.size(); at += width) {
        if (at)
            out.append("\r\n ", 3);
        out.append(plain.constData() + at, size_t(qMin<qsizetype>(width, plain.size() - at)));
    }
}

template<typename Sink>
void utf8Line(Sink &sink, QByteArrayView name, QStringView text, QByteArrayView type = QByteArrayView(),
              bool commas = false)
{
    std::string &v = sink.begin(name, { { charsetKey, utf8 }, { typeKey, type } });
    if (needsEscape(text, commas))
        appendUtf8(v, escapeText(text, commas));
    else
        appendUtf8(v, text);
    sink.end();
}

template<typename Sink>
void localLine(Sink &sink, QByteArrayView name, QStringView text, QByteArrayView type)
{
    std::string &v = sink.begin(name, { { typeKey, type } });
    if (needsEscape(text, false))
        appendLocal8Bit(v, escapeText(text, false));
    else
        appendLocal8Bit(v, text);
    sink.end();
}

template<typename Sink>
void writeEntity(Sink &sink, int kind, const Entity &e)
{
    switch (kind) {
    case ENTITY_NAME: {
        // Family;Given;Additional;Prefix;Suffix, the order every vCard reader expects.
        std::string &v = sink.begin("N", { { charsetKey, utf8 } });
        int n = 0;
        for (int column : { data3, data2, data4, data5, data6 }) {
            if (n++)
                v.push_back(';');
            appendComponent(v, e.text(column));
        }
        sink.end();
        break;
    }
    case ENTITY_PHOTO:
        appendBase64Folded(sink.begin("PHOTO", { { encodingKey, "B" }, { typeKey, "JPEG" } }), e.bytes(data15), 75);
        sink.end();
        break;
    case ENTITY_PHONE: {
        const QByteArray type = vcardtypes::phoneType(typeCode(e, data2));
        localLine(sink, "TEL", e.text(data1), type.isEmpty() ? QByteArrayView() : QByteArrayView(type));
        break;
    }
    case ENTITY_EMAIL:
        localLine(sink, "EMAIL", e.text(data1), vcardtypes::emailType(typeCode(e, data2)));
        break;
    case ENTITY_NICKNAME:
        utf8Line(sink, "NICKNAME", e.text(data1));
        break;
    case ENTITY_EVENT: {
        const int type = typeCode(e, data2);
        if (type == 3) {
            localLine(sink, "BDAY", e.text(data1), QByteArrayView());
        } else {
            const QByteArray word = vcardtypes::eventType(type);
            localLine(sink, "X-EVENT", e.text(data1), word);
        }
        break;
    }
    case ENTITY_GROUP_MEMBERSHIP:
        utf8Line(sink, "CATEGORIES", e.text(data2), QByteArrayView(), true);
        break;
    case ENTITY_IM: {
        // An IM without a type of its own is a home one, as it reads back.
        const QByteArray type = vcardtypes::imType(typeCode(e, data5), e.has(data2) ? typeCode(e, data2) : 1);
        utf8Line(sink, "X-IM", e.text(data1), type.isEmpty() ? QByteArrayView() : QByteArrayView(type));
        break;
    }
    case ENTITY_NOTE: {
        std::string &v = sink.begin("NOTE", { { charsetKey, utf8 }, { encodingKey, quotedPrintable } });
        QString note = e.text(data1);
        if (note.contains(u'\\'))
            note.replace(QLatin1String("\\"), QLatin1String("\\\\"));
        if (isAscii(note)) {
            QVarLengthArray<char, 512> bytes(note.size());
            for (qsizetype i = 0; i < note.size(); ++i)
                bytes[i] = char(note.at(i).unicode());
            appendQuotedPrintable(v, QByteArrayView(bytes.constData(), bytes.size()));
        } else {
            appendQuotedPrintable(v, note.toUtf8());
        }
        sink.end();
        break;
    }
    case ENTITY_ORGANIZATION: {
        utf8Line(sink, "TITLE", e.text(data4));
        std::string &v = sink.begin("ORG", { { charsetKey, utf8 } });
        appendComponent(v, e.text(data1));
        v.push_back(';');
        appendComponent(v, e.text(data5));
        v.append(";;", 2);
        sink.end();
        break;
    }
    case ENTITY_RELATION: {
        const QByteArray type = vcardtypes::relationType(typeCode(e, data2));
        utf8Line(sink, "X-REL", e.text(data1), type.isEmpty() ? QByteArrayView() : QByteArrayView(type));
        break;
    }
    case ENTITY_POSTAL_ADDRESS: {
        std::string plain(";;");
        int n = 0;
        for (int column : { data4, data7, data8, data9, data10 }) {
            if (n++)
                plain.push_back(';');
            appendComponent(plain, e.text(column));
        }
        const QByteArray type = vcardtypes::addressType(typeCode(e, data2));
        appendQuotedPrintable(
            sink.begin("ADR", { { charsetKey, utf8 }, { encodingKey, quotedPrintable }, { typeKey, type } }),
            QByteArrayView(plain.data(), qsizetype(plain.size())));
        sink.end();
        break;
    }
    case ENTITY_WEBSITE: {
        const QByteArray type = vcardtypes::websiteType(typeCode(e, data2));
        localLine(sink, "URL", e.text(data1), type);
        break;
    }
    default:
        break;   // not a kind this format carries
    }
}

// Kinds whose every line is an entity of its own, and which can carry a
// custom label (data3).
bool takesLabel(int kind)
{
    switch (kind) {
    case ENTITY_PHONE:
    case ENTITY_EMAIL:
    case ENTITY_EVENT:
    case ENTITY_IM:
    case ENTITY_RELATION:
    case ENTITY_POSTAL_ADDRESS:
    case ENTITY_WEBSITE:
        return true;
    default:
        return false;
    }
}

// The label that carries a phone's type when TEL has no TYPE word for it
// ("Main", "Work Mobile", "Assistant" ...), or none. Read back, the label
// gives the number its type again.
QString phoneTypeLabel(const Entity &phone)
{
    const int code = typeCode(phone, data2);
    if (code == 0 || !vcardtypes::phoneType(code).isEmpty())
        return QString();
    return labelOf(phoneTypeLabels(), code);
}

template<typename Sink>
void writeCard(Sink &sink, const Contact &contact)
{
    sink.begin("VERSION", {}).append("3.0", 3);
    sink.end();
    utf8Line(sink, "FN", contact.fullName);
    int groups = 0;
    for (auto it = contact.entities.cbegin(); it != contact.entities.cend(); ++it) {
        for (const Entity &e : it.value()) {
            QString label = takesLabel(it.key()) ? e.text(data3) : QString();
            if (label.isEmpty() && it.key() == ENTITY_PHONE)
                label = phoneTypeLabel(e);
            if (label.isEmpty()) {
                writeEntity(sink, it.key(), e);
                continue;
            }
            // A custom label goes with its line as the label of their group
            // (item1.TEL:... item1.X-ABLabel:Summer house), as address books
            // write it; so does the name of a phone type TEL has no word for.
            char group[16];
            const int length = std::snprintf(group, sizeof group, "item%d", ++groups);
            sink.setGroup(QByteArrayView(group, length));
            writeEntity(sink, it.key(), e);
            utf8Line(sink, "X-ABLabel", label);
            sink.setGroup(QByteArrayView());
        }
    }
}

} // namespace

QByteArray VCardExport::exportHeader(const QList<Contact> &)
{
    return QByteArray();
}

QByteArray VCardExport::exportFooter()
{
    return QByteArray();
}

QByteArray VCardExport::exportContact(const Contact &contact)
{
    m_buffer.clear();
    m_buffer.append("BEGIN:VCARD\r\n", 13);
    ByteSink sink(m_buffer);
    writeCard(sink, contact);
    m_buffer.append("END:VCARD\r\n", 11);
    return QByteArray(m_buffer.data(), qsizetype(m_buffer.size()));
}

VCard VCardExport::buildCard(const Contact &contact)
{
    VCard card;
    card.reserve(contact.entityCount() + 4);
    ListSink sink(card);
    writeCard(sink, contact);
    return card;
}

QByteArray serializeCard(const VCard &card)
{
    static const char begin[] = "BEGIN:VCARD\r\n";
    static const char end[] = "END:VCARD\r\n";
    qsizetype size = qsizetype(sizeof begin - 1 + sizeof end - 1);
    for (const VCardProperty &p : card) {
        size += p.name.size() + 1 + p.value.size() + 2;
        for (const VCardProperty::Parameter &param : p.params)
            size += 2 + param.first.size() + param.second.size();
    }
    QByteArray out;
    out.reserve(size);
    out.append(begin, qsizetype(sizeof begin - 1));
    for (const VCardProperty &p : card) {
        out.append(p.name);
        for (const VCardProperty::Parameter &param : p.params) {
            out.append(';');
            out.append(param.first);
            out.append('=');
            out.append(param.second);
        }
        out.append(':');
        out.append(p.value);
        out.append("\r\n", 2);
    }
    out.append(end, qsizetype(sizeof end - 1));
    return out;
}

QByteArray encodeQuotedPrintable(QByteArrayView bytes)
{
    std::string out;
    appendQuotedPrintable(out, bytes);
    return QByteArray(out.data(), qsizetype(out.size()));
}

QByteArray encodeBase64Folded(QByteArrayView bytes, int width)
{
    std::string out;
    appendBase64Folded(out, bytes, width);
    return QByteArray(out.data(), qsizetype(out.size()));
}

QString escapeComponent(const QString &text)
{
    if (!text.contains(QLatin1Char(';')) && !needsEscape(text, false))
        return text;
    QString out = escapeText(text, false);
    out.replace(QLatin1Char(';'), QLatin1String("\\;"));
    return out;
}
