#ifndef FILES_VCARDEXPORT_H
#define FILES_VCARDEXPORT_H

#include "files/absexport.h"
#include "files/vcardproperty.h"

#include <QString>

#include <string>

// Writes each contact as one vCard 3.0 block. The file has no header or
// footer: a .vcf file is the cards one after the other.
//
// Every entity yields its line(s) even when its values are empty; the line
// order is VERSION, FN, then the entities by ascending kind. Free text goes
// out as UTF-8 with CHARSET=UTF-8, notes and addresses quoted-printable,
// photos as folded base64; phone numbers, e-mail addresses, dates and URLs
// go out in the local 8-bit code page without CHARSET, which the reader
// decodes the same way.
class VCardExport : public AbsExport
{
public:
    [[nodiscard]] QByteArray exportHeader(const QList<Contact> &contacts) override;
    [[nodiscard]] QByteArray exportContact(const Contact &contact) override;
    [[nodiscard]] QByteArray exportFooter() override;

    // The content lines of one contact, before serialization. exportContact
    // gives the same bytes as serializeCard(buildCard(contact)), written
    // straight into one buffer.
    [[nodiscard]] static VCard buildCard(const Contact &contact);

private:
    std::string m_buffer;   // reused from one contact to the next
};

// BEGIN:VCARD, each property as NAME;KEY=VALUE...:value, END:VCARD, every
// line ended by CR LF. Values are written as they are: nothing is escaped or
// folded here.
[[nodiscard]] QByteArray serializeCard(const VCard &card);

// Quoted-printable without soft line breaks: "!" to "~" except "=" stay as
// they are, every other byte becomes "=XX" (upper-case hex).
[[nodiscard]] QByteArray encodeQuotedPrintable(QByteArrayView bytes);

// Base64 cut into pieces of `width` characters joined by CR LF and one
// space, so every piece after the first is a folded continuation line.
[[nodiscard]] QByteArray encodeBase64Folded(QByteArrayView bytes, int width);

// A name, organization or address component: ";" becomes "\;", nothing else
// is escaped.
[[nodiscard]] QString escapeComponent(const QString &text);

#endif
