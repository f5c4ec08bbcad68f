#include "bench/files/layoutcsvgenerator.h"

#include <QList>

#include <cstdio>

namespace {

const char *const givenNames[] = { "Ann", "Bo", "Carla", "Dana", "Élodie", "Farid", "Greta", "Hiro", "Ines", "Jürgen" };
const char *const familyNames[] = { "Lee", "Ng", "Diaz", "Scully", "Martin", "Haddad", "Berg", "Sato", "Costa", "Weiß" };
const char *const cities[] = { "Springfield", "Madrid", "München", "Osaka", "Lyon", "Oslo" };
const char *const groups[] = { "Friends", "Family", "Work", "Clients", "Club" };

QByteArray field(const QByteArray &value)
{
    if (!value.contains(',') && !value.contains('"') && !value.contains('\n') && !value.contains('\r'))
        return value;
    QByteArray quoted = value;
    quoted.replace("\"", "\"\"");
    return '"' + quoted + '"';
}

QByteArray join(const QList<QByteArray> &fields)
{
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i)
            line += ',';
        line += field(fields.at(i));
    }
    return line + "\r\n";
}

const char googleHeader[] =
    "First Name,Middle Name,Last Name,Phonetic First Name,Phonetic Middle Name,Phonetic Last Name,Name Prefix,"
    "Name Suffix,Nickname,File As,Organization Name,Organization Title,Organization Department,Birthday,Notes,Photo,"
    "Labels,E-mail 1 - Label,E-mail 1 - Value,E-mail 2 - Label,E-mail 2 - Value,Phone 1 - Label,Phone 1 - Value,"
    "Phone 2 - Label,Phone 2 - Value,Phone 3 - Label,Phone 3 - Value,Address 1 - Label,Address 1 - Formatted,"
    "Address 1 - Street,Address 1 - City,Address 1 - PO Box,Address 1 - Region,Address 1 - Postal Code,"
    "Address 1 - Country,Address 1 - Extended Address,Relation 1 - Label,Relation 1 - Value,Website 1 - Label,"
    "Website 1 - Value,IM 1 - Label,IM 1 - Service,IM 1 - Value\r\n";

const char outlookHeader[] =
    "Title,First Name,Middle Name,Last Name,Suffix,Company,Department,Job Title,Business Street,Business Street 2,"
    "Business Street 3,Business City,Business State,Business Postal Code,Business Country/Region,Home Street,"
    "Home Street 2,Home Street 3,Home City,Home State,Home Postal Code,Home Country/Region,Other Street,Other Street 2,"
    "Other Street 3,Other City,Other State,Other Postal Code,Other Country/Region,Assistant's Phone,Business Fax,"
    "Business Phone,Business Phone 2,Callback,Car Phone,Company Main Phone,Home Fax,Home Phone,Home Phone 2,ISDN,"
    "Mobile Phone,Other Fax,Other Phone,Pager,Primary Phone,Radio Phone,TTY/TDD Phone,Telex,Account,Anniversary,"
    "Assistant's Name,Billing Information,Birthday,Business Address PO Box,Categories,Children,Directory Server,"
    "E-mail Address,E-mail Type,E-mail Display Name,E-mail 2 Address,E-mail 2 Type,E-mail 2 Display Name,"
    "E-mail 3 Address,E-mail 3 Type,E-mail 3 Display Name,Gender,Government ID Number,Hobby,Home Address PO Box,"
    "Initials,Internet Free Busy,Keywords,Language,Location,Manager's Name,Mileage,Notes,Office Location,"
    "Organizational ID Number,Other Address PO Box,Priority,Private,Profession,Referred By,Sensitivity,Spouse,"
    "User 1,User 2,User 3,User 4,Web Page\r\n";

} // namespace

LayoutCsvGenerator::LayoutCsvGenerator(Layout layout, quint32 seed)
    : m_layout(layout), m_state(seed)
{
}

quint32 LayoutCsvGenerator::random()
{
    m_state = m_state * 1664525u + 1013904223u;
    return m_state >> 8;
}

QByteArray LayoutCsvGenerator::header() const
{
    return m_layout == Layout::Google ? QByteArray(googleHeader) : QByteArray(outlookHeader);
}

QByteArray LayoutCsvGenerator::row(int index)
{
    const QByteArray given = givenNames[random() % 10];
    const QByteArray family = QByteArray(familyNames[random() % 10]) + QByteArray::number(index);
    const QByteArray city = cities[random() % 6];
    const QByteArray number = QByteArray::number(1000000 + random() % 9000000);
    const int day = int(1 + random() % 28);
    const int month = int(1 + random() % 12);
    const int year = int(1940 + random() % 60);
    const QByteArray street = QByteArray::number(1 + random() % 200) + " Main St";
    const QByteArray postcode = QByteArray::number(10000 + random() % 89999);
    const QByteArray mail = given.toLower() + '.' + family.toLower() + "@example.org";
    QByteArray note = "Met at the fair";
    if (index % 4 == 0)
        note = "Said \"call me\", then left.\nSecond line";
    const QByteArray group = groups[random() % 5];

    if (m_layout == Layout::Google) {
        char date[16];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", year, month, day);
        return join({ given, "", family, "", "", "", "", "", given, "", "Acme " + group, "Engineer", "R&D",
                      date, note, "", group + " ::: * myContacts", "* Home", mail, "Work", "w." + mail, "Mobile",
                      "+1 555 " + number, "Work", "+1 556 " + number, "Home Fax", "+1 557 " + number, "Home",
                      street + '\n' + city + ", " + postcode + "\nUSA", street, city, "", "IL", postcode, "USA", "",
                      "Spouse", "Partner of " + given, "Blog", "https://" + given.toLower() + ".example.org",
                      "Work", "Skype", given.toLower() + QByteArray::number(index) });
    }
    char date[16];
    std::snprintf(date, sizeof date, "%d/%d/%d", month, day, year);
    QList<QByteArray> f(92);
    f[0] = index % 3 ? "" : "Dr.";
    f[1] = given;
    f[3] = family;
    f[5] = "Acme " + group;
    f[6] = "R&D";
    f[7] = "Engineer";
    f[8] = street;
    f[11] = city;
    f[12] = "IL";
    f[13] = postcode;
    f[14] = "United States of America";
    f[15] = "2 Elm St";
    f[18] = city;
    f[20] = postcode;
    f[21] = "United States of America";
    f[30] = "+1 557 " + number;
    f[31] = "+1 556 " + number;
    f[37] = "+1 558 " + number;
    f[40] = "+1 555 " + number;
    f[49] = "0/0/00";
    f[52] = date;
    f[54] = group + ";VIP";
    f[57] = mail;
    f[58] = "SMTP";
    f[59] = given + ' ' + family + " (" + mail + ')';
    f[66] = "Unspecified";
    f[77] = note;
    f[81] = "Normal";
    f[82] = "False";
    f[85] = "Normal";
    f[86] = "Partner of " + given;
    f[91] = "https://" + given.toLower() + ".example.org";
    return join(f);
}

qint64 LayoutCsvGenerator::write(QIODevice &device, int count)
{
    qint64 bytes = device.write(header());
    QByteArray chunk;
    for (int i = 0; i < count; ++i) {
        chunk += row(i);
        if (chunk.size() > (1 << 20)) {
            bytes += device.write(chunk);
            chunk.clear();
        }
    }
    bytes += device.write(chunk);
    return bytes;
}
