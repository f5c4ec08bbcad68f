#ifndef ANDROID_ANDROIDCONTACTSDB_H
#define ANDROID_ANDROIDCONTACTSDB_H

#include "android/iandroidconnector.h"
#include "contacts/localdb.h"

#include <QString>

// The cache database of one phone: a local database that holds a copy of the
// phone's contacts, with the phone's source ids, plus the phone's connector.
// Filled by the receive job, merged into by the send job, and updated with
// the ids the phone assigns. Shares the connector with the device node and
// the jobs.
class AndroidContactsDb : public LocalDb
{
public:
    AndroidContactsDb(const QString &path, PAndroidConnector connector);

    [[nodiscard]] PAndroidConnector connector() const { return m_connector; }

private:
    PAndroidConnector m_connector;
};

#endif
