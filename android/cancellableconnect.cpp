#include "android/cancellableconnect.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>

CancellableConnect::Result CancellableConnect::connect(QTcpSocket &socket, const QString &host, int port,
                                                       const std::function<bool()> &cancelled, int timeoutMs)
{
    if (cancelled && cancelled())
        return Cancelled;
    const QDeadlineTimer deadline(timeoutMs);
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(100);
    bool wasCancelled = false;
    QObject::connect(&socket, &QAbstractSocket::connected, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QAbstractSocket::errorOccurred, &loop, &QEventLoop::quit);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (cancelled && cancelled()) {
            wasCancelled = true;
            loop.quit();
        } else if (deadline.hasExpired()) {
            loop.quit();
        }
    });
    socket.connectToHost(host, quint16(port), QIODevice::ReadWrite);
    if (socket.state() != QAbstractSocket::ConnectedState && socket.state() != QAbstractSocket::UnconnectedState) {
        poll.start();
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        poll.stop();
    }
    QObject::disconnect(&socket, nullptr, &loop, nullptr);
    if (socket.state() == QAbstractSocket::ConnectedState)
        return Connected;
    socket.abort();
    return wasCancelled ? Cancelled : Failed;
}
