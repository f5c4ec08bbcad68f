#include "app/taskactivity.h"

#include <QMetaObject>

TaskActivity &TaskActivity::instance()
{
    static TaskActivity activity;
    return activity;
}

void TaskActivity::begin()
{
    ++m_running;
}

void TaskActivity::end()
{
    if (m_running > 0)
        --m_running;
    if (m_running == 0) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_running == 0)
                    Q_EMIT idle();
            },
            Qt::QueuedConnection);
    }
}
