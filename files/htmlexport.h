#ifndef FILES_HTMLEXPORT_H
#define FILES_HTMLEXPORT_H

#include "files/absexport.h"

#include <QHash>
#include <QString>

// An XHTML page with one block per contact: photo, name block and one
// section per kind of detail, the lines of the contact card. Photos are
// written as JPEG files into the subfolder "photos" of the export folder,
// named after the contact's id; contacts without a usable photo show the
// default picture "photos/contact.png". Every text taken from a contact is
// HTML-escaped. The Word export is this page under a .doc name.
class HtmlExport : public AbsExport
{
public:
    // Creates the photos folder (with its parents).
    explicit HtmlExport(const QString &folder);

    [[nodiscard]] QByteArray exportHeader(const QList<Contact> &contacts) override;
    [[nodiscard]] QByteArray exportContact(const Contact &contact) override;
    [[nodiscard]] QByteArray exportFooter() override;

    [[nodiscard]] const QString &photosFolder() const { return m_photosFolder; }

private:
    // The file name of a contact's photo: "<id>.jpg" the first time an id
    // is seen in this export, "<id>-2.jpg", "<id>-3.jpg" ... after that, so
    // two contacts never share a photo file.
    [[nodiscard]] QString photoFileName(qint64 contactId);
    // The <img> line of the contact, writing its photo file when it has one.
    [[nodiscard]] QString photoLine(const Contact &contact);

    QString m_photosFolder;
    QHash<qint64, int> m_photoNameUses;
};

#endif
