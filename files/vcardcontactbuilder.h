#ifndef FILES_VCARDCONTACTBUILDER_H
#define FILES_VCARDCONTACTBUILDER_H

#include "contacts/contact.h"
#include "files/vcardstore.h"

#include <QByteArrayView>
#include <QString>

// Turns one parsed card into a contact.
//
// Property and parameter names match without regard to letter case, and a
// group prefix ("item1.TEL") is ignored. TYPE values and bare type
// parameters are read as a set of words (vcardtypes), so TYPE=WORK,
// TYPE=work,voice, TYPE=HOME;TYPE=VOICE and WORK;VOICE all mean the same.
//
// N is read as Family;Given;Additional;Prefix;Suffix. Files from earlier
// versions of this program wrote First;Last;...: such a card (vCard 3.0,
// N;CHARSET=UTF-8) is recognised by its FN, which equals the name formatted
// from the old order and not the one formatted from the standard order, and
// is read the old way. A card with FN but no N gets a name whose given name
// is the FN.
class VCardContactBuilder
{
public:
    [[nodiscard]] static Contact build(const VCardStore &store, qsizetype card);

    // `value` decoded with the named charset; a null or unknown name means
    // the local 8-bit code page (with windows-1252 for bytes that are not
    // UTF-8 where that code page is UTF-8).
    [[nodiscard]] static QString decodeText(QByteArrayView value, QByteArrayView charset);

    // An event date as the stored ISO date-time text ("1975-08-20T00:00:00"):
    // ISO 8601 dates and date-times, and the basic forms 19750820 and
    // 19750820T101500 that phones write; empty for anything else.
    [[nodiscard]] static QString eventDate(const QString &text);
};

#endif
