#ifndef FILES_VCARDCONTACTBUILDER_H
#define FILES_VCARDCONTACTBUILDER_H

#include "contacts/contact.h"
#include "files/vcardstore.h"

class ImportReport;

#include <QByteArrayView>
#include <QString>
#include <QStringList>

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
// is read the old way; so is a one-part name with those marks, which the
// earlier writer meant as the given name. A card with FN but no N gets a
// name whose given name is the FN.
//
// Text values of vCard 3.0 and 4.0 have their escapes undone (\n, \,
// \; \\); vCard 2.1 has none. Instant-messenger addresses come from X-IM,
// IMPP and the X-AIM, X-SKYPE ... properties; CATEGORIES gives one group
// membership per name. Properties the contact has no place for are named
// in the report, if one is given.
class VCardContactBuilder
{
public:
    [[nodiscard]] static Contact build(const VCardStore &store, qsizetype card, ImportReport *report = nullptr);

    // `value` decoded with the named charset; a null or unknown name means
    // the local 8-bit code page (with windows-1252 for bytes that are not
    // UTF-8 where that code page is UTF-8).
    [[nodiscard]] static QString decodeText(QByteArrayView value, QByteArrayView charset);

    // An event date as the stored text ("1975-08-20T00:00:00", "--08-20"):
    // ISO 8601 dates and date-times, the basic forms 19750820 and
    // 19750820T101500 that phones write, and year-less days; empty for
    // anything else (EventDate::fromIso).
    [[nodiscard]] static QString eventDate(const QString &text);

    // "\n" and "\N" become a line break, a backslash before any other
    // character leaves that character.
    [[nodiscard]] static QString unescapeText(const QString &text);

    // The same for ASCII bytes, without decoding them first:
    // unescapeText(QString::fromLatin1(value)) ...
    [[nodiscard]] static QString unescapedAscii(QByteArrayView value);
    // ... and splitComponents(QString::fromLatin1(value)), empty components
    // being null or empty strings alike; the first `skip` components are
    // left null, for callers that have no use for them.
    [[nodiscard]] static QStringList asciiComponents(QByteArrayView value, qsizetype skip = 0);
};

#endif
