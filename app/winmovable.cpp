#include "app/winmovable.h"

#include <QMouseEvent>
#include <QWidget>

WinMovable::WinMovable(QWidget *target)
    : QObject(target)
    , m_target(target)
{
    m_target->installEventFilter(this);
}

bool WinMovable::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        m_pressPos = mouse->position().toPoint();
        m_dragging = mouse->button() == Qt::LeftButton;
        break;
    }
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (!m_pressPos.isNull() && m_dragging)
            m_target->move(m_target->pos() + mouse->position().toPoint() - m_pressPos);
        break;
    }
    case QEvent::MouseButtonRelease:
        m_dragging = false;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
