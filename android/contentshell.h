#ifndef ANDROID_CONTENTSHELL_H
#define ANDROID_CONTENTSHELL_H

#include <QString>
#include <QStringList>

#include <atomic>

// Runs command lines on a phone through `adb -s SERIAL shell LINE`, for the
// phone bridge. Several commands go into one call (separated by line
// feeds), so one adb process does a whole batch of work.
//
// The "content" tool reports a failure on standard error and still ends
// with status 0; so does a usage error, on standard output. Both fail the
// call here (std::runtime_error with the phone's text), as does anything
// adb itself says on standard error, apart from its daemon start-up lines.
class ContentShell
{
public:
    ContentShell(const QString &serial, const QString &adbProgram = QStringLiteral("adb"));

    // Standard output of the line.
    QString run(const QString &line);
    // The phone's release (API level), asked once.
    int sdk();
    // Longest command line one call carries: adbd before Android 7 takes
    // 4 KB in all, later ones far more.
    int maxLineBytes();

    [[nodiscard]] const QString &serial() const { return m_serial; }
    // adb processes started so far, by every ContentShell of the process.
    [[nodiscard]] static qint64 adbCalls() { return s_calls.load(); }

private:
    QString m_serial;
    QString m_program;
    int m_sdk = 0;
    static std::atomic<qint64> s_calls;
};

#endif
