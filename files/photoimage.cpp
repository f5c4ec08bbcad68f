#include "files/photoimage.h"

#include <QBuffer>
#include <QImageReader>

namespace {

QImage decodeAs(const QByteArray &bytes, const char *format)
{
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return QImage();
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    if (!reader.canRead())
        return QImage();
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() || qint64(size.width()) * size.height() > PhotoImage::maxPixels)
        return QImage();
    QImage image;
    if (!reader.read(&image))
        return QImage();
    return image;
}

} // namespace

QImage PhotoImage::decode(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return QImage();
    QImage image = decodeAs(bytes, "jpeg");
    if (image.isNull())
        image = decodeAs(bytes, "png");
    return image;
}

QImage PhotoImage::defaultPicture()
{
    return QImage(QStringLiteral(":res/empty_contact.png"));
}

QImage PhotoImage::decodeOrDefault(const QByteArray &bytes)
{
    QImage image = decode(bytes);
    return image.isNull() ? defaultPicture() : image;
}
