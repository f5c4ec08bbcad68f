#ifndef APP_WINMOVABLE_H
#define APP_WINMOVABLE_H

#include <QObject>
#include <QPoint>

class QWidget;

// Lets the user drag a frameless window with the left mouse button. Installs
// itself as an event filter on the window and never consumes an event.
class WinMovable : public QObject
{
    Q_OBJECT

public:
    explicit WinMovable(QWidget *target);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_target;   // not owned
    QPoint m_pressPos;   // last press, relative to the target
    bool m_dragging = false;
};

#endif
