#ifndef ANDROID_USBPHONECONNECTOR_H
#define ANDROID_USBPHONECONNECTOR_H

#include "android/adbbridgeconnector.h"
#include "android/adbconnector.h"
#include "android/iandroidconnector.h"

#include <QString>

// The connector of a phone that adb reaches (USB, or wireless debugging
// after `adb connect`). It picks the way to the phone's contacts once:
//   - the agent, when the program carries a real agent package (configured
//     at build time with QM_AGENT_APK) and it is installed or installs;
//   - otherwise, and whenever the install fails, the phone bridge, which
//     needs nothing on the phone (AdbBridgeConnector).
class UsbPhoneConnector : public IAndroidConnector
{
public:
    explicit UsbPhoneConnector(const QString &serial, const QString &dataFolder = QString(),
        const QString &adbProgram = QStringLiteral("adb"), bool agentBundled = agentPackaged());

    // True when this build carries a real agent package.
    [[nodiscard]] static bool agentPackaged();

    void prepareAgent() override;
    [[nodiscard]] QString startBackupService(int dataPort) override;
    [[nodiscard]] QString startRestoreService(int dataPort) override;
    [[nodiscard]] int servicePort(int dataPort) override;
    [[nodiscard]] QString deviceLog() override;

    [[nodiscard]] bool usesBridge();
    // Photos the last exchange left out: only the bridge leaves any.
    [[nodiscard]] int photosLeftOut();
    // The same for the user ("... contact photos were left out ..."), or
    // empty when none were.
    [[nodiscard]] QString photosNote();
    // Why the agent is not used (the install failure), or empty.
    [[nodiscard]] const QString &agentProblem() const { return m_agentProblem; }

private:
    enum class Path { Undecided, Agent, Bridge };
    IAndroidConnector &chosen();

    AdbConnector m_agent;
    AdbBridgeConnector m_bridge;
    bool m_agentBundled;
    QString m_serial;
    QString m_agentProblem;
    Path m_path = Path::Undecided;
};

#endif
