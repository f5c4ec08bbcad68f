#include "contacts/contactcardtext.h"

#include "contacts/contactformat.h"
#include "contacts/labeltables.h"

#include <QDateTime>
#include <QLocale>

using namespace pim;

namespace {

QString asIs(const QString &text)
{
    return text;
}

// The name block with the contact's texts passed through `escape` and the
// lines joined by `lineBreak`.
QString buildNameBlock(const Contact &contact, const QString &lineBreak, QString (*escape)(const QString &))
{
    QString text = escape(contact.fullName);
    if (const Entity *nickname = contact.firstEntity(ENTITY_NICKNAME)) {
        if (const QString nick = nickname->text(data1); !nick.isEmpty())
            text += lineBreak + u'"' + escape(nick) + u'"';
    }
    if (const Entity *organization = contact.firstEntity(ENTITY_ORGANIZATION)) {
        if (const QString title = organization->text(data4); !title.isEmpty())
            text += lineBreak + escape(title);
        if (const QString department = organization->text(data5); !department.isEmpty())
            text += QStringLiteral(" - ") + escape(department);
        if (const QString company = organization->text(data1); !company.isEmpty())
            text += lineBreak + escape(company);
    }
    return text;
}

// An entity line with the contact's texts passed through `escape`. The
// address line is rich text in both forms, so its parts are always escaped.
QString buildEntityLine(int kind, const Entity &entity, QString (*escape)(const QString &))
{
    const QString label = escape(entityTypeLabel(kind, entity));
    switch (kind) {
    case ENTITY_EVENT:
        return label + u':' + escape(ContactCardText::eventDateText(entity.text(data1)));
    case ENTITY_IM:
        return label + u':' + escape(entity.text(data1)) + u'(' + escape(imProtocolLabel(entity)) + u')';
    case ENTITY_ORGANIZATION:
        return label + u':' + escape(ContactCardText::organizationText(entity));
    case ENTITY_POSTAL_ADDRESS: {
        QString address = ContactCardText::htmlEscaped(formatPostalAddress(entity));
        address.replace(u'\n', QStringLiteral("<br/>"));
        return QStringLiteral("<b>") + ContactCardText::htmlEscaped(entityTypeLabel(kind, entity))
            + QStringLiteral("</b><br/>") + address;
    }
    case ENTITY_NOTE:
        return escape(entity.text(data1));
    default:
        return label + u':' + escape(entity.text(data1));
    }
}

} // namespace

const QList<ContactCardText::Section> &ContactCardText::sections()
{
    static const QList<Section> list = {
        {QStringLiteral("Phone:"), ENTITY_PHONE},
        {QStringLiteral("E-Mail:"), ENTITY_EMAIL},
        {QStringLiteral("Date:"), ENTITY_EVENT},
        {QStringLiteral("IM:"), ENTITY_IM},
        {QStringLiteral("Organization:"), ENTITY_ORGANIZATION},
        {QStringLiteral("Relationship:"), ENTITY_RELATION},
        {QStringLiteral("Address:"), ENTITY_POSTAL_ADDRESS},
        {QStringLiteral("Website:"), ENTITY_WEBSITE},
        {QStringLiteral("Notes:"), ENTITY_NOTE},
    };
    return list;
}

QList<Entity> ContactCardText::sectionEntities(const Contact &contact, int kind)
{
    const QList<Entity> &all = contact.entitiesOf(kind);
    return kind == ENTITY_ORGANIZATION ? all.mid(1) : all;
}

QString ContactCardText::nameBlock(const Contact &contact)
{
    return buildNameBlock(contact, QStringLiteral("\n"), asIs);
}

QString ContactCardText::nameBlockHtml(const Contact &contact)
{
    return buildNameBlock(contact, QStringLiteral("<br/>"), htmlEscaped);
}

QString ContactCardText::eventDateText(const QString &stored)
{
    QDate date = QDateTime::fromString(stored, Qt::ISODate).date();
    if (!date.isValid())
        date = QDate::fromString(stored, Qt::ISODate);
    return date.isValid() ? QLocale::system().toString(date, QLocale::ShortFormat) : stored;
}

QString ContactCardText::organizationText(const Entity &organization)
{
    QString text = organization.text(data4);
    if (const QString department = organization.text(data5); !department.isEmpty())
        text += u' ' + department;
    if (const QString company = organization.text(data1); !company.isEmpty())
        text += u' ' + company;
    return text.trimmed();
}

QString ContactCardText::entityLine(int kind, const Entity &entity)
{
    return buildEntityLine(kind, entity, asIs);
}

QString ContactCardText::entityLineHtml(int kind, const Entity &entity)
{
    return buildEntityLine(kind, entity, htmlEscaped);
}

QString ContactCardText::htmlEscaped(const QString &text)
{
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += QLatin1String("&amp;");
            break;
        case u'<':
            out += QLatin1String("&lt;");
            break;
        case u'>':
            out += QLatin1String("&gt;");
            break;
        case u'"':
            out += QLatin1String("&quot;");
            break;
        case u'\'':
            out += QLatin1String("&#39;");
            break;
        default:
            out += c;
        }
    }
    return out;
}
