#include "files/importreport.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

QString tr(const char *key)
{
    return QCoreApplication::translate("ImportReport", key);
}

// Not-kept items shown in the closing message; the details list them all.
constexpr qsizetype summaryItems = 5;

} // namespace

void ImportReport::clear()
{
    *this = ImportReport();
}

void ImportReport::add(QList<QPair<QString, qsizetype>> &items, QHash<QString, qsizetype> &index, const QString &what,
                       qsizetype count)
{
    const auto it = index.constFind(what);
    if (it != index.cend()) {
        items[it.value()].second += count;
        return;
    }
    index.insert(what, items.size());
    items.append({ what, count });
}

void ImportReport::addSkipped(const QString &reason, qsizetype count)
{
    add(m_skipped, m_skippedIndex, reason, count);
}

void ImportReport::addNotKept(const QString &what, qsizetype count)
{
    add(m_notKept, m_notKeptIndex, what, count);
}

void ImportReport::addMalformedRow(qsizetype row, qsizetype line, const QString &what)
{
    m_malformed.append({ row, line, what });
}

qsizetype ImportReport::skipped() const
{
    qsizetype total = 0;
    for (const auto &item : m_skipped)
        total += item.second;
    return total;
}

qsizetype ImportReport::skipped(const QString &reason) const
{
    const auto it = m_skippedIndex.constFind(reason);
    return it == m_skippedIndex.cend() ? 0 : m_skipped.at(it.value()).second;
}

qsizetype ImportReport::notKept(const QString &what) const
{
    const auto it = m_notKeptIndex.constFind(what);
    return it == m_notKeptIndex.cend() ? 0 : m_notKept.at(it.value()).second;
}

QList<QPair<QString, qsizetype>> ImportReport::notKeptItems() const
{
    QList<QPair<QString, qsizetype>> items = m_notKept;
    std::stable_sort(items.begin(), items.end(), [](const auto &a, const auto &b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    return items;
}

QString ImportReport::countList(const QList<QPair<QString, qsizetype>> &items)
{
    QStringList parts;
    parts.reserve(items.size());
    for (const auto &item : items)
        parts.append(tr("IDS_IMPORT_REPORT_COUNT_%1_%2").arg(item.second).arg(item.first));
    return parts.join(QStringLiteral(", "));
}

QStringList ImportReport::summaryLines() const
{
    QStringList lines;
    lines.append(tr("IDS_IMPORT_REPORT_READ_%1").arg(m_read));
    lines.append(tr("IDS_IMPORT_REPORT_STORED_%1_%2").arg(m_imported).arg(m_merged));
    if (const qsizetype n = skipped())
        lines.append(tr("IDS_IMPORT_REPORT_SKIPPED_%1_%2").arg(n).arg(countList(m_skipped)));
    const auto items = notKeptItems();
    if (!items.isEmpty()) {
        QString list = countList(items.mid(0, summaryItems));
        if (items.size() > summaryItems)
            list += tr("IDS_IMPORT_REPORT_AND_%1_MORE").arg(items.size() - summaryItems);
        lines.append(tr("IDS_IMPORT_REPORT_NOT_KEPT_%1").arg(list));
    }
    if (!m_malformed.isEmpty()) {
        QStringList rows;
        for (qsizetype i = 0; i < m_malformed.size() && i < summaryItems; ++i)
            rows.append(QString::number(m_malformed.at(i).row));
        if (m_malformed.size() > summaryItems)
            rows.append(QStringLiteral("…"));
        lines.append(tr("IDS_IMPORT_REPORT_MALFORMED_%1_%2").arg(m_malformed.size()).arg(rows.join(QStringLiteral(", "))));
    }
    return lines;
}

QString ImportReport::detailsBeyondSummary() const
{
    QString details = detailsText();
    return details == summaryLines().join(u'\n') ? QString() : details;
}

QString ImportReport::detailsText() const
{
    QStringList lines;
    if (!m_format.isEmpty())
        lines.append(tr("IDS_IMPORT_REPORT_FORMAT_%1").arg(m_format));
    lines.append(tr("IDS_IMPORT_REPORT_READ_%1").arg(m_read));
    lines.append(tr("IDS_IMPORT_REPORT_STORED_%1_%2").arg(m_imported).arg(m_merged));
    if (const qsizetype n = skipped())
        lines.append(tr("IDS_IMPORT_REPORT_SKIPPED_%1_%2").arg(n).arg(countList(m_skipped)));
    const auto items = notKeptItems();
    if (!items.isEmpty())
        lines.append(tr("IDS_IMPORT_REPORT_NOT_KEPT_%1").arg(countList(items)));
    for (const MalformedRow &row : m_malformed)
        lines.append(tr("IDS_IMPORT_REPORT_ROW_%1_LINE_%2_%3").arg(row.row).arg(row.line).arg(row.what));
    return lines.join(u'\n');
}
