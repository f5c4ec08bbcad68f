#ifndef TESTS_FILES_JOBRECORDER_H
#define TESTS_FILES_JOBRECORDER_H

#include "contacts/jobprogress.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

// Stands in for the progress dialog: records what a job reports through
// the three slots and carries the cancel flag the job polls. A test may
// set the flag from a progress report (cancelOnProgress) to cancel midway.
class JobRecorder : public QObject
{
    Q_OBJECT

public:
    struct Progress
    {
        QString title;
        int percent;
        QString text;
    };

    [[nodiscard]] JobProgress progress() { return JobProgress(this, &cancelled); }

    QList<Progress> progressReports;
    QStringList successes;
    QStringList errors;
    std::atomic<bool> cancelled{false};
    // Called with each progress report; returning true sets the cancel flag.
    std::function<bool(const Progress &)> cancelOnProgress;

public slots:
    void updateProgress(const QString &title, int percent, const QString &text)
    {
        progressReports.append({title, percent, text});
        if (cancelOnProgress && cancelOnProgress(progressReports.last()))
            cancelled = true;
    }
    void succeed(const QString &message) { successes.append(message); }
    void errorOccurred(const QString &message) { errors.append(message); }
};

#endif
