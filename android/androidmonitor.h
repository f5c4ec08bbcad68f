#ifndef ANDROID_ANDROIDMONITOR_H
#define ANDROID_ANDROIDMONITOR_H

#include <QFuture>
#include <QMap>
#include <QSet>
#include <QString>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <mutex>

// Watches for phones coming and going over USB. Once started, a task on the
// global thread pool asks `adb devices` every few seconds and signals each
// serial that appeared or vanished since the last poll; the signals reach
// receivers on other threads as queued calls. A poll that fails (no adb,
// text on its standard error) reports nothing and changes nothing.
//
// The thread base is never started. Destroying the monitor stops the poll
// loop, waits for it, then stops the adb server.
class AndroidMonitor : public QThread
{
    Q_OBJECT

public:
    explicit AndroidMonitor(QObject *parent = nullptr, const QString &adbProgram = QStringLiteral("adb"));
    ~AndroidMonitor() override;

    // Starts the poll loop; later calls do nothing.
    void startMonitoring();

    // One poll's result against the known serials: signals the new ones,
    // then the gone ones, and updates the set. Called by the poll loop.
    void applyPoll(const QSet<QString> &current);
    [[nodiscard]] QSet<QString> knownSerials() const { return m_known; }
    // One poll's states: the phones in the "device" state go to applyPoll();
    // a phone listed in another state (unauthorized, no permissions, ...)
    // is signalled as waiting once per state it enters, so the user can be
    // told what to do. Called by the poll loop.
    void applyStates(const QMap<QString, QString> &states);

Q_SIGNALS:
    void deviceConnected(const QString &devid);
    void deviceDisconnected(const QString &devid);
    void deviceWaiting(const QString &devid, const QString &state);

private:
    void pollLoop();
    // Sleeps one poll interval; false when asked to stop meanwhile.
    bool pause();

    QString m_adbProgram;
    std::atomic<bool> m_stop { false };
    QSet<QString> m_known;
    QMap<QString, QString> m_waiting; // serial -> state last signalled
    QFuture<void> m_poll;
    std::mutex m_pauseMutex;
    std::condition_variable m_pauseWake;
};

#endif
