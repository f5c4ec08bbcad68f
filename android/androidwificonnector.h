#ifndef ANDROID_ANDROIDWIFICONNECTOR_H
#define ANDROID_ANDROIDWIFICONNECTOR_H

#include "android/iandroidconnector.h"

#include <QString>

#include <functional>

// The connector of a phone reached over WiFi. The agent listens on its
// control port 48888 at the phone's address: hello() learns the phone's
// device id there, and each exchange starts with a "backup:" or "restore:"
// request naming the data port, after which the data connection goes
// straight to the phone's address.
class AndroidWifiConnector : public IAndroidConnector
{
public:
    AndroidWifiConnector() = default;

    // Handshake on the control port: sends "hello://127.0.0.1" and keeps the
    // device id the agent answers with. Throws WifiServiceTimeoutException
    // when the port does not connect or answer in time, RemoteException when
    // the agent answers "$error:", SocketDataTransferException when the
    // connection drops, std::runtime_error with the socket's text when the
    // phone refuses the connection, and std::runtime_error for an answer
    // that is no usable device id. `cancelled` is asked every fraction of a
    // second while waiting; true ends the handshake with CancelledException.
    void hello(const QString &host, const std::function<bool()> &cancelled = {});

    void prepareAgent() override { }
    [[nodiscard]] QString startBackupService(int dataPort) override;
    [[nodiscard]] QString startRestoreService(int dataPort) override;
    [[nodiscard]] QString deviceLog() override { return QString(); }

    [[nodiscard]] const QString &host() const { return m_host; }
    [[nodiscard]] const QString &deviceId() const { return m_deviceId; }

    // A device id names the phone's cache file, so it must be a plain file
    // name: not empty, no path separators, no control characters, not "." or
    // "..".
    [[nodiscard]] static bool isUsableDeviceId(const QString &deviceId);

private:
    [[nodiscard]] QString startService(const QString &word, int dataPort);

    QString m_host;
    QString m_deviceId;
};

#endif
