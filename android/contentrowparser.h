#ifndef ANDROID_CONTENTROWPARSER_H
#define ANDROID_CONTENTROWPARSER_H

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

// Reads what the phone's "content query" prints:
//
//   Row: 0 _id=12, raw_contact_id=4, mimetype=vnd.android.cursor.item/name, data1=Ann, data2=NULL
//   Row: 1 ...
//
// or "No result found.". Values are printed as they are: a text may hold
// ", ", "=", "Row: " or line breaks, so a row can only be cut into values
// knowing the projection, in order, and where each row starts. NULL stands
// for a null value and BLOB for a blob (the bytes are not shown).
//
// The reader never guesses. Integer columns must read as a decimal number
// or NULL. A query with text columns needs the ids of its rows (its first
// column, in row order, from a query of that column alone, which cannot be
// misread): each row must then start at exactly one line "Row: N <id
// column>=<id>, ", and the values inside a row must split in exactly one way
// at ", <column>=". Anything else throws std::runtime_error naming the row,
// so that nothing half-read is stored.
//
// Values: an invalid QVariant for NULL, a QByteArray for BLOB, a QString
// otherwise (integers too, as their digits).
class ContentRowParser
{
public:
    using Row = QVariantList;

    // Every column an integer column: no ids needed.
    [[nodiscard]] static QList<Row> parseIntegers(const QString &output, const QStringList &columns);
    // The ids of the rows (the first column) and which other columns hold
    // integers.
    // With `ambiguous`, a row whose values split in more than one way does
    // not throw: its index is added there and its values are left null, for
    // the caller to read again a column at a time.
    [[nodiscard]] static QList<Row> parse(const QString &output, const QStringList &columns,
        const QSet<int> &integerColumns, const QList<qint64> &ids, QList<int> *ambiguous = nullptr);

    // The first column of parseIntegers' rows as numbers.
    [[nodiscard]] static QList<qint64> firstColumn(const QList<Row> &rows);

private:
    // Null when the row splits in more than one way and `ambiguous` is set.
    [[nodiscard]] static Row splitRow(QStringView text, const QStringList &columns, const QSet<int> &integerColumns,
        int row, bool *ambiguous);
};

#endif
