#include "files/vcardtokenizer.h"

#include "files/asciicase.h"

#include <cstring>

namespace {

// White space as the C library classes it in the "C" locale.
inline bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

inline int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Base64 digit values, -1 for bytes outside the alphabet.
struct Base64Table
{
    qint8 value[256] = {};
    constexpr Base64Table()
    {
        for (int c = 0; c < 256; ++c) {
            value[c] = c >= 'A' && c <= 'Z' ? qint8(c - 'A')
                : c >= 'a' && c <= 'z'      ? qint8(c - 'a' + 26)
                : c >= '0' && c <= '9'      ? qint8(c - '0' + 52)
                : c == '+'                  ? qint8(62)
                : c == '/'                  ? qint8(63)
                                            : qint8(-1);
        }
    }
};
constexpr Base64Table base64Table;

inline int base64Value(char c)
{
    return base64Table.value[static_cast<unsigned char>(c)];
}

// Bytes that mean something in a name or a parameter; runs of other bytes
// are copied at once.
struct SpecialBytes
{
    bool table[256] = {};
    constexpr SpecialBytes()
    {
        for (const char c : { ' ', '\t', '\n', '\v', '\f', '\r', ':', ';', '=', '\\', '"' })
            table[static_cast<unsigned char>(c)] = true;
    }
    constexpr bool operator()(char c) const { return table[static_cast<unsigned char>(c)]; }
};
constexpr SpecialBytes isSpecialInHeader;

// How a line taken whole treats the bytes before its value: most are plain;
// ":", ";" and "=" end or split a part; white space, quotes and backslashes
// (and the line feed) send the line the byte-wise way.
enum HeaderByte : quint8 { Plain, Colon, Semicolon, Equals, Other };
struct HeaderBytes
{
    quint8 table[256] = {};
    constexpr HeaderBytes()
    {
        for (const char c : { ' ', '\t', '\n', '\v', '\f', '\r', '"', '\\' })
            table[static_cast<unsigned char>(c)] = Other;
        table[static_cast<unsigned char>(':')] = Colon;
        table[static_cast<unsigned char>(';')] = Semicolon;
        table[static_cast<unsigned char>('=')] = Equals;
    }
    constexpr quint8 operator()(char c) const { return table[static_cast<unsigned char>(c)]; }
};
constexpr HeaderBytes headerByte;

} // namespace

VCardTokenizer::VCardTokenizer(PropertyBegins begins, ValueReady value, PropertyDropped dropped, void *user)
    : m_begins(begins), m_valueReady(value), m_dropped(dropped), m_user(user)
{
}

void VCardTokenizer::feed(QByteArrayView bytes, bool endOfInput)
{
    const char *p = bytes.data();
    const char *const end = p + bytes.size();
    while (p < end) {
        const char c = *p;
        if (c == '\n') {
            lineFeed();
            ++p;
        } else if (m_atLineStart) {
            if (!softBreakPending() && !m_continuation && !isSpace(c)) {
                // A new line: the property before it is complete (as in
                // lineStart). Most lines can then be taken whole.
                m_atLineStart = false;
                // (Nothing has begun when the last line was taken whole.)
                if (m_state != State::Name || !m_buffer.empty())
                    put('\n');
                if (m_state == State::Name && m_buffer.empty()) {
                    if (const char *next = wholeLine(p, end)) {
                        p = next;
                        m_atLineStart = true;
                        m_continuation = false;
                        continue;
                    }
                }
                put(c);
            } else {
                lineStart(c);
            }
            ++p;
        } else if (m_state == State::Value && m_valueStarted) {
            p = putValueRun(p, end);
        } else if (!isSpecialInHeader(c)
                   && (m_state == State::Name || m_state == State::ParamName
                       || (m_state == State::ParamValue && !m_inQuotes))) {
            // A run of plain name or parameter bytes.
            const char *run = p;
            while (p < end && !isSpecialInHeader(*p))
                ++p;
            m_buffer.append(run, size_t(p - run));
        } else {
            put(c);
            ++p;
        }
    }
    if (endOfInput)
        finish();
}

// The common line, taken whole straight from the input: NAME;P=V;...:value,
// ended by a line feed that the piece holds, with a next line that does not
// continue it; no white space, quotes or backslashes before the value, no
// empty parameter value, no transfer encoding, no leading white space in
// the value and no carriage return but the one before the line feed. Such a
// line gives what the byte-wise path gives. Returns the start of the next
// line, or nullptr (nothing done) for any other line.
const char *VCardTokenizer::wholeLine(const char *p, const char *end)
{
    const auto *nl = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
    if (!nl || end - nl < 2 || isSpace(nl[1]))
        return nullptr;
    QVarLengthArray<Parameter, 8> params;
    const char *at = p;
    const char *nameEnd = nullptr;
    const char *partStart = p;    // of the name or the current parameter
    const char *equals = nullptr;  // "=" of the current parameter
    for (;; ++at) {
        // The line feed is not plain, so this stops at the line's end.
        while (headerByte(*at) == Plain)
            ++at;
        const quint8 kind = headerByte(*at);
        if (kind == Other)
            return nullptr;   // no ":" before the line feed, or a byte for the byte-wise path
        const char c = *at;
        if (kind == Equals) {
            if (nameEnd && !equals) {
                if (at == partStart)
                    return nullptr;   // a parameter without a name
                equals = at;
            }
            continue;   // part of the name, or of a parameter value
        }
        // ";" or ":" ends the name or a parameter.
        if (!nameEnd) {
            if (at == p)
                return nullptr;
            nameEnd = at;
        } else {
            if (at == partStart || (equals && equals + 1 == at))
                return nullptr;   // empty parameter name or value
            Parameter param;
            param.name = QByteArrayView(partStart, (equals ? equals : at) - partStart);
            if (equals)
                param.value = QByteArrayView(equals + 1, at - equals - 1);
            const QByteArrayView judged = asciicase::equals(param.name, "ENCODING") ? param.value : param.name;
            if (asciicase::equals(judged, "QUOTED-PRINTABLE") || asciicase::equals(judged, "BASE64")
                || asciicase::equals(judged, "B") || asciicase::equals(judged, "8BIT"))
                return nullptr;
            params.append(param);
        }
        partStart = at + 1;
        equals = nullptr;
        if (c == ':')
            break;
    }
    const char *valueStart = at + 1;
    const char *valueEnd = nl > valueStart && nl[-1] == '\r' ? nl - 1 : nl;
    if (valueStart < valueEnd && isSpace(*valueStart))
        return nullptr;
    if (std::memchr(valueStart, '\r', size_t(valueEnd - valueStart)))
        return nullptr;

    const QByteArrayView name(p, nameEnd - p);
    const QByteArrayView value(valueStart, valueEnd - valueStart);
    if (asciicase::equals(name, "BEGIN"))
        m_foldKeepsSpace = false;
    m_begins(m_user, name, params.constData(), params.size());
    if (asciicase::equals(name, "VERSION"))
        m_foldKeepsSpace = value.startsWith("2");
    if (!value.isEmpty())
        m_valueReady(m_user, value);
    return nl + 1;
}

// A line feed is held back until the next line shows whether it continues
// this one.
void VCardTokenizer::lineFeed()
{
    if (!m_atLineStart) {
        m_atLineStart = true;
        m_continuation = false;
        return;
    }
    // A blank line (or one of white space only).
    m_continuation = false;
    if (softBreakPending()) {
        // A soft line break followed by nothing: the value ends here.
        m_qpSoftBreak = false;
        put('\n');
    }
}

void VCardTokenizer::lineStart(char c)
{
    if (softBreakPending()) {
        // Quoted-printable soft line break: the next line is more of the
        // value, leading white space included.
        m_qpSoftBreak = false;
        m_atLineStart = false;
        put(c);
        return;
    }
    if (!m_continuation && isSpace(c)) {
        m_continuation = true;   // a fold; the white space itself is dropped
        return;
    }
    m_atLineStart = false;
    if (m_continuation) {
        if (m_foldKeepsSpace) {
            if (m_state == State::Value && m_encoding == VCardTokenizer::Encoding::QuotedPrintable)
                m_qpEscape = false;   // an escape cut by the fold is dropped
            put(' ');
        }
    } else {
        put('\n');
    }
    put(c);
}

void VCardTokenizer::finish()
{
    m_qpSoftBreak = false;   // a trailing "=" at the very end
    put('\n');
}

// Most of a file is plain value bytes: copy them a run at a time.
const char *VCardTokenizer::putValueRun(const char *p, const char *end)
{
    switch (m_encoding) {
    case Encoding::None:
    case Encoding::EightBit: {
        const auto *nl = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        const char *stop = nl ? nl : end;
        while (p < stop) {
            const auto *cr = static_cast<const char *>(std::memchr(p, '\r', size_t(stop - p)));
            const char *runEnd = cr ? cr : stop;
            m_buffer.append(p, size_t(runEnd - p));
            p = cr ? cr + 1 : stop;
        }
        return stop;
    }
    case Encoding::QuotedPrintable:
        if (!m_qpSoftBreak && !m_qpEscape) {
            // Runs of plain bytes, and escapes whose two hex digits are at
            // hand, are decoded here; a "=" at a line or piece end goes the
            // byte-wise way.
            const char *q = p;
            for (;;) {
                const char *run = q;
                while (q < end && *q != '=' && *q != '\r' && *q != '\n')
                    ++q;
                if (q > run)
                    m_buffer.append(run, size_t(q - run));
                if (end - q < 3 || *q != '=')
                    break;
                const int high = hexValue(q[1]);
                const int low = hexValue(q[2]);
                if ((high | low) < 0)
                    break;
                m_buffer.push_back(char(high * 16 + low));
                q += 3;
            }
            if (q > p)
                return q;
        }
        putValue(*p);
        return p + 1;
    case Encoding::Base64:
        while (p < end && *p != '\n' && m_state == State::Value) {
            // Whole quartets of digits decode straight into the value.
            if (m_scratchCount == 0) {
                // Decoded a block at a time rather than three bytes per append.
                char block[192];
                qsizetype filled = 0;
                while (end - p >= 4) {
                    const int a = base64Value(p[0]);
                    const int b = base64Value(p[1]);
                    const int c = base64Value(p[2]);
                    const int d = base64Value(p[3]);
                    if ((a | b | c | d) < 0)
                        break;
                    block[filled] = char((a << 2) | (b >> 4));
                    block[filled + 1] = char(((b & 0x0F) << 4) | (c >> 2));
                    block[filled + 2] = char(((c & 0x03) << 6) | d);
                    filled += 3;
                    if (filled == qsizetype(sizeof block)) {
                        m_buffer.append(block, size_t(filled));
                        filled = 0;
                    }
                    p += 4;
                }
                m_buffer.append(block, size_t(filled));
                if (p == end || *p == '\n')
                    break;
            }
            putBase64(*p++);
        }
        return p;
    }
    return end;
}

void VCardTokenizer::put(char c)
{
    switch (m_state) {
    case State::Name:
        if (c == '\n') {
            reset();   // a line without ":" is dropped
        } else if (c == ':') {
            m_nameEnd = qsizetype(m_buffer.size());
            beginProperty();
        } else if (c == ';') {
            m_nameEnd = qsizetype(m_buffer.size());
            m_state = State::ParamNameStart;
        } else if (!isSpace(c)) {
            m_buffer.push_back(c);
        }
        return;
    case State::ParamNameStart:
        if (c == ':') {
            syntaxError();
        } else if (!isSpace(c)) {
            const auto at = qsizetype(m_buffer.size());
            m_params.push_back(ParamEntry { at, at, -1, -1 });
            m_buffer.push_back(c);
            m_state = State::ParamName;
        }
        return;
    case State::ParamName:
        if (c == ';') {
            m_params.back().nameEnd = qsizetype(m_buffer.size());
            m_state = State::ParamNameStart;
        } else if (c == '=') {
            m_params.back().nameEnd = qsizetype(m_buffer.size());
            m_state = State::ParamValueStart;
        } else if (c == ':') {
            m_params.back().nameEnd = qsizetype(m_buffer.size());
            beginProperty();
        } else if (!isSpace(c)) {
            m_buffer.push_back(c);
        }
        return;
    case State::ParamValueStart:
        if (c == ':' || c == ';') {
            syntaxError();   // an empty parameter value
        } else if (!isSpace(c)) {
            m_params.back().valueStart = qsizetype(m_buffer.size());
            m_params.back().valueEnd = qsizetype(m_buffer.size());
            m_escape = false;
            m_inQuotes = c == '"';
            if (!m_inQuotes)
                m_buffer.push_back(c);
            m_state = State::ParamValue;
        }
        return;
    case State::ParamValue:
        if (m_inQuotes) {
            // A quoted value ("a;b", "x:y") keeps ";", ":" and blanks; a line
            // end closes a quote that was never closed.
            if (c == '"' || c == '\n')
                m_inQuotes = false;
            else if (c != '\r')
                m_buffer.push_back(c);
            return;
        }
        if (c == ':') {
            m_params.back().valueEnd = qsizetype(m_buffer.size());
            beginProperty();
        } else if (c == ';') {
            if (m_escape) {
                m_escape = false;
                m_buffer.push_back(';');
            } else {
                m_params.back().valueEnd = qsizetype(m_buffer.size());
                m_state = State::ParamNameStart;
            }
        } else if (isSpace(c)) {
            // white space inside parameter values is dropped ("home, voice")
        } else if (c == '\\') {
            if (m_escape)
                m_buffer.push_back('\\');
            m_escape = !m_escape;
        } else if (c == '"'
                   && (qsizetype(m_buffer.size()) == m_params.back().valueStart || m_buffer.back() == ',')) {
            m_inQuotes = true;   // TYPE="a,b" or TYPE=a,"b"
        } else {
            m_buffer.push_back(c);
        }
        return;
    case State::Value:
        putValue(c);
        return;
    case State::SkipLine:
        if (c == '\n')
            reset();
        return;
    }
}

void VCardTokenizer::putValue(char c)
{
    if (c == '\n') {
        endProperty();
        return;
    }
    if (c == '\r')
        return;
    if (!m_valueStarted) {
        if (isSpace(c))
            return;   // leading white space of a value is dropped
        m_valueStarted = true;
    }
    switch (m_encoding) {
    case Encoding::None:
    case Encoding::EightBit:
        m_buffer.push_back(c);
        return;
    case Encoding::QuotedPrintable:
        putQuotedPrintable(c);
        return;
    case Encoding::Base64:
        putBase64(c);
        return;
    }
}

// A "=" is held back one byte: at the end of a line it is a soft line break,
// anywhere else it starts an escape.
void VCardTokenizer::putQuotedPrintable(char c)
{
    if (m_qpSoftBreak) {
        m_qpSoftBreak = false;
        decodeQuotedPrintable('=');
    }
    if (c == '=')
        m_qpSoftBreak = true;
    else
        decodeQuotedPrintable(c);
}

void VCardTokenizer::decodeQuotedPrintable(char c)
{
    if (!m_qpEscape) {
        if (c == '=') {
            m_qpEscape = true;
            m_scratchCount = 0;
        } else {
            m_buffer.push_back(c);
        }
        return;
    }
    const int digit = hexValue(c);
    if (digit >= 0) {
        m_scratch[m_scratchCount++] = c;
        if (m_scratchCount == 2) {
            m_buffer.push_back(char(hexValue(m_scratch[0]) * 16 + digit));
            m_qpEscape = false;
            m_scratchCount = 0;
        }
        return;
    }
    // Not an escape after all: keep the bytes as they came.
    flushQuotedPrintableEscape();
    decodeQuotedPrintable(c);
}

void VCardTokenizer::flushQuotedPrintableEscape()
{
    m_buffer.push_back('=');
    m_buffer.append(m_scratch, size_t(m_scratchCount));
    m_qpEscape = false;
    m_scratchCount = 0;
}

void VCardTokenizer::putBase64(char c)
{
    if (isSpace(c))
        return;
    m_scratch[m_scratchCount++] = c;
    if (m_scratchCount == 4 && !decodeBase64Quartet())
        syntaxError();
}

bool VCardTokenizer::decodeBase64Quartet()
{
    m_scratchCount = 0;
    const int a = base64Value(m_scratch[0]);
    const int b = base64Value(m_scratch[1]);
    if (a < 0 || b < 0)
        return false;
    m_buffer.push_back(char((a << 2) | (b >> 4)));
    if (m_scratch[2] == '=')
        return true;
    const int c = base64Value(m_scratch[2]);
    if (c < 0)
        return false;
    m_buffer.push_back(char(((b & 0x0F) << 4) | (c >> 2)));
    if (m_scratch[3] == '=')
        return true;
    const int d = base64Value(m_scratch[3]);
    if (d < 0)
        return false;
    m_buffer.push_back(char(((c & 0x03) << 6) | d));
    return true;
}

void VCardTokenizer::beginProperty()
{
    QVarLengthArray<Parameter, 8> params;
    m_encoding = Encoding::None;
    const char *base = m_buffer.data();
    for (const ParamEntry &entry : m_params) {
        Parameter p;
        p.name = QByteArrayView(base + entry.nameStart, entry.nameEnd - entry.nameStart);
        if (entry.valueStart >= 0)
            p.value = QByteArrayView(base + entry.valueStart, entry.valueEnd - entry.valueStart);
        params.append(p);
        // ENCODING=x is judged by its value, a bare QUOTED-PRINTABLE by its
        // name; the last one that means something wins.
        const QByteArrayView judged = asciicase::equals(p.name, "ENCODING") ? p.value : p.name;
        if (asciicase::equals(judged, "QUOTED-PRINTABLE"))
            m_encoding = Encoding::QuotedPrintable;
        else if (asciicase::equals(judged, "BASE64") || asciicase::equals(judged, "B"))
            m_encoding = Encoding::Base64;
        else if (asciicase::equals(judged, "8BIT"))
            m_encoding = Encoding::EightBit;
    }
    const QByteArrayView name(base, m_nameEnd);
    if (asciicase::equals(name, "BEGIN"))
        m_foldKeepsSpace = false;   // until the card says it is vCard 2.1
    m_begins(m_user, name, params.constData(), params.size());

    m_state = State::Value;
    m_valueStart = qsizetype(m_buffer.size());
    m_valueStarted = false;
    m_qpEscape = false;
    m_qpSoftBreak = false;
    m_scratchCount = 0;
}

void VCardTokenizer::endProperty()
{
    if (m_encoding == Encoding::QuotedPrintable) {
        m_qpSoftBreak = false;
        if (m_qpEscape)
            flushQuotedPrintableEscape();
    } else if (m_encoding == Encoding::Base64 && m_scratchCount > 0) {
        while (m_scratchCount < 4)
            m_scratch[m_scratchCount++] = '=';
        if (!decodeBase64Quartet()) {
            syntaxError();
            reset();   // the line has ended already
            return;
        }
    }
    const QByteArrayView value(m_buffer.data() + m_valueStart, qsizetype(m_buffer.size()) - m_valueStart);
    if (asciicase::equals(QByteArrayView(m_buffer.data(), m_nameEnd), "VERSION"))
        m_foldKeepsSpace = value.startsWith("2");
    if (!value.isEmpty())
        m_valueReady(m_user, value);
    reset();
}

void VCardTokenizer::reset()
{
    if (m_buffer.capacity() > 1024)
        std::string().swap(m_buffer);
    else
        m_buffer.clear();
    m_params.clear();
    m_nameEnd = 0;
    m_valueStart = 0;
    m_state = State::Name;
    m_encoding = Encoding::None;
    m_escape = false;
    m_inQuotes = false;
    m_valueStarted = false;
    m_qpEscape = false;
    m_qpSoftBreak = false;
    m_scratchCount = 0;
}

void VCardTokenizer::syntaxError()
{
    ++m_errors;
    if (m_state == State::Value && m_dropped)
        m_dropped(m_user);
    reset();
    m_state = State::SkipLine;
}
