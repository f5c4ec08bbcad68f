#include "android/androidmonitor.h"

#include "android/adbcommand.h"
#include "android/linktimings.h"

#include <QDebug>
#include <QtConcurrent/QtConcurrentRun>

#include <chrono>
#include <exception>

AndroidMonitor::AndroidMonitor(QObject *parent, const QString &adbProgram)
    : QThread(parent)
    , m_adbProgram(adbProgram)
{ }

AndroidMonitor::~AndroidMonitor()
{
    {
        std::lock_guard lock(m_pauseMutex);
        m_stop.store(true);
    }
    m_pauseWake.notify_all();
    m_poll.waitForFinished();
    try {
        AdbCommand(m_adbProgram).killServer();
    } catch (const std::exception &e) {
        qDebug("Android monitor, kill-server failed: %s", e.what());
    }
}

void AndroidMonitor::startMonitoring()
{
    if (m_poll.isRunning() || m_stop.load())
        return;
    m_poll = QtConcurrent::run([this] { pollLoop(); });
}

void AndroidMonitor::applyPoll(const QSet<QString> &current)
{
    for (const QString &serial : current) {
        if (!m_known.contains(serial)) {
            Q_EMIT deviceConnected(serial);
            m_known.insert(serial);
        }
    }
    QStringList gone;
    for (const QString &serial : std::as_const(m_known)) {
        if (!current.contains(serial))
            gone.append(serial);
    }
    for (const QString &serial : std::as_const(gone)) {
        m_known.remove(serial);
        Q_EMIT deviceDisconnected(serial);
    }
}

void AndroidMonitor::applyStates(const QMap<QString, QString> &states)
{
    QSet<QString> ready;
    QMap<QString, QString> waiting;
    for (auto it = states.cbegin(); it != states.cend(); ++it) {
        if (it.value() == u"device")
            ready.insert(it.key());
        else
            waiting.insert(it.key(), it.value());
    }
    applyPoll(ready);
    for (auto it = waiting.cbegin(); it != waiting.cend(); ++it) {
        if (m_waiting.value(it.key()) != it.value())
            Q_EMIT deviceWaiting(it.key(), it.value());
    }
    m_waiting = waiting;
}

void AndroidMonitor::pollLoop()
{
    while (!m_stop.load()) {
        QMap<QString, QString> current;
        bool ok = true;
        try {
            current = AdbCommand(m_adbProgram).deviceStates();
        } catch (const std::exception &e) {
            ok = false; // retried after the pause; nothing is reported
            qDebug("Android monitor, adb devices failed: %s", e.what());
        }
        if (ok)
            applyStates(current);
        if (!pause())
            break;
    }
}

bool AndroidMonitor::pause()
{
    std::unique_lock lock(m_pauseMutex);
    return !m_pauseWake.wait_for(
        lock, std::chrono::milliseconds(LinkTimings::pollIntervalMs()), [this] { return m_stop.load(); });
}
