#ifndef APP_PROGRESSFORM_H
#define APP_PROGRESSFORM_H

#include "contacts/jobprogress.h"

#include <QDialog>

#include <atomic>
#include <functional>
#include <memory>

namespace Ui {
class ProgressForm;
}
class WinMovable;

// The small modal dialog shown while a job runs. Jobs report to it through
// queued calls of its slots (see JobProgress); its result tells the command
// whether the job succeeded. The cancelled flag mirrors how the dialog
// finished (rejected: Cancel, Escape or an error report) and is polled by the
// job from its own thread.
class ProgressForm : public QDialog
{
    Q_OBJECT

public:
    explicit ProgressForm(const QString &title, QWidget *parent = nullptr);
    ~ProgressForm() override;

    [[nodiscard]] bool isCancelled() const { return m_cancelled.load(); }
    // The reporting end handed to a job: this form and its cancelled flag.
    [[nodiscard]] JobProgress jobProgress() { return JobProgress(this, &m_cancelled); }
    // Asked for the details to offer beside the success text, once the job
    // has reported its success (the job is done with its results by then).
    void setSuccessDetails(std::function<QString()> details) { m_successDetails = std::move(details); }

public slots:
    // The three reports are ignored once the dialog has finished.
    void updateProgress(const QString &status, int curProgress, const QString &progressText);
    // Shows the error box, then rejects the dialog.
    void errorOccurred(const QString &text);
    // Shows a non-empty text in an information box, then accepts the dialog.
    void succeed(const QString &tipsStr);
    void onFinish(int result);

private:
    std::unique_ptr<Ui::ProgressForm> ui;
    WinMovable *m_mover;
    std::atomic<bool> m_cancelled{false};   // written by the GUI thread, read by jobs
    bool m_finished = false;
    std::function<QString()> m_successDetails;
};

#endif
