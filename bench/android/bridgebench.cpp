// Backs up simulated USB phones of 1,000 and 10,000 contacts through the
// phone bridge (adb shell content) and through the agent (forward and
// broadcast), and prints adb calls and contacts per second of each.
//
//   qm_bench_bridge [sizes...]      default: 1000 10000
#include "android/adbbridgeconnector.h"
#include "android/adbconnector.h"
#include "android/linktimings.h"
#include "android/simpleprotocol.h"
#include "tools/phonesim/phonesimdriver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>

#include <cstdio>

using namespace simpleprotocol;

namespace {

struct Result
{
    bool ok = false;
    int contacts = 0;
    qint64 entities = 0;
    qint64 adbCalls = 0;
    double seconds = 0;
};

Result backup(IAndroidConnector &connector, int port, PhoneSimDriver &sim)
{
    Result r;
    (void)sim.takeAdbLog();
    QElapsedTimer wall;
    wall.start();
    connector.prepareAgent();
    QTcpSocket socket;
    socket.connectToHost(connector.startBackupService(port), quint16(port));
    if (!socket.waitForConnected(ConnectTimeoutMs))
        return r;
    try {
        for (;;) {
            const QString line = readCommand(socket, 600000);
            if (line.startsWith(u"$ent:1/"))
                ++r.contacts;
            if (line.startsWith(u"$ent:"))
                ++r.entities;
            else if (line.startsWith(u"$end:"))
                writeCommand(socket, QStringLiteral("$batch:"), QString(), true);
            else if (line.startsWith(u"$bye:"))
                break;
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "backup failed: %s\n", e.what());
        return r;
    }
    r.seconds = double(wall.nsecsElapsed()) / 1e9;
    r.adbCalls = sim.takeAdbLog().size();
    r.ok = true;
    return r;
}

void print(const char *path, int size, const Result &r)
{
    if (!r.ok) {
        std::printf("%-8s %8d  failed\n", path, size);
        return;
    }
    std::printf("%-8s %8d %9d %9lld %9lld %9.2f %12.0f\n", path, size, r.contacts, static_cast<long long>(r.entities),
        static_cast<long long>(r.adbCalls), r.seconds, r.contacts / r.seconds);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << QByteArray(argv[i]).toInt();
    if (sizes.isEmpty())
        sizes = { 1000, 10000 };
    // The agent's start pause is for a real phone's agent to open its port;
    // the simulated one listens at once.
    LinkTimings::setStartPauseMs(0);

    std::printf("%-8s %8s %9s %9s %9s %9s %12s\n", "path", "phone", "contacts", "entities", "adb calls", "seconds",
        "contacts/s");
    for (int size : sizes) {
        PhoneSimDriver sim;
        if (!sim.create({ QStringLiteral("serial=BENCH%1").arg(size), QStringLiteral("contacts=%1").arg(size),
                QStringLiteral("batch-size=500") })
            || !sim.start()) {
            std::fprintf(stderr, "simulator: %s\n", sim.lastError().constData());
            return 1;
        }
        sim.exportEnvironment();
        const QString serial = QStringLiteral("BENCH%1").arg(size);
        AdbBridgeConnector bridge(serial);
        print("bridge", size, backup(bridge, 43391, sim));
        AdbConnector agent(serial);
        print("agent", size, backup(agent, 43392, sim));
    }
    std::printf("(the bridge leaves photos out: one contact in eight has one)\n");
    return 0;
}
