// The KDE vCard library on the same file: read it, parse every card.
// Built by run.sh against Qt 5 and KF5Contacts, outside the project.
#include <KContacts/VCardConverter>

#include <QElapsedTimer>
#include <QFile>

#include <sys/resource.h>

#include <cstdio>
#include <ctime>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    rusage before {};
    getrusage(RUSAGE_SELF, &before);
    timespec cpuStart {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuStart);
    QElapsedTimer timer;
    timer.start();
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray data = file.readAll();
    KContacts::VCardConverter converter;
    const KContacts::Addressee::List list = converter.parseVCards(data);
    const qint64 ns = timer.nsecsElapsed();
    timespec cpuEnd {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuEnd);
    const double cpu = double(cpuEnd.tv_sec - cpuStart.tv_sec) + double(cpuEnd.tv_nsec - cpuStart.tv_nsec) / 1e9;
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("what=kcontacts-read bytes=%lld contacts=%d seconds=%.4f cpu_seconds=%.4f peak_mb=%.1f base_mb=%.1f\n",
                static_cast<long long>(data.size()), int(list.size()), double(ns) / 1e9, cpu,
                double(usage.ru_maxrss) / 1024.0, double(before.ru_maxrss) / 1024.0);
    return list.isEmpty() ? 1 : 0;
}
