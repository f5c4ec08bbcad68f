#ifndef ANDROID_WIFISERVICETIMEOUTEXCEPTION_H
#define ANDROID_WIFISERVICETIMEOUTEXCEPTION_H

#include <stdexcept>

// The phone's WiFi control port did not connect, or did not answer the
// handshake, in time. The connection dialog shows its own message for it.
class WifiServiceTimeoutException : public std::runtime_error
{
public:
    WifiServiceTimeoutException()
        : std::runtime_error("WifiServiceTimeoutException")
    { }
};

#endif
