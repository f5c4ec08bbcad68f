#ifndef CLI_CLIPROGRESS_H
#define CLI_CLIPROGRESS_H

#include "contacts/jobprogress.h"

#include <QObject>
#include <QString>

class QThread;

// The command line's stand-in for the progress form: the receiver of a
// job's reports. Progress goes to standard error, as a bar redrawn in place
// on a terminal, as one plain line per change of status or percentage
// otherwise, and not at all when quiet. run() starts a job and waits for its
// thread to end while the reports arrive; Ctrl+C sets the cancel flag the
// job polls.
class CliProgress : public QObject
{
    Q_OBJECT

public:
    enum class Outcome { Succeeded, Failed, Cancelled };

    explicit CliProgress(bool quiet, QObject *parent = nullptr);

    // What a job reports to: this object and the interrupt flag.
    [[nodiscard]] JobProgress progress();

    // Runs the job to its end. Cancelled when Ctrl+C came, whatever the job
    // reported; Failed on an error report or when the job ended silently.
    Outcome run(QThread &job);

    // The text of the last success or error report.
    [[nodiscard]] const QString &message() const { return m_message; }

public Q_SLOTS:
    void updateProgress(const QString &status, int percent, const QString &text);
    void succeed(const QString &text);
    void errorOccurred(const QString &text);

private:
    void endBar();

    bool m_quiet;
    bool m_terminal;
    bool m_barShown = false;
    QString m_lastStatus;
    int m_lastPercent = -1;
    bool m_reported = false;
    bool m_succeeded = false;
    QString m_message;
};

#endif
