#include "files/eventdate.h"

#include <QDate>

namespace {

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// The number written by `count` ASCII digits at `at`, or -1.
int digits(QStringView text, qsizetype at, qsizetype count)
{
    if (at < 0 || at + count > text.size())
        return -1;
    int n = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        if (!isDigit(text.at(i)))
            return -1;
        n = n * 10 + (text.at(i).unicode() - u'0');
    }
    return n;
}

QString twoDigits(int n)
{
    return QString::number(n).rightJustified(2, u'0');
}

// "T10:15", "T10:15:30.5", "T101530Z", "T10:15:30+02:00" after the date:
// the stored time "10:15:30" plus the zone as written, or a null text.
QString isoTime(QStringView t)
{
    int hour = digits(t, 0, 2);
    int minute = -1;
    int second = 0;
    qsizetype at = 2;
    if (t.size() > at && t.at(at) == u':') {
        minute = digits(t, 3, 2);
        at = 5;
        if (t.size() > at && t.at(at) == u':') {
            second = digits(t, 6, 2);
            at = 8;
        }
    } else {
        minute = digits(t, 2, 2);
        at = 4;
        if (t.size() >= 6 && isDigit(t.at(4))) {
            second = digits(t, 4, 2);
            at = 6;
        }
    }
    if (hour < 0 || minute < 0 || second < 0 || !QTime::isValid(hour == 24 ? 0 : hour, minute, second))
        return QString();
    if (hour == 24 && (minute || second))
        return QString();
    if (t.size() > at && (t.at(at) == u'.' || t.at(at) == u',')) {
        ++at;   // a fraction of a second is not kept
        while (at < t.size() && isDigit(t.at(at)))
            ++at;
    }
    QString zone;
    const QStringView rest = t.sliced(at);
    if (rest == u"Z") {
        zone = QStringLiteral("Z");
    } else if (!rest.isEmpty()) {
        if (rest.at(0) != u'+' && rest.at(0) != u'-')
            return QString();
        const int zh = digits(rest, 1, 2);
        int zm = 0;
        if (rest.size() == 6 && rest.at(3) == u':')
            zm = digits(rest, 4, 2);
        else if (rest.size() == 5)
            zm = digits(rest, 3, 2);
        else if (rest.size() != 3)
            return QString();
        if (zh < 0 || zh > 23 || zm < 0 || zm > 59)
            return QString();
        zone = rest.first(1).toString() + twoDigits(zh) + u':' + twoDigits(zm);
    }
    return twoDigits(hour == 24 ? 0 : hour) + u':' + twoDigits(minute) + u':' + twoDigits(second) + zone;
}

int fullYear(int year, qsizetype written)
{
    if (written <= 2)
        return year < 30 ? 2000 + year : 1900 + year;
    return year;
}

// "a<sep>b<sep>c" or "a<sep>b" (a trailing separator allowed) as numbers;
// false when the text is not of that shape.
bool splitNumbers(QStringView t, QChar sep, int (&n)[3], qsizetype (&widths)[3], int &count)
{
    count = 0;
    qsizetype at = 0;
    while (at < t.size() && count < 3) {
        qsizetype end = at;
        while (end < t.size() && isDigit(t.at(end)))
            ++end;
        if (end == at || end - at > 4)
            return false;
        n[count] = digits(t, at, end - at);
        widths[count] = end - at;
        ++count;
        if (end == t.size())
            return count >= 2;
        if (t.at(end) != sep)
            return false;
        at = end + 1;
    }
    return at == t.size() && count >= 2;
}

} // namespace

QString EventDate::fromParts(int year, int month, int day)
{
    // Written digit by digit into one buffer: a file of many contacts
    // turns one date per row.
    const auto put2 = [](char16_t *at, int n) {
        at[0] = char16_t(u'0' + n / 10);
        at[1] = char16_t(u'0' + n % 10);
    };
    if (year <= 0) {
        // Any year that has a 29 February will do to check the day.
        if (!QDate::isValid(2000, month, day))
            return QString();
        char16_t text[7] = { u'-', u'-', 0, 0, u'-', 0, 0 };
        put2(text + 2, month);
        put2(text + 5, day);
        return QString(reinterpret_cast<const QChar *>(text), 7);
    }
    if (year > 9999 || !QDate::isValid(year, month, day))
        return QString();
    char16_t text[19] = { 0, 0, 0, 0, u'-', 0, 0, u'-', 0, 0, u'T', u'0', u'0', u':', u'0', u'0', u':', u'0', u'0' };
    put2(text, year / 100);
    put2(text + 2, year % 100);
    put2(text + 5, month);
    put2(text + 8, day);
    return QString(reinterpret_cast<const QChar *>(text), 19);
}

QString EventDate::fromIso(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.startsWith(u"--")) {
        // Year-less: --11-23 or --1123.
        if (t.size() == 7 && t.at(4) == u'-')
            return fromParts(0, digits(t, 2, 2), digits(t, 5, 2));
        if (t.size() == 6)
            return fromParts(0, digits(t, 2, 2), digits(t, 4, 2));
        return QString();
    }
    int year = -1;
    int month = -1;
    int day = -1;
    qsizetype at = 0;
    if (t.size() >= 10 && t.at(4) == u'-' && t.at(7) == u'-') {
        year = digits(t, 0, 4);
        month = digits(t, 5, 2);
        day = digits(t, 8, 2);
        at = 10;
    } else if (t.size() >= 8) {
        year = digits(t, 0, 4);
        month = digits(t, 4, 2);
        day = digits(t, 6, 2);
        at = 8;
    }
    if (year < 0 || month < 0 || day < 0)
        return QString();
    QString date = fromParts(year, month, day);
    if (date.isEmpty() || at == t.size())
        return date;
    if (t.at(at) != u'T' && t.at(at) != u' ')
        return QString();
    const QString time = isoTime(t.sliced(at + 1));
    if (time.isEmpty())
        return QString();
    date.chop(8);   // "00:00:00"
    return date + time;
}

QString EventDate::fromText(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return QString();
    const QString iso = fromIso(t);
    if (!iso.isEmpty())
        return iso;
    int n[3] = { 0, 0, 0 };
    qsizetype widths[3] = { 0, 0, 0 };
    int count = 0;
    if (splitNumbers(t, u'/', n, widths, count)) {
        int month = n[0];
        int day = n[1];
        if (month > 12 && day <= 12)
            std::swap(month, day);   // 23/11/1985: the day came first
        if (count == 2)
            return fromParts(0, month, day);
        if (n[0] == 0 && n[1] == 0)
            return QString();   // 0/0/00: no date
        return fromParts(fullYear(n[2], widths[2]), month, day);
    }
    if (splitNumbers(t, u'.', n, widths, count)) {
        if (count == 2)
            return fromParts(0, n[1], n[0]);
        if (n[0] == 0 && n[1] == 0)
            return QString();   // 0.0.00: no date
        return fromParts(fullYear(n[2], widths[2]), n[1], n[0]);
    }
    return QString();
}
