#include "app/taskrunner.h"

#include "app/modal.h"
#include "app/progressform.h"
#include "app/taskactivity.h"

#include <QCoreApplication>
#include <QThread>

TaskRunner::TaskRunner(const QString &title, QWidget *parent)
    : m_form(std::make_unique<ProgressForm>(title, parent))
{
}

TaskRunner::~TaskRunner() = default;

JobProgress TaskRunner::progress()
{
    return m_form->jobProgress();
}

bool TaskRunner::run(QThread &job)
{
    // The window leaves databases alone while any job runs.
    struct Running
    {
        Running() { TaskActivity::instance().begin(); }
        ~Running() { TaskActivity::instance().end(); }
    } running;
    job.start(QThread::InheritPriority);
    const int result = modal::execLiveDialog(*m_form);
    job.wait();
    // Reports the job queued after the form closed are stale: drop them.
    QCoreApplication::removePostedEvents(m_form.get(), QEvent::MetaCall);
    return result == QDialog::Accepted && !m_form->isCancelled();
}
