#include "files/csvexport.h"

QString CSVExport::quoteField(const QString &value)
{
    if (!value.contains(QLatin1Char(',')) && !value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('"')))
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QByteArray CSVExport::formatHeaderLine(const QStringList &names)
{
    return (names.join(QLatin1Char(',')) + QLatin1Char('\n')).toUtf8();
}

QByteArray CSVExport::formatRecord(const QString *values, qsizetype count)
{
    QString line;
    for (qsizetype i = 0; i < count; ++i) {
        if (i)
            line += QLatin1Char(',');
        line += quoteField(values[i]);
    }
    line += QLatin1Char('\n');
    return line.toUtf8();
}
