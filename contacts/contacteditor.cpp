#include "contacts/contacteditor.h"

#include "app/messageboxes.h"
#include "app/modal.h"
#include "contacts/addrentitieseditor.h"
#include "contacts/contactformat.h"
#include "contacts/dateentitieseditor.h"
#include "contacts/editorfields.h"
#include "contacts/genericentitieseditor.h"
#include "contacts/imentitieseditor.h"
#include "contacts/labeltables.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QVBoxLayout>

using namespace pim;

namespace {

constexpr int PhotoSide = 64;
constexpr int PhotoLimit = 320;

QLineEdit *lineEdit(const char *name, const QString &placeholder, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setPlaceholderText(placeholder);
    return edit;
}

QImage decodePicture(const QByteArray &bytes)
{
    QImage image;
    if (!image.loadFromData(bytes, "JPEG"))
        image.loadFromData(bytes, "PNG");
    return image;
}

QImage readPicture(const QString &fileName, const char *format)
{
    QImageReader reader(fileName, format);
    reader.setDecideFormatFromContent(false);
    return reader.read();
}

} // namespace

ContactEditor::ContactEditor(QWidget *parent)
    : QScrollArea(parent)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    buildForm();
    showPhoto();
}

ContactEditor::~ContactEditor() = default;

void ContactEditor::buildForm()
{
    auto *body = new QWidget(this);
    body->setObjectName(QStringLiteral("wdEditorBody"));
    auto *layout = new QVBoxLayout(body);
    layout->setSpacing(6);

    m_lbPhoto = new QLabel(body);
    m_lbPhoto->setObjectName(QStringLiteral("lbPhoto"));
    m_lbPhoto->setFixedSize(PhotoSide, PhotoSide);
    m_lbPhoto->setAlignment(Qt::AlignCenter);
    m_lbPhoto->setCursor(Qt::PointingHandCursor);
    m_lbPhoto->installEventFilter(this);
    m_lbDeletePhoto = new QLabel(body);
    m_lbDeletePhoto->setObjectName(QStringLiteral("lbDeletePhoto"));
    m_lbDeletePhoto->setTextFormat(Qt::RichText);
    m_lbDeletePhoto->setText(QStringLiteral("<a href=\"#\">%1</a>").arg(tr("Delete Photo").toHtmlEscaped()));
    m_lbDeletePhoto->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(m_lbDeletePhoto, &QLabel::linkActivated, this, &ContactEditor::resetPhoto);
    // Shown only while there is a photo to delete; its room stays, so the
    // form does not shift when a photo comes or goes.
    QSizePolicy deletePolicy = m_lbDeletePhoto->sizePolicy();
    deletePolicy.setRetainSizeWhenHidden(true);
    m_lbDeletePhoto->setSizePolicy(deletePolicy);
    layout->addWidget(m_lbPhoto);
    layout->addWidget(m_lbDeletePhoto);

    m_prefix = lineEdit("txtPrefix", tr("Prefix"), body);
    m_first = lineEdit("txtFirstName", tr("First Name"), body);
    m_middle = lineEdit("txtMiddleName", tr("Middle Name"), body);
    m_last = lineEdit("txtLastName", tr("Last Name"), body);
    m_suffix = lineEdit("txtSuffix", tr("Suffix"), body);
    m_nickname = lineEdit("txtNickname", tr("Nickname"), body);
    m_jobTitle = lineEdit("txtJobTitle", tr("Job Title"), body);
    m_department = lineEdit("txtDepartment", tr("Department"), body);
    m_company = lineEdit("txtCompany", tr("Company"), body);
    for (QLineEdit *edit : { m_prefix, m_first, m_middle, m_last, m_suffix, m_nickname, m_jobTitle, m_department,
                             m_company })
        layout->addWidget(edit);

    m_phones = new GenericEntitiesEditor(tr("Phone:"), tr("Phone Number"), phoneTypeLabels(), 2, body);
    m_phones->setObjectName(QStringLiteral("wdPhones"));
    m_emails = new GenericEntitiesEditor(tr("E-Mail:"), tr("E-Mail Address"), emailTypeLabels(), 1, body);
    m_emails->setObjectName(QStringLiteral("wdEmails"));
    m_events = new DateEntitiesEditor(tr("Date:"), eventTypeLabels(), 3, body);
    m_events->setObjectName(QStringLiteral("wdEvents"));
    m_ims = new IMEntitiesEditor(tr("IM:"), 1, 0, body);
    m_ims->setObjectName(QStringLiteral("wdIMs"));
    m_relations = new GenericEntitiesEditor(tr("Relationshp:"), tr("Name"), relationTypeLabels(), 1, body);
    m_relations->setObjectName(QStringLiteral("wdRelations"));
    m_addresses = new AddrEntitiesEditor(tr("Address:"), 1, body);
    m_addresses->setObjectName(QStringLiteral("wdAddresses"));
    m_websites = new GenericEntitiesEditor(tr("Url:"), tr("Url"), websiteTypeLabels(), 1, body);
    m_websites->setObjectName(QStringLiteral("wdWebsites"));
    for (QWidget *editor : std::initializer_list<QWidget *> { m_phones, m_emails, m_events, m_ims, m_relations,
                                                             m_addresses, m_websites })
        layout->addWidget(editor);

    auto *notesTitle = new QLabel(tr("Notes:"), body);
    notesTitle->setTextFormat(Qt::PlainText);
    layout->addWidget(notesTitle);
    m_note = new QPlainTextEdit(body);
    m_note->setObjectName(QStringLiteral("txtNote"));
    m_note->setMaximumHeight(80);
    m_note->setTabChangesFocus(true);
    layout->addWidget(m_note);
    layout->addStretch(1);
    setWidget(body);
}

Entity ContactEditor::remembered(const Contact &contact, int kind)
{
    const Entity *first = contact.firstEntity(kind);
    return first ? *first : Entity();
}

void ContactEditor::setContact(const Contact &contact)
{
    m_storedPhoto = remembered(contact, ENTITY_PHOTO);
    m_storedName = remembered(contact, ENTITY_NAME);
    m_storedNickname = remembered(contact, ENTITY_NICKNAME);
    m_storedOrganization = remembered(contact, ENTITY_ORGANIZATION);
    m_storedNote = remembered(contact, ENTITY_NOTE);

    m_photo = m_storedPhoto.bytes(data15);
    showPhoto();
    editorfields::fill(m_prefix, m_storedName.text(data5));
    editorfields::fill(m_first, m_storedName.text(data2));
    editorfields::fill(m_middle, m_storedName.text(data4));
    editorfields::fill(m_last, m_storedName.text(data3));
    editorfields::fill(m_suffix, m_storedName.text(data6));
    editorfields::fill(m_nickname, m_storedNickname.text(data1));
    editorfields::fill(m_jobTitle, m_storedOrganization.text(data4));
    editorfields::fill(m_department, m_storedOrganization.text(data5));
    editorfields::fill(m_company, m_storedOrganization.text(data1));
    editorfields::fill(m_note, m_storedNote.text(data1));

    m_phones->setEntities(contact.entitiesOf(ENTITY_PHONE));
    m_emails->setEntities(contact.entitiesOf(ENTITY_EMAIL));
    m_events->setEntities(contact.entitiesOf(ENTITY_EVENT));
    m_ims->setEntities(contact.entitiesOf(ENTITY_IM));
    m_relations->setEntities(contact.entitiesOf(ENTITY_RELATION));
    m_addresses->setEntities(contact.entitiesOf(ENTITY_POSTAL_ADDRESS));
    m_websites->setEntities(contact.entitiesOf(ENTITY_WEBSITE));
}

QString ContactEditor::firstName() const
{
    return m_first->text();
}

QString ContactEditor::lastName() const
{
    return m_last->text();
}

Entity ContactEditor::nameEntity() const
{
    Entity name;
    name._id = m_storedName._id;
    name.srcId = m_storedName.srcId;
    name.setText(data5, editorfields::read(m_prefix));
    name.setText(data2, editorfields::read(m_first));
    name.setText(data4, editorfields::read(m_middle));
    name.setText(data3, editorfields::read(m_last));
    name.setText(data6, editorfields::read(m_suffix));
    name.setText(data1, formatPersonName(name));
    return name;
}

Contact::EntityMap ContactEditor::entitiesByKind() const
{
    Contact::EntityMap map;
    const auto single = [](const Entity &stored) {
        Entity e;
        e._id = stored._id;
        e.srcId = stored.srcId;
        return e;
    };

    if (!m_photo.isEmpty()) {
        Entity photo = single(m_storedPhoto);
        photo.setValue(data15, m_photo);
        // The stored digest stays with the stored bytes.
        const bool asStored = m_photo == m_storedPhoto.bytes(data15) && m_storedPhoto.has(data4);
        photo.setText(data4, asStored ? m_storedPhoto.text(data4) : photoDigest(photo));
        map[ENTITY_PHOTO].append(photo);
    }

    Entity nickname = single(m_storedNickname);
    nickname.setText(data1, editorfields::read(m_nickname));
    map[ENTITY_NICKNAME].append(nickname);

    Entity organization = single(m_storedOrganization);
    organization.setText(data1, editorfields::read(m_company));
    organization.setText(data4, editorfields::read(m_jobTitle));
    organization.setText(data5, editorfields::read(m_department));
    map[ENTITY_ORGANIZATION].append(organization);

    Entity note = single(m_storedNote);
    note.setText(data1, editorfields::read(m_note));
    map[ENTITY_NOTE].append(note);

    map[ENTITY_PHONE] = m_phones->entities();
    map[ENTITY_EMAIL] = m_emails->entities();
    map[ENTITY_EVENT] = m_events->entities();
    map[ENTITY_IM] = m_ims->entities();
    map[ENTITY_RELATION] = m_relations->entities();
    map[ENTITY_POSTAL_ADDRESS] = m_addresses->entities();
    map[ENTITY_WEBSITE] = m_websites->entities();
    return map;
}

bool ContactEditor::loadPhoto(const QString &fileName)
{
    QImage image = readPicture(fileName, "jpeg");
    if (image.isNull())
        image = readPicture(fileName, "png");
    if (image.isNull()) {
        showWarning(tr("IDS_PHOTO_NOT_A_PICTURE_%1").arg(QFileInfo(fileName).fileName()));
        return false;
    }
    image = image.scaled(PhotoLimit, PhotoLimit, Qt::KeepAspectRatio, Qt::FastTransformation);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPEG") || bytes.isEmpty()) {
        showWarning(tr("IDS_PHOTO_NOT_A_PICTURE_%1").arg(QFileInfo(fileName).fileName()));
        return false;
    }
    m_photo = bytes;
    showPhoto();
    return true;
}

void ContactEditor::choosePhoto()
{
    const QString fileName =
        modal::askOpenFileName(this, QString(), QString(), QStringLiteral("Images (*.png *.jpg)"));
    if (!fileName.isEmpty())
        loadPhoto(fileName);
}

void ContactEditor::resetPhoto(const QString &link)
{
    Q_UNUSED(link)
    m_photo.clear();
    showPhoto();
}

void ContactEditor::showPhoto()
{
    QPixmap picture;
    if (!m_photo.isEmpty())
        picture = QPixmap::fromImage(decodePicture(m_photo));
    if (picture.isNull())
        picture = QPixmap(QStringLiteral(":res/empty_contact.png"));
    m_lbPhoto->setPixmap(picture.scaled(PhotoSide, PhotoSide, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_lbDeletePhoto->setVisible(!m_photo.isEmpty());
}

bool ContactEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_lbPhoto && event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        choosePhoto();
        return true;
    }
    return QScrollArea::eventFilter(watched, event);
}
