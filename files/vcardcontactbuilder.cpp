#include "files/vcardcontactbuilder.h"

#include "contacts/contactformat.h"
#include "contacts/labeltables.h"
#include "files/asciicase.h"
#include "files/eventdate.h"
#include "files/importreport.h"
#include "files/vcardimport.h"
#include "files/vcardtypes.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QStringDecoder>
#include <QTextCodec>

#include <algorithm>
#include <array>
#include <limits>

using namespace pim;
using asciicase::equals;

namespace {

enum class Prop {
    Other, N, FN, Version, ProdId, Photo, Tel, Email, Nickname, BDay, XEvent, Anniversary, Categories, XIm, ImService,
    Impp, Note, Org, Title, XRel, Adr, Url, AbLabel, AbDate, AbRelatedNames,
};

// Wedding anniversaries: vCard 4.0's own property and the private names
// mail and address-book programs write for it.
constexpr const char *anniversaryNames[] = {
    "X-ANNIVERSARY", "X-EVOLUTION-ANNIVERSARY", "X-MS-ANNIVERSARY", "X-KADDRESSBOOK-X-ANNIVERSARY",
    "X-OUTLOOK-WEDDING-ANNIVERSARY",
};

// The instant-messenger properties other programs write, with the protocol
// code each stands for.
struct ImServiceName
{
    const char *name;
    int protocol;
};
constexpr ImServiceName imServiceNames[] = {
    { "X-AIM", 1 },    { "X-MSN", 2 },       { "X-YAHOO", 3 },      { "X-SKYPE", 4 },   { "X-SKYPE-USERNAME", 4 },
    { "X-QQ", 5 },     { "X-GOOGLE-TALK", 6 }, { "X-GTALK", 6 },    { "X-ICQ", 7 },     { "X-JABBER", 8 },
    { "X-GADUGADU", 10 },
};

// URI schemes of IMPP values (vCard 4.0, and 3.0 from Apple).
constexpr ImServiceName imppSchemes[] = {
    { "aim", 1 },   { "msn", 2 },  { "msnim", 2 },      { "ymsgr", 3 }, { "yahoo", 3 },  { "skype", 4 },
    { "callto", 4 }, { "qq", 5 },  { "gtalk", 6 },      { "googletalk", 6 }, { "icq", 7 }, { "xmpp", 8 },
    { "jabber", 8 }, { "gg", 10 }, { "gadugadu", 10 }, { "facebook", 11 },
};

QByteArrayView withoutGroup(QByteArrayView name)
{
    for (qsizetype i = name.size(); i > 0; --i) {
        if (name.data()[i - 1] == '.')
            return name.sliced(i);
    }
    return name;
}

// "item1" of "item1.TEL"; empty without a group.
QByteArrayView groupOf(QByteArrayView name)
{
    for (qsizetype i = name.size(); i > 0; --i) {
        if (name.data()[i - 1] == '.')
            return name.first(i - 1);
    }
    return QByteArrayView();
}

int imServiceProtocol(QByteArrayView name)
{
    name = withoutGroup(name);
    for (const ImServiceName &s : imServiceNames) {
        if (equals(name, QByteArrayView(s.name)))
            return s.protocol;
    }
    return -1;
}

// "item1.TEL" is a TEL in the group item1.
Prop identify(QByteArrayView name)
{
    name = withoutGroup(name);
    if (name.size() > 2 && (name.at(0) == 'X' || name.at(0) == 'x') && name.at(1) == '-') {
        if (imServiceProtocol(name) > 0)
            return Prop::ImService;
        for (const char *anniversary : anniversaryNames) {
            if (equals(name, QByteArrayView(anniversary)))
                return Prop::Anniversary;
        }
        // Apple's: a label, a date and a related name, each for its group.
        if (equals(name, "X-ABLABEL"))
            return Prop::AbLabel;
        if (equals(name, "X-ABDATE"))
            return Prop::AbDate;
        if (equals(name, "X-ABRELATEDNAMES"))
            return Prop::AbRelatedNames;
    }
    switch (name.size()) {
    case 1:
        return equals(name, "N") ? Prop::N : Prop::Other;
    case 2:
        return equals(name, "FN") ? Prop::FN : Prop::Other;
    case 3:
        return equals(name, "TEL") ? Prop::Tel
            : equals(name, "ADR") ? Prop::Adr
            : equals(name, "ORG") ? Prop::Org
            : equals(name, "URL") ? Prop::Url
                                  : Prop::Other;
    case 4:
        return equals(name, "NOTE") ? Prop::Note
            : equals(name, "BDAY") ? Prop::BDay
            : equals(name, "X-IM") ? Prop::XIm
            : equals(name, "IMPP") ? Prop::Impp
                                   : Prop::Other;
    case 5:
        return equals(name, "EMAIL") ? Prop::Email
            : equals(name, "TITLE") ? Prop::Title
            : equals(name, "PHOTO") ? Prop::Photo
            : equals(name, "X-REL") ? Prop::XRel
                                    : Prop::Other;
    case 6:
        return equals(name, "PRODID") ? Prop::ProdId : Prop::Other;
    case 7:
        return equals(name, "VERSION") ? Prop::Version : equals(name, "X-EVENT") ? Prop::XEvent : Prop::Other;
    case 8:
        return equals(name, "NICKNAME") ? Prop::Nickname : Prop::Other;
    case 10:
        return equals(name, "CATEGORIES") ? Prop::Categories : Prop::Other;
    case 11:
        return equals(name, "ANNIVERSARY") ? Prop::Anniversary : Prop::Other;
    default:
        return Prop::Other;
    }
}

QByteArrayView charsetOf(const VCardStore::Property &p)
{
    for (const VCardStore::Parameter &param : p.params) {
        if (equals(param.name, "CHARSET"))
            return param.value;
    }
    return QByteArrayView();
}

QString textOf(const VCardStore::Property &p)
{
    return VCardContactBuilder::decodeText(p.value, charsetOf(p));
}

// Nearly every value is ASCII in a file without charsets (or in UTF-8):
// its text is its bytes, and escapes and components can be worked out on
// the bytes, with one string per result rather than a decoded copy first.
bool isPlainAscii(const VCardStore::Property &p)
{
    const QByteArrayView charset = charsetOf(p);
    return (charset.isEmpty() || equals(charset, "UTF-8")) && asciicase::isAscii(p.value);
}

} // namespace

QString VCardContactBuilder::unescapedAscii(QByteArrayView value)
{
    qsizetype at = value.indexOf('\\');
    if (at < 0)
        return QString::fromLatin1(value);
    QString out(value.size(), Qt::Uninitialized);   // never longer than the bytes
    QChar *o = out.data();
    const char *const v = value.data();
    for (qsizetype i = 0; i < at; ++i)
        *o++ = QLatin1Char(v[i]);
    for (; at < value.size(); ++at) {
        const char c = v[at];
        if (c != '\\' || at + 1 == value.size()) {
            *o++ = QLatin1Char(c);
            continue;
        }
        const char escaped = v[++at];
        *o++ = escaped == 'n' || escaped == 'N' ? QChar(u'\n') : QChar(QLatin1Char(escaped));
    }
    out.truncate(o - out.constData());
    return out;
}

QStringList VCardContactBuilder::asciiComponents(QByteArrayView value, qsizetype skip)
{
    QStringList components;
    const char *const begin = value.data();
    const char *const end = begin + value.size();
    if (!value.contains('\\')) {
        // Empty components are empty strings, as splitComponents makes them.
        const qsizetype separators = value.count(';');
        const bool lastEmpty = value.isEmpty() || end[-1] == ';';
        components.resize(separators + (lastEmpty ? 0 : 1));
        const char *start = begin;
        qsizetype index = 0;
        for (const char *at = begin; at <= end; ++at) {
            if (at == end || *at == ';') {
                if (index >= components.size())
                    break;
                if (index >= skip)
                    components[index] = QString::fromLatin1(start, at - start);
                ++index;
                start = at + 1;
            }
        }
        return components;
    }
    // With escapes: empty components are null strings, as splitComponents
    // makes them; a backslash takes the next byte as it is, "\n" a line break.
    const char *at = begin;
    qsizetype index = 0;
    while (at < end) {
        const char *stop = at;
        while (stop < end && *stop != ';')
            stop += *stop == '\\' && end - stop > 1 ? 2 : 1;
        QString component;
        if (stop > at && index >= skip) {
            component.resize(stop - at);
            QChar *out = component.data();
            for (const char *in = at; in < stop; ++in) {
                if (*in != '\\')
                    *out++ = QLatin1Char(*in);
                else if (++in < stop)
                    *out++ = *in == 'n' || *in == 'N' ? QChar(u'\n') : QChar(QLatin1Char(*in));
            }
            const qsizetype length = out - component.constData();
            if (length == 0)
                component = QString();
            else
                component.truncate(length);
        } else if (stop > at) {
            // Left out, but it still counts when it is the last one.
            for (const char *in = at; in < stop; ++in) {
                if (*in != '\\' || in + 1 < stop) {
                    component = QStringLiteral("-");
                    break;
                }
            }
        }
        ++index;
        if (stop == end) {
            if (!component.isEmpty())
                components.append(index > skip ? std::move(component) : QString());
            break;
        }
        components.append(index > skip ? std::move(component) : QString());
        at = stop + 1;
    }
    return components;
}

namespace {

// The components of a structured value.
QStringList componentsOf(const VCardStore::Property &p, qsizetype skip = 0)
{
    return isPlainAscii(p) ? VCardContactBuilder::asciiComponents(p.value, skip) : splitComponents(textOf(p));
}

// Whether any of the components from `from` up to `to` (the end when
// negative) holds text.
bool anyText(const QStringList &components, qsizetype from, qsizetype to = -1)
{
    const qsizetype end = to < 0 ? components.size() : qMin(to, components.size());
    for (qsizetype i = from; i < end; ++i) {
        if (!components.at(i).trimmed().isEmpty())
            return true;
    }
    return false;
}

// What one card is being read into.
struct CardState
{
    Contact contact;
    ImportReport *report = nullptr;
    bool escapes = true;   // vCard 3.0 and 4.0 escape text; 2.1 does not

    // Properties the contact has no place for, counted per name while the
    // card is read and handed to the report once: a card names the same
    // few again and again (item1.X-ABLabel, item2.X-ABLabel ...).
    struct NotKept
    {
        QByteArrayView name;
        qsizetype count;
    };
    QVarLengthArray<NotKept, 8> notKeptNames;

    // Something the contact has no place for, named by a report text key.
    void notKeptItem(const char *key) const
    {
        if (report)
            report->addNotKept(QCoreApplication::translate("ImportReport", key));
    }
    void notKept(QByteArrayView name)
    {
        if (!report)
            return;
        name = withoutGroup(name);
        for (NotKept &n : notKeptNames) {
            if (n.name == name) {
                ++n.count;
                return;
            }
        }
        notKeptNames.append(NotKept { name, 1 });
    }
    void reportNotKept()
    {
        for (const NotKept &n : std::as_const(notKeptNames))
            report->addNotKept(QString::fromLatin1(n.name).toUpper(), n.count);
    }
    // Entities read from grouped properties (item1.TEL), and labels
    // (item1.X-ABLabel) that came before their property.
    struct GroupedEntity
    {
        QByteArrayView group;
        int kind;
        qsizetype index;
    };
    QVarLengthArray<GroupedEntity, 4> grouped;
    struct PendingLabel
    {
        QByteArrayView group;
        QString label;
    };
    QVarLengthArray<PendingLabel, 2> pendingLabels;

    // A text value with its escapes undone.
    [[nodiscard]] QString text(const VCardStore::Property &p) const
    {
        if (escapes && isPlainAscii(p))
            return VCardContactBuilder::unescapedAscii(p.value);
        const QString t = textOf(p);
        return escapes ? VCardContactBuilder::unescapeText(t) : t;
    }
};
vcardtypes::TypeWords typeWordsOf(const VCardStore::Property &p)
{
    vcardtypes::TypeWords words;
    for (const VCardStore::Parameter &param : p.params) {
        if (equals(param.name, "TYPE")) {
            QByteArrayView rest = param.value;
            while (!rest.isEmpty()) {
                qsizetype comma = 0;
                while (comma < rest.size() && rest.at(comma) != ',')
                    ++comma;
                words.add(rest.first(comma));
                rest = comma < rest.size() ? rest.sliced(comma + 1) : QByteArrayView();
            }
        } else if (param.value.isEmpty()) {
            words.add(param.name);   // vCard 2.1: TEL;WORK;VOICE
        }
    }
    return words;
}

// Type codes are kept as decimal text; the common ones share one string.
QString codeText(int code)
{
    static const QStringList small = [] {
        QStringList list;
        for (int i = 0; i <= 20; ++i)
            list.append(QString::number(i));
        return list;
    }();
    return code >= 0 && code < small.size() ? small.at(code) : QString::number(code);
}

Entity &firstEntity(Contact &contact, int kind, int columns = 1)
{
    QList<Entity> &list = contact.entities[kind];
    if (list.isEmpty()) {
        list.append(Entity());
        list.first().reserve(columns);
    }
    return list.first();
}

Entity &newEntity(Contact &contact, int kind, int columns)
{
    QList<Entity> &list = contact.entities[kind];
    // Phones, e-mails, addresses ... mostly come in twos and threes: room
    // for a few at once rather than growing one by one.
    if (list.capacity() == 0)
        list.reserve(4);
    list.append(Entity());
    list.last().reserve(columns);
    return list.last();
}

constexpr int standardNameColumns[] = { data3, data2, data4, data5, data6 };   // Family;Given;...
constexpr int oldNameColumns[] = { data2, data3, data4, data5, data6 };        // First;Last;...

QString formatComponents(const QStringList &components, const int (&columns)[5])
{
    Entity name;
    for (qsizetype i = 0; i < components.size() && i < 5; ++i)
        name.setText(columns[i], components.at(i));
    return formatPersonName(name);
}

// What the card tells about the name order of its N.
struct NameOrderHints
{
    QString fn;
    bool hasFn = false;
    bool version30 = false;
};

// Files written by earlier versions of this program put the first name
// first. They are vCard 3.0 with N;CHARSET=UTF-8 (a parameter other 3.0
// writers leave out), and their FN is the name formatted that way, which
// tells them apart wherever the two orders give different names. Checking
// the writer's marks as well keeps family-first FNs of other programs
// (Japanese, Hungarian, Chinese names) from reading as the old order.
bool writtenInOldOrder(const VCardStore::Property &n, const QStringList &components, const NameOrderHints &hints)
{
    if (!hints.hasFn || !hints.version30 || n.params.size() != 1 || !equals(n.params.first().name, "CHARSET")
        || !equals(n.params.first().value, "UTF-8"))
        return false;
    // The name formatted the old way starts with the first part it has: a
    // cheap test that settles most cards.
    for (const int i : { 3, 0, 2, 1, 4 }) {
        if (i < components.size() && !components.at(i).isEmpty()) {
            const QString &lead = components.at(i);
            if (!lead.at(0).isSpace() && !hints.fn.startsWith(lead))
                return false;
            break;
        }
    }
    const QString old = formatComponents(components, oldNameColumns);
    if (hints.fn != old)
        return false;
    // A one-part name reads the same both ways; the earlier writer put it
    // first, as the given name.
    const bool onePart = !components.isEmpty() && !components.first().isEmpty()
        && std::all_of(components.cbegin() + 1, components.cend(), [](const QString &c) { return c.isEmpty(); });
    return onePart || hints.fn != formatComponents(components, standardNameColumns);
}

void readName(CardState &state, const VCardStore::Property &n, const NameOrderHints &hints)
{
    const QStringList components = componentsOf(n);
    const auto &columns = writtenInOldOrder(n, components, hints) ? oldNameColumns : standardNameColumns;
    Entity &name = firstEntity(state.contact, ENTITY_NAME, 6);
    // data1 first, so that the columns go in ascending order and none has
    // to be shifted; its text is set once the name can be formatted.
    if (!name.has(data1))
        name.setText(data1, QString());
    for (qsizetype i = 0; i < components.size() && i < 5; ++i)
        name.setText(columns[i], components.at(i));
    // A name has five parts; what some programs write after them is lost.
    if (anyText(components, 5))
        state.notKept(n.name);
    state.contact.fullName = formatPersonName(name);
    name.setText(data1, state.contact.fullName);
}

void readAddress(CardState &state, const VCardStore::Property &p)
{
    static constexpr int columns[] = { data4, data7, data8, data9, data10 };
    // Post office box and extended address have no column.
    const QStringList components = componentsOf(p);
    if (anyText(components, 0, 2))
        state.notKeptItem("IDS_IMPORT_NOT_KEPT_PO_BOX");
    Entity &address = newEntity(state.contact, ENTITY_POSTAL_ADDRESS, 7);
    // Columns in ascending order; data1 gets its text once the address can
    // be formatted.
    address.setText(data1, QString());
    address.setText(data2, codeText(vcardtypes::addressCode(typeWordsOf(p))));
    for (qsizetype i = 2; i < components.size() && i < 7; ++i)
        address.setText(columns[i - 2], components.at(i));
    address.setText(data1, formatPostalAddress(address));
}

// Sets a column of the first entity of a kind; a different value there
// already is replaced, and the report names the property that lost it.
void setFirst(CardState &state, const VCardStore::Property &p, int kind, int column, const QString &text,
              int columns = 1)
{
    Entity &e = firstEntity(state.contact, kind, columns);
    const QString old = e.text(column);
    if (!old.isEmpty() && old != text)
        state.notKept(p.name);
    e.setText(column, text);
}

// An instant-messenger address: X-IM with its TYPE, the X-AIM ... family
// and IMPP. Home, work and other come from the type words (home when none).
void readIm(CardState &state, const VCardStore::Property &p, Prop id)
{
    const vcardtypes::TypeWords words = typeWordsOf(p);
    QString handle = state.text(p);
    int protocol = -1;
    QString customProtocol;
    if (id == Prop::XIm) {
        protocol = vcardtypes::imProtocol(words);
    } else if (id == Prop::ImService) {
        protocol = imServiceProtocol(p.name);
    } else {
        // IMPP:xmpp:alice@example.com
        const qsizetype colon = handle.indexOf(u':');
        if (colon > 0) {
            const QString scheme = handle.first(colon).toLower();
            handle = handle.sliced(colon + 1);
            protocol = 0;
            for (const ImServiceName &s : imppSchemes) {
                if (scheme == QLatin1String(s.name))
                    protocol = s.protocol;
            }
            if (protocol == 0)
                customProtocol = scheme;
        }
        // Apple names the service beside the URI, and its URI scheme does
        // not always tell it: IMPP;X-SERVICE-TYPE=ICQ:aim:12345,
        // X-SERVICE-TYPE=Facebook:xmpp:...
        for (const VCardStore::Parameter &param : p.params) {
            if (!equals(param.name, "X-SERVICE-TYPE") || param.value.isEmpty())
                continue;
            QString service = QString::fromUtf8(param.value);
            service.remove(u' ');
            vcardtypes::TypeWords serviceWord;
            const QByteArray word = service.toLatin1();
            serviceWord.add(word);
            const int named = vcardtypes::imProtocol(serviceWord);
            if (named > 0) {
                protocol = named;
                customProtocol.clear();
            } else if (protocol <= 0) {
                protocol = 0;
                customProtocol = QString::fromUtf8(param.value);
            }
        }
    }
    Entity &im = newEntity(state.contact, ENTITY_IM, 4);
    im.setText(data2, codeText(vcardtypes::imTypeCode(words)));
    im.setText(data1, handle);
    if (protocol >= 0)
        im.setText(data5, codeText(protocol));
    if (!customProtocol.isEmpty())
        im.setText(data6, customProtocol);
}

// CATEGORIES: a comma-separated list of group names, one membership each.
void readCategories(CardState &state, const VCardStore::Property &p)
{
    const QString raw = textOf(p);
    QList<Entity> &memberships = state.contact.entities[ENTITY_GROUP_MEMBERSHIP];
    if (memberships.capacity() == 0)
        memberships.reserve(raw.count(u',') + 1);
    // The names are the pieces between the commas that no backslash escapes.
    qsizetype start = 0;
    for (qsizetype i = 0; i <= raw.size(); ++i) {
        if (i < raw.size() && raw.at(i) == u'\\' && state.escapes && i + 1 < raw.size()) {
            ++i;   // the escaped character belongs to the name
            continue;
        }
        if (i < raw.size() && raw.at(i) != u',')
            continue;
        const QStringView piece = QStringView(raw).sliced(start, i - start);
        start = i + 1;
        const QString name = (state.escapes && piece.contains(u'\\') ? VCardContactBuilder::unescapeText(piece.toString())
                                                                        : piece.toString())
                                 .trimmed();
        // Google puts every contact into its system group "myContacts"; it
        // is no group of the user's (the CSV reader drops it as well).
        if (!name.isEmpty() && !isAllContactsGroup(name))
            addGroupMembership(memberships, name);
    }
}

// Whether the value bytes went through a transfer encoding (base64,
// quoted-printable): then they are the data itself, not a link to it.
bool transferEncoded(const VCardStore::Property &p)
{
    for (const VCardStore::Parameter &param : p.params) {
        if (equals(param.name, "ENCODING") || equals(param.name, "BASE64") || equals(param.name, "B")
            || equals(param.name, "QUOTED-PRINTABLE"))
            return true;
    }
    return false;
}

// The image of a PHOTO: its decoded bytes, or what a data: URI (vCard 4.0,
// "data:image/jpeg;base64,/9j/...") holds. False for a photo that is only
// a link (VALUE=uri, VALUE=URL, http://...): the picture is not in the file.
bool photoBytes(const VCardStore::Property &p, QByteArray &image)
{
    if (transferEncoded(p)) {
        image = p.value.toByteArray();
        return true;
    }
    const QByteArrayView value = p.value.trimmed();
    if (value.size() >= 5 && equals(value.first(5), "data:")) {
        const qsizetype comma = value.indexOf(',');
        if (comma < 0)
            return false;
        const QByteArrayView header = value.sliced(5, comma - 5);
        const QByteArray payload = value.sliced(comma + 1).toByteArray();
        const bool base64 = header.size() >= 7 && equals(header.last(7), ";base64");
        image = base64 ? QByteArray::fromBase64(payload) : QByteArray::fromPercentEncoding(payload);
        return true;
    }
    for (const VCardStore::Parameter &param : p.params) {
        if (equals(param.name, "VALUE") && (equals(param.value, "uri") || equals(param.value, "url")))
            return false;
    }
    const qsizetype colon = value.indexOf(':');
    if (colon > 0) {
        const QByteArrayView scheme = value.first(colon);
        if (equals(scheme, "http") || equals(scheme, "https") || equals(scheme, "ftp") || equals(scheme, "file"))
            return false;
    }
    image = p.value.toByteArray();
    return true;
}

qsizetype contactEntityCount(const Contact &contact, int kind)
{
    const auto it = contact.entities.constFind(kind);
    return it == contact.entities.cend() ? 0 : it->size();
}

// The entity kind a property adds a new entity of, or 0.
int newEntityKind(Prop id)
{
    switch (id) {
    case Prop::Tel: return ENTITY_PHONE;
    case Prop::Email: return ENTITY_EMAIL;
    case Prop::BDay:
    case Prop::XEvent:
    case Prop::Anniversary:
    case Prop::AbDate: return ENTITY_EVENT;
    case Prop::XIm:
    case Prop::ImService:
    case Prop::Impp: return ENTITY_IM;
    case Prop::XRel:
    case Prop::AbRelatedNames: return ENTITY_RELATION;
    case Prop::Adr: return ENTITY_POSTAL_ADDRESS;
    case Prop::Url: return ENTITY_WEBSITE;
    default: return 0;
    }
}

// The label of a group (item1.X-ABLabel) gives its entity its type: one of
// the kind's own types when it names one (Apple writes "_$!<HomeFAX>!$_"
// for the home fax), otherwise a custom label with type 0.
// The type words of a kind's labels, without blanks ("HomeFax"), with
// their codes; built once for every kind that takes a label.
struct LabelWord
{
    QString word;
    int code;
};
const QList<LabelWord> &labelWords(int kind)
{
    static const std::array<QList<LabelWord>, ENTITY_WEBSITE + 1> tables = [] {
        std::array<QList<LabelWord>, ENTITY_WEBSITE + 1> all;
        for (int k = 1; k <= ENTITY_WEBSITE; ++k) {
            const LabelTable &table = typeLabelTable(k);
            for (auto it = table.cbegin(); it != table.cend(); ++it) {
                QString word = it.value();
                word.remove(u' ');
                if (!word.isEmpty())
                    all[size_t(k)].append(LabelWord { word, it.key() });
            }
        }
        // Apple's words for a mobile and for the assistant's number.
        all[ENTITY_PHONE].append(LabelWord { QStringLiteral("iPhone"), 2 });
        all[ENTITY_PHONE].append(LabelWord { QStringLiteral("AssistantPhone"), 19 });
        return all;
    }();
    static const QList<LabelWord> none;
    return kind > 0 && kind <= ENTITY_WEBSITE ? tables[size_t(kind)] : none;
}

void applyLabel(Entity &e, int kind, const QString &label)
{
    QStringView text = QStringView(label).trimmed();
    if (text.startsWith(QLatin1String("_$!<")) && text.endsWith(QLatin1String(">!$_")))
        text = text.sliced(4, text.size() - 8).trimmed();
    if (text.isEmpty())
        return;
    QString spaceless;
    QStringView key = text;
    if (text.contains(u' ')) {
        spaceless = text.toString();
        spaceless.remove(u' ');
        key = spaceless;
    }
    for (const LabelWord &w : labelWords(kind)) {
        if (w.word.size() == key.size() && key.compare(w.word, Qt::CaseInsensitive) == 0) {
            e.setText(data2, codeText(w.code));
            e.remove(data3);
            return;
        }
    }
    e.setText(data2, codeText(0));
    e.setText(data3, text.size() == label.size() ? label : text.toString());
}

// item1.X-ABLabel: the label of the entity read from the same group, now
// or once its property comes.
void readLabel(CardState &state, QByteArrayView group, const VCardStore::Property &p)
{
    const QString label = state.text(p);
    if (label.trimmed().isEmpty())
        return;   // Google labels some groups with nothing
    if (!group.isEmpty()) {
        for (const CardState::GroupedEntity &g : std::as_const(state.grouped)) {
            if (equals(g.group, group)) {
                applyLabel(state.contact.entities[g.kind][g.index], g.kind, label);
                return;
            }
        }
        state.pendingLabels.append(CardState::PendingLabel { group, label });
        return;
    }
    state.notKept(p.name);
}

// After a grouped property: its new entity, if it made one, takes the
// label given for the group before it.
void noteGrouped(CardState &state, QByteArrayView group, int kind, qsizetype countBefore)
{
    const qsizetype count = contactEntityCount(state.contact, kind);
    if (count <= countBefore)
        return;
    state.grouped.append(CardState::GroupedEntity { group, kind, count - 1 });
    for (qsizetype i = 0; i < state.pendingLabels.size(); ++i) {
        if (equals(state.pendingLabels[i].group, group)) {
            applyLabel(state.contact.entities[kind].last(), kind, state.pendingLabels[i].label);
            state.pendingLabels.remove(i);
            return;
        }
    }
}

// Every property but N, FN and VERSION.
void readProperty(CardState &state, Prop id, const VCardStore::Property &p)
{
    Contact &contact = state.contact;
    switch (id) {
    case Prop::Photo: {
        QByteArray image;
        if (!photoBytes(p, image)) {
            state.notKeptItem("IDS_IMPORT_NOT_KEPT_PHOTO_LINK");
            break;
        }
        // A contact has one photo: a later one takes its place.
        if (contact.hasEntities(ENTITY_PHOTO))
            state.notKeptItem("IDS_IMPORT_NOT_KEPT_EXTRA_PHOTO");
        firstEntity(contact, ENTITY_PHOTO).setValue(data15, image);
        break;
    }
    case Prop::Tel: {
        Entity &phone = newEntity(contact, ENTITY_PHONE, 2);
        QString number = state.text(p);
        // vCard 4.0: TEL;VALUE=uri:tel:+1-555-0100
        if (number.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
            number = number.sliced(4);
        phone.setText(data1, number);
        phone.setText(data2, codeText(vcardtypes::phoneCode(typeWordsOf(p))));
        break;
    }
    case Prop::Email: {
        Entity &email = newEntity(contact, ENTITY_EMAIL, 2);
        email.setText(data1, state.text(p));
        email.setText(data2, codeText(vcardtypes::emailCode(typeWordsOf(p))));
        break;
    }
    case Prop::Nickname:
        setFirst(state, p, ENTITY_NICKNAME, data1, state.text(p));
        break;
    case Prop::BDay:
    case Prop::XEvent:
    case Prop::Anniversary:
    case Prop::AbDate: {
        const QString raw = textOf(p);
        QString date = EventDate::fromIso(raw);
        if (date.isEmpty() && !raw.trimmed().isEmpty()) {
            state.notKept(p.name);
            break;
        }
        // iPhones write a birthday without a year in a year of their own
        // choosing (BDAY;X-APPLE-OMIT-YEAR=1604:1604-05-06).
        for (const VCardStore::Parameter &param : p.params) {
            if (equals(param.name, "X-APPLE-OMIT-YEAR") && param.value.size() == 4 && date.size() >= 10
                && date.at(4) == u'-' && date.first(4) == QLatin1String(param.value)) {
                date = QStringLiteral("--") + date.sliced(5, 5);
            }
        }
        const int type = id == Prop::BDay ? 3 : id == Prop::Anniversary ? 1 : vcardtypes::eventCode(typeWordsOf(p));
        // Outlook writes the wedding anniversary twice (ANNIVERSARY and
        // X-OUTLOOK-WEDDING-ANNIVERSARY): one event is enough.
        if (id == Prop::Anniversary && !date.isEmpty()) {
            const QList<Entity> &events = std::as_const(contact).entitiesOf(ENTITY_EVENT);
            if (std::any_of(events.cbegin(), events.cend(), [&date](const Entity &e) {
                    return e.text(data1) == date && e.text(data2) == QLatin1String("1");
                }))
                break;
        }
        Entity &event = newEntity(contact, ENTITY_EVENT, 2);
        event.setText(data1, date);
        event.setText(data2, codeText(type));
        break;
    }
    case Prop::Categories:
        readCategories(state, p);
        break;
    case Prop::XIm:
    case Prop::ImService:
    case Prop::Impp:
        readIm(state, p, id);
        break;
    case Prop::Note:
        setFirst(state, p, ENTITY_NOTE, data1, state.text(p));
        break;
    case Prop::Org: {
        const QStringList components = componentsOf(p);
        // Company;Department;Unit...: units below the department have no column.
        if (anyText(components, 2))
            state.notKeptItem("IDS_IMPORT_NOT_KEPT_ORG_UNIT");
        if (!components.isEmpty())
            setFirst(state, p, ENTITY_ORGANIZATION, data1, components.at(0), 3);
        else
            (void)firstEntity(contact, ENTITY_ORGANIZATION, 3);
        if (components.size() > 1)
            setFirst(state, p, ENTITY_ORGANIZATION, data5, components.at(1), 3);
        break;
    }
    case Prop::Title:
        setFirst(state, p, ENTITY_ORGANIZATION, data4, state.text(p), 3);
        break;
    case Prop::XRel:
    case Prop::AbRelatedNames: {
        Entity &relation = newEntity(contact, ENTITY_RELATION, 2);
        relation.setText(data1, state.text(p));
        relation.setText(data2, codeText(vcardtypes::relationCode(typeWordsOf(p))));
        break;
    }
    case Prop::Adr:
        readAddress(state, p);
        break;
    case Prop::Url: {
        Entity &site = newEntity(contact, ENTITY_WEBSITE, 2);
        site.setText(data1, state.text(p));
        site.setText(data2, codeText(vcardtypes::websiteCode(typeWordsOf(p))));
        break;
    }
    case Prop::Other:
        state.notKept(p.name);
        break;
    case Prop::N:
    case Prop::FN:
    case Prop::Version:
    case Prop::ProdId:
    case Prop::AbLabel:
        break;
    }
}

// Text without a charset is in the local 8-bit code page. Where that is
// UTF-8 (Qt's choice on every Unix), bytes that are not UTF-8 come from an
// 8-bit Western code page (Latin-1 vCards without CHARSET): decoding them as
// UTF-8 would turn every accented letter into U+FFFD.
QString decodeLocal8Bit(QByteArrayView value)
{
#ifdef Q_OS_WIN
    return QString::fromLocal8Bit(value);
#else
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(value);
    if (utf8.hasError() && value.size() <= std::numeric_limits<int>::max()) {
        // Looked up once: a codec lives as long as the program.
        static QTextCodec *const windows1252 = QTextCodec::codecForName("windows-1252");
        if (QTextCodec *codec = windows1252)
            text = codec->toUnicode(value.data(), int(value.size()));
    }
    return text;
#endif
}

} // namespace

namespace {

// A contact without a name of its own takes `text` as its given name.
void nameAsGivenName(Contact &contact, const QString &text)
{
    Entity &name = firstEntity(contact, ENTITY_NAME, 2);
    name.setText(data2, text);
    contact.fullName = formatPersonName(name);
    name.setText(data1, contact.fullName);
}

} // namespace

Contact VCardContactBuilder::build(const VCardStore &store, qsizetype card, ImportReport *report)
{
    // One pass over the card. N is applied at the end, when FN and VERSION
    // (which may come anywhere in the card) are known.
    CardState state;
    state.report = report;
    NameOrderHints hints;
    bool hasVersion = false;
    QVarLengthArray<VCardStore::Property, 2> names;
    VCardStore::Property p;
    for (VCardStore::Cursor cursor(store, card); cursor.next(p);) {
        const Prop id = identify(p.name);
        switch (id) {
        case Prop::FN:
            if (!hints.hasFn) {
                hints.fn = state.text(p).trimmed();
                hints.hasFn = true;
            }
            break;
        case Prop::N:
            names.append(p);
            break;
        case Prop::Version:
            if (!hasVersion) {
                const QByteArrayView version = p.value.trimmed();
                hints.version30 = version == "3.0";
                state.escapes = version != "2.1";
                hasVersion = true;
            }
            break;
        case Prop::AbLabel:
            readLabel(state, groupOf(p.name), p);
            break;
        default: {
            const int kind = newEntityKind(id);
            const QByteArrayView group = kind ? groupOf(p.name) : QByteArrayView();
            if (group.isEmpty()) {
                readProperty(state, id, p);
                break;
            }
            const qsizetype before = contactEntityCount(state.contact, kind);
            readProperty(state, id, p);
            noteGrouped(state, group, kind, before);
            break;
        }
        }
    }
    // Labels of groups that gave no entity (item1.X-ABADR ...).
    for (qsizetype i = 0; i < state.pendingLabels.size(); ++i)
        state.notKept("X-ABLABEL");
    for (const VCardStore::Property &n : names)
        readName(state, n, hints);

    Contact &contact = state.contact;
    // A formatted name that says something else than N (a nickname, "Doe,
    // John") is not kept: the name shown is always the one formatted from N.
    if (!names.isEmpty() && !hints.fn.isEmpty() && !contact.fullName.isEmpty() && hints.fn != contact.fullName)
        state.notKept("FN");
    // Some exports carry only the formatted name, or an empty N beside it
    // (a company card: N:;;;; and FN:Acme Inc.); keep it rather than import
    // a nameless contact, which would not be imported at all.
    if (contact.fullName.isEmpty() && !hints.fn.isEmpty())
        nameAsGivenName(contact, hints.fn);
    if (contact.fullName.isEmpty() && !names.isEmpty()) {
        // A company's card with an empty N and no FN (Evolution: "N:" and
        // "FN" with no value): the company is its name.
        const QList<Entity> &organizations = std::as_const(contact).entitiesOf(ENTITY_ORGANIZATION);
        const QString company = organizations.isEmpty() ? QString() : organizations.first().text(data1).trimmed();
        if (!company.isEmpty())
            nameAsGivenName(contact, company);
    }
    if (report)
        state.reportNotKept();
    return std::move(state.contact);
}

QString VCardContactBuilder::decodeText(QByteArrayView value, QByteArrayView charset)
{
    // ASCII reads the same in UTF-8 and the local code page.
    const bool utf8 = charset.isEmpty() || equals(charset, "UTF-8");
    if (utf8 && asciicase::isAscii(value))
        return QString::fromLatin1(value);
    if (!charset.isEmpty()) {
        if (utf8)
            return QString::fromUtf8(value);
        if (QTextCodec *codec = QTextCodec::codecForName(charset.toByteArray())) {
            if (value.size() <= std::numeric_limits<int>::max())
                return codec->toUnicode(value.data(), int(value.size()));
        }
    }
    return decodeLocal8Bit(value);
}


QString VCardContactBuilder::eventDate(const QString &text)
{
    return EventDate::fromIso(text);
}

QString VCardContactBuilder::unescapeText(const QString &text)
{
    qsizetype at = text.indexOf(u'\\');
    if (at < 0)
        return text;
    QString out;
    out.reserve(text.size());
    out.append(QStringView(text).first(at));
    for (; at < text.size(); ++at) {
        const QChar c = text.at(at);
        if (c != u'\\' || at + 1 == text.size()) {
            out.append(c);
            continue;
        }
        const QChar escaped = text.at(++at);
        out.append(escaped == u'n' || escaped == u'N' ? QChar(u'\n') : escaped);
    }
    return out;
}
