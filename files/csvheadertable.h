#ifndef FILES_CSVHEADERTABLE_H
#define FILES_CSVHEADERTABLE_H

#include <QHash>
#include <QString>

// What a CSV column header means: the entity kind and type code its values
// go to, the value column and the column that takes the type code (0 when
// none). Kind 0: a header the importer does not know.
struct CSVHeaderMapping
{
    int kind = 0;
    int type = 0;
    int valueColumn = 0;
    int typeColumn = 0;

    friend bool operator==(const CSVHeaderMapping &a, const CSVHeaderMapping &b)
    {
        return a.kind == b.kind && a.type == b.type && a.valueColumn == b.valueColumn
            && a.typeColumn == b.typeColumn;
    }
};

// The headers this program writes ("First Name", "Tel:Mobile",
// "Addr:Home:City" ...) and those of common address books ("Given Name",
// "E-mail 2 Address", "Business Phone" ...). Built once, read-only after.
[[nodiscard]] const QHash<QString, CSVHeaderMapping> &csvHeaderTable();

// Exact, case-sensitive match; unknown names give kind 0.
[[nodiscard]] CSVHeaderMapping lookupHeader(const QString &name);

#endif
