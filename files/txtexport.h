#ifndef FILES_TXTEXPORT_H
#define FILES_TXTEXPORT_H

#include "files/abstextexport.h"

#include <QList>

// A fixed-width text table in UTF-8 without byte-order mark: each column
// is left-aligned and padded with spaces to its width, one line feed per
// line. A longer value is written whole and pushes the following columns
// to the right for that line only; nothing is cut. Line breaks inside a
// value become spaces.
class TxtExport : public AbsTextExport
{
public:
    // The width of a column by its name.
    [[nodiscard]] static int columnWidth(const QString &name);
    // Widths of the current columns, in column order (set by exportHeader).
    [[nodiscard]] const QList<int> &widths() const { return m_widths; }

protected:
    [[nodiscard]] QByteArray formatHeaderLine(const QStringList &names) override;
    [[nodiscard]] QByteArray formatRecord(const QString *values, qsizetype count) override;

private:
    QList<int> m_widths;
};

#endif
