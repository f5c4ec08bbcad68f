#include "app/contactdisplayer.h"

#include "app/messageboxes.h"
#include "app/modal.h"
#include "contacts/contactcardtext.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QScrollBar>
#include <QVBoxLayout>

using namespace pim;

namespace {

constexpr int photoSize = 128;
const QString photoName = QStringLiteral("imgPhoto");

QLabel *textLabel(const QString &text, Qt::TextFormat format = Qt::PlainText)
{
    auto *label = new QLabel;
    // Contact texts come from phones and files: never let them be read as
    // markup.
    label->setTextFormat(format);
    label->setText(text);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

bool decodePhoto(const QByteArray &bytes, QImage &image)
{
    return image.loadFromData(bytes, "JPG") || image.loadFromData(bytes, "PNG");
}

} // namespace

ContactDisplayer::ContactDisplayer(QWidget *parent)
    : QScrollArea(parent)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    clearCard();
}

void ContactDisplayer::clearCard()
{
    installContent(new QWidget);
}

void ContactDisplayer::installContent(QWidget *content)
{
    // takeWidget() first: setWidget() would delete the old content at once,
    // and it may be the widget whose event is being handled right now.
    if (QWidget *old = takeWidget()) {
        old->hide();
        old->deleteLater();
    }
    setWidget(content);
    fitContent();
}

QLabel *ContactDisplayer::makePhotoLabel(const Contact &contact)
{
    auto *photo = new QLabel;
    photo->setAccessibleName(photoName);
    photo->setObjectName(photoName);
    photo->setFixedSize(photoSize, photoSize);
    photo->setStyleSheet(QStringLiteral("border:1px solid #A9A9A9;"));
    QImage image;
    const Entity *entity = contact.firstEntity(ENTITY_PHOTO);
    if (entity && decodePhoto(entity->bytes(data15), image)) {
        photo->setPixmap(QPixmap::fromImage(image).scaledToWidth(photoSize, Qt::FastTransformation));
        photo->installEventFilter(this);
        photo->setCursor(Qt::PointingHandCursor);
    } else {
        photo->setPixmap(QPixmap(QStringLiteral(":res/empty_contact.png")));
    }
    return photo;
}

void ContactDisplayer::addSection(QVBoxLayout *layout, const QString &title, int kind,
                                  const QList<Entity> &entities)
{
    auto *section = new QWidget;
    section->setStyleSheet(QStringLiteral("font-size:16px;"));
    auto *sectionLayout = new QVBoxLayout(section);
    auto *titleLabel = new QLabel(title);
    titleLabel->setTextFormat(Qt::PlainText);
    titleLabel->setStyleSheet(QStringLiteral("font-size:18px;font-style:italic;font-weight:bold;"));
    sectionLayout->addWidget(titleLabel, 0, Qt::AlignTop);
    const Qt::TextFormat format = kind == ENTITY_POSTAL_ADDRESS ? Qt::RichText : Qt::PlainText;
    for (const Entity &entity : entities)
        sectionLayout->addWidget(textLabel(ContactCardText::entityLine(kind, entity), format), 0, Qt::AlignTop);
    layout->addWidget(section, 0, Qt::AlignTop);
}

void ContactDisplayer::showContact(const Contact &contact)
{
    m_contact = contact;
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(15, 0, 15, 15);

    auto *header = new QWidget;
    auto *headerLayout = new QHBoxLayout(header);
    headerLayout->addWidget(makePhotoLabel(contact), 0, Qt::AlignTop);
    QLabel *name = textLabel(ContactCardText::nameBlock(contact));
    name->setObjectName(QStringLiteral("lbName"));
    name->setStyleSheet(QStringLiteral("font-size:21px;font-weight:bold;font-style:italic"));
    headerLayout->addWidget(name, 0, Qt::AlignTop);
    layout->addWidget(header, 0, Qt::AlignTop);

    for (const ContactCardText::Section &section : ContactCardText::sections()) {
        const QList<Entity> entities = ContactCardText::sectionEntities(contact, section.kind);
        if (!entities.isEmpty())
            addSection(layout, section.title, section.kind, entities);
    }
    installContent(content);
}

void ContactDisplayer::fitContent()
{
    QWidget *content = widget();
    if (!content)
        return;
    // Style sheet fonts only count once the labels are polished.
    content->ensurePolished();
    const int width = viewport()->width();
    int height = content->hasHeightForWidth() ? content->heightForWidth(width) : -1;
    if (height < 0)
        height = content->sizeHint().height();
    if (content->size() != QSize(width, height))
        content->resize(width, height);
}

void ContactDisplayer::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    fitContent();
}

bool ContactDisplayer::viewportEvent(QEvent *event)
{
    const bool handled = QScrollArea::viewportEvent(event);
    // The viewport narrows when the vertical scroll bar appears.
    if (event->type() == QEvent::Resize)
        fitContent();
    return handled;
}

bool ContactDisplayer::eventFilter(QObject *watched, QEvent *event)
{
    auto *label = qobject_cast<QLabel *>(watched);
    if (label && label->accessibleName() == photoName && event->type() == QEvent::MouseButtonPress) {
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            savePhoto();
        return true;
    }
    return QScrollArea::eventFilter(watched, event);
}

void ContactDisplayer::savePhoto()
{
    const Entity *photo = m_contact.firstEntity(ENTITY_PHOTO);
    if (!photo)
        return;
    const QString proposed = QDir::homePath() + u'/' + m_contact.fullName + QStringLiteral(".jpg");
    const QString fileName = modal::askSaveFileName(nullptr, QString(), proposed, QString());
    if (fileName.isEmpty())
        return;
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        showWarning(file.errorString());
        return;
    }
    // The stored bytes, whatever their format and the file's suffix.
    const QByteArray bytes = photo->bytes(data15);
    if (file.write(bytes) != bytes.size() || !file.flush())
        showWarning(file.errorString());
    file.close();
}
