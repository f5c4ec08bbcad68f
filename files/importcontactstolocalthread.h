#ifndef FILES_IMPORTCONTACTSTOLOCALTHREAD_H
#define FILES_IMPORTCONTACTSTOLOCALTHREAD_H

#include "contacts/contact.h"
#include "contacts/jobprogress.h"
#include "files/importreport.h"

#include <QString>
#include <QThread>

class LocalDb;

// The import job: reads a vCard (format 1) or CSV (format 2) file and
// stores its contacts into a local database inside one transaction, merging
// those whose full name is already there. Progress is reported while the
// file is read and before each contact is stored, and the cancel flag is
// polled at both stages; a cancelled import leaves the database as it was
// and reports nothing. Otherwise the job ends with exactly one success or
// error report.
//
// A contact without a full name is given its first company, else its first
// e-mail address, else its first phone number as name; one with none of
// these is skipped.
//
// The success message is followed by the lines of the import report: what
// was read, stored, merged and skipped, what the file held that could not
// be kept, and the rows found malformed; report() has the details.
class ImportContactsToLocalThread : public QThread
{
    Q_OBJECT

public:
    enum Format { VCard = 1, Csv = 2 };

    // `db` and the receiver behind `progress` must outlive the job.
    ImportContactsToLocalThread(const QString &filePath, int format, LocalDb *db, JobProgress progress,
                                QObject *parent = nullptr);

    // The whole job, on the calling thread.
    void execute();

    // The name a nameless contact is stored under (see above); the full
    // name itself when it is set.
    [[nodiscard]] static QString nameForImport(const Contact &contact);

    // Counts of the last run: contacts read from the file, stored as new
    // contacts, merged into stored ones, and skipped for want of any name.
    [[nodiscard]] qsizetype readCount() const { return m_read; }
    [[nodiscard]] qsizetype importedCount() const { return m_imported; }
    [[nodiscard]] qsizetype mergedCount() const { return m_merged; }
    [[nodiscard]] qsizetype skippedCount() const { return m_skipped; }
    [[nodiscard]] bool succeeded() const { return m_succeeded; }
    [[nodiscard]] bool wasCancelled() const { return m_cancelled; }
    // The report of the last run that got past reading the file.
    [[nodiscard]] const ImportReport &report() const { return m_report; }

protected:
    void run() override;

private:
    void resetCounts();

    QString m_filePath;
    int m_format;
    LocalDb *m_db;
    JobProgress m_progress;
    qsizetype m_read = 0;
    qsizetype m_imported = 0;
    qsizetype m_merged = 0;
    qsizetype m_skipped = 0;
    bool m_succeeded = false;
    bool m_cancelled = false;
    ImportReport m_report;
};

#endif
