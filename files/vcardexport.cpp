#include "files/vcardexport.h"

#include "files/vcardtypes.h"

using namespace pim;

namespace {

const QByteArray &charsetKey()
{
    static const QByteArray key = QByteArrayLiteral("CHARSET");
    return key;
}

const QByteArray &encodingKey()
{
    static const QByteArray key = QByteArrayLiteral("ENCODING");
    return key;
}

const QByteArray &typeKey()
{
    static const QByteArray key = QByteArrayLiteral("TYPE");
    return key;
}

VCardProperty utf8Property(const QByteArray &name, const QString &text)
{
    VCardProperty p(name, text.toUtf8());
    p.setParam(charsetKey(), QByteArrayLiteral("UTF-8"));
    return p;
}

VCardProperty localProperty(const QByteArray &name, const QString &text, const QByteArray &type)
{
    VCardProperty p(name, text.toLocal8Bit());
    if (!type.isEmpty())
        p.setParam(typeKey(), type);
    return p;
}

// Components through escapeComponent, joined by ";".
QString joinComponents(std::initializer_list<QString> parts)
{
    QString result;
    bool first = true;
    for (const QString &part : parts) {
        if (!first)
            result += QLatin1Char(';');
        result += escapeComponent(part);
        first = false;
    }
    return result;
}

void appendEntity(VCard &card, int kind, const Entity &e)
{
    switch (kind) {
    case ENTITY_NAME:
        // Family;Given;Additional;Prefix;Suffix, the order every vCard reader expects.
        card.append(utf8Property(QByteArrayLiteral("N"),
                                 joinComponents({ e.text(data3), e.text(data2), e.text(data4), e.text(data5),
                                                  e.text(data6) })));
        break;
    case ENTITY_PHOTO: {
        VCardProperty p(QByteArrayLiteral("PHOTO"), encodeBase64Folded(e.bytes(data15), 75));
        p.setParam(encodingKey(), QByteArrayLiteral("B"));
        p.setParam(typeKey(), QByteArrayLiteral("JPEG"));
        card.append(std::move(p));
        break;
    }
    case ENTITY_PHONE:
        card.append(localProperty(QByteArrayLiteral("TEL"), e.text(data1), vcardtypes::phoneType(e.toInt(data2))));
        break;
    case ENTITY_EMAIL:
        card.append(localProperty(QByteArrayLiteral("EMAIL"), e.text(data1), QByteArrayLiteral("internet")));
        break;
    case ENTITY_NICKNAME:
        card.append(utf8Property(QByteArrayLiteral("NICKNAME"), e.text(data1)));
        break;
    case ENTITY_EVENT: {
        const int type = e.toInt(data2);
        if (type == 3)
            card.append(localProperty(QByteArrayLiteral("BDAY"), e.text(data1), QByteArray()));
        else
            card.append(localProperty(QByteArrayLiteral("X-EVENT"), e.text(data1), vcardtypes::eventType(type)));
        break;
    }
    case ENTITY_GROUP_MEMBERSHIP:
        card.append(utf8Property(QByteArrayLiteral("CATEGORIES"), e.text(data2)));
        break;
    case ENTITY_IM: {
        VCardProperty p = utf8Property(QByteArrayLiteral("X-IM"), e.text(data1));
        const QByteArray type = vcardtypes::imType(e.toInt(data5));
        if (!type.isEmpty())
            p.setParam(typeKey(), type);
        card.append(std::move(p));
        break;
    }
    case ENTITY_NOTE: {
        VCardProperty p(QByteArrayLiteral("NOTE"), encodeQuotedPrintable(e.text(data1).toUtf8()));
        p.setParam(charsetKey(), QByteArrayLiteral("UTF-8"));
        p.setParam(encodingKey(), QByteArrayLiteral("QUOTED-PRINTABLE"));
        card.append(std::move(p));
        break;
    }
    case ENTITY_ORGANIZATION:
        card.append(utf8Property(QByteArrayLiteral("TITLE"), e.text(data4)));
        card.append(utf8Property(QByteArrayLiteral("ORG"),
                                 joinComponents({ e.text(data1), e.text(data5) }) + QStringLiteral(";;")));
        break;
    case ENTITY_RELATION: {
        VCardProperty p = utf8Property(QByteArrayLiteral("X-REL"), e.text(data1));
        const QByteArray type = vcardtypes::relationType(e.toInt(data2));
        if (!type.isEmpty())
            p.setParam(typeKey(), type);
        card.append(std::move(p));
        break;
    }
    case ENTITY_POSTAL_ADDRESS: {
        const QString value = QStringLiteral(";;")
            + joinComponents({ e.text(data4), e.text(data7), e.text(data8), e.text(data9), e.text(data10) });
        VCardProperty p(QByteArrayLiteral("ADR"), encodeQuotedPrintable(value.toUtf8()));
        p.setParam(charsetKey(), QByteArrayLiteral("UTF-8"));
        p.setParam(encodingKey(), QByteArrayLiteral("QUOTED-PRINTABLE"));
        p.setParam(typeKey(), vcardtypes::addressType(e.toInt(data2)));
        card.append(std::move(p));
        break;
    }
    case ENTITY_WEBSITE:
        card.append(localProperty(QByteArrayLiteral("URL"), e.text(data1), vcardtypes::websiteType(e.toInt(data2))));
        break;
    default:
        break;   // not a kind this format carries
    }
}

} // namespace

QByteArray VCardExport::exportHeader(const QList<Contact> &)
{
    return QByteArray();
}

QByteArray VCardExport::exportFooter()
{
    return QByteArray();
}

QByteArray VCardExport::exportContact(const Contact &contact)
{
    return serializeCard(buildCard(contact));
}

VCard VCardExport::buildCard(const Contact &contact)
{
    VCard card;
    card.reserve(contact.entityCount() + 4);
    card.append(VCardProperty(QByteArrayLiteral("VERSION"), QByteArrayLiteral("3.0")));
    card.append(utf8Property(QByteArrayLiteral("FN"), contact.fullName));
    for (auto it = contact.entities.cbegin(); it != contact.entities.cend(); ++it) {
        for (const Entity &e : it.value())
            appendEntity(card, it.key(), e);
    }
    return card;
}

QByteArray serializeCard(const VCard &card)
{
    static const char begin[] = "BEGIN:VCARD\r\n";
    static const char end[] = "END:VCARD\r\n";
    qsizetype size = qsizetype(sizeof begin - 1 + sizeof end - 1);
    for (const VCardProperty &p : card) {
        size += p.name.size() + 1 + p.value.size() + 2;
        for (const VCardProperty::Parameter &param : p.params)
            size += 2 + param.first.size() + param.second.size();
    }
    QByteArray out;
    out.reserve(size);
    out.append(begin, qsizetype(sizeof begin - 1));
    for (const VCardProperty &p : card) {
        out.append(p.name);
        for (const VCardProperty::Parameter &param : p.params) {
            out.append(';');
            out.append(param.first);
            out.append('=');
            out.append(param.second);
        }
        out.append(':');
        out.append(p.value);
        out.append("\r\n", 2);
    }
    out.append(end, qsizetype(sizeof end - 1));
    return out;
}

QByteArray encodeQuotedPrintable(QByteArrayView bytes)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out(bytes.size() * 3, Qt::Uninitialized);
    char *o = out.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x21 && b <= 0x7E && b != '=') {
            *o++ = c;
        } else {
            *o++ = '=';
            *o++ = hex[b >> 4];
            *o++ = hex[b & 0x0F];
        }
    }
    out.truncate(o - out.constData());
    return out;
}

QByteArray encodeBase64Folded(QByteArrayView bytes, int width)
{
    const QByteArray plain = QByteArray::fromRawData(bytes.data(), bytes.size()).toBase64();
    if (width <= 0 || plain.size() <= width)
        return plain;
    const qsizetype pieces = (plain.size() + width - 1) / width;
    QByteArray out;
    out.reserve(plain.size() + (pieces - 1) * 3);
    for (qsizetype at = 0; at < plain.size(); at += width) {
        if (at)
            out.append("\r\n ", 3);
        out.append(plain.constData() + at, qMin<qsizetype>(width, plain.size() - at));
    }
    return out;
}

QString escapeComponent(const QString &text)
{
    if (!text.contains(QLatin1Char(';')))
        return text;
    QString out = text;
    out.replace(QLatin1Char(';'), QLatin1String("\\;"));
    return out;
}
