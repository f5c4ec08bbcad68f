#ifndef FILES_CONTACTTILEPAINTER_H
#define FILES_CONTACTTILEPAINTER_H

#include "contacts/contact.h"

#include <QImage>
#include <QList>
#include <QPair>
#include <QString>

class QFont;
class QPagedPaintDevice;
class QPainter;

// Lays contacts out as business-card-like tiles, two columns of four to an
// A4 page, on any paged device: the print preview's printer or a PDF file.
// A tile holds the photo at the top left and, beside it, the name,
// organization, birthdays, up to four phones, the first e-mail and the
// first address, within a grey frame.
// Needs a QGuiApplication (fonts), but no widgets.
class ContactTilePainter
{
public:
    // The layout lengths of a tile, from its width w: text pixel size
    // w*12/339, line gap w/113, photo inset w*10/399, frame width w*2/399.
    struct TileMetrics
    {
        int textSize;
        int lineGap;
        int inset;
        int frameWidth;
        [[nodiscard]] static TileMetrics forWidth(int width);
    };

    // The resolution of every page this program paints.
    static constexpr int PageDpi = 96;
    static constexpr int TilesPerPage = 8;

    // A4 portrait with margins of 20 points.
    static void setUpPage(QPagedPaintDevice &device);
    // Paints the contacts onto the device, eight to a page; returns the
    // number of tiles drawn, or -1 when painting could not begin on it.
    [[nodiscard]] static int paintPages(QPagedPaintDevice &device, const QList<Contact> &contacts);
    // Writes the contacts into a PDF file; returns the number of tiles
    // drawn. Throws std::runtime_error with the file's error text when the
    // file cannot be written, and removes a file left incomplete.
    static int writePdf(const QList<Contact> &contacts, const QString &path);

    // One tile in an image of its own size, on white.
    [[nodiscard]] static QImage renderTile(int width, int height, const Contact &contact);
    // One tile with its top left corner at the painter's origin.
    static void paintTile(QPainter &painter, int width, int height, const Contact &contact);
    // Draws a bold italic label and, after it, the value in the normal font;
    // returns the height used.
    static int drawLabelValue(QPainter &painter, QFont font, int x, int y, int width, const QString &label,
                              const QString &value, bool singleLine);
    // The phone lines of a tile: label and number of the first four phones
    // by rank (mobile, main, home, work, then the others).
    [[nodiscard]] static QList<QPair<QString, QString>> tilePhones(const Contact &contact);
    // The layout lengths in use: those of the first tile drawn since the
    // program started; they stay fixed afterwards.
    [[nodiscard]] static TileMetrics fixedMetrics(int firstTileWidth);
};

#endif
