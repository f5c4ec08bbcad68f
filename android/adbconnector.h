#ifndef ANDROID_ADBCONNECTOR_H
#define ANDROID_ADBCONNECTOR_H

#include "android/adbcommand.h"
#include "android/iandroidconnector.h"

#include <QString>

// The connector of a phone attached over USB, known by its adb serial.
// Installs the agent from the program's resources when the phone lacks it,
// forwards the data port from this computer to the phone, and starts the
// agent with a broadcast; the data connection then goes to 127.0.0.1.
class AdbConnector : public IAndroidConnector
{
public:
    static constexpr const char *AgentPackage = "com.quillmarrow.contactssync";
    static constexpr const char *AgentReceiver = "com.quillmarrow.contactssync/.AdbSyncBroadcastReceiver";
    static constexpr const char *AgentResource = ":/res/com.quillmarrow.contactssync.apk";
    static constexpr const char *LoopbackHost = "127.0.0.1";

    // `dataFolder` receives the copy of the agent package that is installed;
    // when empty, the program's data folder does.
    explicit AdbConnector(const QString &serial, const QString &dataFolder = QString(),
        const QString &adbProgram = QStringLiteral("adb"));

    void prepareAgent() override;
    [[nodiscard]] QString startBackupService(int dataPort) override;
    [[nodiscard]] QString startRestoreService(int dataPort) override;
    [[nodiscard]] int servicePort(int dataPort) override;
    [[nodiscard]] QString deviceLog() override;

    [[nodiscard]] const QString &serial() const { return m_serial; }
    // Where prepareAgent puts a copy of the package while adb installs it.
    [[nodiscard]] QString agentPackagePath() const;

private:
    [[nodiscard]] QString startService(const QString &dataUriFormat, int dataPort);
    // Forwards a local port to the phone's dataPort: the same number when it
    // is free here, else a free one.
    void forwardDataPort(int dataPort);

    AdbCommand m_adb;
    QString m_serial;
    QString m_dataFolder;
    int m_localPort = 0; // of the last forward; 0 before the first
};

#endif
