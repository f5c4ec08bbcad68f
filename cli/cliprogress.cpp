#include "cli/cliprogress.h"

#include "cli/interruptwatcher.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int BarWidth = 30;

void writeError(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace

CliProgress::CliProgress(bool quiet, QObject *parent)
    : QObject(parent)
    , m_quiet(quiet)
    , m_terminal(isatty(STDERR_FILENO) != 0)
{
}

JobProgress CliProgress::progress()
{
    return JobProgress(this, InterruptWatcher::flag());
}

CliProgress::Outcome CliProgress::run(QThread &job)
{
    m_reported = false;
    m_succeeded = false;
    m_message.clear();
    m_lastPercent = -1;
    m_lastStatus.clear();

    QEventLoop loop;
    connect(&job, &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    job.start();
    loop.exec();
    job.wait();
    // Reports queued before the thread ended are delivered before its
    // finished signal; this only picks up stragglers.
    QCoreApplication::sendPostedEvents(this);
    endBar();

    if (InterruptWatcher::interrupted())
        return Outcome::Cancelled;
    if (m_reported && m_succeeded)
        return Outcome::Succeeded;
    return Outcome::Failed;
}

void CliProgress::updateProgress(const QString &status, int percent, const QString &text)
{
    if (m_quiet)
        return;
    percent = qBound(0, percent, 100);
    if (m_terminal) {
        const int filled = percent * BarWidth / 100;
        const QString bar = QString(filled, QLatin1Char('#')) + QString(BarWidth - filled, QLatin1Char('.'));
        writeError(QStringLiteral("\r\033[K%1 [%2] %3% %4").arg(status, bar).arg(percent).arg(text));
        m_barShown = true;
        return;
    }
    // A line per tenth is enough for a log file.
    if (status == m_lastStatus && percent / 10 == m_lastPercent / 10)
        return;
    m_lastStatus = status;
    m_lastPercent = percent;
    writeError(QStringLiteral("%1 %2% %3\n").arg(status).arg(percent).arg(text));
}

void CliProgress::succeed(const QString &text)
{
    m_reported = true;
    m_succeeded = true;
    m_message = text;
}

void CliProgress::errorOccurred(const QString &text)
{
    m_reported = true;
    m_succeeded = false;
    m_message = text;
}

void CliProgress::endBar()
{
    if (m_barShown) {
        writeError(QStringLiteral("\n"));
        m_barShown = false;
    }
}
