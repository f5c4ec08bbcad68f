// libFuzzer target: the CSV reader on arbitrary bytes, read whole and
// through a device that hands out a few bytes at a time; both must give the
// same rows. Every contact read is written again as CSV.

#include "files/csvexport.h"
#include "files/csvimport.h"

#include <QBuffer>

#include <cstdlib>

namespace {

// Hands out at most `step` bytes per read, so rows and byte-order marks
// straddle the reader's buffer refills.
class TrickleDevice : public QIODevice
{
public:
    TrickleDevice(QByteArray data, qint64 step)
        : m_data(std::move(data)), m_step(step)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *out, qint64 max) override
    {
        const qint64 n = qMin(qMin(max, m_step), qint64(m_data.size()) - m_at);
        if (n <= 0)
            return 0;
        memcpy(out, m_data.constData() + m_at, size_t(n));
        m_at += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_step;
    qint64 m_at = 0;
};

} // namespace

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
