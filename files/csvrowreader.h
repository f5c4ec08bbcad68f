#ifndef FILES_CSVROWREADER_H
#define FILES_CSVROWREADER_H

#include <QByteArray>
#include <QIODevice>
#include <QStringList>

#include <string>
#include <vector>

// Reads comma-separated rows from a device, one byte at a time through a
// read buffer.
//
// A double quote opens quoted text when it is the first quote of a field,
// even in the middle of it (a"b,c quotes ",c..."); inside quotes commas and
// line breaks are data and a doubled quote is one quote; the next byte that
// is not a quote closes the quoted part. Outside quotes a comma ends the
// field, a carriage return is dropped and a line feed ends the row. Fields
// are UTF-8.
class CSVRowReader
{
public:
    explicit CSVRowReader(QIODevice &device);

    // Reads one row, appending the bytes of its fields to `data` and the end
    // offset of each field (within `data`) to `fieldEnds`. With `detectBom`
    // an EF BB BF at this point is skipped. Returns true when a line feed
    // ended the row; false when the end of the file did (what was read is
    // still appended as the last field, unless nothing at all was left).
    // A read error is logged and thrown as std::runtime_error.
    bool readRow(bool detectBom, std::string &data, std::vector<qsizetype> &fieldEnds);
    // The same, with the fields decoded.
    [[nodiscard]] QStringList readRow(bool detectBom, bool *complete);

    // A field's bytes as text. A byte-order mark inside the data is kept
    // (as U+FEFF) like any other character.
    [[nodiscard]] static QString decodeField(QByteArrayView bytes);

private:
    // Makes at least `wanted` bytes available if the device has them.
    bool fill(qsizetype wanted);

    QIODevice &m_device;
    QByteArray m_buffer;
    qsizetype m_pos = 0;      // next byte to read
    qsizetype m_length = 0;   // bytes held in the buffer
    bool m_eof = false;
};

#endif
