#include "files/importcontactstolocalthread.h"

#include "contacts/localdb.h"
#include "files/csvimport.h"
#include "files/progressreaddevice.h"
#include "files/vcardimport.h"

#include <QCoreApplication>

#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>

using namespace pim;

namespace {

// The progress shown while the file is read: one report per whole percent.
class ReadProgress
{
public:
    ReadProgress(const JobProgress &progress, QString title, QString text)
        : m_progress(progress)
        , m_title(std::move(title))
        , m_text(std::move(text))
    {
    }

    bool operator()(qint64 done, qint64 total)
    {
        if (m_progress.isCancelled())
            return false;
        const int percent = total > 0 ? int(double(done) * 100.0 / double(total)) : 0;
        if (percent != m_lastPercent) {
            m_lastPercent = percent;
            m_progress.progress(m_title, percent, m_text);
        }
        return true;
    }

private:
    JobProgress m_progress;
    QString m_title;
    QString m_text;
    int m_lastPercent = -1;
};

void rollbackQuietly(LocalDb &db)
{
    try {
        db.endTransaction(false);
    } catch (const std::exception &) {
        // The failure that led here is the one worth reporting.
    }
}

} // namespace

ImportContactsToLocalThread::ImportContactsToLocalThread(const QString &filePath, int format, LocalDb *db,
                                                         JobProgress progress, QObject *parent)
    : QThread(parent)
    , m_filePath(filePath)
    , m_format(format)
    , m_db(db)
    , m_progress(progress)
{
}

void ImportContactsToLocalThread::run()
{
    execute();
}

QString ImportContactsToLocalThread::nameForImport(const Contact &contact)
{
    if (!contact.fullName.isEmpty())
        return contact.fullName;
    for (const Entity &organization : contact.entitiesOf(ENTITY_ORGANIZATION)) {
        if (const QString company = organization.text(data1).trimmed(); !company.isEmpty())
            return company;
    }
    for (const int kind : {int(ENTITY_EMAIL), int(ENTITY_PHONE)}) {
        for (const Entity &entity : contact.entitiesOf(kind)) {
            if (const QString value = entity.text(data1).trimmed(); !value.isEmpty())
                return value;
        }
    }
    return QString();
}

void ImportContactsToLocalThread::resetCounts()
{
    m_read = m_imported = m_merged = m_skipped = 0;
    m_succeeded = m_cancelled = false;
    m_report.clear();
}

void ImportContactsToLocalThread::execute()
{
    resetCounts();
    std::shared_ptr<AbsImport> reader;
    std::function<void(QIODevice &)> openDevice;
    if (m_format == VCard) {
        auto vcard = std::make_shared<VCardImport>();
        openDevice = [vcard](QIODevice &device) { vcard->openDevice(device); };
        reader = vcard;
    } else if (m_format == Csv) {
        auto csv = std::make_shared<CSVImport>();
        openDevice = [csv](QIODevice &device) { csv->openDevice(device); };
        reader = csv;
    } else {
        m_progress.error(QString());
        return;
    }

    const QString title = tr("IDS_IMPORTING_CONTACTS_TO_DB");
    // Reading the file: the readers parse as they read, so this is where a
    // large file spends its time before the first contact is stored.
    try {
        ProgressReadDevice device(m_filePath, ReadProgress(m_progress, title, tr("IDS_READING_IMPORT_FILE")));
        if (!device.openFile())
            throw std::runtime_error(device.errorString().toStdString());
        try {
            openDevice(device);
        } catch (const std::exception &) {
            if (device.wasStopped()) {
                reader->close();
                m_cancelled = true;
                return;
            }
            throw;
        }
    } catch (const std::exception &e) {
        reader->close();
        m_progress.error(QString::fromUtf8(e.what()));
        return;
    }

    QStringList deferredIndexes;
    try {
        m_db->beginTransaction();
        deferredIndexes = m_db->dropIndexesForBulkLoad();
    } catch (const std::exception &e) {
        reader->close();
        rollbackQuietly(*m_db);
        m_progress.error(QString::fromUtf8(e.what()));
        return;
    }
    const qsizetype total = reader->count();
    try {
        while (reader->hasNext()) {
            if (m_progress.isCancelled()) {
                reader->close();
                rollbackQuietly(*m_db);
                m_imported = m_merged = 0;
                m_cancelled = true;
                return;
            }
            ++m_read;
            const int percent = total > 0 ? int(double(m_read) * 100.0 / double(total)) : 100;
            m_progress.progress(title, percent, tr("Contacts:%1/%2").arg(m_read).arg(total));
            Contact contact = reader->next();
            contact.fullName = nameForImport(contact);
            if (contact.fullName.isEmpty()) {
                ++m_skipped;
                continue;
            }
            Contact stored;
            bool merged = false;
            m_db->saveContactMerged(contact, stored, merged);
            if (merged)
                ++m_merged;
            else
                ++m_imported;
        }
        reader->close();
        m_db->restoreIndexes(deferredIndexes);
        m_db->endTransaction(true);
    } catch (const std::exception &e) {
        reader->close();
        rollbackQuietly(*m_db);
        m_imported = m_merged = 0;
        m_progress.error(QString::fromUtf8(e.what()));
        return;
    }
    m_succeeded = true;
    m_report = reader->report();
    m_report.addImported(m_imported);
    m_report.addMerged(m_merged);
    if (m_skipped)
        m_report.addSkipped(QCoreApplication::translate("ImportReport", "IDS_IMPORT_SKIPPED_NO_NAME"), m_skipped);
    const QString message = m_merged == 0
        ? tr("IDS_SUC_IMPORT_%1_CONTACTS_TO_DB").arg(m_imported)
        : tr("IDS_SUC_IMPORT_%1_CONTACTS_TO_DB_%2_MERGED").arg(m_imported).arg(m_merged);
    m_progress.success(message + QStringLiteral("\n\n") + m_report.summaryLines().join(u'\n'));
}
