#ifndef ANDROID_DEVICECACHENAME_H
#define ANDROID_DEVICECACHENAME_H

#include <QString>

// File name of a phone's cache database in the cache folder. A device id is
// whatever the phone says it is (a WiFi agent answers "hello:" with any
// text), so it only becomes the file name as it is when it is a plain name:
// letters, digits, '.', '_' and '-', and not "." or "..". Any other id gets
// its characters outside that set replaced by '_', cut to 64 characters,
// followed by '-' and 8 hex digits of the id's SHA-1, so two ids never share
// a file and nothing outside the cache folder is ever named.
[[nodiscard]] QString deviceCacheFileName(const QString &deviceId);

#endif
