#include "files/csvrowparser.h"

#include "files/asciicase.h"

#include <algorithm>
#include <cstring>

namespace {

// The bytes that end a run of plain field bytes outside quotes.
struct Specials
{
    bool table[256] = {};
    explicit constexpr Specials(char separator)
    {
        table[static_cast<unsigned char>('"')] = true;
        table[static_cast<unsigned char>(separator)] = true;
        table[static_cast<unsigned char>('\r')] = true;
        table[static_cast<unsigned char>('\n')] = true;
    }
    constexpr bool operator()(char c) const { return table[static_cast<unsigned char>(c)]; }
};
constexpr Specials commaSpecials(',');
constexpr Specials semicolonSpecials(';');
constexpr Specials tabSpecials('\t');

const Specials &specialsFor(char separator)
{
    return separator == ';' ? semicolonSpecials : separator == '\t' ? tabSpecials : commaSpecials;
}

// How many bytes of [p, end) are `c`, eight at a time: a byte of the
// word XOR c is zero exactly where c is, and adding 0x7F to its low seven
// bits sets the high bit of every byte that is not zero, without carries
// between bytes.
qsizetype countByte(const char *p, const char *end, char c)
{
    constexpr quint64 ones = 0x0101010101010101ULL;
    constexpr quint64 low7 = 0x7F7F7F7F7F7F7F7FULL;
    const quint64 pattern = ones * static_cast<unsigned char>(c);
    qsizetype n = 0;
    for (; end - p >= 8; p += 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        const quint64 x = word ^ pattern;
        const quint64 nonZero = ((x & low7) + low7) | x;
        // One bit per matching byte, moved to the byte's low end; the
        // multiplication sums the bytes into the top one.
        n += qsizetype((((~nonZero & ~low7) >> 7) * ones) >> 56);
    }
    for (; p < end; ++p)
        n += *p == c;
    return n;
}

// Scans quoted text from p up to the next quote, adding the line feeds on
// the way to the row; returns that quote, or nullptr when none follows.
const char *scanQuotedRun(const char *p, const char *end, CSVRowParser::Row &row, bool &quotedLines)
{
    const char *q = static_cast<const char *>(std::memchr(p, '"', size_t(end - p)));
    const qsizetype feeds = countByte(p, q ? q : end, '\n');
    if (feeds) {
        row.lineFeeds += feeds;
        row.multiLine = quotedLines = true;
    }
    return q;
}

} // namespace

char CSVRowParser::detectSeparator(QByteArrayView text)
{
    qsizetype commas = 0;
    qsizetype semicolons = 0;
    qsizetype tabs = 0;
    bool inQuotes = false;
    for (const char c : text) {
        if (c == '"')
            inQuotes = !inQuotes;
        else if (inQuotes)
            continue;
        else if (c == '\n')
            break;
        else if (c == ',')
            ++commas;
        else if (c == ';')
            ++semicolons;
        else if (c == '\t')
            ++tabs;
    }
    if (semicolons > commas && semicolons >= tabs)
        return ';';
    if (tabs > commas && tabs > semicolons)
        return '\t';
    return ',';
}

CSVRowParser::Row CSVRowParser::readRow(QByteArrayView text, qsizetype from, char separator,
                                        std::vector<Field> *fields)
{
    const Specials &special = specialsFor(separator);
    const char *const begin = text.data();
    const char *const end = begin + text.size();
    const char *p = begin + from;
    Row row;
    const char *fieldStart = p;
    bool marked = false;        // the field holds a quote or carriage return
    bool inQuotes = false;
    bool quoteSeen = false;     // this field has had its opening quote
    bool quotePending = false;  // a quote inside quotes: closing or doubled?
    bool quotedLines = false;   // the open quoted part holds a line feed
    // The vector keeps its room from row to row: it grows only when a row
    // has more fields than any before.
    const auto endField = [&](const char *at) {
        if (fields)
            fields->push_back(Field { fieldStart - begin, at - begin, marked ? Field::Quoted : Field::Plain });
        ++row.fields;
        fieldStart = at + 1;
        marked = false;
        quoteSeen = false;
    };
    while (p < end) {
        const char c = *p;
        if (inQuotes) {
            if (quotePending) {
                quotePending = false;
                if (c == '"') {
                    ++p;
                    continue;
                }
                inQuotes = false;   // the pending quote closed the quoted part
                if (quotedLines && c != separator && c != '\r' && c != '\n')
                    row.malformed = true;
                quotedLines = false;
            } else if (c == '"') {
                quotePending = true;
                ++p;
                continue;
            } else {
                // The run of quoted text up to the next quote.
                const char *q = scanQuotedRun(p, end, row, quotedLines);
                p = q ? q : end;
                continue;
            }
        }
        switch (c) {
        case '"':
            marked = true;
            if (!quoteSeen) {
                inQuotes = true;
                quoteSeen = true;
            }
            ++p;
            break;
        case '\r':
            marked = true;
            ++p;
            break;
        case '\n':
            endField(p);
            ++row.lineFeeds;
            row.complete = true;
            row.next = p + 1 - begin;
            return row;
        default:
            if (c == separator) {
                endField(p);
                ++p;
            } else {
                ++p;
                while (p < end && !special(*p))
                    ++p;
            }
            break;
        }
    }
    if (inQuotes && !quotePending)
        row.malformed = true;   // the quoted text never closed
    endField(end);
    row.next = text.size();
    return row;
}

CSVRowParser::Row CSVRowParser::skipRow(QByteArrayView text, qsizetype from, char separator)
{
    const char *const begin = text.data();
    const char *const end = begin + text.size();
    const char *p = begin + from;
    Row row;
    row.fields = 1;
    bool quoteSeen = false;   // this field has had its opening quote
    for (;;) {
        // Outside quotes: up to the next quote or line feed.
        const char *quote = static_cast<const char *>(std::memchr(p, '"', size_t(end - p)));
        const char *stop = quote ? quote : end;
        const char *lf = static_cast<const char *>(std::memchr(p, '\n', size_t(stop - p)));
        if (lf) {
            row.fields += countByte(p, lf, separator);
            ++row.lineFeeds;
            row.complete = true;
            row.next = lf + 1 - begin;
            return row;
        }
        const qsizetype separators = countByte(p, stop, separator);
        row.fields += separators;
        if (!quote) {
            row.next = text.size();
            return row;
        }
        p = quote + 1;
        if (separators)
            quoteSeen = false;
        if (quoteSeen)
            continue;   // a later quote of the field is data
        quoteSeen = true;
        // Inside quotes: up to the quote that is not doubled.
        bool quotedLines = false;
        for (;;) {
            const char *q = scanQuotedRun(p, end, row, quotedLines);
            if (!q) {
                row.malformed = true;   // the quoted text never closed
                row.next = text.size();
                return row;
            }
            p = q + 1;
            if (p == end) {
                row.next = text.size();
                return row;
            }
            if (*p == '"') {
                ++p;   // a doubled quote
                continue;
            }
            if (quotedLines && *p != separator && *p != '\r' && *p != '\n')
                row.malformed = true;
            break;
        }
    }
}

CSVRowParser::Row CSVRowParser::readLine(QByteArrayView text, qsizetype from, char separator,
                                         std::vector<Field> *fields)
{
    const char *const begin = text.data();
    const char *const end = begin + text.size();
    const char *lineEnd = static_cast<const char *>(std::memchr(begin + from, '\n', size_t(end - begin - from)));
    Row row;
    row.malformed = true;
    row.complete = lineEnd != nullptr;
    row.lineFeeds = lineEnd ? 1 : 0;
    if (!lineEnd)
        lineEnd = end;
    row.next = lineEnd == end ? text.size() : lineEnd + 1 - begin;

    const char *p = begin + from;
    for (;;) {
        const char *fieldStart = p;
        Field::Form form = Field::Plain;
        const char *fieldEnd = nullptr;
        if (p < lineEnd && *p == '"') {
            // Quoted only when the quote closes on this line, right before
            // a separator or the line end.
            const char *q = p + 1;
            while (q < lineEnd) {
                if (*q == '"') {
                    if (q + 1 < lineEnd && q[1] == '"') {
                        q += 2;
                        continue;
                    }
                    const char *after = q + 1;
                    while (after < lineEnd && *after == '\r')
                        ++after;
                    if (after == lineEnd || *after == separator) {
                        fieldEnd = after;
                        form = Field::Quoted;
                    }
                    break;
                }
                ++q;
            }
        }
        if (!fieldEnd) {
            fieldEnd = p;
            while (fieldEnd < lineEnd && *fieldEnd != separator) {
                if (*fieldEnd == '"' || *fieldEnd == '\r')
                    form = Field::Literal;
                ++fieldEnd;
            }
        }
        ++row.fields;
        if (fields)
            fields->push_back(Field { fieldStart - begin, fieldEnd - begin, form });
        if (fieldEnd >= lineEnd)
            break;
        p = fieldEnd + 1;
    }
    return row;
}

QByteArray CSVRowParser::bytes(QByteArrayView text, const Field &field)
{
    if (field.form == Field::Plain)
        return text.sliced(field.start, field.end - field.start).toByteArray();
    QByteArray out;
    bytes(text, field, out);
    return out;
}

void CSVRowParser::bytes(QByteArrayView text, const Field &field, QByteArray &out)
{
    const QByteArrayView span = text.sliced(field.start, field.end - field.start);
    if (field.form == Field::Plain) {
        out.resize(span.size());
        if (!span.isEmpty())
            std::memcpy(out.data(), span.data(), size_t(span.size()));
        return;
    }
    // The value is never longer than its span: written into one block.
    out.resize(span.size());
    char *w = out.data();
    if (field.form == Field::Literal) {
        for (const char c : span) {
            if (c != '\r')
                *w++ = c;
        }
        out.truncate(w - out.constData());
        return;
    }
    bool inQuotes = false;
    bool quoteSeen = false;
    bool quotePending = false;
    for (const char c : span) {
        if (inQuotes) {
            if (quotePending) {
                quotePending = false;
                if (c == '"') {
                    *w++ = '"';
                    continue;
                }
                inQuotes = false;
            } else if (c == '"') {
                quotePending = true;
                continue;
            } else {
                *w++ = c;
                continue;
            }
        }
        if (c == '"') {
            if (!quoteSeen) {
                inQuotes = true;
                quoteSeen = true;
            } else {
                *w++ = c;
            }
        } else if (c != '\r') {
            *w++ = c;
        }
    }
    out.truncate(w - out.constData());
}

QString CSVRowParser::decode(QByteArrayView bytes)
{
    return asciicase::isAscii(bytes) ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
}

QString CSVRowParser::value(QByteArrayView text, const Field &field)
{
    if (field.form == Field::Plain)
        return decode(text.sliced(field.start, field.end - field.start));
    return QString::fromUtf8(bytes(text, field));
}
