#include "bench/files/thirdpartyvcardgenerator.h"

#include <cstdio>

namespace {

const char *const givenNames[] = { "Ann", "Bo", "Carla", "Dana", "Élodie", "Farid", "Greta", "Hiro", "Ines", "Jürgen" };
// The same names as they go into e-mail and web addresses.
const char *const asciiGivenNames[] = { "ann", "bo", "carla", "dana", "elodie", "farid", "greta", "hiro", "ines", "juergen" };
const char *const familyNames[] = { "Lee", "Ng", "Diaz", "Scully", "Martin", "Haddad", "Berg", "Sato", "Costa", "Weiß" };
const char *const cities[] = { "Springfield", "Madrid", "München", "Osaka", "Lyon", "Oslo" };
const char *const regions[] = { "IL", "Madrid", "Bayern", "Osaka-fu", "Rhône", "" };
const char *const countries[] = { "USA", "Spain", "Germany", "Japan", "France", "Norway" };
const char *const groups[] = { "Friends", "Family", "Work", "Clients", "Club" };
const char *const customLabels[] = { "Private", "Old", "Cottage", "Assistant", "Holiday" };
const char *const noteWords[] = { "met", "at", "the", "fair;", "call", "after", "six,", "prefers", "e-mail",
                                  "knows", "Ann's", "brother", "café", "owner", "\\", "lunch" };

// Escapes a text value of vCard 3.0: backslash, comma, semicolon, line break.
QByteArray escaped(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size() + 8);
    for (const char c : text) {
        if (c == '\\' || c == ',' || c == ';')
            out += '\\';
        if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

// One content line folded at 75 octets, CRLF ended: each continuation starts
// with a space and holds 74 octets, and no fold splits a UTF-8 sequence.
void appendLine(QByteArray &out, const QByteArray &line)
{
    qsizetype at = 0;
    qsizetype room = 75;
    while (line.size() - at > room) {
        qsizetype cut = at + room;
        while (cut > at && (static_cast<unsigned char>(line.at(cut)) & 0xC0) == 0x80)
            --cut;
        out.append(line.constData() + at, cut - at);
        out += "\r\n ";
        at = cut;
        room = 74;
    }
    out.append(line.constData() + at, line.size() - at);
    out += "\r\n";
}

} // namespace

ThirdPartyVCardGenerator::ThirdPartyVCardGenerator(quint32 seed)
    : m_state(seed)
{
}

quint32 ThirdPartyVCardGenerator::random()
{
    m_state = m_state * 1664525u + 1013904223u;
    return m_state >> 8;
}

// A JPEG-looking blob of 1.5 to 3.5 KB, the size of a contact thumbnail: the reader keeps photo bytes as they are.
QByteArray ThirdPartyVCardGenerator::photo()
{
    QByteArray jpeg("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 20);
    const int size = int(1500 + random() % 2000);
    jpeg.reserve(size + 2);
    while (jpeg.size() < size)
        jpeg += char(random() & 0xFF);
    jpeg += "\xFF\xD9";
    return jpeg;
}

QByteArray ThirdPartyVCardGenerator::card(int index)
{
    const quint32 who = random() % 10;
    const QByteArray given = givenNames[who];
    const QByteArray login = asciiGivenNames[who];
    const QByteArray family = QByteArray(familyNames[random() % 10]) + QByteArray::number(index);
    const QByteArray middle = index % 5 == 0 ? QByteArray("Maria") : QByteArray();
    const int place = int(random() % 6);
    const QByteArray number = QByteArray::number(1000000 + random() % 9000000);
    const QByteArray mail = login + '.' + family.toLower().replace("\xc3\x9f", "ss") + "@gmail.com";
    const QByteArray group = groups[random() % 5];

    QByteArray out;
    out.reserve(1024);
    appendLine(out, "BEGIN:VCARD");
    appendLine(out, "VERSION:3.0");
    QByteArray fn = given;
    if (!middle.isEmpty())
        fn += ' ' + middle;
    fn += ' ' + family;
    appendLine(out, "FN:" + escaped(fn));
    appendLine(out, "N:" + escaped(family) + ';' + escaped(given) + ';' + escaped(middle) + ";;");
    if (index % 7 == 3) {
        appendLine(out, "X-PHONETIC-FIRST-NAME:" + login);
        appendLine(out, "X-PHONETIC-LAST-NAME:" + family.toLower());
    }
    if (index % 6 == 1)
        appendLine(out, "NICKNAME:" + escaped("Little " + given));

    // E-mails: Google's INTERNET;HOME form, then a custom label in a group.
    int item = 0;
    appendLine(out, "EMAIL;TYPE=INTERNET;TYPE=HOME:" + mail);
    if (random() % 3 == 0) {
        const QByteArray g = "item" + QByteArray::number(++item);
        appendLine(out, g + ".EMAIL;TYPE=INTERNET:" + login + QByteArray::number(index) + "@example.net");
        appendLine(out, g + ".X-ABLabel:" + customLabels[random() % 5]);
    }
    if (index % 2 == 0)
        appendLine(out, "EMAIL;TYPE=INTERNET;TYPE=WORK:" + login + "@acme-" + group.toLower() + ".com");

    // Phones: the Android list form and the Google repeated form.
    appendLine(out, "TEL;TYPE=CELL,VOICE:+1 555-" + number);
    appendLine(out, "TEL;TYPE=HOME;TYPE=PREF:+1 556 " + number);
    if (random() % 2 == 0)
        appendLine(out, "TEL;TYPE=WORK,FAX:(557) " + number);
    if (random() % 4 == 0) {
        const QByteArray g = "item" + QByteArray::number(++item);
        appendLine(out, g + ".TEL:+49 89 " + number);
        appendLine(out, g + ".X-ABLabel:" + customLabels[random() % 5]);
    }

    // Addresses with all seven parts; the street has two lines.
    const QByteArray street = QByteArray::number(1 + random() % 200) + " Main St\nBuilding " + char('A' + place);
    const QByteArray postcode = QByteArray::number(10000 + random() % 89999);
    appendLine(out, "ADR;TYPE=HOME:PO Box " + QByteArray::number(random() % 900) + ";Apt " + QByteArray::number(1 + index % 40)
                        + ';' + escaped(street) + ';' + escaped(cities[place]) + ';' + escaped(regions[place]) + ';'
                        + postcode + ';' + escaped(countries[place]));
    if (index % 3 == 0) {
        const QByteArray g = "item" + QByteArray::number(++item);
        appendLine(out, g + ".ADR:;;2 Elm St\\, Rear;" + escaped(cities[(place + 1) % 6]) + ";;" + postcode + ';'
                            + escaped(countries[(place + 1) % 6]));
        appendLine(out, g + ".X-ABLabel:" + customLabels[random() % 5]);
    }

    appendLine(out, "ORG:" + escaped("Acme " + group + ", Inc.") + ';' + escaped("R&D; Tools"));
    appendLine(out, "TITLE:" + escaped(index % 4 == 0 ? "Engineer, Senior" : "Engineer"));
    char date[16];
    if (index % 10 == 9)
        std::snprintf(date, sizeof date, "--%02u-%02u", 1 + random() % 12, 1 + random() % 28);
    else
        std::snprintf(date, sizeof date, "%04u-%02u-%02u", 1940 + random() % 60, 1 + random() % 12, 1 + random() % 28);
    appendLine(out, QByteArray("BDAY:") + date);
    if (index % 8 == 2) {
        const QByteArray g = "item" + QByteArray::number(++item);
        appendLine(out, g + ".X-ABDATE:2001-06-0" + QByteArray::number(1 + index % 9));
        appendLine(out, g + ".X-ABLabel:_$!<Anniversary>!$_");
    }
    {
        const QByteArray g = "item" + QByteArray::number(++item);
        appendLine(out, g + ".URL:https\\://" + login + ".example.org/" + family.toLower());
        appendLine(out, g + ".X-ABLabel:_$!<HomePage>!$_");
    }
    appendLine(out, "CATEGORIES:myContacts," + group + (index % 5 == 0 ? ",Starred in Android" : ""));

    QByteArray note;
    const int words = int(4 + random() % (index % 4 == 0 ? 30 : 8));
    for (int w = 0; w < words; ++w) {
        if (w)
            note += w % 11 == 10 ? '\n' : ' ';
        note += noteWords[random() % 16];
    }
    appendLine(out, "NOTE:" + escaped(note));
    if (index % 9 == 4)
        appendLine(out, "X-ANDROID-CUSTOM:vnd.android.cursor.item/relation;" + escaped(given) + " Senior;1;;;;;;;;;;;;;");
    if (index % 20 == 7)
        appendLine(out, "PHOTO;ENCODING=b;TYPE=JPEG:" + photo().toBase64());
    appendLine(out, "END:VCARD");
    return out;
}

qint64 ThirdPartyVCardGenerator::write(QIODevice &device, int count)
{
    qint64 bytes = 0;
    QByteArray chunk;
    for (int i = 0; i < count; ++i) {
        chunk += card(i);
        if (chunk.size() > (1 << 20)) {
            bytes += device.write(chunk);
            chunk.clear();
        }
    }
    bytes += device.write(chunk);
    return bytes;
}
