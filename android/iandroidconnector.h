#ifndef ANDROID_IANDROIDCONNECTOR_H
#define ANDROID_IANDROIDCONNECTOR_H

#include <QMetaType>
#include <QString>

#include <memory>

// How the program gets the phone agent listening on a port it can reach.
// A sync job asks its phone's connector to start the agent for one exchange
// and then opens the data connection itself, on the returned host and the
// device's data port. Over USB that means installing, forwarding and a
// broadcast (AdbConnector); over WiFi a request on the agent's control port
// (AndroidWifiConnector).
//
// The operations block the calling job thread and throw std::runtime_error
// (UTF-8 message) on failure. A connector is used by one job at a time.
class IAndroidConnector
{
public:
    virtual ~IAndroidConnector() = default;

    // Makes sure the agent can be started (USB: installs it when missing).
    virtual void prepareAgent() = 0;
    // Has the agent send its contacts on dataPort; returns the host to
    // connect to.
    [[nodiscard]] virtual QString startBackupService(int dataPort) = 0;
    // Has the agent accept contacts on dataPort; returns the host.
    [[nodiscard]] virtual QString startRestoreService(int dataPort) = 0;
    // The port the service just started listens on: the data port it was
    // given, unless the connector had to take another one.
    [[nodiscard]] virtual int servicePort(int dataPort) { return dataPort; }
    // The phone's log, for diagnostics; empty when there is none.
    [[nodiscard]] virtual QString deviceLog() = 0;
};

// Shared by the main window, the device node, the phone's cache database
// and a running job; the connector lives as long as its longest holder.
using PAndroidConnector = std::shared_ptr<IAndroidConnector>;

Q_DECLARE_METATYPE(PAndroidConnector)

#endif
