#ifndef ANDROID_ADBCOMMAND_H
#define ANDROID_ADBCOMMAND_H

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

// The Android Debug Bridge, run as a child process once per call. Every
// method blocks until `adb` ends, builds its argument list, and reads the
// two output channels separately: text on standard error fails the raising
// calls; the others keep it in front of the output. The exit code is not
// looked at. Failures are std::runtime_error with a UTF-8 message.
//
// Every call has a time limit (LinkTimings): an `adb` that hangs is killed
// and the call fails, so no caller, and no shutdown, waits for ever.
//
// Used by one thread at a time; two objects may run side by side.
class AdbCommand
{
public:
    explicit AdbCommand(const QString &program = QStringLiteral("adb"));

    // Serials of the attached phones in the "device" state.
    [[nodiscard]] QSet<QString> devices();
    // Every phone `adb devices` lists, by serial, with its state ("device",
    // "unauthorized", "authorizing", "connecting", "offline",
    // "no permissions", ...).
    [[nodiscard]] QMap<QString, QString> deviceStates();
    void killServer();
    void forward(const QString &serial, int localPort, int devicePort);
    void install(const QString &serial, const QString &packagePath);
    void uninstall(const QString &serial, const QString &packageName);
    [[nodiscard]] QSet<QString> listPackages(const QString &serial);
    // "am" on the phone; empty component, action, data and type and an empty
    // category list are left out of the command line.
    void activityManager(const QString &serial, const QString &subcommand, const QString &component,
        const QString &action, const QString &data, const QStringList &categories, const QString &mimeType);
    [[nodiscard]] QString logcat(const QString &serial);

    // Runs `adb` with the arguments. Returns standard output when standard
    // error is empty; otherwise throws with the error text (raise) or returns
    // error text, a line feed and the output. A program that cannot be
    // started yields empty output. Past timeoutMs the process is killed and
    // the call throws.
    QString run(const QStringList &arguments, bool raise, int timeoutMs);

    [[nodiscard]] const QString &program() const { return m_program; }

    // How the output is read; public for the tests.
    [[nodiscard]] static QSet<QString> parseDevices(const QString &output);
    // The state is the text after the serial, up to any explanation adb
    // adds in parentheses: "no permissions (user in plugdev group ...); see
    // [...]" is "no permissions".
    [[nodiscard]] static QMap<QString, QString> parseDeviceStates(const QString &output);
    [[nodiscard]] static QSet<QString> parsePackages(const QString &output);
    // A line that, trimmed, is "Success" in any letter case.
    [[nodiscard]] static bool hasSuccessLine(const QString &text);
    // A line that, trimmed and lower-cased, starts with "error:".
    [[nodiscard]] static bool hasErrorLine(const QString &text);
    // The text without the lines adb prints on standard error when its
    // first call of a session has to start its server ("* daemon not
    // running; starting now at tcp:5037", "* daemon started successfully").
    [[nodiscard]] static QString withoutDaemonLines(const QString &errorText);
    [[nodiscard]] static QStringList activityManagerArguments(const QString &serial, const QString &subcommand,
        const QString &component, const QString &action, const QString &data, const QStringList &categories,
        const QString &mimeType);

private:
    QString m_program;
};

#endif
