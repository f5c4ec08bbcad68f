#ifndef ANDROID_ADBBRIDGECONNECTOR_H
#define ANDROID_ADBBRIDGECONNECTOR_H

#include "android/adbcommand.h"
#include "android/contentshell.h"
#include "android/iandroidconnector.h"

#include <QString>

#include <memory>

class BridgeSession;

// The connector of a USB (or `adb connect`ed) phone without the agent: the
// phone bridge plays the agent on 127.0.0.1 and works with the phone's own
// "content" tool over adb. Nothing is installed on the phone.
class AdbBridgeConnector : public IAndroidConnector
{
public:
    explicit AdbBridgeConnector(const QString &serial, const QString &adbProgram = QStringLiteral("adb"));
    ~AdbBridgeConnector() override;

    // Asks the phone its release, which also shows that adb may use it; an
    // unauthorised phone fails with the hint to allow USB debugging.
    void prepareAgent() override;
    [[nodiscard]] QString startBackupService(int dataPort) override;
    [[nodiscard]] QString startRestoreService(int dataPort) override;
    [[nodiscard]] int servicePort(int dataPort) override;
    [[nodiscard]] QString deviceLog() override;

    [[nodiscard]] const QString &serial() const { return m_serial; }
    // Waits for the exchange under way, if any, to end.
    void finish();
    // Photos the last exchange could not carry (the content tool shows a
    // photo only as "BLOB" and binds no bytes); waits for it to end first.
    [[nodiscard]] int photosLeftOut();

    // adb's error text turned into what the user can do about it: allow USB
    // debugging on an unauthorised phone, fix permissions, wait.
    [[nodiscard]] static QString explainAdbError(const QString &serial, const QString &adbText);
    // Only the hint: empty when adb's text (an error or a device state)
    // asks nothing of the user.
    [[nodiscard]] static QString stateHint(const QString &serial, const QString &adbText);

private:
    [[nodiscard]] QString startSession(bool backup, int dataPort);

    QString m_serial;
    ContentShell m_shell;
    AdbCommand m_adb;
    std::unique_ptr<BridgeSession> m_session;
    int m_photosLeftOut = 0;
};

#endif
