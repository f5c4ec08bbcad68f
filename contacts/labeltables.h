#ifndef CONTACTS_LABELTABLES_H
#define CONTACTS_LABELTABLES_H

#include <QMap>
#include <QString>

class Entity;

// English labels of the type codes held in data2 (and the IM protocol in
// data5). They are shown as they stand, not translated. Each table is built
// once, on first use, and only read afterwards. Code 0 is "Other" everywhere
// and is also the code that goes with a custom label in data3.
using LabelTable = QMap<int, QString>;

const LabelTable &phoneTypeLabels();
const LabelTable &emailTypeLabels();
const LabelTable &nicknameTypeLabels();
const LabelTable &eventTypeLabels();
const LabelTable &imTypeLabels();
const LabelTable &imProtocolLabels();
const LabelTable &organizationTypeLabels();
const LabelTable &relationTypeLabels();
const LabelTable &addressTypeLabels();
const LabelTable &websiteTypeLabels();

// The type table of an entity kind (phone, e-mail, nickname, event, IM,
// organization, relation, address, website); an empty table for the others.
const LabelTable &typeLabelTable(int kind);

// Label of a code in a table, or an empty text when the table lacks it.
[[nodiscard]] QString labelOf(const LabelTable &table, int code);

// The label shown for a typed entity: the custom label in data3 when it is
// set, otherwise the kind's table looked up with data2.
[[nodiscard]] QString entityTypeLabel(int kind, const Entity &entity);

// The protocol label of an IM entity: the custom protocol in data6 when it is
// set, otherwise imProtocolLabels looked up with data5.
[[nodiscard]] QString imProtocolLabel(const Entity &entity);

#endif
