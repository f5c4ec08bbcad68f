#ifndef FILES_EXPORTTOFILETHREAD_H
#define FILES_EXPORTTOFILETHREAD_H

#include "contacts/contact.h"
#include "contacts/jobprogress.h"

#include <QList>
#include <QString>
#include <QThread>

#include <memory>

class AbsExport;

// The export job: writes a list of contacts into one file with the exporter
// of the file type, reporting "Contacts:i/n" before each contact and ending
// with one success or error report (none when cancelled).
//
// Types: 1 vCard, 2 CSV, 3 text (lines end with CR LF), 4 HTML, also used
// for Word files. For HTML the path names a folder that is created; the
// page goes into it under the path's file name, the photos into its
// subfolder "photos".
//
// Success is reported only when every byte reached the file and the final
// flush and close succeeded. A cancelled or failed export removes the file
// it created or truncated; a file it could not open is left alone.
class ExportToFileThread : public QThread
{
    Q_OBJECT

public:
    enum FileType { VCard = 1, Csv = 2, Text = 3, Html = 4 };

    // The receiver behind `progress` must outlive the job.
    ExportToFileThread(const QList<Contact> &contacts, int fileType, const QString &path, JobProgress progress,
                       QObject *parent = nullptr);
    ~ExportToFileThread() override;

    // The whole job, on the calling thread.
    void execute();

    // The exporter of a file type; nullptr for an unknown type. `folder` is
    // where the HTML exporter puts its photos.
    [[nodiscard]] static std::unique_ptr<AbsExport> createExporter(int fileType, const QString &folder);
    // The file the job writes for a path the user chose.
    [[nodiscard]] static QString targetFile(int fileType, const QString &path);

    // Results of the last run.
    [[nodiscard]] bool succeeded() const { return m_succeeded; }
    [[nodiscard]] qsizetype exportedCount() const { return m_exported; }

protected:
    void run() override;

private:
    QList<Contact> m_contacts;
    int m_fileType;
    QString m_path;
    JobProgress m_progress;
    bool m_succeeded = false;
    qsizetype m_exported = 0;
};

#endif
