#ifndef FILES_CSVEXPORT_H
#define FILES_CSVEXPORT_H

#include "files/abstextexport.h"

// Comma-separated values in UTF-8 without byte-order mark, one line feed
// per record. Header names are written as they are; a value holding a
// comma, a line feed or a double quote is quoted, its quotes doubled.
class CSVExport : public AbsTextExport
{
public:
    [[nodiscard]] static QString quoteField(const QString &value);

protected:
    [[nodiscard]] QByteArray formatHeaderLine(const QStringList &names) override;
    [[nodiscard]] QByteArray formatRecord(const QString *values, qsizetype count) override;
};

#endif
