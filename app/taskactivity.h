#ifndef APP_TASKACTIVITY_H
#define APP_TASKACTIVITY_H

#include <QObject>

// Knows whether a job is running under a TaskRunner somewhere in the
// program. While one runs, the GUI thread sits in the progress form's loop
// and still handles phones coming and going; the window uses this to leave
// every database alone until the job has ended (a job's database is
// written from the job's thread), and to put off loading phones.
//
// GUI thread only.
class TaskActivity : public QObject
{
    Q_OBJECT

public:
    [[nodiscard]] static TaskActivity &instance();

    [[nodiscard]] bool isBusy() const { return m_running > 0; }
    [[nodiscard]] int running() const { return m_running; }

    // Called by TaskRunner around each job. When the last running job
    // ends, idle() follows as a queued signal, after the command that ran
    // the job has had its turn.
    void begin();
    void end();

Q_SIGNALS:
    void idle();

private:
    TaskActivity() = default;

    int m_running = 0;
};

#endif
