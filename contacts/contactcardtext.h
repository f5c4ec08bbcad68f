#ifndef CONTACTS_CONTACTCARDTEXT_H
#define CONTACTS_CONTACTCARDTEXT_H

#include "contacts/contact.h"

#include <QString>

// The texts a contact is shown with on its card and in the HTML export:
// the name block under the photo and one line per entity in the sections
// below it. Plain text except the postal address line, which is rich text
// (bold label, line breaks as <br/>) with the contact's own text escaped.
class ContactCardText
{
public:
    // One section below the name block: its title (shown as it stands) and
    // the kind of entity it lists.
    struct Section
    {
        QString title;
        int kind;
    };
    // The sections in display order: phone, e-mail, date, IM, organization,
    // relationship, address, website, notes.
    [[nodiscard]] static const QList<Section> &sections();
    // The entities a section of the contact lists, in stored order; the
    // organization section leaves out the first organization, which is in
    // the name block. Empty: no section.
    [[nodiscard]] static QList<Entity> sectionEntities(const Contact &contact, int kind);

    // The full name, then the first nickname in double quotes, then the
    // first organization's title - department and its company, each on a
    // line of its own; lines end with "\n".
    [[nodiscard]] static QString nameBlock(const Contact &contact);
    // The name block as HTML: every text escaped, lines joined by <br/>.
    [[nodiscard]] static QString nameBlockHtml(const Contact &contact);

    // One line of an entity in the section of its kind.
    [[nodiscard]] static QString entityLine(int kind, const Entity &entity);
    // The same line as HTML: the contact's texts escaped, so a "<" in a
    // phone label reaches the page as text.
    [[nodiscard]] static QString entityLineHtml(int kind, const Entity &entity);

    // A stored event date in the system's short date format. A value that
    // is no ISO date-time (a date alone, a year-less "--MM-DD") is shown as
    // stored rather than left out.
    [[nodiscard]] static QString eventDateText(const QString &stored);
    // Title, department and company of an organization, blank-separated.
    [[nodiscard]] static QString organizationText(const Entity &organization);

    // Text made safe for HTML element content and attribute values:
    // & < > " and ' become character references.
    [[nodiscard]] static QString htmlEscaped(const QString &text);
};

#endif
