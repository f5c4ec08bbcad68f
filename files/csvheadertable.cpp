#include "files/csvheadertable.h"

#include "contacts/entitykind.h"
#include "contacts/labeltables.h"

using namespace pim;

namespace {

QHash<QString, CSVHeaderMapping> buildTable()
{
    QHash<QString, CSVHeaderMapping> t;
    const auto add = [&t](const char *name, int kind, int type, int valueColumn, int typeColumn) {
        t.insert(QString::fromLatin1(name), CSVHeaderMapping { kind, type, valueColumn, typeColumn });
    };

    add("Prefix", ENTITY_NAME, 0, data5, 0);
    add("First Name", ENTITY_NAME, 0, data2, 0);
    add("Middle Name", ENTITY_NAME, 0, data4, 0);
    add("Last Name", ENTITY_NAME, 0, data3, 0);
    add("Suffix", ENTITY_NAME, 0, data6, 0);
    add("Title", ENTITY_NAME, 0, data5, 0);
    add("Given Name", ENTITY_NAME, 0, data2, 0);
    add("Additional Name", ENTITY_NAME, 0, data4, 0);
    add("Family Name", ENTITY_NAME, 0, data3, 0);
    add("Name Prefix", ENTITY_NAME, 0, data5, 0);
    add("Name Suffix", ENTITY_NAME, 0, data6, 0);
    add("Nickname", ENTITY_NICKNAME, 1, data1, 0);
    add("Categories", ENTITY_GROUP_MEMBERSHIP, 0, data2, 0);
    add("Category", ENTITY_GROUP_MEMBERSHIP, 0, data2, 0);
    add("Notes", ENTITY_NOTE, 0, data1, 0);
    add("Company", ENTITY_ORGANIZATION, 0, data1, data2);
    add("Department", ENTITY_ORGANIZATION, 0, data5, data2);
    add("Job Title", ENTITY_ORGANIZATION, 0, data4, data2);
    add("Web Page", ENTITY_WEBSITE, 1, data1, data2);
    add("Birthday", ENTITY_EVENT, 3, data1, data2);
    add("Anniversary", ENTITY_EVENT, 1, data1, data2);
    add("E-mail Address", ENTITY_EMAIL, 1, data1, data2);
    add("E-mail 1 - Value", ENTITY_EMAIL, 1, data1, data2);
    add("E-mail 2 Address", ENTITY_EMAIL, 2, data1, data2);
    add("E-mail 3 Address", ENTITY_EMAIL, 0, data1, data2);
    add("Primary Phone", ENTITY_PHONE, 12, data1, data2);
    add("Home Phone", ENTITY_PHONE, 1, data1, data2);
    add("Home Phone 2", ENTITY_PHONE, 1, data1, data2);
    add("Mobile Phone", ENTITY_PHONE, 2, data1, data2);
    add("Pager", ENTITY_PHONE, 6, data1, data2);
    add("Company Main Phone", ENTITY_PHONE, 10, data1, data2);
    add("Business Phone", ENTITY_PHONE, 3, data1, data2);
    add("Business Phone 2", ENTITY_PHONE, 17, data1, data2);
    add("Business Fax", ENTITY_PHONE, 4, data1, data2);
    add("Assistant's Phone", ENTITY_PHONE, 19, data1, data2);
    add("Other Phone", ENTITY_PHONE, 0, data1, data2);
    add("Other Fax", ENTITY_PHONE, 13, data1, data2);
    add("Home Fax", ENTITY_PHONE, 5, data1, data2);
    add("Callback", ENTITY_PHONE, 8, data1, data2);
    add("Car Phone", ENTITY_PHONE, 9, data1, data2);
    add("ISDN", ENTITY_PHONE, 11, data1, data2);
    add("Radio Phone", ENTITY_PHONE, 14, data1, data2);
    add("TTY/TDD Phone", ENTITY_PHONE, 16, data1, data2);
    add("Telex", ENTITY_PHONE, 15, data1, data2);
    add("Spouse", ENTITY_RELATION, 14, data1, data2);
    add("Children", ENTITY_RELATION, 3, data1, data2);
    add("Manager's Name", ENTITY_RELATION, 7, data1, data2);
    add("Assistant's Name", ENTITY_RELATION, 1, data1, data2);
    add("Referred By", ENTITY_RELATION, 11, data1, data2);

    // Street, city, state, postcode and country of the home, business and
    // other addresses.
    const struct
    {
        const char *word;
        int type;
    } addressTypes[] = { { "Home", 1 }, { "Business", 2 }, { "Other", 0 } };
    const struct
    {
        const char *suffix;
        int column;
    } addressParts[] = {
        { " Street", data4 },     { " Street 2", data4 }, { " Street 3", data4 },   { " City", data7 },
        { " State", data8 },      { " Postal Code", data9 }, { " Country", data10 },
    };
    for (const auto &type : addressTypes) {
        for (const auto &part : addressParts)
            t.insert(QString::fromLatin1(type.word) + QString::fromLatin1(part.suffix),
                     CSVHeaderMapping { ENTITY_POSTAL_ADDRESS, type.type, part.column, data2 });
    }

    // The program's own column names, one per label.
    const auto addLabels = [&t](const QString &prefix, const LabelTable &labels, int kind, int typeColumn) {
        for (auto it = labels.cbegin(); it != labels.cend(); ++it)
            t.insert(prefix + it.value(), CSVHeaderMapping { kind, it.key(), data1, typeColumn });
    };
    addLabels(QStringLiteral("Tel:"), phoneTypeLabels(), ENTITY_PHONE, data2);
    addLabels(QStringLiteral("Email:"), emailTypeLabels(), ENTITY_EMAIL, data2);
    addLabels(QStringLiteral("Date:"), eventTypeLabels(), ENTITY_EVENT, data2);
    addLabels(QStringLiteral("IM:"), imProtocolLabels(), ENTITY_IM, data5);
    addLabels(QStringLiteral("Rel:"), relationTypeLabels(), ENTITY_RELATION, data2);
    addLabels(QStringLiteral("Url:"), websiteTypeLabels(), ENTITY_WEBSITE, data2);
    const struct
    {
        const char *suffix;
        int column;
    } ownAddressParts[] = {
        { ":Street", data4 }, { ":City", data7 }, { ":State", data8 }, { ":Postcode", data9 }, { ":Country", data10 },
    };
    const LabelTable &addressLabels = addressTypeLabels();
    for (auto it = addressLabels.cbegin(); it != addressLabels.cend(); ++it) {
        for (const auto &part : ownAddressParts)
            t.insert(QStringLiteral("Addr:") + it.value() + QString::fromLatin1(part.suffix),
                     CSVHeaderMapping { ENTITY_POSTAL_ADDRESS, it.key(), part.column, data2 });
    }
    return t;
}

} // namespace

const QHash<QString, CSVHeaderMapping> &csvHeaderTable()
{
    static const QHash<QString, CSVHeaderMapping> table = buildTable();
    return table;
}

CSVHeaderMapping lookupHeader(const QString &name)
{
    return csvHeaderTable().value(name);
}
