#ifndef FILES_ABSEXPORT_H
#define FILES_ABSEXPORT_H

#include "contacts/contact.h"

#include <QByteArray>
#include <QList>

// A contact file writer. The export job writes the header once, then the
// bytes of every contact in turn, then the footer, into one file.
class AbsExport
{
public:
    virtual ~AbsExport();

    // Bytes that open the file; gets every contact that will be exported.
    [[nodiscard]] virtual QByteArray exportHeader(const QList<Contact> &contacts) = 0;
    // The bytes of one contact.
    [[nodiscard]] virtual QByteArray exportContact(const Contact &contact) = 0;
    // Bytes that close the file.
    [[nodiscard]] virtual QByteArray exportFooter() = 0;
};

#endif
