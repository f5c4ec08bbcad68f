#include "files/htmlexport.h"

#include "contacts/contactcardtext.h"
#include "files/photoimage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

using namespace pim;

namespace {

const QString crlf = QStringLiteral("\r\n");
const QString defaultPhotoName = QStringLiteral("contact.png");

QString imageLine(const QString &fileName)
{
    return QStringLiteral("<img class=\"photo\" src=\"photos/%1\" width=\"128\" />").arg(fileName) + crlf;
}

} // namespace

HtmlExport::HtmlExport(const QString &folder)
    : m_photosFolder(QDir(folder).filePath(QStringLiteral("photos")))
{
    QDir().mkpath(m_photosFolder);
}

QByteArray HtmlExport::exportHeader(const QList<Contact> &)
{
    m_photoNameUses.clear();
    // An existing default picture is kept; a failed copy only costs the
    // picture, not the page.
    const QString defaultPhoto = QDir(m_photosFolder).filePath(defaultPhotoName);
    if (!QFile::exists(defaultPhoto))
        QFile::copy(QStringLiteral(":res/empty_contact.png"), defaultPhoto);

    const QString title = ContactCardText::htmlEscaped(QCoreApplication::translate("QObject", "Quillmarrow"));
    const QStringList lines = {
        QStringLiteral("<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
                       "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">"),
        QStringLiteral("<html xmlns=\"http://www.w3.org/1999/xhtml\">"),
        QStringLiteral("<head>"),
        QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />"),
        QStringLiteral("<title>%1</title>").arg(title),
        QStringLiteral("<style type=\"text/css\">"),
        QStringLiteral(".photo{float:left;margin:5px;border:1px solid #A9A9A9;}"),
        QStringLiteral(".ct_name{font-size:24px;font-weight:bold;font-style:italic;margin-bottom:20px;}"),
        QStringLiteral(".ent_group{padding:0;margin:0;font-size:20px; font-weight:bold; font-style:italic}"),
        QStringLiteral(".ent_list{margin:0; padding:0; list-style:none; font-size:18px}"),
        QStringLiteral("</style></head>"),
        QStringLiteral("<body style=\"background-color:#F1F5FB\">"),
    };
    QString header;
    for (const QString &line : lines)
        header += line + crlf;
    return header.toUtf8();
}

QByteArray HtmlExport::exportFooter()
{
    return QByteArrayLiteral("</body></html>");
}

QString HtmlExport::photoFileName(qint64 contactId)
{
    const int use = ++m_photoNameUses[contactId];
    if (use == 1)
        return QStringLiteral("%1.jpg").arg(contactId);
    return QStringLiteral("%1-%2.jpg").arg(contactId).arg(use);
}

QString HtmlExport::photoLine(const Contact &contact)
{
    const Entity *photo = contact.firstEntity(ENTITY_PHOTO);
    if (!photo)
        return imageLine(defaultPhotoName);
    const QImage image = PhotoImage::decode(photo->bytes(data15));
    if (image.isNull())
        return imageLine(defaultPhotoName);
    const QString fileName = photoFileName(contact._id);
    if (!image.save(QDir(m_photosFolder).filePath(fileName), "JPG"))
        return imageLine(defaultPhotoName);
    return imageLine(fileName);
}

QByteArray HtmlExport::exportContact(const Contact &contact)
{
    QString block = QStringLiteral("<div style=\"margin-bottom:50px;\">") + crlf;
    block += photoLine(contact);
    block += QStringLiteral("<div class=\"ct_name\">") + crlf + ContactCardText::nameBlockHtml(contact) + crlf
        + QStringLiteral("</div><div style=\"clear:both\"></div>") + crlf;
    for (const ContactCardText::Section &section : ContactCardText::sections()) {
        const QList<Entity> entities = ContactCardText::sectionEntities(contact, section.kind);
        if (entities.isEmpty())
            continue;
        block += QStringLiteral("<div style=\"margin-bottom:20px;\">") + crlf;
        block += QStringLiteral("<h2 class=\"ent_group\">") + section.title + QStringLiteral("</h2>") + crlf;
        block += QStringLiteral("<ul class=\"ent_list\">") + crlf;
        for (const Entity &entity : entities)
            block += QStringLiteral("<li>") + ContactCardText::entityLineHtml(section.kind, entity)
                + QStringLiteral("</li>") + crlf;
        block += QStringLiteral("</ul>") + crlf + QStringLiteral("</div>") + crlf;
    }
    block += QStringLiteral("</div>") + crlf;
    return block.toUtf8();
}
