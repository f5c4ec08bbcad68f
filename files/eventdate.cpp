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

// The stored texts are at most "1985-11-23T10:15:30+02:00": built in a
// buffer on the stack and copied into the text once.
using Buffer = char16_t[32];

// `n` as exactly `width` decimal digits, zero-padded; returns the end.
char16_t *putDigits(char16_t *out, int n, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        out[i] = char16_t(u'0' + n % 10);
        n /= 10;
    }
    return out + width;
}

QString textOf(const char16_t *begin, const char16_t *end)
{
    return QString(reinterpret_cast<const QChar *>(begin), end - begin);
}

// The day as stored, without its time: "1985-11-23" or "--11-23"; nullptr
// when the day does not exist.
char16_t *putDate(char16_t *out, int year, int month, int day)
{
    if (year <= 0) {
        // Any year that has a 29 February will do to check the day.
        if (!QDate::isValid(2000, month, day))
            return nullptr;
        *out++ = u'-';
        *out++ = u'-';
    } else {
        if (year > 9999 || !QDate::isValid(year, month, day))
            return nullptr;
        out = putDigits(out, year, 4);
        *out++ = u'-';
    }
    out = putDigits(out, month, 2);
    *out++ = u'-';
    return putDigits(out, day, 2);
}

char16_t *putClock(char16_t *out, int hour, int minute, int second)
{
    out = putDigits(out, hour, 2);
    *out++ = u':';
    out = putDigits(out, minute, 2);
    *out++ = u':';
    return putDigits(out, second, 2);
}

// "T10:15", "T10:15:30.5", "T101530Z", "T10:15:30+02:00" after the date:
// the stored time "10:15:30" plus the zone as written; nullptr when it is
// not such a time.
char16_t *putIsoTime(char16_t *out, QStringView t)
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
        return nullptr;
    if (hour == 24 && (minute || second))
        return nullptr;
    if (t.size() > at && (t.at(at) == u'.' || t.at(at) == u',')) {
        ++at;   // a fraction of a second is not kept
        while (at < t.size() && isDigit(t.at(at)))
            ++at;
    }
    const QStringView rest = t.sliced(at);
    if (rest.isEmpty() || rest == u"Z") {
        out = putClock(out, hour == 24 ? 0 : hour, minute, second);
        if (!rest.isEmpty())
            *out++ = u'Z';
        return out;
    }
    if (rest.at(0) != u'+' && rest.at(0) != u'-')
        return nullptr;
    const int zh = digits(rest, 1, 2);
    int zm = 0;
    if (rest.size() == 6 && rest.at(3) == u':')
        zm = digits(rest, 4, 2);
    else if (rest.size() == 5)
        zm = digits(rest, 3, 2);
    else if (rest.size() != 3)
        return nullptr;
    if (zh < 0 || zh > 23 || zm < 0 || zm > 59)
        return nullptr;
    out = putClock(out, hour == 24 ? 0 : hour, minute, second);
    *out++ = rest.at(0).unicode();
    out = putDigits(out, zh, 2);
    *out++ = u':';
    return putDigits(out, zm, 2);
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
    Buffer buffer;
    char16_t *end = putDate(buffer, year, month, day);
    if (!end)
        return QString();
    if (year > 0) {
        *end++ = u'T';   // a date alone gets midnight
        end = putClock(end, 0, 0, 0);
    }
    return textOf(buffer, end);
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
    if (at == t.size())
        return fromParts(year, month, day);
    if (t.at(at) != u'T' && t.at(at) != u' ')
        return QString();
    Buffer buffer;
    char16_t *end = putDate(buffer, year, month, day);
    if (!end)
        return QString();
    if (year <= 0) {
        // Year 0000 is a day without a year, which is stored without a
        // time; the time must still be one.
        Buffer time;
        return putIsoTime(time, t.sliced(at + 1)) ? textOf(buffer, end) : QString();
    }
    *end++ = u'T';
    end = putIsoTime(end, t.sliced(at + 1));
    return end ? textOf(buffer, end) : QString();
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
        if (count == 3 && widths[0] == 4)
            return fromParts(n[0], n[1], n[2]);   // 1985/11/23: the year came first
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
