// Contacts per second that the send job puts onto a simulated phone over
// WiFi: generated contacts that are all new to the phone, merged into an
// empty cache database, created on the phone in batches of twenty and then
// given their details. Each run starts from an empty phone and cache.
//
//   qm_bench_send [contacts] [runs]
#include "android/androidcontactsdb.h"
#include "android/androidwificonnector.h"
#include "android/linktimings.h"
#include "android/syncbackupthread.h"
#include "bench/common/contactgenerator.h"
#include "tools/phonesim/phonesimdriver.h"

#include <QGuiApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTranslator>

#include <cstdio>
#include <memory>

namespace {

// This benchmark's phone (the protocol benchmark uses 127.0.0.8, the
// simulator's own 127.0.0.9).
const QString phone = QStringLiteral("127.0.0.6");

// Takes the job's reports and notes when each phase began.
class PhaseClock : public QObject
{
    Q_OBJECT

public:
    explicit PhaseClock(const QElapsedTimer &clock)
        : m_clock(clock)
    { }

    qint64 connectNs = 0; // merging done, the agent is started
    qint64 firstSendNs = 0; // the first batch answered
    QString success;
    QString error;

public Q_SLOTS:
    void updateProgress(const QString &status, int, const QString &)
    {
        if (status != m_lastStatus) {
            m_lastStatus = status;
            if (connectNs == 0 && status.contains(QLatin1String("Sync Service")))
                connectNs = m_clock.nsecsElapsed();
            else if (firstSendNs == 0 && connectNs != 0)
                firstSendNs = m_clock.nsecsElapsed();
        }
    }
    void succeed(const QString &text) { success = text; }
    void errorOccurred(const QString &text) { error = text; }

private:
    const QElapsedTimer &m_clock;
    QString m_lastStatus;
};

struct Run
{
    qint64 totalNs = 0;
    qint64 mergeNs = 0;
    qint64 sendNs = 0;
    int onPhone = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QTranslator translator;
    if (translator.load(QStringLiteral(":/en.qm")))
        QCoreApplication::installTranslator(&translator);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    const int runs = argc > 2 ? QByteArray(argv[2]).toInt() : 3;

    PhoneSimDriver sim;
    if (!sim.create({ QStringLiteral("wifi=") + phone }) || !sim.start()) {
        std::fprintf(stderr, "phone simulator: %s\n", sim.lastError().constData());
        return 1;
    }
    // The simulator listens at once; the full pause after a start request
    // would only add idle time.
    LinkTimings::setStartPauseMs(200);
    const QList<Contact> contacts = ContactGenerator().generate(count);
    qint64 entities = 0;
    for (const Contact &c : contacts)
        entities += c.entityCount();
    std::printf("%d generated contacts (%lld entities, some names repeated), WiFi phone, batches of %d\n", count,
        static_cast<long long>(entities), SyncBackupThread::BatchSize);

    QTemporaryDir dir;
    Run best;
    for (int r = 0; r < runs; ++r) {
        if (!sim.run(QStringLiteral("clear"), { phone }).ok()
            || !sim.run(QStringLiteral("transcript"), { phone, QStringLiteral("--clear") }).ok()) {
            std::fprintf(stderr, "cannot clear the phone: %s\n", sim.lastError().constData());
            return 1;
        }
        auto connector = std::make_shared<AndroidWifiConnector>();
        connector->hello(phone);
        auto db = std::make_shared<AndroidContactsDb>(dir.filePath(QStringLiteral("cache%1.db").arg(r)), connector);
        db->create();

        QElapsedTimer clock;
        PhaseClock phases(clock);
        SyncBackupThread job(contacts, db, 42222 + r, JobProgress(&phases, nullptr));
        clock.start();
        job.execute();
        Run run;
        run.totalNs = clock.nsecsElapsed();
        if (!phases.error.isEmpty()) {
            std::fprintf(stderr, "send failed: %s\n", qUtf8Printable(phases.error));
            return 1;
        }
        run.mergeNs = phases.connectNs;
        run.sendNs = run.totalNs - phases.connectNs - LinkTimings::startPauseMs() * qint64(1000000);
        run.onPhone = sim.dump(phone, { QStringLiteral("--count") }).trimmed().toInt();
        std::printf("run %d: %.2f s in all: merging %.2f s (%.0f contacts/s), sending %.2f s (%.0f contacts/s, "
                    "start pause left out); %d contacts on the phone; \"%s\"\n",
            r + 1, double(run.totalNs) / 1e9, double(run.mergeNs) / 1e9, count * 1e9 / double(run.mergeNs),
            double(run.sendNs) / 1e9, count * 1e9 / double(run.sendNs), run.onPhone, qUtf8Printable(phases.success));
        if (best.totalNs == 0 || run.totalNs < best.totalNs)
            best = run;
    }
    std::printf("best: %.0f contacts/s sent to the phone from start to success (merge %.0f contacts/s, "
                "exchange %.0f contacts/s)\n",
        count * 1e9 / double(best.totalNs), count * 1e9 / double(best.mergeNs), count * 1e9 / double(best.sendNs));
    return 0;
}

#include "sendbench.moc"
