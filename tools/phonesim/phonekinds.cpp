#include "tools/phonesim/phonekinds.h"

#include <QHash>
#include <QMap>

namespace phonesim {

namespace {

using Labels = QMap<int, QString>;

struct Tables
{
    QList<KindLayout> kinds;
    QHash<int, Labels> types; // kind -> code -> label
    Labels protocols;
};

Tables buildTables()
{
    Tables t;
    const FieldLayout type { QStringLiteral("type"), FieldType::Type };
    const FieldLayout label { QStringLiteral("label"), FieldType::Text };
    auto text = [](const char *name) { return FieldLayout { QString::fromLatin1(name), FieldType::Text }; };

    t.kinds = {
        { 1, QStringLiteral("name"), { text("prefix"), text("given"), text("middle"), text("family"), text("suffix") } },
        { 2, QStringLiteral("photo"), { { QStringLiteral("photo"), FieldType::Photo } } },
        { 3, QStringLiteral("phone"), { type, label, text("number") } },
        { 4, QStringLiteral("email"), { type, label, text("address") } },
        { 5, QStringLiteral("nickname"), { type, label, text("nickname") } },
        { 6, QStringLiteral("event"), { type, label, { QStringLiteral("date"), FieldType::Date } } },
        { 7, QStringLiteral("group"), { { QStringLiteral("group"), FieldType::Group } } },
        { 8, QStringLiteral("im"),
            { type, label, { QStringLiteral("protocol"), FieldType::Protocol }, text("custom-protocol"),
                text("handle") } },
        { 9, QStringLiteral("note"), { text("note") } },
        { 10, QStringLiteral("organization"), { type, label, text("company"), text("department"), text("title") } },
        { 11, QStringLiteral("relation"), { type, label, text("name") } },
        { 12, QStringLiteral("postal"),
            { type, label, text("country"), text("region"), text("city"), text("street"), text("postcode") } },
        { 13, QStringLiteral("website"), { type, label, text("url") } },
    };

    t.types[3] = { { 0, "other" }, { 1, "home" }, { 2, "mobile" }, { 3, "work" }, { 4, "work fax" },
        { 5, "home fax" }, { 6, "pager" }, { 8, "callback" }, { 9, "car" }, { 10, "company main" },
        { 11, "isdn" }, { 12, "main" }, { 13, "other fax" }, { 14, "radio" }, { 15, "telex" },
        { 16, "ttytdd" }, { 17, "work mobile" }, { 18, "work pager" }, { 19, "assistant" }, { 20, "mms" } };
    t.types[4] = { { 0, "other" }, { 1, "home" }, { 2, "work" }, { 4, "mobile" } };
    t.types[5] = { { 1, "default" }, { 2, "other" }, { 4, "short" }, { 5, "init" } };
    t.types[6] = { { 0, "other" }, { 1, "anniversary" }, { 3, "birthday" } };
    t.types[8] = { { 0, "other" }, { 1, "home" }, { 2, "work" } };
    t.types[10] = { { 0, "other" }, { 1, "work" } };
    // "parnet" is the agent's spelling of the parent relation; desktops expect it.
    t.types[11] = { { 1, "assistant" }, { 2, "brother" }, { 3, "child" }, { 4, "dom partner" },
        { 5, "father" }, { 6, "friend" }, { 7, "manager" }, { 8, "mother" }, { 9, "parnet" },
        { 10, "partner" }, { 11, "refby" }, { 12, "relative" }, { 13, "sister" }, { 14, "spouse" } };
    t.types[12] = { { 0, "other" }, { 1, "home" }, { 2, "work" } };
    t.types[13] = { { 0, "other" }, { 1, "homepage" }, { 2, "blog" }, { 3, "profile" }, { 4, "home" },
        { 5, "work" }, { 6, "ftp" } };
    t.protocols = { { 1, "aim" }, { 2, "msn" }, { 3, "yahoo" }, { 4, "skype" }, { 5, "qq" },
        { 6, "googletalk" }, { 7, "icq" }, { 8, "jabber" }, { 9, "netmeeting" } };
    return t;
}

const Tables &tables()
{
    static const Tables t = buildTables();
    return t;
}

bool findCode(const Labels &labels, const QString &label, int *code)
{
    for (auto it = labels.cbegin(); it != labels.cend(); ++it) {
        if (it.value() == label) {
            *code = it.key();
            return true;
        }
    }
    return false;
}

} // namespace

int KindLayout::fieldIndex(const QString &field) const
{
    for (int i = 0; i < fields.size(); ++i) {
        if (fields.at(i).name == field)
            return i;
    }
    return -1;
}

const KindLayout *kindLayout(int kind)
{
    const auto &kinds = tables().kinds;
    if (kind < 1 || kind > kinds.size())
        return nullptr;
    return &kinds.at(kind - 1);
}

const KindLayout *kindLayoutByName(const QString &name)
{
    for (const KindLayout &layout : tables().kinds) {
        if (layout.name == name)
            return &layout;
    }
    return nullptr;
}

QList<int> allKinds()
{
    QList<int> kinds;
    for (const KindLayout &layout : tables().kinds)
        kinds.append(layout.kind);
    return kinds;
}

QString typeLabel(int kind, int code)
{
    return tables().types.value(kind).value(code);
}

bool typeCode(int kind, const QString &label, int *code)
{
    const auto it = tables().types.constFind(kind);
    return it != tables().types.cend() && findCode(*it, label, code);
}

QList<int> typeCodes(int kind)
{
    return tables().types.value(kind).keys();
}

QString protocolLabel(int code)
{
    return tables().protocols.value(code);
}

bool protocolCode(const QString &label, int *code)
{
    return findCode(tables().protocols, label, code);
}

} // namespace phonesim
