#include "android/contentrowparser.h"

#include <QRegularExpression>

#include <map>
#include <stdexcept>

namespace {

[[noreturn]] void fail(const QString &message)
{
    throw std::runtime_error(message.toUtf8().toStdString());
}

bool isInteger(QStringView text)
{
    if (text == u"NULL")
        return true;
    qsizetype i = text.startsWith(u'-') ? 1 : 0;
    if (i >= text.size())
        return false;
    for (; i < text.size(); ++i) {
        if (!text.at(i).isDigit() || text.at(i).unicode() > 127)
            return false;
    }
    return true;
}

QVariant valueOf(QStringView text)
{
    if (text == u"NULL")
        return QVariant();
    if (text == u"BLOB")
        return QVariant(QByteArray("BLOB"));
    return text.toString();
}

// The printed output without the one line feed that ends it.
QStringView body(const QString &output)
{
    QStringView text(output);
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

} // namespace

QList<ContentRowParser::Row> ContentRowParser::parseIntegers(const QString &output, const QStringList &columns)
{
    QList<Row> rows;
    const QStringView text = body(output);
    if (text == u"No result found." || text.isEmpty())
        return rows;
    const QList<QStringView> lines = text.split(u'\n');
    for (qsizetype k = 0; k < lines.size(); ++k) {
        QStringView line = lines.at(k);
        const QString head = QStringLiteral("Row: %1 ").arg(k);
        if (!line.startsWith(head))
            fail(QStringLiteral("line %1 is not row %2: %3").arg(k + 1).arg(k).arg(line.left(80)));
        line = line.mid(head.size());
        Row row;
        const QList<QStringView> parts = line.split(QStringLiteral(", "));
        if (parts.size() != columns.size())
            fail(QStringLiteral("row %1 has %2 values instead of %3").arg(k).arg(parts.size()).arg(columns.size()));
        for (qsizetype c = 0; c < parts.size(); ++c) {
            const QString prefix = columns.at(c) + u'=';
            if (!parts.at(c).startsWith(prefix) || !isInteger(parts.at(c).mid(prefix.size())))
                fail(QStringLiteral("row %1: %2 is not a number: %3").arg(k).arg(columns.at(c)).arg(parts.at(c).left(80)));
            row.append(valueOf(parts.at(c).mid(prefix.size())));
        }
        rows.append(row);
    }
    return rows;
}

QList<qint64> ContentRowParser::firstColumn(const QList<Row> &rows)
{
    QList<qint64> ids;
    ids.reserve(rows.size());
    for (const Row &row : rows)
        ids.append(row.value(0).toString().toLongLong());
    return ids;
}

QList<ContentRowParser::Row> ContentRowParser::parse(
    const QString &output, const QStringList &columns, const QSet<int> &integerColumns, const QList<qint64> &ids,
    QList<int> *ambiguous)
{
    QList<Row> rows;
    const QStringView text = body(output);
    if (ids.isEmpty()) {
        if (text != u"No result found." && !text.isEmpty())
            fail(QStringLiteral("rows appeared that the count did not show"));
        return rows;
    }
    const QString separator = columns.size() > 1 ? QStringLiteral(", ") : QString();
    // One pass over the line starts: which lines look like the start of
    // which row.
    QList<QList<qsizetype>> candidates(ids.size());
    const QString idHead = u' ' + columns.first() + u'=';
    for (qsizetype at = 0; at >= 0 && at < text.size();) {
        QStringView line = text.mid(at);
        if (line.startsWith(u"Row: ")) {
            qsizetype i = 5;
            qint64 k = 0;
            while (i < line.size() && line.at(i).isDigit() && line.at(i).unicode() < 128 && k < (qint64(1) << 40))
                k = k * 10 + (line.at(i++).unicode() - '0');
            // A row beyond the count: the table grew since the ids were read
            // (or a value imitates a row); either way the rows are not safe.
            if (i > 5 && k == ids.size() && line.mid(i).startsWith(idHead))
                fail(QStringLiteral("more rows than the count showed (row %1)").arg(k));
            if (i > 5 && k < ids.size()) {
                const QString rest = idHead + QString::number(ids.at(k)) + separator;
                if (line.mid(i).startsWith(rest) && (!separator.isEmpty() || i + rest.size() == line.size()
                        || line.at(i + rest.size()) == u'\n'))
                    candidates[k].append(at);
            }
        }
        const qsizetype next = text.indexOf(u'\n', at);
        at = next < 0 ? -1 : next + 1;
    }
    QList<qsizetype> starts;
    qsizetype from = 0;
    for (qsizetype k = 0; k < ids.size(); ++k) {
        const QList<qsizetype> &hits = candidates.at(k);
        if (hits.isEmpty())
            fail(QStringLiteral("row %1 (id %2) is missing").arg(k).arg(ids.at(k)));
        if (hits.size() > 1)
            fail(QStringLiteral("row %1 (id %2) is ambiguous: a value repeats its start").arg(k).arg(ids.at(k)));
        if (hits.first() < from)
            fail(QStringLiteral("row %1 (id %2) is out of order").arg(k).arg(ids.at(k)));
        starts.append(hits.first());
        from = hits.first();
    }
    if (starts.first() != 0)
        fail(QStringLiteral("unexpected text before the first row"));
    for (qsizetype k = 0; k < starts.size(); ++k) {
        const qsizetype begin = starts.at(k);
        const qsizetype end = k + 1 < starts.size() ? starts.at(k + 1) - 1 : text.size();
        if (end < begin)
            fail(QStringLiteral("row %1 is cut short").arg(k));
        const QStringView rowText = text.mid(begin, end - begin);
        const QString head = QStringLiteral("Row: %1 ").arg(k);
        bool unclear = ambiguous != nullptr;
        rows.append(splitRow(rowText.mid(head.size()), columns, integerColumns, int(k), &unclear));
        if (unclear)
            ambiguous->append(int(k));
    }
    return rows;
}

// Cuts "c0=v0, c1=v1, ..." into values, counting the ways it can be cut;
// exactly one is accepted.
ContentRowParser::Row ContentRowParser::splitRow(
    QStringView text, const QStringList &columns, const QSet<int> &integerColumns, int row, bool *ambiguous)
{
    const bool tolerate = *ambiguous;
    *ambiguous = false;
    const QString first = columns.first() + u'=';
    if (!text.startsWith(first))
        fail(QStringLiteral("row %1 does not start with %2").arg(row).arg(columns.first()));
    // For each column, the possible start offsets of its value, each with
    // the number of ways to get there (capped at 2) and one predecessor.
    struct State
    {
        int ways = 0;
        qsizetype previous = -1;
    };
    std::vector<std::map<qsizetype, State>> starts(size_t(columns.size()));
    starts[0][first.size()] = State { 1, -1 };
    const auto valueOk = [&](int column, qsizetype from, qsizetype to) {
        return !integerColumns.contains(column) || isInteger(text.mid(from, to - from));
    };
    for (int c = 0; c + 1 < columns.size(); ++c) {
        if (starts[size_t(c)].empty())
            break;
        const QString sep = QStringLiteral(", ") + columns.at(c + 1) + u'=';
        const qsizetype earliest = starts[size_t(c)].begin()->first;
        for (qsizetype at = text.indexOf(sep, earliest); at >= 0; at = text.indexOf(sep, at + 1)) {
            State next;
            for (const auto &[start, state] : starts[size_t(c)]) {
                if (start > at)
                    break;
                if (!valueOk(c, start, at))
                    continue;
                next.ways = std::min(2, next.ways + state.ways);
                next.previous = start;
            }
            if (next.ways > 0)
                starts[size_t(c + 1)][at + sep.size()] = next;
        }
    }
    const int last = int(columns.size()) - 1;
    int ways = 0;
    qsizetype lastStart = -1;
    for (const auto &[start, state] : starts[size_t(last)]) {
        if (!valueOk(last, start, text.size()))
            continue;
        ways = std::min(2, ways + state.ways);
        lastStart = start;
    }
    if (ways == 0)
        fail(QStringLiteral("row %1 does not hold the %2 columns asked for").arg(row).arg(columns.size()));
    if (ways > 1) {
        if (!tolerate)
            fail(QStringLiteral("row %1 is ambiguous: a value contains \", <column>=\"").arg(row));
        *ambiguous = true;
        return Row(columns.size());
    }
    // Walk back along the one way.
    Row values(columns.size());
    qsizetype end = text.size();
    qsizetype start = lastStart;
    for (int c = last; c >= 0; --c) {
        values[c] = valueOf(text.mid(start, end - start));
        if (c == 0)
            break;
        const QString sep = QStringLiteral(", ") + columns.at(c) + u'=';
        end = start - sep.size();
        start = starts[size_t(c)].at(start).previous;
    }
    return values;
}
