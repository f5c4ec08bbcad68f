#ifndef FILES_CSVIMPORT_H
#define FILES_CSVIMPORT_H

#include "files/absimport.h"
#include "files/csvcolumnmap.h"
#include "files/csvrowparser.h"

#include <QByteArray>
#include <QIODevice>
#include <QStringList>

#include <memory>
#include <utility>
#include <vector>

// Reads a CSV file into contacts. The first row names the columns; each
// later row is one contact.
//
// open() brings the file to UTF-8 (CSVTextDecoder) with line feeds where
// its rows end in a carriage return alone (classic Mac files), takes the
// separator from the header line (comma, semicolon or tab), works out what the
// columns mean (CSVColumnMap) and finds where every row starts; a row with
// an unbalanced quote is reported and read as its one line (CSVRowParser).
// The text stays as it is: next() cuts its row into fields and builds the
// contact, so the reader holds little more than the file itself.
class CSVImport : public AbsImport
{
public:
    CSVImport();
    CSVImport(CSVImport &&other) noexcept;
    CSVImport &operator=(CSVImport &&other) noexcept;
    ~CSVImport() override;

    // Throws std::runtime_error with the file's error text when the file
    // cannot be opened or read.
    void open(const QString &path) override;
    void openDevice(QIODevice &device);

    [[nodiscard]] qsizetype count() const override;
    [[nodiscard]] bool hasNext() const override;
    [[nodiscard]] Contact next() override;
    void close() override;

    [[nodiscard]] const QStringList &header() const { return m_header; }
    [[nodiscard]] char separator() const { return m_separator; }
    [[nodiscard]] CSVColumnMap::Dialect dialect() const;
    // The fields of a data row, decoded.
    [[nodiscard]] QStringList row(qsizetype index) const;

private:
    struct Pending;

    void scan();
    void readFields(qsizetype row, std::vector<CSVRowParser::Field> &fields) const;
    [[nodiscard]] QString columnName(qsizetype column) const;
    // The dates of an event as stored: the field's one date, or each of the
    // `pieces` it was cut into; a text that is no date is reported under
    // `column`. False when no date is left.
    bool readDates(qsizetype column, Entity &event, QStringList &pieces);

    QByteArray m_text;                      // the file as UTF-8
    char m_separator = ',';
    // "First Name, Last Name": the header has a space after every
    // separator, and such spaces are no part of any field.
    bool m_spaceAfterSeparator = false;
    QStringList m_header;
    std::unique_ptr<CSVColumnMap> m_map;
    std::vector<qsizetype> m_rowStarts;     // per data row
    std::vector<quint8> m_rowMalformed;     // per data row: read as its line
    qsizetype m_cursor = 0;

    // Scratch of next(), kept to save allocations.
    std::vector<CSVRowParser::Field> m_fields;
    std::vector<Pending> m_pending;
    std::vector<int> m_touched;   // the groups a row gave anything, reset before the next
    QStringList m_labels;   // a row's group names
    // The group memberships of a row's names. Rows repeat the same few sets
    // of labels: their lists are shared between contacts (a contact that
    // changes its list gets its own copy then).
    [[nodiscard]] QList<Entity> membershipsOf(const QStringList &labels);
    std::vector<std::pair<QStringList, QList<Entity>>> m_membershipMemo;
    size_t m_membershipReplace = 0;
    // What the type labels, instant-messenger services and labels columns
    // read as, by their text: rows of one file repeat the same few values,
    // and a short list compared by text is cheaper than hashing every field.
    template<typename Value>
    struct Memo
    {
        std::vector<std::pair<QByteArray, Value>> entries;   // by the field's UTF-8 bytes
        size_t replace = 0;   // the entry a new text overwrites once the list is full
    };
    struct TypeMemo
    {
        int code = 0;
        QString label;
    };
    template<typename Value, typename Fill>
    static const Value &memoized(Memo<Value> &memo, QByteArrayView key, Fill fill);

    // The last few texts of a value column. Address books repeat many
    // values from row to row (countries, cities, companies, titles, notes):
    // a repeated one shares the text made before instead of allocating its
    // own. A column whose values hardly repeat stops being remembered.
    struct ValueMemo
    {
        std::vector<std::pair<QByteArray, QString>> entries;
        size_t replace = 0;
        quint32 lookups = 0;
        quint32 hits = 0;
        bool off = false;
    };
    [[nodiscard]] QString columnValue(qsizetype column, QByteArrayView text, const CSVRowParser::Field &field);

    std::vector<ValueMemo> m_valueMemo;       // per column
    std::vector<Memo<TypeMemo>> m_typeMemo;   // per group
    Memo<TypeMemo> m_serviceMemo;             // protocol, custom name
    Memo<QStringList> m_labelsMemo;
    QByteArray m_scratch;   // a quoted field's bytes
};

#endif
