#ifndef FILES_CONTACTSPRINTER_H
#define FILES_CONTACTSPRINTER_H

#include "contacts/contact.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

class QFont;
class QPainter;
class QPrinter;

// Prints contacts as business-card-like tiles, two columns of four to an
// A4 page, through a print preview or straight into a PDF file. Each tile
// is drawn into an image of its own size first (photo at the top left, the
// name, organization, birthdays, up to four phones, the first e-mail and the
// first address beside it) and then painted onto the page.
class ContactsPrinter : public QObject
{
    Q_OBJECT

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

    explicit ContactsPrinter(QObject *parent = nullptr);

    // Shows the print preview of the contacts, from which the user prints.
    // Throws std::runtime_error when a print started there could not be
    // begun (a printer or PDF file that cannot be opened).
    void preview(const QList<Contact> &contacts);
    // Writes the contacts into a PDF file; returns the number of tiles
    // drawn. Throws std::runtime_error with the file's error text when the
    // file cannot be written, and removes a file left incomplete.
    int printToPdf(const QList<Contact> &contacts, const QString &path);

    // Tiles drawn in the last painting pass.
    [[nodiscard]] int count() const { return m_count; }

    [[nodiscard]] QImage renderTile(int width, int height, const Contact &contact) const;
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

public slots:
    void onPaintRequested(QPrinter *printer);

private:
    QList<Contact> m_contacts;
    int m_count = 0;
    bool m_beginFailed = false;
};

#endif
