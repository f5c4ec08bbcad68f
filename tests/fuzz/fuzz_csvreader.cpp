// libFuzzer target: the CSV reader on arbitrary bytes, read whole and
// through a device that hands out a few bytes at a time; both must give the
// same rows and the same report. Every contact read is written again as CSV.
// The date, label and group-name readers get the input as text too.

#include "files/csvexport.h"
#include "files/csvcolumnmap.h"
#include "files/csvimport.h"
#include "files/csvrowparser.h"
#include "files/eventdate.h"

#include "tests/support/trickledevice.h"

#include <QBuffer>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CSVImport whole;
    whole.openDevice(buffer);

    TrickleDevice trickle(bytes, size ? 1 + data[0] % 5 : 1);
    CSVImport pieces;
    pieces.openDevice(trickle);

    if (whole.header() != pieces.header() || whole.count() != pieces.count())
        std::abort();
    QList<Contact> contacts;
    for (qsizetype i = 0; i < whole.count(); ++i) {
        if (whole.row(i) != pieces.row(i))
            std::abort();
        contacts.append(whole.next());
    }
    for (qsizetype i = 0; i < whole.count(); ++i)
        (void)pieces.next();
    const ImportReport &a = whole.report();
    const ImportReport &b = pieces.report();
    if (a.read() != whole.count() || b.read() != a.read() || a.malformedRows() != b.malformedRows()
        || a.notKeptItems() != b.notKeptItems() || a.detailsText() != b.detailsText())
        std::abort();

    // Finding where a row ends without its fields says what reading the
    // row says, from the start and from the first line starts.
    for (const char separator : { ',', ';', '\t' }) {
        int starts = 0;
        for (qsizetype from = 0; from <= bytes.size() && starts < 64; ++starts) {
            const CSVRowParser::Row read = CSVRowParser::readRow(bytes, from, separator, nullptr);
            const CSVRowParser::Row skipped = CSVRowParser::skipRow(bytes, from, separator);
            if (read.next != skipped.next || read.fields != skipped.fields || read.lineFeeds != skipped.lineFeeds
                || read.complete != skipped.complete || read.malformed != skipped.malformed
                || read.multiLine != skipped.multiLine)
                std::abort();
            const qsizetype lf = bytes.indexOf('\n', from);
            if (lf < 0)
                break;
            from = lf + 1;
        }
    }

    const QString text = QString::fromUtf8(bytes);
    const QString date = EventDate::fromText(text);
    if (!date.isEmpty() && EventDate::fromIso(date) != date)
        std::abort();   // a stored date reads back as itself
    QString label;
    (void)CSVColumnMap::typeCode(3, text, 0, &label);
    (void)CSVColumnMap::imProtocol(text, &label);
    for (const QString &name : CSVColumnMap::groupNames(text)) {
        if (name.isEmpty())
            std::abort();
    }

    CSVExport writer;
    QByteArray out = writer.exportHeader(contacts);
    for (const Contact &contact : contacts)
        out += writer.exportContact(contact);
    if (!out.endsWith('\n'))
        std::abort();
    return 0;
}
