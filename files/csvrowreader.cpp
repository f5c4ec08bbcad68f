#include "files/csvrowreader.h"

#include "files/asciicase.h"

#include <QDebug>
#include <QStringDecoder>

#include <cstring>
#include <stdexcept>

namespace {

constexpr qsizetype chunkSize = 256 * 1024;

// The bytes that end a run of plain field bytes outside quotes.
struct Specials
{
    bool table[256] = {};
    constexpr Specials()
    {
        table[static_cast<unsigned char>('"')] = true;
        table[static_cast<unsigned char>(',')] = true;
        table[static_cast<unsigned char>('\r')] = true;
        table[static_cast<unsigned char>('\n')] = true;
    }
    constexpr bool operator()(char c) const { return table[static_cast<unsigned char>(c)]; }
};
constexpr Specials isSpecial;

} // namespace

CSVRowReader::CSVRowReader(QIODevice &device)
    : m_device(device)
{
}

bool CSVRowReader::fill(qsizetype wanted)
{
    if (m_buffer.isEmpty()) {
        // A small file needs no big buffer.
        const qint64 left = m_device.isSequential() ? chunkSize : m_device.size() - m_device.pos() + 1;
        m_buffer.resize(qsizetype(qBound<qint64>(16, left, chunkSize)));
    }
    while (m_length - m_pos < wanted && !m_eof) {
        if (m_pos > 0) {
            std::memmove(m_buffer.data(), m_buffer.constData() + m_pos, size_t(m_length - m_pos));
            m_length -= m_pos;
            m_pos = 0;
        }
        const qint64 n = m_device.read(m_buffer.data() + m_length, m_buffer.size() - m_length);
        if (n < 0) {
            const QString error = m_device.errorString();
            qWarning("utf8CSVRow::error:%s", qPrintable(error));
            throw std::runtime_error(error.toStdString());
        }
        if (n == 0)
            m_eof = true;
        m_length += qsizetype(n);
    }
    return m_length - m_pos >= wanted;
}

bool CSVRowReader::readRow(bool detectBom, std::string &data, std::vector<qsizetype> &fieldEnds)
{
    if (detectBom) {
        fill(3);
        if (m_pos == m_length)
            return false;   // nothing left: an empty row
        if (m_length - m_pos >= 3 && m_buffer.at(m_pos) == '\xEF' && m_buffer.at(m_pos + 1) == '\xBB'
            && m_buffer.at(m_pos + 2) == '\xBF')
            m_pos += 3;
    }

    bool inQuotes = false;
    bool quoteSeen = false;    // this field has had its opening quote
    bool quotePending = false; // a quote inside quotes: closing or doubled?
    for (;;) {
        if (m_pos == m_length && !fill(1)) {
            fieldEnds.push_back(qsizetype(data.size()));
            return false;
        }
        const char *p = m_buffer.constData() + m_pos;
        const char *const end = m_buffer.constData() + m_length;
        while (p < end) {
            const char c = *p++;
            if (inQuotes) {
                if (quotePending) {
                    quotePending = false;
                    if (c == '"') {
                        data.push_back('"');
                        continue;
                    }
                    inQuotes = false;   // the pending quote closed the quoted part
                } else if (c == '"') {
                    quotePending = true;
                    continue;
                } else {
                    // Copy the run of quoted text up to the next quote.
                    const char *run = p - 1;
                    while (p < end && *p != '"')
                        ++p;
                    data.append(run, size_t(p - run));
                    continue;
                }
            }
            switch (c) {
            case '"':
                if (!quoteSeen) {
                    inQuotes = true;
                    quoteSeen = true;
                } else {
                    data.push_back(c);
                }
                break;
            case ',':
                fieldEnds.push_back(qsizetype(data.size()));
                quoteSeen = false;
                break;
            case '\r':
                break;
            case '\n':
                fieldEnds.push_back(qsizetype(data.size()));
                m_pos = p - m_buffer.constData();
                return true;
            default: {
                const char *run = p - 1;
                while (p < end && !isSpecial(*p))
                    ++p;
                data.append(run, size_t(p - run));
                break;
            }
            }
        }
        m_pos = m_length;
    }
}

QStringList CSVRowReader::readRow(bool detectBom, bool *complete)
{
    std::string data;
    std::vector<qsizetype> ends;
    const bool done = readRow(detectBom, data, ends);
    if (complete)
        *complete = done;
    QStringList fields;
    qsizetype start = 0;
    for (const qsizetype e : ends) {
        fields.append(decodeField(QByteArrayView(data.data() + start, e - start)));
        start = e;
    }
    return fields;
}

QString CSVRowReader::decodeField(QByteArrayView bytes)
{
    if (asciicase::isAscii(bytes))
        return QString::fromLatin1(bytes);
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return utf8.decode(bytes);
}
