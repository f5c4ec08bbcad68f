#ifndef FILES_CSVTEXTDECODER_H
#define FILES_CSVTEXTDECODER_H

#include <QByteArray>
#include <QString>

// Brings the bytes of a CSV file to UTF-8, the form the row parser reads.
//
// Address books write CSV in several encodings and mark few of them:
// UTF-8 with or without a byte-order mark, UTF-16 (Outlook's "Unicode"
// export) with a byte-order mark or without one, and the Western Windows
// code page. A byte-order mark decides; without one, UTF-16 is recognised
// by the zero bytes of its ASCII characters at every other position, and
// text that is not valid UTF-8 is read as windows-1252.
class CSVTextDecoder
{
public:
    enum class Encoding { Utf8, Utf8WithBom, Utf16LE, Utf16BE, Windows1252 };

    // Converts `bytes` in place (the byte-order mark removed) and returns
    // the encoding it was in.
    static Encoding toUtf8(QByteArray &bytes);

    // The name shown in the import report ("UTF-16LE").
    [[nodiscard]] static QString name(Encoding encoding);
};

#endif
