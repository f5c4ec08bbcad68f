#ifndef FILES_CSVIMPORT_H
#define FILES_CSVIMPORT_H

#include "files/absimport.h"
#include "files/csvcolumnmap.h"
#include "files/csvrowparser.h"

#include <QByteArray>
#include <QIODevice>
#include <QStringList>

#include <memory>
#include <vector>

// Reads a CSV file into contacts. The first row names the columns; each
// later row is one contact.
//
// open() brings the file to UTF-8 (CSVTextDecoder), takes the separator
// from the header line (comma, semicolon or tab), works out what the
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

    QByteArray m_text;                      // the file as UTF-8
    char m_separator = ',';
    QStringList m_header;
    std::unique_ptr<CSVColumnMap> m_map;
    std::vector<qsizetype> m_rowStarts;     // per data row
    std::vector<quint8> m_rowMalformed;     // per data row: read as its line
    qsizetype m_cursor = 0;

    // Scratch of next(), kept to save allocations.
    std::vector<CSVRowParser::Field> m_fields;
    std::vector<Pending> m_pending;
    std::vector<int> m_touched;
    // The last type label of each group and what it read as: rows of one
    // file repeat the same few labels.
    struct TypeMemo
    {
        QString text;
        int code = 0;
        QString label;
    };
    std::vector<TypeMemo> m_typeMemo;
    // The last value of a labels column and its group names.
    QString m_labelsText;
    QStringList m_labelsNames;
};

#endif
