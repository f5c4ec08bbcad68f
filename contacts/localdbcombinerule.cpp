#include "contacts/localdbcombinerule.h"

#include "contacts/entitykind.h"

using namespace pim;

namespace {

struct KindRule
{
    QStringList key;
    QStringList match;
    QStringList compare;
    QStringList merge;
    bool single = false;
};

const KindRule *ruleOf(int kind)
{
    // Built once; QStringList copies handed out share the same data.
    static const KindRule rules[] = {
        // ENTITY_PHOTO
        { { "data4" }, { "data4" }, { "data4" }, { "data4", "data15" }, true },
        // ENTITY_PHONE
        { { "data1" }, { "data1" }, { "data1", "data2", "data3" }, { "data1", "data2", "data3" }, false },
        // ENTITY_EMAIL
        { { "data1" }, { "data1" }, { "data1", "data2", "data3" }, { "data1", "data2", "data3" }, false },
        // ENTITY_NICKNAME
        { { "data1" }, { "data1" }, { "data1" }, { "data1" }, true },
        // ENTITY_EVENT
        { { "data1" }, { "data1" }, { "data1", "data2", "data3" }, { "data1", "data2", "data3" }, false },
        // ENTITY_GROUP_MEMBERSHIP
        { { "data1" }, { "data1" }, { "data1" }, { "data1", "data2" }, true },
        // ENTITY_IM
        { { "data1" },
          { "data1", "data5", "data6" },
          { "data1", "data5", "data6", "data2", "data3" },
          { "data1", "data5", "data6", "data2", "data3" },
          false },
        // ENTITY_NOTE
        { { "data1" }, { "data1" }, { "data1" }, { "data1" }, false },
        // ENTITY_ORGANIZATION
        { { "data1", "data5", "data4" },
          { "data1", "data5", "data4" },
          { "data1", "data5", "data4" },
          { "data1", "data5", "data4" },
          true },
        // ENTITY_RELATION
        { { "data1" }, { "data1" }, { "data1", "data2", "data3" }, { "data1", "data2", "data3" }, false },
        // ENTITY_POSTAL_ADDRESS: the formatted address identifies, the parts are compared
        { { "data1" },
          { "data1" },
          { "data10", "data11", "data8", "data7", "data4", "data9", "data2", "data3" },
          { "data1", "data10", "data11", "data8", "data7", "data4", "data9", "data2", "data3" },
          false },
        // ENTITY_WEBSITE
        { { "data1" }, { "data1" }, { "data1", "data2", "data3" }, { "data1", "data2", "data3" }, false },
    };
    static_assert(std::size(rules) == LastEntityKind - ENTITY_PHOTO + 1);
    if (kind < ENTITY_PHOTO || kind > LastEntityKind)
        return nullptr;
    return &rules[kind - ENTITY_PHOTO];
}

} // namespace

QStringList LocalDbCombineRule::keyColumns(int kind) const
{
    const KindRule *rule = ruleOf(kind);
    return rule ? rule->key : QStringList();
}

QStringList LocalDbCombineRule::matchColumns(int kind) const
{
    const KindRule *rule = ruleOf(kind);
    return rule ? rule->match : QStringList();
}

QStringList LocalDbCombineRule::compareColumns(int kind) const
{
    const KindRule *rule = ruleOf(kind);
    return rule ? rule->compare : QStringList();
}

QStringList LocalDbCombineRule::mergeColumns(int kind, bool &single) const
{
    const KindRule *rule = ruleOf(kind);
    single = rule && rule->single;
    return rule ? rule->merge : QStringList();
}
