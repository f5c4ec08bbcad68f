// libFuzzer target: the CSV reader on arbitrary bytes, read whole and
// through a device that hands out a few bytes at a time; both must give the
// same rows. Every contact read is written again as CSV.

#include "files/csvexport.h"
#include "files/csvimport.h"

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
    CSVExport writer;
    QByteArray out = writer.exportHeader(contacts);
    for (const Contact &contact : contacts)
        out += writer.exportContact(contact);
    if (!out.endsWith('\n'))
        std::abort();
    return 0;
}
