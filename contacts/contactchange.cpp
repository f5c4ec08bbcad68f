#include "contacts/contactchange.h"

QString actionName(int action)
{
    switch (action) {
    case ContactChange::ACTION_ADDED:
        return QStringLiteral("ACTION_ADDED");
    case ContactChange::ACTION_UPDATED:
        return QStringLiteral("ACTION_UPDATED");
    case ContactChange::ACTION_DELETED:
        return QStringLiteral("ACTION_DELETED");
    default:
        return QString::number(action);
    }
}

QDebug operator<<(QDebug debug, const ContactChange &change)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "ContactChange(kind=" << change.kind << ", " << qPrintable(actionName(change.action)) << ", "
                    << change.entity << ')';
    return debug;
}
