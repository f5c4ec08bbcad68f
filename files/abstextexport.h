#ifndef FILES_ABSTEXTEXPORT_H
#define FILES_ABSTEXTEXPORT_H

#include "files/absexport.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

// The column model shared by the CSV and text exporters: one column per
// distinct value slot of the exported contacts ("First Name", "Tel:Mobile",
// "Addr:Home:City" ...), ordered by rank. The derived classes only format
// the header line and one record.
class AbsTextExport : public AbsExport
{
public:
    // Collects the columns every contact uses, sorts them by rank and
    // returns the header line.
    [[nodiscard]] QByteArray exportHeader(const QList<Contact> &contacts) override;
    // One record: each value at its column; a later value of the same
    // column replaces an earlier one.
    [[nodiscard]] QByteArray exportContact(const Contact &contact) override;
    [[nodiscard]] QByteArray exportFooter() override;

    // Column name -> index, filled by exportHeader.
    [[nodiscard]] const QMap<QString, int> &columns() const { return m_columns; }

    // Sort key of a column name: the name columns first, then phones,
    // e-mails, dates, addresses, IM, relations, web sites and notes.
    [[nodiscard]] static int columnRank(const QString &name);
    // Every (column name, value) pair of a contact, in entity order. Photos
    // have no column.
    static void forEachColumn(const Contact &contact,
                              const std::function<void(const QString &name, const QString &value)> &visit);

protected:
    [[nodiscard]] virtual QByteArray formatHeaderLine(const QStringList &names) = 0;
    [[nodiscard]] virtual QByteArray formatRecord(const QString *values, qsizetype count) = 0;

private:
    QMap<QString, int> m_columns;
};

#endif
