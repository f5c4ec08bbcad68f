#include "app/contactdisplayer.h"

#include "app/messageboxes.h"
#include "app/modal.h"
#include "contacts/contactcardtext.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QScrollBar>
#include <QTimer>
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

// Lines shown at once, over all sections; the rest follow from the event
// loop. Enough to fill the card many times over.
constexpr int immediateLines = 120;
// Lines shown later share a label, this many at most.
constexpr int chunkLines = 100;
// How long one slice of pending lines may take, in milliseconds.
constexpr int sliceMilliseconds = 30;
// Notes longer than this are shown in pieces of about this many characters.
constexpr qsizetype notePiece = 4096;

// A note split at line breaks into pieces of about notePiece characters (a
// line longer than that stays whole); a short note as it is.
QStringList notePieces(const QString &note)
{
    if (note.size() <= notePiece)
        return { note };
    QStringList pieces;
    qsizetype start = 0;
    while (start < note.size()) {
        qsizetype end = note.size();
        if (end - start > notePiece) {
            const qsizetype breakAt = note.lastIndexOf(QLatin1Char('\n'), start + notePiece);
            if (breakAt > start)
                end = breakAt;
            else if (const qsizetype next = note.indexOf(QLatin1Char('\n'), start + notePiece); next >= 0)
                end = next;
        }
        pieces << note.mid(start, end - start);
        // The line break between two pieces is the gap between their labels.
        start = end < note.size() ? end + 1 : end;
    }
    return pieces;
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
    ++m_generation;
    m_pending.clear();
    m_nextPending = 0;
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
                                  const QList<Entity> &entities, int &budget)
{
    auto *section = new QWidget;
    section->setStyleSheet(QStringLiteral("font-size:16px;"));
    auto *sectionLayout = new QVBoxLayout(section);
    auto *titleLabel = new QLabel(title);
    titleLabel->setTextFormat(Qt::PlainText);
    titleLabel->setStyleSheet(QStringLiteral("font-size:18px;font-style:italic;font-weight:bold;"));
    sectionLayout->addWidget(titleLabel, 0, Qt::AlignTop);
    const Qt::TextFormat format = kind == ENTITY_POSTAL_ADDRESS ? Qt::RichText : Qt::PlainText;
    for (const Entity &entity : entities) {
        const QString line = ContactCardText::entityLine(kind, entity);
        const QStringList pieces = kind == ENTITY_NOTE ? notePieces(line) : QStringList { line };
        for (const QString &piece : pieces) {
            if (budget > 0 && m_pending.isEmpty()) {
                sectionLayout->addWidget(textLabel(piece, format), 0, Qt::AlignTop);
                --budget;
            } else if (!m_pending.isEmpty() && m_pending.last().section == sectionLayout
                       && m_pending.last().lines < chunkLines && kind != ENTITY_NOTE) {
                // Later lines share labels: a label per line is what makes
                // thousands of lines slow.
                PendingLine &chunk = m_pending.last();
                chunk.text += format == Qt::RichText ? QStringLiteral("<br/>") : QStringLiteral("\n");
                chunk.text += piece;
                ++chunk.lines;
            } else {
                m_pending.append({ sectionLayout, piece, format, 1 });
            }
        }
    }
    layout->addWidget(section, 0, Qt::AlignTop);
}

void ContactDisplayer::showContact(const Contact &contact)
{
    m_contact = contact;
    m_pending.clear();
    m_nextPending = 0;
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

    // Lines beyond the budget wait, and so do all lines after the first one
    // that waits, so lines always appear in order.
    QList<PendingLine> pending;
    int budget = immediateLines;
    for (const ContactCardText::Section &section : ContactCardText::sections()) {
        const QList<Entity> entities = ContactCardText::sectionEntities(contact, section.kind);
        if (!entities.isEmpty())
            addSection(layout, section.title, section.kind, entities, budget);
    }
    pending.swap(m_pending);
    installContent(content);
    if (pending.isEmpty())
        return;
    m_pending = std::move(pending);
    QTimer::singleShot(0, this, [this, generation = m_generation] {
        if (generation == m_generation)
            addPendingLines();
    });
}

void ContactDisplayer::addPendingLines()
{
    QElapsedTimer slice;
    slice.start();
    while (m_nextPending < m_pending.size() && slice.elapsed() < sliceMilliseconds) {
        const PendingLine &line = m_pending.at(m_nextPending++);
        line.section->addWidget(textLabel(line.text, line.format), 0, Qt::AlignTop);
    }
    if (m_nextPending >= m_pending.size()) {
        m_pending.clear();
        m_nextPending = 0;
    }
    fitContent();
    if (m_pending.isEmpty())
        return;
    QTimer::singleShot(0, this, [this, generation = m_generation] {
        if (generation == m_generation)
            addPendingLines();
    });
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
