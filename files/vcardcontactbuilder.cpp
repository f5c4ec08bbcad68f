#include "files/vcardcontactbuilder.h"

#include "contacts/contactformat.h"
#include "files/asciicase.h"
#include "files/vcardimport.h"
#include "files/vcardtypes.h"

#include <QDateTime>
#include <QStringDecoder>
#include <QTextCodec>

#include <limits>

using namespace pim;
using asciicase::equals;

namespace {

enum class Prop {
    Other, N, FN, Version, Photo, Tel, Email, Nickname, BDay, XEvent, Categories, XIm, Note, Org, Title, XRel, Adr, Url,
};

// "item1.TEL" is a TEL in the group item1.
Prop identify(QByteArrayView name)
{
    for (qsizetype i = name.size(); i > 0; --i) {
        if (name.data()[i - 1] == '.') {
            name = name.sliced(i);
            break;
        }
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
                                   : Prop::Other;
    case 5:
        return equals(name, "EMAIL") ? Prop::Email
            : equals(name, "TITLE") ? Prop::Title
            : equals(name, "PHOTO") ? Prop::Photo
            : equals(name, "X-REL") ? Prop::XRel
                                    : Prop::Other;
    case 7:
        return equals(name, "VERSION") ? Prop::Version : equals(name, "X-EVENT") ? Prop::XEvent : Prop::Other;
    case 8:
        return equals(name, "NICKNAME") ? Prop::Nickname : Prop::Other;
    case 10:
        return equals(name, "CATEGORIES") ? Prop::Categories : Prop::Other;
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
    return hints.fn == old && hints.fn != formatComponents(components, standardNameColumns);
}

void readName(Contact &contact, const VCardStore::Property &n, const NameOrderHints &hints)
{
    const QStringList components = splitComponents(textOf(n));
    const auto &columns = writtenInOldOrder(n, components, hints) ? oldNameColumns : standardNameColumns;
    Entity &name = firstEntity(contact, ENTITY_NAME, 6);
    for (qsizetype i = 0; i < components.size() && i < 5; ++i)
        name.setText(columns[i], components.at(i));
    contact.fullName = formatPersonName(name);
    name.setText(data1, contact.fullName);
}

void readAddress(Contact &contact, const VCardStore::Property &p)
{
    static constexpr int columns[] = { data4, data7, data8, data9, data10 };
    const QStringList components = splitComponents(textOf(p));
    Entity &address = newEntity(contact, ENTITY_POSTAL_ADDRESS, 7);
    for (qsizetype i = 2; i < components.size() && i < 7; ++i)
        address.setText(columns[i - 2], components.at(i));
    address.setText(data2, codeText(vcardtypes::addressCode(typeWordsOf(p))));
    address.setText(data1, formatPostalAddress(address));
}

// Every property but N, FN and VERSION.
void readProperty(Contact &contact, Prop id, const VCardStore::Property &p)
{
    switch (id) {
    case Prop::Photo:
        firstEntity(contact, ENTITY_PHOTO).setValue(data15, p.value.toByteArray());
        break;
    case Prop::Tel: {
        Entity &phone = newEntity(contact, ENTITY_PHONE, 2);
        phone.setText(data1, textOf(p));
        phone.setText(data2, codeText(vcardtypes::phoneCode(typeWordsOf(p))));
        break;
    }
    case Prop::Email: {
        Entity &email = newEntity(contact, ENTITY_EMAIL, 2);
        email.setText(data1, textOf(p));
        email.setText(data2, codeText(1));
        break;
    }
    case Prop::Nickname:
        firstEntity(contact, ENTITY_NICKNAME).setText(data1, textOf(p));
        break;
    case Prop::BDay: {
        Entity &event = newEntity(contact, ENTITY_EVENT, 2);
        event.setText(data1, VCardContactBuilder::eventDate(textOf(p)));
        event.setText(data2, codeText(3));
        break;
    }
    case Prop::XEvent: {
        Entity &event = newEntity(contact, ENTITY_EVENT, 2);
        event.setText(data1, VCardContactBuilder::eventDate(textOf(p)));
        event.setText(data2, codeText(vcardtypes::eventCode(typeWordsOf(p))));
        break;
    }
    case Prop::Categories:
        firstEntity(contact, ENTITY_GROUP_MEMBERSHIP).setText(data2, textOf(p));
        break;
    case Prop::XIm: {
        Entity &im = newEntity(contact, ENTITY_IM, 3);
        im.setText(data2, codeText(1));
        im.setText(data1, textOf(p));
        const int protocol = vcardtypes::imProtocol(typeWordsOf(p));
        if (protocol >= 0)
            im.setText(data5, codeText(protocol));
        break;
    }
    case Prop::Note:
        firstEntity(contact, ENTITY_NOTE).setText(data1, textOf(p));
        break;
    case Prop::Org: {
        const QStringList components = splitComponents(textOf(p));
        Entity &org = firstEntity(contact, ENTITY_ORGANIZATION, 3);
        if (!components.isEmpty())
            org.setText(data1, components.at(0));
        if (components.size() > 1)
            org.setText(data5, components.at(1));
        break;
    }
    case Prop::Title:
        firstEntity(contact, ENTITY_ORGANIZATION, 3).setText(data4, textOf(p));
        break;
    case Prop::XRel: {
        Entity &relation = newEntity(contact, ENTITY_RELATION, 2);
        relation.setText(data1, textOf(p));
        relation.setText(data2, codeText(vcardtypes::relationCode(typeWordsOf(p))));
        break;
    }
    case Prop::Adr:
        readAddress(contact, p);
        break;
    case Prop::Url: {
        Entity &site = newEntity(contact, ENTITY_WEBSITE, 2);
        site.setText(data1, textOf(p));
        site.setText(data2, codeText(vcardtypes::websiteCode(typeWordsOf(p))));
        break;
    }
    case Prop::N:
    case Prop::FN:
    case Prop::Version:
    case Prop::Other:
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
        if (QTextCodec *codec = QTextCodec::codecForName("windows-1252"))
            text = codec->toUnicode(value.data(), int(value.size()));
    }
    return text;
#endif
}

// The number written by `count` ASCII digits at `at`, or -1.
int digits(QStringView text, qsizetype at, qsizetype count)
{
    int n = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        n = n * 10 + (c - u'0');
    }
    return n;
}

bool isDigits(QStringView text)
{
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

} // namespace

Contact VCardContactBuilder::build(const VCardStore &store, qsizetype card)
{
    // One pass over the card. N is applied at the end, when FN and VERSION
    // (which may come anywhere in the card) are known.
    Contact contact;
    NameOrderHints hints;
    bool hasVersion = false;
    QVarLengthArray<VCardStore::Property, 2> names;
    VCardStore::Property p;
    for (VCardStore::Cursor cursor(store, card); cursor.next(p);) {
        const Prop id = identify(p.name);
        switch (id) {
        case Prop::FN:
            if (!hints.hasFn) {
                hints.fn = textOf(p).trimmed();
                hints.hasFn = true;
            }
            break;
        case Prop::N:
            names.append(p);
            break;
        case Prop::Version:
            if (!hasVersion) {
                hints.version30 = p.value.trimmed() == "3.0";
                hasVersion = true;
            }
            break;
        default:
            readProperty(contact, id, p);
            break;
        }
    }
    for (const VCardStore::Property &n : names)
        readName(contact, n, hints);

    if (names.isEmpty() && !hints.fn.isEmpty()) {
        // Some exports carry only the formatted name; keep it rather than
        // import a nameless contact.
        Entity &name = firstEntity(contact, ENTITY_NAME, 2);
        name.setText(data2, hints.fn);
        contact.fullName = formatPersonName(name);
        name.setText(data1, contact.fullName);
    }
    return contact;
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
    const QString t = text.trimmed();
    // The form this program writes, checked without the cost of a parser.
    if (t.size() == 19 && t.at(4) == u'-' && t.at(7) == u'-' && t.at(10) == u'T' && t.at(13) == u':'
        && t.at(16) == u':') {
        const int year = digits(t, 0, 4);
        const int month = digits(t, 5, 2);
        const int day = digits(t, 8, 2);
        const int hour = digits(t, 11, 2);
        const int minute = digits(t, 14, 2);
        const int second = digits(t, 17, 2);
        if (year >= 0 && month >= 0 && day >= 0 && hour >= 0 && minute >= 0 && second >= 0)
            return QDate::isValid(year, month, day) && QTime::isValid(hour, minute, second, 0) ? t : QString();
    }
    QDateTime dt = QDateTime::fromString(t, Qt::ISODate);
    if (!dt.isValid() && t.size() >= 8 && isDigits(QStringView(t).first(8))) {
        // ISO 8601 basic format, as vCard 2.1 phones write it.
        const QDate date = QDate::fromString(t.first(8), QStringLiteral("yyyyMMdd"));
        if (t.size() == 8) {
            dt = date.startOfDay();
        } else if (date.isValid() && t.at(8) == u'T') {
            QString rest = t.sliced(9);
            const bool utc = rest.endsWith(u'Z');
            if (utc)
                rest.chop(1);
            const QTime time = QTime::fromString(rest, QStringLiteral("HHmmss"));
            if (time.isValid())
                dt = QDateTime(date, time, utc ? Qt::UTC : Qt::LocalTime);
        }
    }
    return dt.isValid() ? dt.toString(Qt::ISODate) : QString();
}
