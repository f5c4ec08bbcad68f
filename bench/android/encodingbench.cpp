// Entities per second through encodeEntityLine and decodeEntityFields, on a
// generated address book. Prints one figure per line.
#include "android/wireencoding.h"
#include "bench/common/contactgenerator.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <ctime>

namespace {

struct Item
{
    int kind;
    Entity entity;
};

// Wall-clock and CPU time of this thread; on a shared machine the CPU
// time shows what the code itself costs.
struct Clock
{
    qint64 wall = 0;
    qint64 cpu = 0;
};

qint64 cpuNow()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

class Stopwatch
{
public:
    void start()
    {
        m_wall.start();
        m_cpu = cpuNow();
    }
    void stopInto(Clock &clock) const
    {
        clock.wall += m_wall.nsecsElapsed();
        clock.cpu += cpuNow() - m_cpu;
    }

private:
    QElapsedTimer m_wall;
    qint64 m_cpu = 0;
};

void report(const char *what, qint64 count, const Clock &clock)
{
    std::printf("%-34s %10.0f entities/s wall, %10.0f entities/s CPU  (%lld in %.3f s wall, %.3f s CPU)\n", what,
        double(count) * 1e9 / double(clock.wall), double(count) * 1e9 / double(clock.cpu),
        static_cast<long long>(count), double(clock.wall) / 1e9, double(clock.cpu) / 1e9);
}

} // namespace

int main(int argc, char **argv)
{
    // The generator draws its photos with QPainter.
    QGuiApplication app(argc, argv);
    const int contacts = argc > 1 ? QByteArray(argv[1]).toInt() : 20000;
    const int rounds = argc > 2 ? QByteArray(argv[2]).toInt() : 5;

    QList<Item> items;
    qint64 key = 1;
    for (Contact &contact : ContactGenerator().generate(contacts)) {
        for (auto it = contact.entities.cbegin(); it != contact.entities.cend(); ++it) {
            for (const Entity &e : it.value()) {
                Item item { it.key(), e };
                item.entity.srcId = QStringLiteral("%1/%2/%2/%3").arg(it.key()).arg(key).arg(key * 10);
                items.append(item);
            }
        }
        ++key;
    }

    QList<QString> lines(items.size());
    Stopwatch timer;
    Clock encodeTime;
    for (int r = 0; r < rounds; ++r) {
        timer.start();
        for (qsizetype i = 0; i < items.size(); ++i)
            lines[i] = encodeEntityLine(items[i].kind, 0, 0, items[i].entity);
        timer.stopInto(encodeTime);
    }

    Clock decodeTime;
    qint64 checksum = 0;
    for (int r = 0; r < rounds; ++r) {
        timer.start();
        for (qsizetype i = 0; i < items.size(); ++i) {
            const QList<QStringView> fields = splitEntityFields(lines[i]);
            Entity entity;
            entity.srcId = fields.first().toString();
            decodeEntityFields(fields, items[i].kind, entity);
            checksum += entity.has(pim::data1);
        }
        timer.stopInto(decodeTime);
    }

    const qint64 total = qint64(items.size()) * rounds;
    std::printf("address book: %d contacts, %lld entities, %d rounds (checksum %lld)\n", contacts,
        static_cast<long long>(items.size()), rounds, static_cast<long long>(checksum));
    report("encodeEntityLine", total, encodeTime);
    report("split + decodeEntityFields", total, decodeTime);
    report("encode + decode, one entity each", total,
        Clock { encodeTime.wall + decodeTime.wall, encodeTime.cpu + decodeTime.cpu });
    return 0;
}
