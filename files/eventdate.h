#ifndef FILES_EVENTDATE_H
#define FILES_EVENTDATE_H

#include <QString>
#include <QStringView>

// Birthdays and other dates of contact files, turned into the text an event
// keeps in data1: "1985-11-23T00:00:00" (a date alone gets midnight), or
// "--11-23" for a day without a year, as phones store such birthdays.
//
// The text is built from the digits as written: no time zone is looked up
// and no date is shifted, so a birthday reads as the same day everywhere.
// A zone written with a time ("Z", "+02:00") is kept as it stands.
class EventDate
{
public:
    // ISO 8601: 1985-11-23, 19851123, either with a time (T10:15:00,
    // T101500, with fraction or zone), and the year-less --11-23 and --1123.
    // Empty when the text is not such a date or names a day that does not
    // exist.
    [[nodiscard]] static QString fromIso(QStringView text);

    // What address books put in CSV files: the ISO forms above, 11/23/1985
    // (month first; day first when the first number cannot be a month;
    // 1985/11/23 year first when it has four digits),
    // 23.11.1985, two-digit years (00-29 are 2000-2029, 30-99 the 1900s),
    // and the year-less 11/23 and 23.11. The "no date" placeholders 0/0/00
    // and 0.0.00 read as empty.
    [[nodiscard]] static QString fromText(QStringView text);

    // The stored text of a day; year 0 or below means no year. Empty when
    // the day does not exist.
    [[nodiscard]] static QString fromParts(int year, int month, int day);
};

#endif
