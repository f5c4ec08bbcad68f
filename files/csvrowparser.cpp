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
    // Fields go straight into the vector's storage; it grows only when a
    // row has more fields than any before.
    const size_t firstField = fields ? fields->size() : 0;
    const auto endField = [&](const char *at) {
        if (fields) {
            const size_t index = firstField + size_t(row.fields);
            if (index >= fields->size())
                fields->resize(std::max(index * 2 + 16, fields->capacity()));
            (*fields)[index] = Field { fieldStart - begin, at - begin, marked ? Field::Quoted : Field::Plain };
        }
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
                const char *q = static_cast<const char *>(std::memchr(p, '"', size_t(end - p)));
                const char *runEnd = q ? q : end;
                const qsizetype feeds = std::count(p, runEnd, '\n');
                if (feeds) {
                    row.lineFeeds += feeds;
                    row.multiLine = quotedLines = true;
                }
                p = runEnd;
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
            if (fields)
                fields->resize(firstField + size_t(row.fields));
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
    if (fields)
        fields->resize(firstField + size_t(row.fields));
    return row;
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
