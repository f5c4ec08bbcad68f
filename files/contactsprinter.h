#ifndef FILES_CONTACTSPRINTER_H
#define FILES_CONTACTSPRINTER_H

#include "contacts/contact.h"

#include <QList>
#include <QObject>
#include <QString>

class QPrinter;

// Prints contacts through a print preview or straight into a PDF file, laid
// out as tiles by ContactTilePainter (which the widget-free command line
// uses for its PDF export).
class ContactsPrinter : public QObject
{
    Q_OBJECT

public:
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

public slots:
    void onPaintRequested(QPrinter *printer);

private:
    QList<Contact> m_contacts;
    int m_count = 0;
    bool m_beginFailed = false;
};

#endif
