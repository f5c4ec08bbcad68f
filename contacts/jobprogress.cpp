#include "contacts/jobprogress.h"

#include <QMetaObject>
#include <QObject>

void reportProgress(QObject *receiver, const QString &status, int percent, const QString &text)
{
    if (receiver)
        QMetaObject::invokeMethod(receiver, "updateProgress", Qt::AutoConnection, Q_ARG(QString, status),
                                  Q_ARG(int, percent), Q_ARG(QString, text));
}

void reportError(QObject *receiver, const QString &text)
{
    if (receiver)
        QMetaObject::invokeMethod(receiver, "errorOccurred", Qt::AutoConnection, Q_ARG(QString, text));
}

void reportSuccess(QObject *receiver, const QString &text)
{
    if (receiver)
        QMetaObject::invokeMethod(receiver, "succeed", Qt::AutoConnection, Q_ARG(QString, text));
}

JobProgress::JobProgress(QObject *receiver, const std::atomic<bool> *cancelFlag)
    : m_receiver(receiver)
    , m_cancelFlag(cancelFlag)
{
}

void JobProgress::progress(const QString &status, int percent, const QString &text) const
{
    reportProgress(m_receiver, status, percent, text);
}

void JobProgress::success(const QString &message) const
{
    reportSuccess(m_receiver, message);
}

void JobProgress::error(const QString &message) const
{
    reportError(m_receiver, message);
}

bool JobProgress::isCancelled() const
{
    return m_cancelFlag && m_cancelFlag->load(std::memory_order_relaxed);
}
