// Lines per second that readCommand reads from a loopback socket fed by the
// phone simulator: full backup exchanges of a generated phone over WiFi,
// batches acknowledged with "$batch:" as the receive job does.
//
//   qm_bench_protocol [contacts] [runs] [batch size]
#include "android/androidwificonnector.h"
#include "android/linktimings.h"
#include "android/simpleprotocol.h"
#include "tools/phonesim/phonesimdriver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>

#include <cstdio>
#include <ctime>

using namespace simpleprotocol;

namespace {

// This benchmark's phone; the simulator's own benchmark uses 127.0.0.9.
const QString phone = QStringLiteral("127.0.0.8");

qint64 cpuNow()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

struct Run
{
    qint64 lines = 0;
    qint64 entities = 0;
    qint64 bytes = 0;
    qint64 wallNs = 0;
    qint64 readNs = 0; // CPU time of this thread while reading
};

// Asks the phone for a backup on `port` and connects to it.
bool startBackup(int port, QTcpSocket &socket)
{
    AndroidWifiConnector connector;
    connector.hello(phone);
    const QString host = connector.startBackupService(port);
    socket.connectToHost(host, quint16(port));
    return socket.waitForConnected(ConnectTimeoutMs);
}

bool backup(int port, Run &run)
{
    QTcpSocket socket;
    if (!startBackup(port, socket))
        return false;
    QElapsedTimer wall;
    wall.start();
    // The thread's CPU clock is a system call: read it once per exchange,
    // not per line, or it costs more than the reading itself.
    const qint64 before = cpuNow();
    for (;;) {
        const QString line = readCommand(socket, NoTimeLimit);
        ++run.lines;
        run.bytes += line.size() + 1;
        if (line.startsWith(QLatin1String("$ent:")))
            ++run.entities;
        else if (line == QLatin1String("$end:"))
            writeCommand(socket, QStringLiteral("$batch:"), QString(), true);
        else if (line.startsWith(QLatin1String("$bye:")))
            break;
    }
    run.readNs = cpuNow() - before;
    run.wallNs = wall.nsecsElapsed();
    return true;
}

// The same exchange, but every batch is first left to arrive in full in
// the socket's buffer, so that only readCommand's own work is timed, not the
// simulator producing the lines.
bool bufferedBackup(int port, Run &run)
{
    QTcpSocket socket;
    if (!startBackup(port, socket))
        return false;
    for (;;) {
        // The agent sends a whole batch, then waits for our answer.
        while (socket.waitForReadyRead(300)) { }
        QElapsedTimer wall;
        wall.start();
        const qint64 before = cpuNow();
        bool batchDone = false;
        bool bye = false;
        while (!batchDone && !bye) {
            const QString line = readCommand(socket, NoTimeLimit);
            ++run.lines;
            run.bytes += line.size() + 1;
            if (line.startsWith(QLatin1String("$ent:")))
                ++run.entities;
            batchDone = line == QLatin1String("$end:");
            bye = line.startsWith(QLatin1String("$bye:"));
        }
        run.readNs += cpuNow() - before;
        run.wallNs += wall.nsecsElapsed();
        if (bye)
            return true;
        writeCommand(socket, QStringLiteral("$batch:"), QString(), true);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int contacts = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    const int runs = argc > 2 ? QByteArray(argv[2]).toInt() : 3;
    const int batch = argc > 3 ? QByteArray(argv[3]).toInt() : 500;

    PhoneSimDriver sim;
    if (!sim.create({ QStringLiteral("wifi=") + phone, QStringLiteral("contacts=%1").arg(contacts),
            QStringLiteral("batch-size=%1").arg(batch) })
        || !sim.start()) {
        std::fprintf(stderr, "phone simulator: %s\n", sim.lastError().constData());
        return 1;
    }
    // The simulator listens within moments; the program's full pause after a
    // start request would only add idle time before the measurement.
    LinkTimings::setStartPauseMs(200);

    std::printf("phone: %d contacts, batches of %d contacts\n", contacts, batch);
    Run best;
    for (int r = 0; r < runs; ++r) {
        Run run;
        if (!backup(42222 + r, run)) {
            std::fprintf(stderr, "no data connection\n");
            return 1;
        }
        std::printf("run %d: %lld lines (%lld entity lines, %.1f MB) in %.3f s: %9.0f lines/s; "
                    "this thread's CPU %9.0f lines/s\n",
            r + 1, static_cast<long long>(run.lines), static_cast<long long>(run.entities), double(run.bytes) / 1e6,
            double(run.wallNs) / 1e9, double(run.lines) * 1e9 / double(run.wallNs),
            double(run.lines) * 1e9 / double(run.readNs));
        if (best.wallNs == 0 || run.wallNs < best.wallNs)
            best = run;
    }
    std::printf("best: %.0f lines/s read from the socket as the simulator sends them\n",
        double(best.lines) * 1e9 / double(best.wallNs));

    Run buffered;
    for (int r = 0; r < runs; ++r) {
        Run run;
        if (!bufferedBackup(42222 + runs + r, run)) {
            std::fprintf(stderr, "no data connection\n");
            return 1;
        }
        if (buffered.wallNs == 0 || run.wallNs < buffered.wallNs)
            buffered = run;
    }
    std::printf("readCommand over batches already in the socket's buffer: %.0f lines/s (%.0f lines/s of CPU; "
                "target 300,000)\n",
        double(buffered.lines) * 1e9 / double(buffered.wallNs), double(buffered.lines) * 1e9 / double(buffered.readNs));
    return 0;
}
