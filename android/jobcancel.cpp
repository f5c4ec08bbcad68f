#include "android/jobcancel.h"

#include "android/protocolexceptions.h"

#include <QDeadlineTimer>
#include <QThread>

#include <algorithm>

namespace {

constexpr qint64 PauseSliceMs = 50;

simpleprotocol::CancelCheck &current()
{
    thread_local simpleprotocol::CancelCheck check;
    return check;
}

} // namespace

JobCancel::Scope::Scope(simpleprotocol::CancelCheck cancelled)
    : m_previous(std::exchange(current(), std::move(cancelled)))
{
}

JobCancel::Scope::~Scope()
{
    current() = std::move(m_previous);
}

bool JobCancel::requested()
{
    const simpleprotocol::CancelCheck &check = current();
    return check && check();
}

void JobCancel::pause(int ms)
{
    const QDeadlineTimer deadline(std::max(ms, 0));
    while (true) {
        if (requested())
            throw simpleprotocol::CancelledException();
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            return;
        QThread::msleep(ulong(std::min(left, PauseSliceMs)));
    }
}
