#include "android/syncrestorethread.h"

#include "android/androidcontactsdb.h"
#include "android/cancellableconnect.h"
#include "android/jobcancel.h"
#include "android/simpleprotocol.h"
#include "android/wireencoding.h"
#include "contacts/contact.h"
#include "contacts/contactformat.h"
#include "contacts/entity.h"

#include <QDebug>
#include <QTcpSocket>

#include <exception>
#include <stdexcept>

using namespace simpleprotocol;

namespace {

const QString versionNeeded = QStringLiteral("3.0.3");

// Received entity rows written per insert run.
constexpr qsizetype RowsPerWrite = 64;

[[noreturn]] void fail(const QString &message)
{
    throw std::runtime_error(message.toUtf8().toStdString());
}

} // namespace

SyncRestoreThread::SyncRestoreThread(std::shared_ptr<AndroidContactsDb> db, int dataPort, JobProgress progress,
                                     QObject *parent)
    : QThread(parent)
    , m_db(std::move(db))
    , m_dataPort(dataPort)
    , m_progress(progress)
{
}

SyncRestoreThread::~SyncRestoreThread() = default;

QString SyncRestoreThread::clipForReport(const QString &text)
{
    if (text.size() <= MaxReportedChars)
        return text;
    return text.left(MaxReportedChars) + QChar(0x2026);
}

int SyncRestoreThread::percentOf(qint64 received, qint64 expected)
{
    if (expected <= 0 || received <= 0)
        return 0;
    const double percent = double(received) * 100.0 / double(expected);
    return percent >= 100.0 ? 100 : int(percent);
}

void SyncRestoreThread::run()
{
    execute();
}

void SyncRestoreThread::execute()
{
    const JobCancel::Scope cancelScope([this] { return m_progress.isCancelled(); });
    // The socket belongs to this thread: it is made, used and destroyed here.
    QTcpSocket socket;
    try {
        if (!setUp(socket))
            return;
    } catch (const CancelledException &) {
        return;
    } catch (const std::exception &e) {
        m_progress.error(QString::fromUtf8(e.what()));
        return;
    }

    try {
        m_db->beginTransaction();
        m_deferredIndexes = m_db->dropIndexesForBulkLoad();
    } catch (const std::exception &e) {
        rollBack();
        m_progress.error(QString::fromUtf8(e.what()));
        return;
    }

    try {
        if (!receive(socket)) {
            qDebug("Sync from Android, User canceled.");
            rollBack();
            return;
        }
    } catch (const CancelledException &) {
        qDebug("Sync from Android, User canceled.");
        rollBack();
        return;
    } catch (const RemoteException &e) {
        // The agent's own words: plain text, and no longer than an error box
        // can show.
        rollBack();
        m_progress.error(clipForReport(QString::fromUtf8(e.what())));
        return;
    } catch (const std::exception &e) {
        rollBack();
        m_progress.error(QString::fromUtf8(e.what()));
        return;
    }
    m_progress.success(QString());
}

bool SyncRestoreThread::setUp(QTcpSocket &socket)
{
    m_progress.progress(tr("IDS_SYNC_CHECK_APK"), 0, QString());
    const PAndroidConnector connector = m_db->connector();
    if (!connector)
        fail(QStringLiteral("The phone has no connector."));
    connector->prepareAgent();
    if (m_progress.isCancelled())
        return false;

    m_progress.progress(tr("IDS_SYNC_START_SERVICE"), 0, QString());
    const QString host = connector->startBackupService(m_dataPort);
    const int port = connector->servicePort(m_dataPort);
    const CancellableConnect::Result connected
        = CancellableConnect::connect(socket, host, port, [this] { return m_progress.isCancelled(); });
    if (connected == CancellableConnect::Cancelled)
        return false;
    if (connected == CancellableConnect::Failed)
        fail(tr("IDS_ANDROID_CONNECT_FAIL%0:%1").replace(QLatin1String("%0"), host).replace(QLatin1String("%1"),
                                                                                           QString::number(port)));
    if (m_progress.isCancelled())
        return false;
    m_progress.progress(tr("IDS_SYNC_BACKING"), 0, QString());
    return true;
}

QString SyncRestoreThread::readCommand(QTcpSocket &socket)
{
    return simpleprotocol::readCommand(socket, NoTimeLimit, [this] { return m_progress.isCancelled(); });
}

bool SyncRestoreThread::receive(QTcpSocket &socket)
{
    m_expected = 0;
    m_received = 0;
    m_status = tr("IDS_RECEIVING_CONTACTS_FROM_ANDROID");
    while (!m_progress.isCancelled()) {
        const QString line = readCommand(socket);
        if (line.startsWith(QLatin1String("$device:"))) {
            m_deviceName = QString::fromUtf8(QByteArray::fromBase64(line.mid(8).toLatin1()));
        } else if (line.startsWith(QLatin1String("$version:"))) {
            bool ok = false;
            const int version = line.mid(9).toInt(&ok);
            if (!ok || version < MinAgentVersion)
                fail(tr("IDS_DAEMON_APK_OLDER_THAN_%1").arg(versionNeeded));
        } else if (line.startsWith(QLatin1String("$count:"))) {
            m_expected = line.mid(7).toLongLong();
        } else if (line.startsWith(QLatin1String("$batch:"))) {
            receiveBatch(socket);
        } else if (line.startsWith(QLatin1String("$bye:"))) {
            flushRows();
            m_db->restoreIndexes(m_deferredIndexes);
            m_db->endTransaction(true);
            socket.disconnectFromHost();
            return true;
        }
        // Any other line is ignored.
    }
    return false;
}

void SyncRestoreThread::receiveBatch(QTcpSocket &socket)
{
    // The phone's contact key -> the local contact _id, for this batch only.
    QHash<qint64, qint64> batchContacts;
    for (;;) {
        if (m_progress.isCancelled())
            throw CancelledException();
        const QString line = readCommand(socket);
        if (line.startsWith(QLatin1String("$ent:"))) {
            storeEntity(line, batchContacts);
        } else if (line.startsWith(QLatin1String("$end:"))) {
            flushRows();
            writeCommand(socket, QStringLiteral("$batch:"), QString(), true);
            return;
        }
    }
}

void SyncRestoreThread::storeEntity(const QString &line, QHash<qint64, qint64> &batchContacts)
{
    const QStringView argument = QStringView(line).mid(5);
    const QList<QStringView> fields = splitEntityFields(argument);
    int kind = 0;
    qint64 contactKey = 0;
    if (fields.isEmpty() || !parseSrcId(fields.at(0), &kind, &contactKey))
        fail(QStringLiteral("Invalid:%1").arg(clipForReport(line)));
    if (!pim::isEntityKind(kind)) {
        // A newer agent may send kinds this program does not know; the rest
        // of the contact is still worth having.
        ++m_skipped;
        qDebug("Sync from Android, skipped an entity of unknown kind %d: %s", kind,
               qPrintable(clipForReport(fields.at(0).toString())));
        return;
    }

    Entity entity;
    entity.srcId = fields.at(0).toString();
    decodeEntityFields(fields, kind, entity);

    if (kind == pim::ENTITY_NAME) {
        Contact contact;
        contact.srcId = entity.srcId;
        contact.fullName = formatPersonName(entity);
        m_db->insertContact(contact);
        batchContacts.insert(contactKey, contact._id);
        ++m_received;
        m_progress.progress(m_status, percentOf(m_received, m_expected),
                            QStringLiteral("Contacts: %1/%2").arg(m_received).arg(m_expected));
    } else if (kind == pim::ENTITY_GROUP_MEMBERSHIP) {
        const QString group = entity.text(pim::data2);
        if (!group.isEmpty())
            entity.setValue(pim::data1, QVariant(m_db->findOrCreateGroup(group)));
    }
    // Entities of a contact whose name is not in this batch go under _id 0.
    const qint64 contactId = batchContacts.value(contactKey, 0);
    m_pendingRows.append({ contactId, kind, std::move(entity) });
    if (m_pendingRows.size() >= RowsPerWrite)
        flushRows();
}

void SyncRestoreThread::flushRows()
{
    if (m_pendingRows.isEmpty())
        return;
    m_db->insertDataRows(m_pendingRows);
    m_pendingRows.clear();
}

void SyncRestoreThread::rollBack()
{
    m_pendingRows.clear();
    // Called while another failure is being handled: a failing rollback
    // (the connection already gave up the transaction, say after a failed
    // commit) has nothing to add to it.
    try {
        m_db->endTransaction(false);
    } catch (const std::exception &e) {
        qDebug("Sync from Android, rollback failed: %s", e.what());
    }
}
