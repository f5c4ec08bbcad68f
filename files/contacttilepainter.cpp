#include "files/contacttilepainter.h"

#include "contacts/contactcardtext.h"
#include "contacts/contactformat.h"
#include "contacts/labeltables.h"
#include "files/photoimage.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <stdexcept>
#include <system_error>

using namespace pim;

namespace {

constexpr qreal marginPoints = 20;

// A finished PDF file ends with its end-of-file marker.
bool isCompletePdf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 8)
        return false;
    file.seek(qMax<qint64>(0, file.size() - 64));
    return file.readAll().contains("%%EOF");
}

bool isRegularFile(const QString &path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::path(QFile::encodeName(path).toStdString()), error);
}

} // namespace

ContactTilePainter::TileMetrics ContactTilePainter::TileMetrics::forWidth(int width)
{
    return TileMetrics{width * 12 / 339, width / 113, width * 10 / 399, width * 2 / 399};
}

ContactTilePainter::TileMetrics ContactTilePainter::fixedMetrics(int firstTileWidth)
{
    static const TileMetrics metrics = TileMetrics::forWidth(firstTileWidth);
    return metrics;
}

void ContactTilePainter::setUpPage(QPagedPaintDevice &device)
{
    device.setPageOrientation(QPageLayout::Portrait);
    device.setPageSize(QPageSize(QPageSize::A4));
    device.setPageMargins(QMarginsF(marginPoints, marginPoints, marginPoints, marginPoints), QPageLayout::Point);
}

int ContactTilePainter::writePdf(const QList<Contact> &contacts, const QString &path)
{
    {
        // The writer only says that it failed; the file says why.
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw std::runtime_error(probe.errorString().toStdString());
    }
    int count = -1;
    {
        QPdfWriter writer(path);
        writer.setResolution(PageDpi);
        writer.setCreator(QCoreApplication::applicationName());
        setUpPage(writer);
        count = paintPages(writer, contacts);
    }
    if (count < 0 || !isCompletePdf(path)) {
        if (isRegularFile(path))
            QFile::remove(path);
        throw std::runtime_error(
            QCoreApplication::translate("ContactTilePainter", "IDS_PRINT_PDF_NOT_WRITTEN_%1").arg(path).toStdString());
    }
    return count;
}

int ContactTilePainter::paintPages(QPagedPaintDevice &device, const QList<Contact> &contacts)
{
    QPainter painter;
    if (!painter.begin(&device))
        return -1;
    const QPageLayout layout = device.pageLayout();
    const QMarginsF margins = layout.margins(QPageLayout::Point);
    const QRect page = layout.paintRectPixels(device.logicalDpiX());
    const int left = int(margins.left());
    const int top = int(margins.top());
    const int usable = page.width() - left - int(margins.right());
    const int gap = usable / 41;
    const int width = (usable - gap) / 2;
    const int height = width * 10 / 16;
    const int rowGap = usable * 45 / 570;
    const int rightX = left + gap + width;
    int y = top;
    int count = 0;
    painter.setFont(QGuiApplication::font());
    for (const Contact &contact : contacts) {
        if (count > 0 && count % TilesPerPage == 0) {
            device.newPage();
            y = top;
        }
        // Straight onto the page, so that a PDF keeps the text as text.
        painter.save();
        painter.translate(count % 2 == 0 ? left : rightX, y);
        painter.setClipRect(0, 0, width, height);
        paintTile(painter, width, height, contact);
        painter.restore();
        if (count % 2 != 0)
            y += height + rowGap;
        ++count;
    }
    painter.end();
    return count;
}

QList<QPair<QString, QString>> ContactTilePainter::tilePhones(const Contact &contact)
{
    QList<Entity> phones = contact.entitiesOf(ENTITY_PHONE);
    std::stable_sort(phones.begin(), phones.end(), phoneRankLess);
    QList<QPair<QString, QString>> lines;
    for (qsizetype i = 0; i < phones.size() && i < 4; ++i) {
        const Entity &phone = phones.at(i);
        lines.append({labelOf(phoneTypeLabels(), phone.toInt(data2)) + u':', phone.text(data1)});
    }
    return lines;
}

int ContactTilePainter::drawLabelValue(QPainter &painter, QFont font, int x, int y, int width, const QString &label,
                                    const QString &value, bool singleLine)
{
    font.setWeight(QFont::Bold);
    font.setItalic(true);
    painter.setFont(font);
    const QRect area(x, y, width, INT_MAX / 4);
    const QRect labelRect = painter.boundingRect(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, label);
    painter.drawText(labelRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, label);
    if (value.isEmpty())
        return labelRect.height();

    font.setWeight(QFont::Normal);
    font.setItalic(false);
    painter.setFont(font);
    const int valueX = labelRect.right() + 3;
    const int right = x + width - 2;
    if (singleLine) {
        const QRect valueRect(QPoint(valueX, labelRect.top()), QPoint(right, labelRect.bottom()));
        painter.drawText(valueRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, value);
        return labelRect.height();
    }
    const QRect valueArea(QPoint(valueX, y), QPoint(right, INT_MAX / 4));
    const QRect valueRect = painter.boundingRect(valueArea, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, value);
    painter.drawText(valueRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, value);
    return valueRect.height();
}

QImage ContactTilePainter::renderTile(int width, int height, const Contact &contact)
{
    QImage tile(width, height, QImage::Format_RGB32);
    tile.fill(Qt::white);
    QPainter painter(&tile);
    paintTile(painter, width, height, contact);
    painter.end();
    return tile;
}

void ContactTilePainter::paintTile(QPainter &painter, int width, int height, const Contact &contact)
{
    const TileMetrics m = fixedMetrics(width);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    QPen frame(QColor(185, 185, 187), m.frameWidth, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
    painter.setPen(frame);
    painter.drawRect(QRect(QPoint(m.frameWidth / 2, m.frameWidth / 2),
                           QPoint(width - 1 - m.frameWidth, height - 1 - m.frameWidth)));

    const int photoSide = width / 3;
    const Entity *photoEntity = contact.firstEntity(ENTITY_PHOTO);
    const QImage photo = PhotoImage::decodeOrDefault(photoEntity ? photoEntity->bytes(data15) : QByteArray());
    if (!photo.isNull())
        painter.drawImage(QPoint(m.inset, m.inset),
                          photo.scaled(photoSide, photoSide, Qt::KeepAspectRatio, Qt::SmoothTransformation));

    const int x = m.inset + m.lineGap + photoSide;
    const int textWidth = width - x - 10;
    int y = m.inset;
    painter.setPen(Qt::black);
    QFont font = QGuiApplication::font();

    font.setPixelSize(m.textSize + m.textSize / 7);
    y += drawLabelValue(painter, font, x, y, textWidth, contact.fullName, QString(), true) + m.lineGap;

    font.setPixelSize(m.textSize);
    if (const Entity *organization = contact.firstEntity(ENTITY_ORGANIZATION)) {
        const QString text = ContactCardText::organizationText(*organization);
        y += drawLabelValue(painter, font, x, y, textWidth, text, QString(), true) + m.lineGap;
    }
    for (const Entity &event : contact.entitiesOf(ENTITY_EVENT)) {
        if (event.toInt(data2) != 3)
            continue;
        y += drawLabelValue(painter, font, x, y, textWidth, QStringLiteral("Birthday:"),
                            ContactCardText::eventDateText(event.text(data1)), false)
            + m.lineGap;
    }
    for (const auto &[label, number] : tilePhones(contact))
        y += drawLabelValue(painter, font, x, y, textWidth, label, number, true) + m.lineGap;
    if (const Entity *email = contact.firstEntity(ENTITY_EMAIL))
        y += drawLabelValue(painter, font, x, y, textWidth, QStringLiteral("E-Mail:"), email->text(data1), true)
            + m.lineGap;
    if (const Entity *address = contact.firstEntity(ENTITY_POSTAL_ADDRESS))
        drawLabelValue(painter, font, x, y, textWidth, QStringLiteral("Address:"), formatPostalAddress(*address),
                       false);
}
