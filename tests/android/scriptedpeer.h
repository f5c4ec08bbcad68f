#ifndef TESTS_ANDROID_SCRIPTEDPEER_H
#define TESTS_ANDROID_SCRIPTEDPEER_H

#include <QHostAddress>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <functional>

// A one-connection TCP peer on its own thread, for code that blocks the
// test's thread while it talks: listens on the address and port, accepts
// one connection and runs the script on it.
class ScriptedPeer : public QThread
{
public:
    using Script = std::function<void(QTcpSocket &)>;

    ScriptedPeer(const QHostAddress &address, quint16 port, Script script)
        : m_address(address)
        , m_port(port)
        , m_script(std::move(script))
    { }

    ~ScriptedPeer() override { wait(); }

    // Starts the thread; true once the server listens.
    bool startListening()
    {
        start();
        m_ready.acquire();
        return m_listening;
    }

    // Helpers for scripts.
    static QByteArray readLine(QTcpSocket &socket, int timeoutMs = 5000)
    {
        while (!socket.canReadLine()) {
            if (!socket.waitForReadyRead(timeoutMs))
                return socket.readAll();
        }
        return socket.readLine();
    }

    static void send(QTcpSocket &socket, const QByteArray &bytes)
    {
        socket.write(bytes);
        while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(5000)) { }
    }

    // Waits until the other side closes.
    static void drain(QTcpSocket &socket, int timeoutMs = 10000)
    {
        while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(timeoutMs))
            socket.readAll();
    }

protected:
    void run() override
    {
        QTcpServer server;
        m_listening = server.listen(m_address, m_port);
        m_ready.release();
        if (!m_listening || !server.waitForNewConnection(15000))
            return;
        QTcpSocket *socket = server.nextPendingConnection();
        m_script(*socket);
        socket->close();
        delete socket;
    }

private:
    QHostAddress m_address;
    quint16 m_port;
    Script m_script;
    QSemaphore m_ready;
    bool m_listening = false;
};

#endif
