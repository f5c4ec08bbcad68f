#ifndef CONTACTS_JOBPROGRESS_H
#define CONTACTS_JOBPROGRESS_H

#include <QString>

#include <atomic>

class QObject;

// How a background job talks to whoever shows it. The receiver is any
// QObject with the three slots
//     updateProgress(QString,int,QString), succeed(QString), errorOccurred(QString)
// (the progress dialog is one); each report is a queued call, so it may come
// from any thread and the slot runs in the receiver's thread. The cancel flag
// is written by the receiver's side and polled by the job between units of
// work.
class JobProgress
{
public:
    JobProgress() = default;
    JobProgress(QObject *receiver, const std::atomic<bool> *cancelFlag);

    void progress(const QString &status, int percent, const QString &text) const;
    void success(const QString &message) const;
    void error(const QString &message) const;
    [[nodiscard]] bool isCancelled() const;

    [[nodiscard]] QObject *receiver() const { return m_receiver; }

private:
    QObject *m_receiver = nullptr;   // outlives the job
    const std::atomic<bool> *m_cancelFlag = nullptr;
};

// The three reporting calls, one queued slot call each.
void reportProgress(QObject *receiver, const QString &status, int percent, const QString &text);
void reportError(QObject *receiver, const QString &text);
void reportSuccess(QObject *receiver, const QString &text);

#endif
