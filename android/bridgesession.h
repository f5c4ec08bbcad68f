#ifndef ANDROID_BRIDGESESSION_H
#define ANDROID_BRIDGESESSION_H

#include <QSemaphore>
#include <QString>
#include <QThread>

#include <atomic>

class ContentShell;

// One exchange of the phone bridge on its own thread: listens on
// 127.0.0.1:port, takes the sync job's connection and serves it with a
// PhoneBridge (a backup or a restore), then closes. start() returns once
// the port listens (or could not), so the job may connect right away.
class BridgeSession : public QThread
{
public:
    BridgeSession(ContentShell &shell, bool backup, int port);
    ~BridgeSession() override;

    // Starts the thread and waits until it listens; false with an error
    // text when the port cannot be had.
    bool startListening(QString *error);
    // Ends waiting for a connection or for the program's next line.
    void stop() { m_stop = true; }

    [[nodiscard]] int photosLeftOut() const { return m_photos.load(); }
    // The port it listens on, once startListening() succeeded: the one
    // asked for, or a free one when that was taken.
    [[nodiscard]] int port() const { return m_port; }

protected:
    void run() override;

private:
    ContentShell &m_shell;
    bool m_backup;
    int m_port; // written before m_ready is released
    std::atomic<bool> m_stop { false };
    std::atomic<int> m_photos { 0 };
    QSemaphore m_ready;
    QString m_error; // written before m_ready is released
};

#endif
