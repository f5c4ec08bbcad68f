#ifndef FILES_CSVIMPORT_H
#define FILES_CSVIMPORT_H

#include "files/absimport.h"
#include "files/csvheadertable.h"

#include <QByteArray>
#include <QIODevice>
#include <QStringList>

#include <string>
#include <vector>

// Reads a CSV file into contacts. The first row names the columns (a UTF-8
// byte-order mark before it is skipped); each later row is one contact.
// Columns map to entities through the header table: columns of the same
// kind and type fill one entity, and two columns of the same entity column
// ("Home Street", "Home Street 2") are joined with a space. Unknown headers
// and empty values are skipped.
//
// The rows are kept as raw field bytes until next() needs them.
class CSVImport : public AbsImport
{
public:
    // Throws std::runtime_error with the file's error text when the file
    // cannot be opened or read.
    void open(const QString &path) override;
    void openDevice(QIODevice &device);

    [[nodiscard]] qsizetype count() const override;
    [[nodiscard]] bool hasNext() const override;
    [[nodiscard]] Contact next() override;
    void close() override;

    [[nodiscard]] const QStringList &header() const { return m_header; }
    // The fields of a data row, decoded.
    [[nodiscard]] QStringList row(qsizetype index) const;

private:
    struct Slot
    {
        qsizetype field;   // position in the row
        int group;         // index into m_groupKinds
        CSVHeaderMapping mapping;
    };

    void planColumns();
    [[nodiscard]] QByteArrayView field(qsizetype row, qsizetype position) const;

    QStringList m_header;
    std::string m_data;                     // field bytes of all rows
    std::vector<qsizetype> m_fieldEnds;     // end of each field in m_data
    std::vector<qsizetype> m_rowFirstField; // per row, plus one past the last
    std::vector<Slot> m_slots;              // the header columns that map somewhere
    std::vector<int> m_groupKinds;          // kind per group, groups in key order
    std::vector<int> m_groupsByKind;        // the groups by ascending kind, key order within a kind
    qsizetype m_cursor = 0;
};

#endif
