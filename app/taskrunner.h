#ifndef APP_TASKRUNNER_H
#define APP_TASKRUNNER_H

#include "contacts/jobprogress.h"

#include <QString>

#include <memory>

class ProgressForm;
class QThread;
class QWidget;

// Runs one job under a modal progress form, the way every long command does:
//
//     TaskRunner task(tr("IDS_STARTING_IMPORT_CONTACTS_FROM_FILE"), nullptr);
//     ImportContactsToLocalThread job(path, format, db, task.progress(), this);
//     if (task.run(job))
//         ... refresh the tree or the list ...
//
// run() starts the job, shows the form modally until the job's success or
// error report (or the user's Cancel) closes it, then waits for the job's
// thread to end. Declare the job after the runner, so that the job is
// destroyed first and the form last.
class TaskRunner
{
public:
    TaskRunner(const QString &title, QWidget *parent);
    ~TaskRunner();
    TaskRunner(const TaskRunner &) = delete;
    TaskRunner &operator=(const TaskRunner &) = delete;

    [[nodiscard]] ProgressForm &form() { return *m_form; }
    // What the job reports to: the form and its cancelled flag.
    [[nodiscard]] JobProgress progress();

    // True exactly when the form was accepted and is not cancelled.
    bool run(QThread &job);

private:
    std::unique_ptr<ProgressForm> m_form;
};

#endif
