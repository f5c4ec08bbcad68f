#include "android/androidcontactsdb.h"

#include "contacts/localdbcombinerule.h"

#include <memory>

AndroidContactsDb::AndroidContactsDb(const QString &path, PAndroidConnector connector)
    : LocalDb(path, std::make_shared<LocalDbCombineRule>())
    , m_connector(std::move(connector))
{ }
