#ifndef ANDROID_DATAPORT_H
#define ANDROID_DATAPORT_H

#include <QString>

// Port of a device's data exchanges: every device id keeps one port for the
// whole run of the program, handed out in the order devices are first used,
// starting at 42222.
constexpr int FirstDataPort = 42222;

[[nodiscard]] int dataPortFor(const QString &deviceId);

#endif
