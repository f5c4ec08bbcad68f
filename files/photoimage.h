#ifndef FILES_PHOTOIMAGE_H
#define FILES_PHOTOIMAGE_H

#include <QByteArray>
#include <QImage>

// Decodes a contact photo for the exporters and the printer. Photo bytes
// come from phones and files, so the picture's declared size is read from
// its header first and a picture above maxPixels is refused before any
// pixel memory is allocated.
class PhotoImage
{
public:
    // About 64 megapixels: far above any phone camera, far below what would
    // exhaust memory.
    static constexpr qint64 maxPixels = qint64(64) * 1024 * 1024;

    // A JPEG or PNG picture of at most maxPixels; a null image for anything
    // else (empty, another format, broken, too large).
    [[nodiscard]] static QImage decode(const QByteArray &bytes);
    // The built-in picture of a contact without photo.
    [[nodiscard]] static QImage defaultPicture();
    // The photo of a contact's first photo entity bytes, or the default
    // picture when they do not decode.
    [[nodiscard]] static QImage decodeOrDefault(const QByteArray &bytes);
};

#endif
