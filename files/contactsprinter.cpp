#include "files/contactsprinter.h"

#include "app/modal.h"
#include "contacts/contactcardtext.h"
#include "contacts/contactformat.h"
#include "contacts/labeltables.h"
#include "files/photoimage.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <stdexcept>
#include <system_error>

using namespace pim;

namespace {

constexpr int tilesPerPage = 8;
constexpr qreal marginPoints = 20;

void setUpPrinter(QPrinter &printer)
{
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(marginPoints, marginPoints, marginPoints, marginPoints), QPageLayout::Point);
}

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

ContactsPrinter::TileMetrics ContactsPrinter::TileMetrics::forWidth(int width)
{
    return TileMetrics{width * 12 / 339, width / 113, width * 10 / 399, width * 2 / 399};
}

ContactsPrinter::TileMetrics ContactsPrinter::fixedMetrics(int firstTileWidth)
{
    static const TileMetrics metrics = TileMetrics::forWidth(firstTileWidth);
    return metrics;
}

ContactsPrinter::ContactsPrinter(QObject *parent)
    : QObject(parent)
{
}

void ContactsPrinter::preview(const QList<Contact> &contacts)
{
    m_contacts = contacts;
    m_beginFailed = false;
    QPrinter printer(QPrinter::ScreenResolution);
    setUpPrinter(printer);
    printer.setOutputFormat(QPrinter::NativeFormat);
    if (!printer.isValid())
        printer.setOutputFormat(QPrinter::PdfFormat);
    QPrintPreviewDialog dialog(&printer);
    dialog.setFixedSize(900, 700);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setWindowTitle(tr("IDS_PRINT_CONTACTS"));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, &ContactsPrinter::onPaintRequested);
    modal::execDialog(dialog);
    if (m_beginFailed)
        throw std::runtime_error(tr("IDS_PRINT_FAILED").toStdString());
}

int ContactsPrinter::printToPdf(const QList<Contact> &contacts, const QString &path)
{
    m_contacts = contacts;
    m_beginFailed = false;
    {
        // The printer only says that it failed; the file says why.
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw std::runtime_error(probe.errorString().toStdString());
    }
    {
        QPrinter printer(QPrinter::ScreenResolution);
        setUpPrinter(printer);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        onPaintRequested(&printer);
    }
    if (m_beginFailed || !isCompletePdf(path)) {
        if (isRegularFile(path))
            QFile::remove(path);
        throw std::runtime_error(tr("IDS_PRINT_PDF_NOT_WRITTEN_%1").arg(path).toStdString());
    }
    return m_count;
}

void ContactsPrinter::onPaintRequested(QPrinter *printer)
{
    m_count = 0;
    QPainter painter;
    if (!painter.begin(printer)) {
        m_beginFailed = true;
        return;
    }
    const QMarginsF margins = printer->pageLayout().margins(QPageLayout::Point);
    const QRectF page = printer->pageRect(QPrinter::DevicePixel);
    const int left = int(margins.left());
    const int top = int(margins.top());
    const int usable = int(page.width()) - left - int(margins.right());
    const int gap = usable / 41;
    const int width = (usable - gap) / 2;
    const int height = width * 10 / 16;
    const int rowGap = usable * 45 / 570;
    const int rightX = left + gap + width;
    int y = top;
    painter.setFont(QApplication::font());
    for (const Contact &contact : std::as_const(m_contacts)) {
        if (m_count > 0 && m_count % tilesPerPage == 0) {
            printer->newPage();
            y = top;
        }
        const QImage tile = renderTile(width, height, contact);
        if (m_count % 2 == 0) {
            painter.drawImage(left, y, tile);
        } else {
            painter.drawImage(rightX, y, tile);
            y += height + rowGap;
        }
        ++m_count;
    }
    painter.end();
}

QList<QPair<QString, QString>> ContactsPrinter::tilePhones(const Contact &contact)
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

int ContactsPrinter::drawLabelValue(QPainter &painter, QFont font, int x, int y, int width, const QString &label,
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

QImage ContactsPrinter::renderTile(int width, int height, const Contact &contact) const
{
    const TileMetrics m = fixedMetrics(width);
    QImage tile(width, height, QImage::Format_RGB32);
    tile.fill(Qt::white);
    QPainter painter(&tile);
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
    QFont font = QApplication::font();

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
    painter.end();
    return tile;
}
