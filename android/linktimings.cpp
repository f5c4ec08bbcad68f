#include "android/linktimings.h"

#include <atomic>

namespace {

std::atomic<int> pollInterval { LinkTimings::DefaultPollIntervalMs };
std::atomic<int> startPause { LinkTimings::DefaultStartPauseMs };
std::atomic<int> installPause { LinkTimings::DefaultInstallPauseMs };
std::atomic<int> adbLimit { LinkTimings::DefaultAdbLimitMs };
std::atomic<int> installLimit { LinkTimings::DefaultInstallLimitMs };
std::atomic<int> helloReply { LinkTimings::DefaultHelloReplyMs };

} // namespace

int LinkTimings::pollIntervalMs()
{
    return pollInterval.load();
}
int LinkTimings::startPauseMs()
{
    return startPause.load();
}
int LinkTimings::installPauseMs()
{
    return installPause.load();
}
int LinkTimings::adbLimitMs()
{
    return adbLimit.load();
}
int LinkTimings::installLimitMs()
{
    return installLimit.load();
}
int LinkTimings::helloReplyMs()
{
    return helloReply.load();
}

void LinkTimings::setPollIntervalMs(int ms)
{
    pollInterval.store(ms);
}
void LinkTimings::setStartPauseMs(int ms)
{
    startPause.store(ms);
}
void LinkTimings::setInstallPauseMs(int ms)
{
    installPause.store(ms);
}
void LinkTimings::setAdbLimitMs(int ms)
{
    adbLimit.store(ms);
}
void LinkTimings::setInstallLimitMs(int ms)
{
    installLimit.store(ms);
}
void LinkTimings::setHelloReplyMs(int ms)
{
    helloReply.store(ms);
}

void LinkTimings::reset()
{
    setPollIntervalMs(DefaultPollIntervalMs);
    setStartPauseMs(DefaultStartPauseMs);
    setInstallPauseMs(DefaultInstallPauseMs);
    setAdbLimitMs(DefaultAdbLimitMs);
    setInstallLimitMs(DefaultInstallLimitMs);
    setHelloReplyMs(DefaultHelloReplyMs);
}
