#ifndef TOOLS_PHONESIM_PHONEKINDS_H
#define TOOLS_PHONESIM_PHONEKINDS_H

#include <QList>
#include <QString>

// The simulated phone's view of contact data: the kinds of data rows its
// contact store keeps, the named fields of each kind (in the order in which
// they travel on the wire after the source id), and the lower-case type
// labels the agent uses for type codes.
//
// The phone keeps its own field names ("given", "number", "street") instead
// of column numbers: how a desktop program lays these out is its business.
namespace phonesim {

enum class FieldType {
    Text,     // free text, Base64 of UTF-8 on the wire
    Type,     // type code of the kind, a lower-case label on the wire
    Protocol, // instant-messaging protocol code, a label on the wire
    Date,     // "yyyy-MM-dd", plain on the wire
    Group,    // group row id in the store, the group's title (Base64) on the wire
    Photo,    // image bytes, Base64 on the wire
};

struct FieldLayout
{
    QString name;
    FieldType type;
};

struct KindLayout
{
    int kind = 0;
    QString name;            // "name", "phone", "email", ...
    QList<FieldLayout> fields; // wire order
    int fieldIndex(const QString &field) const;
};

// Kinds 1 to 13; nullptr for any other code or name.
const KindLayout *kindLayout(int kind);
const KindLayout *kindLayoutByName(const QString &name);
QList<int> allKinds();

// Type labels by kind (3, 4, 5, 6, 8, 10, 11, 12, 13). typeLabel is empty
// for a code without a label; typeCode fails for an unknown label.
QString typeLabel(int kind, int code);
bool typeCode(int kind, const QString &label, int *code);
QList<int> typeCodes(int kind);

// Instant-messaging protocols (aim, msn, ..., netmeeting).
QString protocolLabel(int code);
bool protocolCode(const QString &label, int *code);

} // namespace phonesim

#endif
