#ifndef ANDROID_CANCELLABLECONNECT_H
#define ANDROID_CANCELLABLECONNECT_H

#include <QString>

#include <functional>

class QTcpSocket;

// Opens a job's data connection without making the job deaf to Cancel.
// QAbstractSocket::waitForConnected gives up the attempt when its wait runs
// out, so it cannot be called in short slices; this runs a small event loop
// on the calling thread instead and looks at the cancel check every 100 ms.
class CancellableConnect
{
public:
    enum Result { Connected, Failed, Cancelled };

    // Connects `socket` (read-write) to host:port within timeoutMs. On
    // Failed the socket's errorString() tells why.
    static Result connect(QTcpSocket &socket, const QString &host, int port, const std::function<bool()> &cancelled,
                          int timeoutMs = 15000);
};

#endif
