#include "files/exporttofilethread.h"

#include "files/csvexport.h"
#include "files/htmlexport.h"
#include "files/txtexport.h"
#include "files/vcardexport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace {

// Thrown inside the job for a failed file operation; carries the file's
// own error text.
class FileWriteError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

bool isRegularFile(const QString &path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::path(QFile::encodeName(path).toStdString()), error);
}

// The target file while the job writes it. Knows whether the job created
// or truncated the file, and only then removes it on failure: a device, a
// pipe or a file the job never opened is left as it was.
class TargetFile
{
public:
    explicit TargetFile(const QString &path)
        : m_file(path)
    {
    }
    ~TargetFile() { discard(); }

    void open()
    {
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw FileWriteError(m_file.errorString().toStdString());
        m_owned = isRegularFile(m_file.fileName());
    }

    void write(const QByteArray &bytes)
    {
        if (bytes.isEmpty())
            return;
        if (m_file.write(bytes) != bytes.size())
            throw FileWriteError(m_file.errorString().toStdString());
    }

    // Flushes and closes; throws when the data did not all reach the file.
    void finish()
    {
        if (!m_file.flush())
            throw FileWriteError(m_file.errorString().toStdString());
        m_file.close();
        if (m_file.error() != QFileDevice::NoError)
            throw FileWriteError(m_file.errorString().toStdString());
        m_owned = false;
    }

    // Closes the file and removes it when this job made it.
    void discard()
    {
        if (m_file.isOpen())
            m_file.close();
        if (m_owned) {
            m_owned = false;
            QFile::remove(m_file.fileName());
        }
    }

private:
    QFile m_file;
    bool m_owned = false;
};

QByteArray withCrLf(const QByteArray &text)
{
    QByteArray out = text;
    out.replace("\n", "\r\n");
    return out;
}

} // namespace

ExportToFileThread::ExportToFileThread(const QList<Contact> &contacts, int fileType, const QString &path,
                                       JobProgress progress, QObject *parent)
    : QThread(parent)
    , m_contacts(contacts)
    , m_fileType(fileType)
    , m_path(path)
    , m_progress(progress)
{
}

ExportToFileThread::~ExportToFileThread() = default;

void ExportToFileThread::run()
{
    execute();
}

std::unique_ptr<AbsExport> ExportToFileThread::createExporter(int fileType, const QString &folder)
{
    switch (fileType) {
    case VCard:
        return std::make_unique<VCardExport>();
    case Csv:
        return std::make_unique<CSVExport>();
    case Text:
        return std::make_unique<TxtExport>();
    case Html:
        return std::make_unique<HtmlExport>(folder);
    default:
        return nullptr;
    }
}

QString ExportToFileThread::targetFile(int fileType, const QString &path)
{
    if (fileType != Html)
        return path;
    return QDir(path).filePath(QFileInfo(path).fileName());
}

void ExportToFileThread::execute()
{
    m_succeeded = false;
    m_exported = 0;
    std::unique_ptr<AbsExport> exporter = createExporter(m_fileType, m_path);
    if (!exporter) {
        // Not a type the export command offers.
        m_progress.error(QString());
        return;
    }
    if (m_fileType == Html)
        QDir().mkpath(m_path);
    const bool crlf = m_fileType == Text;
    const auto encode = [crlf](const QByteArray &bytes) { return crlf ? withCrLf(bytes) : bytes; };

    TargetFile file(targetFile(m_fileType, m_path));
    const qsizetype total = m_contacts.size();
    const QString title = tr("IDS_EXPORTING_CONTACTS_TO_FILE");
    try {
        file.open();
        file.write(encode(exporter->exportHeader(m_contacts)));
        qsizetype done = 0;
        for (const Contact &contact : std::as_const(m_contacts)) {
            if (m_progress.isCancelled()) {
                file.discard();
                return;
            }
            ++done;
            const int percent = int(double(done) * 100.0 / double(total));
            m_progress.progress(title, percent, tr("Contacts:%1/%2").arg(done).arg(total));
            file.write(encode(exporter->exportContact(contact)));
        }
        file.write(encode(exporter->exportFooter()));
        file.finish();
        m_exported = done;
    } catch (const std::exception &e) {
        file.discard();
        m_progress.error(QString::fromUtf8(e.what()));
        return;
    }
    m_succeeded = true;
    m_progress.success(tr("IDS_SUC_EXPORT_%1_CONTACTS_TO_FILE").arg(m_exported));
}
