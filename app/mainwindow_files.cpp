// The commands that move contacts through files: export, PDF, printing and
// import.
#include "app/mainwindow.h"

#include "ui_mainwindow.h"

#include "app/messageboxes.h"
#include "app/modal.h"
#include "app/progressform.h"
#include "app/taskrunner.h"
#include "contacts/localdb.h"
#include "files/contactsprinter.h"
#include "files/exporttofilethread.h"
#include "files/importcontactstolocalthread.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <array>
#include <stdexcept>

using Node = ItemModelMainTree;

namespace {

// The export file types in the order the save dialog offers them: the
// filter (translated), the suffix given to a name without one, and the
// export job's format (0: PDF, printed without a job).
struct ExportType
{
    const char *filter;
    const char *suffix;
    int format;
};

constexpr std::array<ExportType, 6> exportTypes{{
    {QT_TRANSLATE_NOOP("MainWindow", "VCard Files(*.vcf)"), ".vcf", 1},
    {QT_TRANSLATE_NOOP("MainWindow", "CSV Files(*.csv)"), ".csv", 2},
    {QT_TRANSLATE_NOOP("MainWindow", "Text Files(*.txt)"), ".txt", 3},
    {QT_TRANSLATE_NOOP("MainWindow", "HTML files(*.html)"), ".html", 4},
    {QT_TRANSLATE_NOOP("MainWindow", "Word files(*.doc)"), ".doc", 4},
    {QT_TRANSLATE_NOOP("MainWindow", "PDF files(*.pdf)"), ".pdf", 0},
}};

} // namespace

void MainWindow::exportContacts(const QList<Contact> &contacts)
{
    QStringList filters;
    for (const ExportType &type : exportTypes)
        filters << tr(type.filter);
    const QString proposed = QDir::home().filePath(
        QStringLiteral("contacts(%1)").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"))));
    QString chosenFilter;
    QString fileName =
        modal::askSaveFileName(this, QString(), proposed, filters.join(QStringLiteral(";;")), &chosenFilter);
    if (fileName.isEmpty())
        return;
    const qsizetype index = filters.indexOf(chosenFilter);
    if (index < 0)
        return;
    const ExportType &type = exportTypes.at(size_t(index));
    if (QFileInfo(fileName).suffix().isEmpty()) {
        fileName += QLatin1String(type.suffix);
        // The save dialog asked about the name without the suffix only.
        if (QFileInfo::exists(fileName)
            && !askQuestion(tr("IDS_FILE_EXISTS_REPLACE_%1").arg(QDir::toNativeSeparators(fileName))))
            return;
    }
    if (type.format == 0) {
        exportPdf(contacts, fileName);
        return;
    }
    TaskRunner task(tr("IDS_STARTING_EXPORT_CONTACTS_TO_FILE"), nullptr);
    ExportToFileThread job(contacts, type.format, fileName, task.progress(), this);
    task.run(job);
}

void MainWindow::exportPdf(const QList<Contact> &contacts, const QString &fileName)
{
    ContactsPrinter printer(this);
    // Throws when the file could not be written; no success is shown then.
    const int count = printer.printToPdf(contacts, fileName);
    if (QFileInfo(fileName).size() == 0)
        throw std::runtime_error(tr("IDS_WRITE_FILE_FAIL_%1").arg(QDir::toNativeSeparators(fileName)).toStdString());
    showInformation(tr("IDS_SUC_EXPORT_%1_CONTACTS_TO_FILE").arg(count));
}

void MainWindow::printContacts(const QList<Contact> &contacts)
{
    ContactsPrinter printer(this);
    printer.preview(contacts);
}

void MainWindow::miTreeExport()
{
    runCommand([this] {
        if (!currentTreeSelection().dbNode)
            return;
        exportContacts(nodeContacts());
    });
}

void MainWindow::miContactExport()
{
    runCommand([this] { exportContacts(selectedContacts()); });
}

void MainWindow::miTreePrint()
{
    runCommand([this] {
        if (!currentTreeSelection().dbNode)
            return;
        printContacts(nodeContacts());
    });
}

void MainWindow::miContactPrint()
{
    runCommand([this] { printContacts(selectedContacts()); });
}

void MainWindow::miImport()
{
    runCommand([this] {
        const QStringList filters{tr("VCard Files(*.vcf)"), tr("CSV Files(*.csv)")};
        QString chosenFilter;
        const QString fileName = modal::askOpenFileName(this, QString(), QDir::homePath(),
                                                        filters.join(QStringLiteral(";;")), &chosenFilter);
        if (fileName.isEmpty())
            return;
        const qsizetype index = filters.indexOf(chosenFilter);
        if (index < 0)
            return;
        const Node::_DBItemNode *node = chooseLocalDb(QFileInfo(fileName).fileName());
        if (!node)
            return;
        // Held until the job has ended, whatever happens to the node meanwhile.
        const std::shared_ptr<LocalDb> db = node->db;
        {
            TaskRunner task(tr("IDS_STARTING_IMPORT_CONTACTS_FROM_FILE"), nullptr);
            ImportContactsToLocalThread job(fileName, int(index) + 1, db.get(), task.progress(), this);
            task.form().setSuccessDetails([&job] { return job.report().detailsBeyondSummary(); });
            if (!task.run(job))
                return;
        }
        showDatabaseNode(db);
    });
}
