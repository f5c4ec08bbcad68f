#include "files/csvtextdecoder.h"

#include "files/asciicase.h"

#include <QStringDecoder>
#include <QTextCodec>

#include <cstring>

#include <limits>

namespace {

// The zero bytes of a UTF-16 text without a byte-order mark: ASCII letters
// have their zero byte first (big-endian) or second (little-endian). A few
// stray NUL bytes in an 8-bit file do not make it UTF-16: most pairs of the
// sample must show the pattern and hardly any the other one.
CSVTextDecoder::Encoding guessUtf16(QByteArrayView bytes, bool &found)
{
    const qsizetype sample = qMin<qsizetype>(bytes.size() & ~qsizetype(1), 4096);
    qsizetype evenZeros = 0;
    qsizetype oddZeros = 0;
    for (qsizetype i = 0; i < sample; i += 2) {
        evenZeros += bytes.at(i) == 0;
        oddZeros += bytes.at(i + 1) == 0;
    }
    const qsizetype pairs = sample / 2;
    found = pairs >= 2;
    if (found && evenZeros * 2 > pairs && oddZeros * 20 < pairs)
        return CSVTextDecoder::Encoding::Utf16BE;
    if (found && oddZeros * 2 > pairs && evenZeros * 20 < pairs)
        return CSVTextDecoder::Encoding::Utf16LE;
    found = false;
    return CSVTextDecoder::Encoding::Utf8;
}

// Checks UTF-8 without decoding it: ASCII runs are skipped eight bytes at
// a time, and each longer sequence must have the right continuation bytes,
// no overlong form, no surrogate and nothing above U+10FFFF.
bool isValidUtf8(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *const end = p + bytes.size();
    while (p < end) {
        // Long ASCII stretches, the bulk of most files, 32 bytes at a time.
        while (end - p >= 32) {
            quint64 words[4];
            std::memcpy(words, p, 32);
            if ((words[0] | words[1] | words[2] | words[3]) & 0x8080808080808080ULL)
                break;
            p += 32;
        }
        if (end - p >= 8) {
            quint64 word;
            std::memcpy(&word, p, 8);
            if (!(word & 0x8080808080808080ULL)) {
                p += 8;
                continue;
            }
        }
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int length = 0;
        unsigned char min = 0x80;
        unsigned char max = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0)
                min = 0xA0;
            else if (c == 0xED)
                max = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0)
                min = 0x90;
            else if (c == 0xF4)
                max = 0x8F;
        } else {
            return false;
        }
        if (end - p < length || p[1] < min || p[1] > max)
            return false;
        for (int i = 2; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
        }
        p += length;
    }
    return true;
}

} // namespace

CSVTextDecoder::Encoding CSVTextDecoder::toUtf8(QByteArray &bytes)
{
    const auto at = [&bytes](qsizetype i) { return static_cast<unsigned char>(bytes.at(i)); };
    Encoding encoding = Encoding::Utf8;
    if (bytes.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) {
        bytes.remove(0, 3);
        encoding = Encoding::Utf8WithBom;
    } else if (bytes.size() >= 2 && at(0) == 0xFF && at(1) == 0xFE) {
        bytes.remove(0, 2);
        encoding = Encoding::Utf16LE;
    } else if (bytes.size() >= 2 && at(0) == 0xFE && at(1) == 0xFF) {
        bytes.remove(0, 2);
        encoding = Encoding::Utf16BE;
    } else {
        bool utf16 = false;
        encoding = guessUtf16(bytes, utf16);
        if (!utf16 && !isValidUtf8(bytes))
            encoding = Encoding::Windows1252;
    }

    switch (encoding) {
    case Encoding::Utf8:
    case Encoding::Utf8WithBom:
        break;
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: {
        QStringDecoder decoder(encoding == Encoding::Utf16LE ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                               QStringDecoder::Flag::Stateless);
        QString text = decoder.decode(bytes);
        bytes = QByteArray();   // the UTF-16 bytes are not needed beside the text
        bytes = text.toUtf8();
        break;
    }
    case Encoding::Windows1252: {
        QTextCodec *codec = QTextCodec::codecForName("windows-1252");
        if (codec && bytes.size() <= std::numeric_limits<int>::max()) {
            QString text = codec->toUnicode(bytes.constData(), int(bytes.size()));
            bytes = QByteArray();
            bytes = text.toUtf8();
        }
        break;
    }
    }
    return encoding;
}

QString CSVTextDecoder::name(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf8: return QStringLiteral("UTF-8");
    case Encoding::Utf8WithBom: return QStringLiteral("UTF-8 (BOM)");
    case Encoding::Utf16LE: return QStringLiteral("UTF-16LE");
    case Encoding::Utf16BE: return QStringLiteral("UTF-16BE");
    case Encoding::Windows1252: return QStringLiteral("windows-1252");
    }
    return QString();
}
