#ifndef FILES_CSVROWPARSER_H
#define FILES_CSVROWPARSER_H

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

// Cuts the UTF-8 text of a CSV file into rows and fields, in place: a field
// is a span of the text, and only a field with quotes or carriage returns
// needs its bytes rewritten when it is read.
//
// Quoting: a double quote opens quoted text when it is the first quote of a
// field, even in the middle of it (a"b,c quotes ",c..."); inside quotes the
// separator and line breaks are data and a doubled quote is one quote; the
// next byte that is not a quote closes the quoted part. Outside quotes the
// separator ends the field, a carriage return is dropped and a line feed
// ends the row.
//
// An unbalanced quote would take the rest of the file, or everything up to
// some later quote, into one field. A row is taken for malformed when its
// quoted text runs past a line end and then never closes, or closes with a
// quote followed by other text, or when it yields more fields than the
// header has columns. Such a row is read again as one line in which a quote
// counts only when it closes on that line before a separator; the text
// after its line is read as the next row.
class CSVRowParser
{
public:
    struct Field
    {
        enum Form : quint8 {
            Plain,    // the span is the value
            Quoted,   // quotes and carriage returns to be undone
            Literal,  // quotes are data; carriage returns dropped
        };
        qsizetype start;
        qsizetype end;
        Form form;
    };

    struct Row
    {
        qsizetype next = 0;        // where the next row starts
        qsizetype fields = 0;      // number of fields
        qsizetype lineFeeds = 0;   // line feeds taken, the ending one included
        bool complete = false;     // a line feed ended the row
        bool malformed = false;    // see above; `fields` is not checked here
        bool multiLine = false;    // quoted text held a line feed
    };

    // The separator the header line uses: the most frequent of comma,
    // semicolon and tab outside quotes; a comma when there is none.
    [[nodiscard]] static char detectSeparator(QByteArrayView text);

    // Reads the row starting at `from`; appends its fields to `fields`
    // unless that is null.
    static Row readRow(QByteArrayView text, qsizetype from, char separator, std::vector<Field> *fields);
    // What readRow() says of the row at `from` without its fields: it jumps
    // from quote to quote and counts separators, for finding where rows
    // start.
    static Row skipRow(QByteArrayView text, qsizetype from, char separator);
    // Reads the line starting at `from` as a malformed row (see above).
    static Row readLine(QByteArrayView text, qsizetype from, char separator, std::vector<Field> *fields);

    // The value of a field.
    [[nodiscard]] static QByteArray bytes(QByteArrayView text, const Field &field);
    // The same into `out`, whose room is kept for the next field.
    static void bytes(QByteArrayView text, const Field &field, QByteArray &out);
    // UTF-8 bytes as text.
    [[nodiscard]] static QString decode(QByteArrayView bytes);
    [[nodiscard]] static QString value(QByteArrayView text, const Field &field);
    [[nodiscard]] static bool isEmpty(const Field &field) { return field.start == field.end; }
};

#endif
