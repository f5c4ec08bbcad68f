#ifndef FILES_VCARDIMPORT_H
#define FILES_VCARDIMPORT_H

#include "files/absimport.h"
#include "files/vcardproperty.h"
#include "files/vcardstore.h"

#include <QIODevice>
#include <QStringList>

// Reads a .vcf file into contacts. open() parses the whole file into
// cards; next() turns one card into one contact (VCardContactBuilder).
//
// Before the bytes reach the tokenizer, a UTF-8 byte-order mark is dropped
// and a UTF-16 file (with or without byte-order mark) is converted to UTF-8.
// A syntax error costs the property it is in; the rest of the file is read.
class VCardImport : public AbsImport
{
public:
    // Throws std::runtime_error with the file's error text when the file
    // cannot be opened or read.
    void open(const QString &path) override;
    // The same for an open device, read to its end.
    void openDevice(QIODevice &device);

    [[nodiscard]] qsizetype count() const override;
    [[nodiscard]] bool hasNext() const override;
    [[nodiscard]] Contact next() override;
    void close() override;

private:
    VCardStore m_cards;
    qsizetype m_cursor = 0;
};

// The cards of a vCard text, byte for byte (no byte-order mark or UTF-16
// handling). Broken properties are left out.
[[nodiscard]] QList<VCard> parseVCardText(QByteArrayView bytes);

// The value as text: decoded with the codec named by the CHARSET parameter
// (SHIFT_JIS, windows-1252, UTF-8 ...), or with the local 8-bit code page
// when there is none or no codec knows the name. Where the local code page
// is UTF-8, bytes that are not valid UTF-8 are read as windows-1252.
[[nodiscard]] QString decodePropertyText(const VCardProperty &property);

// Components of a structured value (N, ORG, ADR): ";" separates, a
// backslash makes the next character literal ("\;" is ";"), except that
// "\n" is a line break. An
// empty component counts except at the very end: "a;b" and "a;b;" give two,
// ";;" two empty ones, "" none.
[[nodiscard]] QStringList splitComponents(const QString &text);

#endif
