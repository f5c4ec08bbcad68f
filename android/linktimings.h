#ifndef ANDROID_LINKTIMINGS_H
#define ANDROID_LINKTIMINGS_H

// The waits and time limits of the phone link, in milliseconds, in one
// place. The program always runs with the defaults; tests shorten the long
// pauses through the setters (process-wide, safe from any thread).
class LinkTimings
{
public:
    static constexpr int DefaultPollIntervalMs = 3000; // device monitor
    static constexpr int DefaultStartPauseMs = 3000; // after a start request
    static constexpr int DefaultInstallPauseMs = 5000; // after installing the agent
    static constexpr int DefaultAdbLimitMs = 60 * 1000; // any adb call but install
    static constexpr int DefaultInstallLimitMs = 5 * 60 * 1000;
    static constexpr int DefaultHelloReplyMs = 15000; // WiFi handshake answer

    [[nodiscard]] static int pollIntervalMs();
    [[nodiscard]] static int startPauseMs();
    [[nodiscard]] static int installPauseMs();
    [[nodiscard]] static int adbLimitMs();
    [[nodiscard]] static int installLimitMs();
    [[nodiscard]] static int helloReplyMs();

    static void setPollIntervalMs(int ms);
    static void setStartPauseMs(int ms);
    static void setInstallPauseMs(int ms);
    static void setAdbLimitMs(int ms);
    static void setInstallLimitMs(int ms);
    static void setHelloReplyMs(int ms);
    // Back to the defaults.
    static void reset();
};

#endif
