#include "files/contactsprinter.h"

#include "app/modal.h"
#include "files/contacttilepainter.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

#include <algorithm>
#include <stdexcept>

ContactsPrinter::ContactsPrinter(QObject *parent)
    : QObject(parent)
{
}

void ContactsPrinter::preview(const QList<Contact> &contacts)
{
    m_contacts = contacts;
    m_beginFailed = false;
    QPrinter printer(QPrinter::ScreenResolution);
    ContactTilePainter::setUpPage(printer);
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
    m_count = ContactTilePainter::writePdf(contacts, path);
    return m_count;
}

void ContactsPrinter::onPaintRequested(QPrinter *printer)
{
    const int count = ContactTilePainter::paintPages(*printer, m_contacts);
    m_beginFailed = count < 0;
    m_count = std::max(count, 0);
}
