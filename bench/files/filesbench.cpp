// Benchmark of the contact file codecs. One measurement per process, so the
// peak resident size belongs to that measurement alone:
//
//   bench_files generate <dir> <count>      writes contacts-<count>.vcf/.csv
//   bench_files vcard-read <file>           VCardImport open + every next
//   bench_files read-once <file>            the file read into memory once,
//                                           the floor of any reader
//   bench_files vcard-write <count> <file>  VCardExport of <count> contacts
//   bench_files csv-read <file>             CSVImport open + every next
//   bench_files generate-layouts <dir> <count>
//                                           writes google-<count>.csv and
//                                           outlook-<count>.csv
//   bench_files generate-thirdparty-vcard <dir> <count>
//                                           writes thirdparty-<count>.vcf,
//                                           shaped like Google's and
//                                           Android's vCard 3.0 exports
//
// Each measurement prints one line of key=value pairs for run.sh.

#include "bench/common/contactgenerator.h"
#include "bench/files/layoutcsvgenerator.h"
#include "bench/files/thirdpartyvcardgenerator.h"
#include "files/csvexport.h"
#include "files/csvimport.h"
#include "files/vcardexport.h"
#include "files/vcardimport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <sys/resource.h>

#include <ctime>

#include <cstdio>

namespace {

double peakMegabytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;   // kilobytes on Linux
}

// CPU time of this thread: on a machine shared with other work the wall
// clock also counts the time other processes had the processor.
double threadCpuSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

double currentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/statm"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = status.readAll().split(' ');
    return fields.size() > 1 ? double(fields.at(1).toLongLong()) * 4096.0 / (1024.0 * 1024.0) : 0;
}

void report(const char *what, qint64 bytes, qsizetype contacts, qint64 nanoseconds, double cpuSeconds,
            double baseMegabytes, qint64 partNanoseconds = 0, qsizetype entities = 0)
{
    std::printf("what=%s bytes=%lld contacts=%lld seconds=%.4f cpu_seconds=%.4f peak_mb=%.1f base_mb=%.1f "
                "part_seconds=%.4f entities=%lld\n",
                what, static_cast<long long>(bytes), static_cast<long long>(contacts), double(nanoseconds) / 1e9,
                cpuSeconds, peakMegabytes(), baseMegabytes, double(partNanoseconds) / 1e9,
                static_cast<long long>(entities));
}

int generateLayouts(const QString &dir, int count)
{
    for (const auto &[name, layout] : { std::pair { "google", LayoutCsvGenerator::Layout::Google },
                                        { "outlook", LayoutCsvGenerator::Layout::Outlook } }) {
        QFile file(QStringLiteral("%1/%2-%3.csv").arg(dir, QLatin1String(name)).arg(count));
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        LayoutCsvGenerator(layout).write(file, count);
    }
    return 0;
}

int generateThirdPartyVCard(const QString &dir, int count)
{
    QFile file(QStringLiteral("%1/thirdparty-%2.vcf").arg(dir).arg(count));
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    ThirdPartyVCardGenerator().write(file, count);
    return 0;
}

int generate(const QString &dir, int count)
{
    const QList<Contact> contacts = ContactGenerator().generate(count);
    VCardExport vcard;
    QFile vcf(QStringLiteral("%1/contacts-%2.vcf").arg(dir).arg(count));
    if (!vcf.open(QIODevice::WriteOnly))
        return 1;
    vcf.write(vcard.exportHeader(contacts));
    for (const Contact &c : contacts)
        vcf.write(vcard.exportContact(c));
    vcf.write(vcard.exportFooter());

    CSVExport csv;
    QFile csvFile(QStringLiteral("%1/contacts-%2.csv").arg(dir).arg(count));
    if (!csvFile.open(QIODevice::WriteOnly))
        return 1;
    csvFile.write(csv.exportHeader(contacts));
    for (const Contact &c : contacts)
        csvFile.write(csv.exportContact(c));
    csvFile.write(csv.exportFooter());
    return 0;
}

template<typename Reader>
int readAll(const char *what, const QString &path)
{
    const double base = currentMegabytes();
    const double cpu = threadCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    Reader reader;
    reader.open(path);
    const qint64 opened = timer.nsecsElapsed();
    qsizetype contacts = 0;
    qsizetype entities = 0;
    while (reader.hasNext()) {
        const Contact c = reader.next();
        entities += c.entityCount();
        ++contacts;
    }
    reader.close();
    const qint64 ns = timer.nsecsElapsed();
    if (entities == 0)
        return 1;
    // "part_seconds": the time open() took.
    report(what, QFileInfo(path).size(), contacts, ns, threadCpuSeconds() - cpu, base, opened, entities);
    return 0;
}

int readOnce(const QString &path)
{
    const double base = currentMegabytes();
    const double cpu = threadCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray bytes = file.readAll();
    const qint64 ns = timer.nsecsElapsed();
    if (bytes.isEmpty())
        return 1;
    report("read-once", bytes.size(), 0, ns, threadCpuSeconds() - cpu, base);
    return 0;
}

int writeVCards(int count, const QString &path)
{
    const QList<Contact> contacts = ContactGenerator().generate(count);
    // Dropping an earlier output file is not part of writing this one.
    QFile::remove(path);
    const double base = currentMegabytes();
    const double cpu = threadCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    VCardExport writer;
    qint64 bytes = file.write(writer.exportHeader(contacts));
    QElapsedTimer encoding;
    qint64 encodeNs = 0;
    for (const Contact &c : contacts) {
        encoding.start();
        const QByteArray card = writer.exportContact(c);
        encodeNs += encoding.nsecsElapsed();
        bytes += file.write(card);
    }
    bytes += file.write(writer.exportFooter());
    file.close();
    // "part_seconds": the time spent in exportContact alone.
    report("vcard-write", bytes, contacts.size(), timer.nsecsElapsed(), threadCpuSeconds() - cpu, base, encodeNs);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    // The generator draws its photo with QPainter.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString mode = args.value(1);
    if (mode == QLatin1String("generate-layouts") && args.size() == 4)
        return generateLayouts(args.at(2), args.at(3).toInt());
    if (mode == QLatin1String("generate-thirdparty-vcard") && args.size() == 4)
        return generateThirdPartyVCard(args.at(2), args.at(3).toInt());
    if (mode == QLatin1String("generate") && args.size() == 4)
        return generate(args.at(2), args.at(3).toInt());
    if (mode == QLatin1String("vcard-read") && args.size() == 3)
        return readAll<VCardImport>("vcard-read", args.at(2));
    if (mode == QLatin1String("read-once") && args.size() == 3)
        return readOnce(args.at(2));
    if (mode == QLatin1String("csv-read") && args.size() == 3)
        return readAll<CSVImport>("csv-read", args.at(2));
    if (mode == QLatin1String("vcard-write") && args.size() == 4)
        return writeVCards(args.at(2).toInt(), args.at(3));
    std::fprintf(stderr, "usage: %s generate <dir> <count> | vcard-read <file> | read-once <file> | vcard-write <count> <file> | "
                         "csv-read <file> | generate-layouts <dir> <count> | generate-thirdparty-vcard <dir> <count>\n",
                 argv[0]);
    return 2;
}
