#include "files/csvcolumnmap.h"

#include "contacts/contactformat.h"
#include "contacts/entitykind.h"
#include "contacts/labeltables.h"
#include "files/csvheadertable.h"

#include <QCoreApplication>
#include <QHash>

#include <algorithm>
#include <tuple>

using namespace pim;
using Role = CSVColumnMap::Role;

namespace {

// A column name of the other address books and what it means.
struct Entry
{
    Role role = Role::NotKept;
    int kind = 0;
    int type = 0;
    int column = 0;
    int typeColumn = 0;
    int imType = -1;
};

Entry value(int kind, int type, int column, int typeColumn = data2, int imType = -1)
{
    return Entry { Role::Value, kind, type, column, typeColumn, imType };
}

Entry role(Role r)
{
    return Entry { r, 0, 0, 0, 0, -1 };
}

QHash<QString, Entry> buildDialectTable()
{
    QHash<QString, Entry> t;
    const auto add = [&t](const char *name, const Entry &e) { t.insert(QString::fromUtf8(name), e); };
    const auto name = [](int column) { return value(ENTITY_NAME, 0, column, 0); };
    const auto phone = [](int type) { return value(ENTITY_PHONE, type, data1); };
    const auto email = [](int type) { return value(ENTITY_EMAIL, type, data1); };
    const auto address = [](int type, int column) { return value(ENTITY_POSTAL_ADDRESS, type, column); };
    const auto organization = [](int column) { return value(ENTITY_ORGANIZATION, 0, column); };
    const auto relation = [](int type) { return value(ENTITY_RELATION, type, data1); };
    const auto event = [](int type) { return value(ENTITY_EVENT, type, data1); };
    const auto website = [](int type) { return value(ENTITY_WEBSITE, type, data1); };
    const auto im = [](int protocol, int imType) { return value(ENTITY_IM, protocol, data1, data5, imType); };
    const Entry note = value(ENTITY_NOTE, 0, data1, 0);

    // Outlook in English, beyond the common names.
    for (const auto &[word, type] : { std::pair { "Home", 1 }, { "Business", 2 }, { "Other", 0 } }) {
        const QString w = QString::fromLatin1(word);
        t.insert(w + QStringLiteral(" Country/Region"), address(type, data10));
        t.insert(w + QStringLiteral(" Address PO Box"), address(type, data4));
    }
    add("Categories", role(Role::Labels));
    for (const char *ignored : { "E-mail Type", "E-mail 2 Type", "E-mail 3 Type", "E-mail Display Name",
                                 "E-mail 2 Display Name", "E-mail 3 Display Name" })
        add(ignored, role(Role::Ignored));

    // Google Contacts, the columns outside the numbered groups.
    add("Name", role(Role::DisplayName));
    add("File As", role(Role::DisplayName));
    add("Group Membership", role(Role::Labels));
    add("Labels", role(Role::Labels));
    add("Organization Name", organization(data1));
    add("Organization Title", organization(data4));
    add("Organization Department", organization(data5));

    // Thunderbird.
    add("Display Name", role(Role::DisplayName));
    add("Primary Email", email(1));
    add("Secondary Email", email(0));
    add("Screen Name", im(1, -1));
    add("Work Phone", phone(3));
    add("Fax Number", phone(13));
    add("Pager Number", phone(6));
    add("Mobile Number", phone(2));
    add("Home Address", address(1, data4));
    add("Home Address 2", address(1, data4));
    add("Home ZipCode", address(1, data9));
    add("Work Address", address(2, data4));
    add("Work Address 2", address(2, data4));
    add("Work City", address(2, data7));
    add("Work State", address(2, data8));
    add("Work ZipCode", address(2, data9));
    add("Work Country", address(2, data10));
    add("Organization", organization(data1));
    add("Web Page 1", website(5));
    add("Web Page 2", website(4));
    add("Birth Year", role(Role::BirthYear));
    add("Birth Month", role(Role::BirthMonth));
    add("Birth Day", role(Role::BirthDay));

    // Outlook in German.
    add("Anrede", name(data5));
    add("Vorname", name(data2));
    add("Weitere Vornamen", name(data4));
    add("Nachname", name(data3));
    add("Firma", organization(data1));
    add("Abteilung", organization(data5));
    add("Position", organization(data4));
    for (const auto &[word, type] : { std::pair { "geschäftlich", 2 }, { "privat", 1 } }) {
        const QString w = QString::fromUtf8(word);
        for (const char *street : { "Straße %1", "Straße %1 2", "Straße %1 3", "Postfach %1" })
            t.insert(QString::fromUtf8(street).arg(w), address(type, data4));
        t.insert(QStringLiteral("Ort %1").arg(w), address(type, data7));
        t.insert(QStringLiteral("Postleitzahl %1").arg(w), address(type, data9));
        t.insert(QStringLiteral("Land/Region %1").arg(w), address(type, data10));
    }
    add("Region geschäftlich", address(2, data8));
    add("Bundesland/Kanton geschäftlich", address(2, data8));
    add("Bundesland/Kanton privat", address(1, data8));
    add("Region privat", address(1, data8));
    for (const char *street : { "Weitere Straße", "Weitere Straße 2", "Weitere Straße 3", "Weiteres Postfach" })
        add(street, address(0, data4));
    add("Weiterer Ort", address(0, data7));
    add("Weiteres/r Bundesland/Kanton", address(0, data8));
    add("Weitere Postleitzahl", address(0, data9));
    add("Weiteres/e Land/Region", address(0, data10));
    add("Telefon Assistent", phone(19));
    add("Fax geschäftlich", phone(4));
    add("Telefon geschäftlich", phone(3));
    add("Telefon geschäftlich 2", phone(17));
    add("Rückmeldung", phone(8));
    add("Autotelefon", phone(9));
    add("Telefon Firma", phone(10));
    add("Fax privat", phone(5));
    add("Telefon privat", phone(1));
    add("Telefon privat 2", phone(1));
    add("Telefon (privat)", phone(1));
    add("Telefon (privat 2)", phone(1));
    add("Mobiltelefon", phone(2));
    add("Mobiltelefon 2", phone(2));
    add("Weiteres Fax", phone(13));
    add("Weiteres Telefon", phone(0));
    add("Haupttelefon", phone(12));
    add("Telefon für Hörbehinderte", phone(16));
    add("E-Mail-Adresse", email(1));
    add("E-Mail 2: Adresse", email(2));
    add("E-Mail 3: Adresse", email(0));
    for (const char *ignored : { "E-Mail-Typ", "E-Mail: Angezeigter Name", "E-Mail 2: Typ", "E-Mail 2: Angezeigter Name",
                                 "E-Mail 3: Typ", "E-Mail 3: Angezeigter Name" })
        add(ignored, role(Role::Ignored));
    add("Assistent(in)", relation(1));
    add("Name Assistent", relation(1));
    add("Empfohlen von", relation(11));
    add("Kinder", relation(3));
    add("Name des/r Vorgesetzten", relation(7));
    add("Name des/der Vorgesetzten", relation(7));
    add("Partner", relation(14));
    add("Geburtstag", event(3));
    add("Jahrestag", event(1));
    add("Kategorien", role(Role::Labels));
    add("Notizen", note);
    add("Webseite", website(1));

    // Apple Contacts in German.
    add("Berufsbezeichnung", organization(data4));
    for (const auto &[word, type] : { std::pair { "Arbeitsadresse", 2 }, { "Privatadresse", 1 }, { "Andere Adr.", 0 } }) {
        const QString w = QString::fromUtf8(word);
        t.insert(w + QStringLiteral(" Strasse"), address(type, data4));
        t.insert(w + QStringLiteral(" Stadt"), address(type, data7));
        t.insert(w + QStringLiteral(" Bundesland"), address(type, data8));
        t.insert(w + QStringLiteral(" PLZ"), address(type, data9));
        t.insert(w + QStringLiteral(" Land"), address(type, data10));
    }
    add("Arbeit E-Mail", email(2));
    add("Privat E-Mail", email(1));
    add("Andere E-Mail", email(0));
    add("Arbeit Telefon", phone(3));
    add("Privat Telefon", phone(1));
    add("Hauptnummer", phone(12));
    add("Pager Nummer", phone(6));
    add("Andere Telefonnummer", phone(0));
    add("Arbeit Fax", phone(4));
    add("Privat Fax", phone(5));
    for (const auto &[word, protocol] : { std::pair { "AIM", 1 }, { "Jabber", 8 }, { "MSN", 2 }, { "Yahoo", 3 },
                                          { "ICQ", 7 } }) {
        t.insert(QStringLiteral("Arbeit ") + QString::fromLatin1(word), im(protocol, 2));
        t.insert(QStringLiteral("Privat ") + QString::fromLatin1(word), im(protocol, 1));
    }
    add("Homepage", website(1));
    // Spreadsheets.
    add("E-Mail", email(1));
    add("Email", email(1));
    return t;
}

const QHash<QString, Entry> &dialectTable()
{
    static const QHash<QString, Entry> table = buildDialectTable();
    return table;
}

// Kinds of which a row may hold several entities of one type; the others
// join their columns into one entity.
bool isMultiEntityKind(int kind)
{
    switch (kind) {
    case ENTITY_PHONE:
    case ENTITY_EMAIL:
    case ENTITY_EVENT:
    case ENTITY_IM:
    case ENTITY_RELATION:
    case ENTITY_WEBSITE:
        return true;
    default:
        return false;
    }
}

// Google's "<Kind> <N> - <Part>": the kind word, N and the part; false for
// other names.
bool splitNumbered(const QString &name, QStringView &word, int &number, QStringView &part)
{
    const qsizetype dash = name.indexOf(QLatin1String(" - "));
    if (dash <= 0)
        return false;
    const QStringView head = QStringView(name).first(dash);
    const qsizetype space = head.lastIndexOf(u' ');
    if (space <= 0)
        return false;
    bool ok = false;
    number = head.sliced(space + 1).toInt(&ok);
    if (!ok || number < 0)
        return false;
    word = head.first(space);
    part = QStringView(name).sliced(dash + 3);
    return true;
}

int numberedKind(QStringView word)
{
    if (word == u"E-mail")
        return ENTITY_EMAIL;
    if (word == u"Phone")
        return ENTITY_PHONE;
    if (word == u"Address")
        return ENTITY_POSTAL_ADDRESS;
    if (word == u"Organization")
        return ENTITY_ORGANIZATION;
    if (word == u"Website")
        return ENTITY_WEBSITE;
    if (word == u"IM")
        return ENTITY_IM;
    if (word == u"Relation")
        return ENTITY_RELATION;
    if (word == u"Event")
        return ENTITY_EVENT;
    return 0;   // "Custom Field", "External ID" ...: not kept
}

// The role of a part of a numbered group; NotKept for parts the kind has
// no column for.
Entry numberedPart(int kind, QStringView part)
{
    if (part == u"Type" || part == u"Label")
        return role(Role::Type);
    if (kind == ENTITY_POSTAL_ADDRESS) {
        if (part == u"Formatted")
            return role(Role::FormattedAddress);
        if (part == u"Street" || part == u"PO Box" || part == u"Extended Address")
            return value(kind, 0, data4);
        if (part == u"City")
            return value(kind, 0, data7);
        if (part == u"Region" || part == u"State")
            return value(kind, 0, data8);
        if (part == u"Postal Code")
            return value(kind, 0, data9);
        if (part == u"Country")
            return value(kind, 0, data10);
        return role(Role::NotKept);
    }
    if (kind == ENTITY_ORGANIZATION) {
        if (part == u"Name")
            return value(kind, 0, data1);
        if (part == u"Title")
            return value(kind, 0, data4);
        if (part == u"Department")
            return value(kind, 0, data5);
        return role(Role::NotKept);
    }
    if (kind == ENTITY_IM && part == u"Service")
        return role(Role::Service);
    if (part == u"Value")
        return value(kind, 0, data1);
    return role(Role::NotKept);
}

bool startsWithAny(const QString &name, std::initializer_list<const char *> prefixes)
{
    for (const char *prefix : prefixes) {
        if (name.startsWith(QLatin1String(prefix)))
            return true;
    }
    return false;
}

CSVColumnMap::Dialect detectDialect(const QStringList &header)
{
    using D = CSVColumnMap::Dialect;
    const auto has = [&header](const char *name) { return header.contains(QString::fromUtf8(name)); };
    bool googleLabel = false;
    bool googleType = false;
    bool ownPrefix = false;
    bool countryRegion = false;
    for (const QString &name : header) {
        QStringView word;
        QStringView part;
        int number = 0;
        if (splitNumbered(name, word, number, part) && numberedKind(word)) {
            googleLabel |= part == u"Label";
            googleType |= part == u"Type" || part == u"Value";
        }
        ownPrefix |= startsWithAny(name, { "Tel:", "Email:", "Addr:", "Date:", "IM:", "Rel:", "Url:" });
        countryRegion |= name.endsWith(QLatin1String("Country/Region"));
    }
    if (googleLabel || has("Labels") || has("File As") || has("Organization Name"))
        return D::Google;
    if (googleType || has("Group Membership") || (has("Given Name") && has("Family Name")))
        return D::GoogleOld;
    if (has("Anrede") || has("E-Mail-Adresse") || has("Weitere Vornamen"))
        return D::OutlookGerman;
    if (has("Vorname") || has("Nachname"))
        return D::AppleGerman;
    if (has("Primary Email") || has("Mobile Number") || has("Birth Year"))
        return D::Thunderbird;
    if (countryRegion || has("E-mail Address") || has("Business Phone") || has("Home Street"))
        return D::Outlook;
    if (ownPrefix)
        return D::Own;
    return D::Plain;
}

QString simplified(QString text)
{
    text = text.trimmed();
    if (text.startsWith(QLatin1String("* ")))
        text = text.sliced(2).trimmed();
    return text;
}

// Type labels by kind, lower case, with the aliases address books write.
const QHash<QString, int> &typeWords(int kind)
{
    static const QHash<int, QHash<QString, int>> tables = [] {
        QHash<int, QHash<QString, int>> all;
        const auto fill = [&all](int k, const LabelTable &labels,
                                 std::initializer_list<std::pair<const char *, int>> aliases) {
            QHash<QString, int> &words = all[k];
            for (auto it = labels.cbegin(); it != labels.cend(); ++it)
                words.insert(it.value().toLower(), it.key());
            words.insert(QStringLiteral("other"), 0);
            for (const auto &[word, code] : aliases)
                words.insert(QString::fromUtf8(word), code);
        };
        fill(ENTITY_PHONE, phoneTypeLabels(),
             { { "cell", 2 }, { "mobile phone", 2 }, { "fax", 13 }, { "tty/tdd", 16 }, { "work cell", 17 },
               { "voice", 0 } });
        fill(ENTITY_EMAIL, emailTypeLabels(), { { "internet", 1 }, { "cell", 4 } });
        fill(ENTITY_POSTAL_ADDRESS, addressTypeLabels(), { { "business", 2 } });
        fill(ENTITY_WEBSITE, websiteTypeLabels(), { { "homepage", 1 }, { "business", 5 } });
        fill(ENTITY_RELATION, relationTypeLabels(), { { "referred_by", 11 }, { "domestic_partner", 4 } });
        fill(ENTITY_EVENT, eventTypeLabels(), {});
        fill(ENTITY_IM, imTypeLabels(), {});
        fill(ENTITY_ORGANIZATION, organizationTypeLabels(), { { "business", 1 } });
        fill(ENTITY_NICKNAME, nicknameTypeLabels(), {});
        return all;
    }();
    static const QHash<QString, int> none;
    const auto it = tables.constFind(kind);
    return it == tables.cend() ? none : it.value();
}

} // namespace

int CSVColumnMap::typeCode(int kind, const QString &text, int fallback, QString *customLabel)
{
    const QString label = simplified(text);
    if (label.isEmpty())
        return fallback;
    const QHash<QString, int> &words = typeWords(kind);
    const auto it = words.constFind(label.toLower());
    if (it != words.cend())
        return it.value();
    if (customLabel)
        *customLabel = label;
    return 0;
}

int CSVColumnMap::imProtocol(const QString &service, QString *customName)
{
    static const QHash<QString, int> words = [] {
        QHash<QString, int> w;
        for (auto it = imProtocolLabels().cbegin(); it != imProtocolLabels().cend(); ++it) {
            w.insert(it.value().toLower(), it.key());
            w.insert(it.value().toLower().remove(u' '), it.key());
        }
        for (const auto &[word, code] : { std::pair { "windows live", 2 }, { "gtalk", 6 }, { "hangouts", 6 },
                                          { "xmpp", 8 }, { "gadu-gadu", 10 } })
            w.insert(QString::fromLatin1(word), code);
        return w;
    }();
    const QString name = simplified(service);
    const auto it = words.constFind(name.toLower());
    if (it != words.cend())
        return it.value();
    if (customName)
        *customName = name;
    return 0;
}

QStringList CSVColumnMap::groupNames(const QString &value)
{
    const QStringList parts = value.contains(QLatin1String(" ::: ")) ? value.split(QLatin1String(" ::: "))
                                                                      : value.split(u';');
    QStringList names;
    for (const QString &part : parts) {
        const QString name = simplified(part);
        if (name.isEmpty() || names.contains(name))
            continue;
        // Google's group of all contacts is no group of the user's.
        if (isAllContactsGroup(name))
            continue;
        names.append(name);
    }
    return names;
}

QString CSVColumnMap::dialectName(Dialect dialect)
{
    const char *key = "IDS_CSV_DIALECT_PLAIN";
    switch (dialect) {
    case Dialect::Plain: key = "IDS_CSV_DIALECT_PLAIN"; break;
    case Dialect::Own: key = "IDS_CSV_DIALECT_OWN"; break;
    case Dialect::Outlook: key = "IDS_CSV_DIALECT_OUTLOOK"; break;
    case Dialect::OutlookGerman: key = "IDS_CSV_DIALECT_OUTLOOK_GERMAN"; break;
    case Dialect::AppleGerman: key = "IDS_CSV_DIALECT_APPLE_GERMAN"; break;
    case Dialect::Thunderbird: key = "IDS_CSV_DIALECT_THUNDERBIRD"; break;
    case Dialect::GoogleOld: key = "IDS_CSV_DIALECT_GOOGLE_OLD"; break;
    case Dialect::Google: key = "IDS_CSV_DIALECT_GOOGLE"; break;
    }
    return QCoreApplication::translate("ImportReport", key);
}

CSVColumnMap::CSVColumnMap(const QStringList &header)
    : m_names(header)
{
    m_dialect = detectDialect(header);
    m_columns.resize(size_t(header.size()));

    // Sort keys of the groups: kind, then fixed groups (0) by their
    // "kind-type" key before numbered ones (1) by number, then the order in
    // which repeated columns made further groups of the same key.
    struct Key
    {
        int kind;
        int numbered;
        QString text;
        int number;
        int repeat;
    };
    std::vector<Key> keys;
    struct Claim
    {
        int group;
        quint32 columns;   // entity columns already given a value
        int repeats;
    };
    QHash<QString, Claim> fixedGroups;
    QHash<QString, int> numberedGroups;

    const auto newGroup = [this, &keys](const Group &g, Key key) {
        m_groups.push_back(g);
        keys.push_back(std::move(key));
        return int(m_groups.size()) - 1;
    };

    for (qsizetype i = 0; i < header.size(); ++i) {
        const QString &name = header.at(i);
        Column &column = m_columns[size_t(i)];

        QStringView word;
        QStringView part;
        int number = 0;
        if (splitNumbered(name, word, number, part)) {
            const int kind = numberedKind(word);
            const Entry entry = kind ? numberedPart(kind, part) : role(Role::NotKept);
            column.role = entry.role;
            if (entry.role == Role::NotKept)
                continue;
            const QString groupKey = word.toString() + u'#' + QString::number(number);
            auto it = numberedGroups.find(groupKey);
            if (it == numberedGroups.end()) {
                Group g;
                g.kind = kind;
                g.typeColumn = data2;
                g.type = kind == ENTITY_EMAIL ? 1 : 0;   // an e-mail without a label is a home one
                g.multiValue = isMultiEntityKind(kind);
                it = numberedGroups.insert(groupKey, newGroup(g, Key { kind, 1, QString(), number, 0 }));
            }
            column.group = it.value();
            column.entityColumn = entry.column;
            continue;
        }

        Entry entry;
        const auto dialectIt = dialectTable().constFind(name);
        if (dialectIt != dialectTable().cend()) {
            entry = dialectIt.value();
        } else if (const CSVHeaderMapping m = lookupHeader(name); m.kind) {
            entry = value(m.kind, m.type, m.valueColumn, m.typeColumn);
        }
        column.role = entry.role;
        if (entry.role != Role::Value)
            continue;
        QString key = QStringLiteral("%1-%2").arg(entry.kind).arg(entry.type);
        if (entry.imType >= 0)
            key += u'/' + QString::number(entry.imType);
        auto it = fixedGroups.find(key);
        const quint32 bit = 1u << entry.column;
        if (it != fixedGroups.end() && isMultiEntityKind(entry.kind) && (it->columns & bit)) {
            // A second column of one phone type ("Home Phone 2") is a second
            // phone, not more digits for the first.
            Group g = m_groups[size_t(it->group)];
            const int repeat = ++it->repeats;
            it->group = newGroup(g, Key { entry.kind, 0, key, 0, repeat });
            it->columns = 0;
        } else if (it == fixedGroups.end()) {
            Group g;
            g.kind = entry.kind;
            g.type = entry.type;
            g.typeColumn = entry.typeColumn;
            g.imType = entry.imType;
            it = fixedGroups.insert(key, Claim { newGroup(g, Key { entry.kind, 0, key, 0, 0 }), 0, 0 });
        }
        it->columns |= bit;
        column.group = it->group;
        column.entityColumn = entry.column;
    }

    m_order.resize(m_groups.size());
    for (size_t i = 0; i < m_order.size(); ++i)
        m_order[i] = int(i);
    std::stable_sort(m_order.begin(), m_order.end(), [&keys](int a, int b) {
        const Key &x = keys[size_t(a)];
        const Key &y = keys[size_t(b)];
        return std::tie(x.kind, x.numbered, x.text, x.number, x.repeat)
            < std::tie(y.kind, y.numbered, y.text, y.number, y.repeat);
    });
}
