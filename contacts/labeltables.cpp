#include "contacts/labeltables.h"

#include "contacts/entity.h"

const LabelTable &phoneTypeLabels()
{
    static const LabelTable table {
        { 0, QStringLiteral("Other") },        { 1, QStringLiteral("Home") },
        { 2, QStringLiteral("Mobile") },       { 3, QStringLiteral("Work") },
        { 4, QStringLiteral("Work Fax") },     { 5, QStringLiteral("Home Fax") },
        { 6, QStringLiteral("Pager") },        { 8, QStringLiteral("Callback") },
        { 9, QStringLiteral("Car") },          { 10, QStringLiteral("Company Main") },
        { 11, QStringLiteral("ISDN") },        { 12, QStringLiteral("Main") },
        { 13, QStringLiteral("Other Fax") },   { 14, QStringLiteral("Radio") },
        { 15, QStringLiteral("Telex") },       { 16, QStringLiteral("TTY TDD") },
        { 17, QStringLiteral("Work Mobile") }, { 18, QStringLiteral("Work Pager") },
        { 19, QStringLiteral("Assistant") },   { 20, QStringLiteral("MMS") },
    };
    return table;
}

const LabelTable &emailTypeLabels()
{
    static const LabelTable table {
        { 0, QStringLiteral("Other") }, { 1, QStringLiteral("Home") },
        { 2, QStringLiteral("Work") },  { 4, QStringLiteral("Mobile") },
    };
    return table;
}

const LabelTable &nicknameTypeLabels()
{
    static const LabelTable table {
        { 0, QStringLiteral("Other") },  { 1, QStringLiteral("Default") }, { 2, QStringLiteral("Other") },
        { 3, QStringLiteral("Maiden") }, { 4, QStringLiteral("Short") },   { 5, QStringLiteral("Initials") },
    };
    return table;
}

const LabelTable &eventTypeLabels()
{
    static const LabelTable table {
        { 0, QStringLiteral("Other") }, { 1, QStringLiteral("Anniversary") }, { 3, QStringLiteral("Birthday") },
    };
    return table;
}

const LabelTable &imTypeLabels()
{
    static const LabelTable table {
        { 0, QStringLiteral("Other") }, { 1, QStringLiteral("Home") }, { 2, QStringLiteral("Work") },
    };
    return table;
}

const LabelTable &imProtocolLabels()
{
    static const LabelTable table {
        { 0, QStringLiteral("Other") },       { 1, QStringLiteral("AIM") },
        { 2, QStringLiteral("MSN") },         { 3, QStringLiteral("Yahoo") },
        { 4, QStringLiteral("Skype") },       { 5, QStringLiteral("QQ") },
        { 6, QStringLiteral("Google Talk") }, { 7, QStringLiteral("ICQ") },
        { 8, QStringLiteral("Jabber") },      { 9, QStringLiteral("Net Meeting") },
        { 10, QStringLiteral("Gadu Gadu") },  { 11, QStringLiteral("Facebook") },
    };
    return table;
}

const LabelTable &organizationTypeLabels()
{
    static const LabelTable table { { 0, QStringLiteral("Other") }, { 1, QStringLiteral("Work") } };
    return table;
}

const LabelTable &relationTypeLabels()
{
    static const LabelTable table {
        { 0, QStringLiteral("Other") },   { 1, QStringLiteral("Assistant") },
        { 2, QStringLiteral("Brother") }, { 3, QStringLiteral("Child") },
        { 4, QStringLiteral("Domestic Partner") }, { 5, QStringLiteral("Father") },
        { 6, QStringLiteral("Friend") },  { 7, QStringLiteral("Manager") },
        { 8, QStringLiteral("Mother") },  { 9, QStringLiteral("Parent") },
        { 10, QStringLiteral("Partner") }, { 11, QStringLiteral("Referred by") },
        { 12, QStringLiteral("Relative") }, { 13, QStringLiteral("Sister") },
        { 14, QStringLiteral("Spouse") },
    };
    return table;
}

const LabelTable &addressTypeLabels()
{
    static const LabelTable table {
        { 0, QStringLiteral("Other") }, { 1, QStringLiteral("Home") }, { 2, QStringLiteral("Work") },
    };
    return table;
}

const LabelTable &websiteTypeLabels()
{
    static const LabelTable table {
        { 0, QStringLiteral("Other") },   { 1, QStringLiteral("Home page") }, { 2, QStringLiteral("Blog") },
        { 3, QStringLiteral("Profile") }, { 4, QStringLiteral("Home") },      { 5, QStringLiteral("Work") },
        { 6, QStringLiteral("FTP") },
    };
    return table;
}

const LabelTable &typeLabelTable(int kind)
{
    static const LabelTable none;
    switch (kind) {
    case pim::ENTITY_PHONE:
        return phoneTypeLabels();
    case pim::ENTITY_EMAIL:
        return emailTypeLabels();
    case pim::ENTITY_NICKNAME:
        return nicknameTypeLabels();
    case pim::ENTITY_EVENT:
        return eventTypeLabels();
    case pim::ENTITY_IM:
        return imTypeLabels();
    case pim::ENTITY_ORGANIZATION:
        return organizationTypeLabels();
    case pim::ENTITY_RELATION:
        return relationTypeLabels();
    case pim::ENTITY_POSTAL_ADDRESS:
        return addressTypeLabels();
    case pim::ENTITY_WEBSITE:
        return websiteTypeLabels();
    default:
        return none;
    }
}

QString labelOf(const LabelTable &table, int code)
{
    return table.value(code);
}

QString entityTypeLabel(int kind, const Entity &entity)
{
    const QString custom = entity.text(pim::data3);
    if (!custom.isEmpty())
        return custom;
    return labelOf(typeLabelTable(kind), entity.toInt(pim::data2));
}

QString imProtocolLabel(const Entity &entity)
{
    const QString custom = entity.text(pim::data6);
    if (!custom.isEmpty())
        return custom;
    return labelOf(imProtocolLabels(), entity.toInt(pim::data5));
}
