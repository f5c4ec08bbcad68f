#include "android/dataport.h"

#include <QHash>
#include <QMutex>

int dataPortFor(const QString &deviceId)
{
    static QMutex mutex;
    static QHash<QString, int> ports;
    static int next = FirstDataPort;

    QMutexLocker lock(&mutex);
    auto it = ports.constFind(deviceId);
    if (it == ports.constEnd())
        it = ports.insert(deviceId, next++);
    return *it;
}
