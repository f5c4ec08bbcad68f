#include "files/txtexport.h"

namespace {

void appendPadded(QString &line, const QString &value, int width)
{
    line += value;
    if (value.size() < width)
        line += QString(width - value.size(), u' ');
}

} // namespace

int TxtExport::columnWidth(const QString &name)
{
    if (name.startsWith(QLatin1String("Date:")))
        return 20;
    if (name.startsWith(QLatin1String("Addr:")))
        return name.endsWith(QLatin1String(":Street")) ? 50 : 25;
    if (name.startsWith(QLatin1String("Url:")))
        return 60;
    if (name == QLatin1String("Notes"))
        return 100;
    // The name, nickname, category and organization columns, phones,
    // e-mails, IM and relations, and anything else.
    return 25;
}

QByteArray TxtExport::formatHeaderLine(const QStringList &names)
{
    m_widths.clear();
    m_widths.reserve(names.size());
    QString line;
    for (const QString &name : names) {
        const int width = columnWidth(name);
        m_widths.append(width);
        appendPadded(line, name, width);
    }
    line += u'\n';
    return line.toUtf8();
}

QByteArray TxtExport::formatRecord(const QString *values, qsizetype count)
{
    QString line;
    for (qsizetype i = 0; i < count; ++i) {
        QString value = values[i];
        value.replace(u'\r', u' ');
        value.replace(u'\n', u' ');
        appendPadded(line, value, i < m_widths.size() ? m_widths.at(i) : 25);
    }
    line += u'\n';
    return line.toUtf8();
}
