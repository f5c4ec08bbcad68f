#ifndef FILES_VCARDPROPERTY_H
#define FILES_VCARDPROPERTY_H

#include <QByteArray>
#include <QByteArrayView>
#include <QDebug>
#include <QList>

#include <utility>

// One content line of a vCard: its name, its parameters and its value.
//
// Names and parameters are ASCII text kept as bytes. The parameters form an
// ordered map by plain byte comparison of their names, so they are written
// in ascending order (CHARSET before ENCODING before TYPE) whatever order
// they were set in; setting a name again replaces its value. The value is
// raw bytes: already encoded when a card is written, already transfer-
// decoded (but not charset-decoded) when a card has been read.
class VCardProperty
{
public:
    using Parameter = std::pair<QByteArray, QByteArray>;

    VCardProperty() = default;
    VCardProperty(QByteArray propertyName, QByteArray propertyValue)
        : name(std::move(propertyName)), value(std::move(propertyValue))
    {
    }

    // Sets or replaces a parameter; a parameter without "=" has an empty value.
    void setParam(const QByteArray &key, const QByteArray &paramValue);
    [[nodiscard]] bool hasParam(QByteArrayView key) const;
    // The value of a parameter, or empty bytes; matched exactly.
    [[nodiscard]] QByteArray param(QByteArrayView key) const;
    // The parameter whose name matches without regard to ASCII case, or nullptr.
    [[nodiscard]] const QByteArray *findParamIgnoringCase(QByteArrayView key) const;

    friend bool operator==(const VCardProperty &a, const VCardProperty &b)
    {
        return a.name == b.name && a.params == b.params && a.value == b.value;
    }
    friend bool operator!=(const VCardProperty &a, const VCardProperty &b) { return !(a == b); }

    QByteArray name;
    QList<Parameter> params;   // ascending by name, names unique
    QByteArray value;
};

// A card is its content lines in file order (BEGIN and END are not kept).
using VCard = QList<VCardProperty>;

QDebug operator<<(QDebug debug, const VCardProperty &property);

#endif
