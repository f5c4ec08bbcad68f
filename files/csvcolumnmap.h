#ifndef FILES_CSVCOLUMNMAP_H
#define FILES_CSVCOLUMNMAP_H

#include <QString>
#include <QStringList>

#include <vector>

// What the columns of a CSV file mean, worked out once from its header row.
//
// Address books name their columns differently: the program's own names
// and the fixed list of common ones ("Business Phone", "Home Country"),
// Outlook in English (with its "Home Country/Region") and in German,
// Thunderbird, Apple Contacts in German, and Google Contacts in its older
// ("Given Name", "Group Membership", "Phone 1 - Type") and current layout
// ("First Name", "Labels", "Phone 1 - Label"), whose numbered groups
// "<Kind> <N> - <Part>" may run to any N. The dialect is named after the
// columns that only one of them writes.
//
// Each column gets a role. Columns whose values go into one entity form a
// group: the parts of an address, a Google "Phone 1 - Label" with its
// "Phone 1 - Value". Text columns of one group's entity column are joined
// with a space ("Home Street", "Home Street 2"); a second phone, e-mail,
// web page, IM or relation column of the same type makes a second entity.
// Every other column is named as not kept when it holds a value.
class CSVColumnMap
{
public:
    enum class Dialect { Plain, Own, Outlook, OutlookGerman, AppleGerman, Thunderbird, GoogleOld, Google };

    enum class Role : quint8 {
        Value,          // text for the group's entity column
        Type,           // a type label ("Mobile", "* Home") for the group
        Service,        // the IM service ("Skype")
        Labels,         // group names; Google's " ::: " or Outlook's ";" lists
        BirthYear,      // Thunderbird writes the birthday in three columns
        BirthMonth,
        BirthDay,
        DisplayName,    // the contact's name when it has no name parts
        FormattedAddress, // the address street when the group has no parts
        Ignored,        // carries nothing of the contact ("E-mail Type": SMTP)
        NotKept,        // reported when it holds a value
    };

    // How a type label reads: by the kind's label table and its aliases.
    struct Group
    {
        int kind = 0;
        int type = 0;             // fixed type code (0: none written)
        int typeColumn = 0;       // data2 (data5 for IM protocols), 0: none
        int imType = -1;          // IM data2 fixed by the column, -1: from a label or 1
        bool multiValue = false;  // Google: "a ::: b" in a value is two entities
    };

    struct Column
    {
        Role role = Role::NotKept;
        int group = -1;           // for Value, Type, Service, FormattedAddress
        int entityColumn = 0;     // for Value
    };

    explicit CSVColumnMap(const QStringList &header);

    [[nodiscard]] Dialect dialect() const { return m_dialect; }
    [[nodiscard]] static QString dialectName(Dialect dialect);

    [[nodiscard]] const std::vector<Column> &columns() const { return m_columns; }
    [[nodiscard]] const std::vector<Group> &groups() const { return m_groups; }
    // The groups in the order their entities go to the contact: by kind,
    // then the fixed groups by "kind-type" key, then the numbered ones by
    // number.
    [[nodiscard]] const std::vector<int> &groupOrder() const { return m_order; }
    // The name a column is reported under.
    [[nodiscard]] const QString &columnName(qsizetype index) const { return m_names.at(index); }

    // The code of a type label for a kind, and the custom label when the
    // text is none of the known ones (code 0 then). An empty text gives
    // `fallback`. A leading "* " (Google's primary mark) is ignored.
    [[nodiscard]] static int typeCode(int kind, const QString &text, int fallback, QString *customLabel);
    // The IM protocol of a service name; 0 and the name for unknown ones.
    [[nodiscard]] static int imProtocol(const QString &service, QString *customName);
    // The group names of a "Labels" value: split at " ::: " or ";", system
    // groups ("* myContacts") dropped, Google's "* " mark taken off.
    [[nodiscard]] static QStringList groupNames(const QString &value);

private:
    QStringList m_names;
    Dialect m_dialect = Dialect::Plain;
    std::vector<Column> m_columns;
    std::vector<Group> m_groups;
    std::vector<int> m_order;
};

#endif
