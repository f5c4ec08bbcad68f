#include "files/csvtextdecoder.h"

#include "files/asciicase.h"

#include <QStringDecoder>
#include <QTextCodec>

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

bool isValidUtf8(QByteArrayView bytes)
{
    if (asciicase::isAscii(bytes))
        return true;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    // Decoding in slices keeps the scratch text small on a big file.
    constexpr qsizetype slice = 1 << 20;
    for (qsizetype at = 0; at < bytes.size(); at += slice) {
        const QString part = utf8.decode(bytes.sliced(at, qMin(slice, bytes.size() - at)));
        if (utf8.hasError())
            return false;
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
