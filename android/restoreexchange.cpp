#include "android/restoreexchange.h"

#include "android/cancellableconnect.h"
#include "android/wireencoding.h"
#include "contacts/entity.h"

#include <QTcpSocket>
#include <QtDebug>

#include <stdexcept>

using namespace simpleprotocol;

namespace {

const QString BatchWord = QStringLiteral("$batch:");

[[noreturn]] void fail(const QString &message)
{
    throw std::runtime_error(message.toUtf8().toStdString());
}

} // namespace

RestoreExchange::RestoreExchange(PAndroidConnector connector, int dataPort, CancelCheck cancelled)
    : m_connector(std::move(connector))
    , m_dataPort(dataPort)
    , m_cancelled(std::move(cancelled))
{ }

RestoreExchange::~RestoreExchange() = default;

QString RestoreExchange::invalidAnswerMessage(const QString &answer)
{
    return QStringLiteral("receive $batch: command error, invalid command:%1").arg(answer);
}

void RestoreExchange::checkCancelled() const
{
    if (m_cancelled && m_cancelled())
        throw CancelledException();
}

QTcpSocket &RestoreExchange::socket()
{
    if (!m_socket)
        throw SocketDataTransferException(QStringLiteral("The connection to the phone is not open."));
    return *m_socket;
}

void RestoreExchange::open(const QString &connectFailMessage)
{
    if (!m_connector)
        fail(connectFailMessage.arg(QString(), QString::number(m_dataPort)));
    const QString host = m_connector->startRestoreService(m_dataPort);
    const int port = m_connector->servicePort(m_dataPort);
    checkCancelled();

    m_socket = std::make_unique<QTcpSocket>();
    const CancellableConnect::Result connected
        = CancellableConnect::connect(*m_socket, host, port, m_cancelled, ConnectTimeoutMs);
    if (connected != CancellableConnect::Connected) {
        checkCancelled();
        fail(connectFailMessage.arg(host, QString::number(port)));
    }
    // A batch ends with a short flushed line after a long unflushed run;
    // held back until the agent acknowledges the rest, it would cost a
    // delayed acknowledgement on every batch.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
}

void RestoreExchange::write(const QString &word, const QString &argument, bool flush)
{
    writeCommand(socket(), word, argument, flush);
    ++m_linesSent;
}

void RestoreExchange::beginBatch()
{
    checkCancelled();
    m_provisional.clear();
    write(BatchWord, QString(), true);
}

void RestoreExchange::sendEntity(int kind, qint64 key1, qint64 key2, const Entity &entity)
{
    if (entity.srcId.isEmpty() && entity._id != 0)
        m_provisional.insert({ key1, entity._id });
    write(QStringLiteral("$ent:"), encodeEntityLine(kind, key1, key2, entity), false);
}

void RestoreExchange::sendDelete(const QString &srcId)
{
    write(QStringLiteral("$del:"), srcId, false);
}

void RestoreExchange::sendUngroup(qint64 contactKey)
{
    write(QStringLiteral("$ungroup:"), QString::number(contactKey), false);
}

QList<IdMapping> RestoreExchange::endBatch()
{
    write(QStringLiteral("$end:"), QString(), true);
    m_lastAnswer = readCommand(socket(), NoTimeLimit, m_cancelled);
    if (!m_lastAnswer.startsWith(BatchWord))
        fail(invalidAnswerMessage(m_lastAnswer));
    qDebug("Android Sync, %s", qUtf8Printable(m_lastAnswer));

    QList<IdMapping> mappings;
    for (const IdMapping &mapping : findIdMappings(m_lastAnswer)) {
        if (m_provisional.contains({ mapping.contactKey, mapping.entityId }) && parseSrcId(mapping.newSrcId))
            mappings.append(mapping);
        else
            qDebug("Android Sync, ignored a mapping to %s that names no row this batch created",
                qUtf8Printable(mapping.newSrcId));
    }
    m_provisional.clear();
    return mappings;
}

void RestoreExchange::close()
{
    QTcpSocket &tcp = socket();
    // The agent need not answer a batch that is not waited for, but one that
    // reported a failure is not to be taken for a success.
    const auto readAgentReport = [&] {
        while (tcp.canReadLine()) {
            const QString answer = readCommand(tcp, NoTimeLimit, m_cancelled);
            qDebug("Android Sync, %s", qUtf8Printable(answer));
        }
    };
    while (tcp.bytesToWrite() > 0) {
        checkCancelled();
        if (!tcp.waitForBytesWritten(WaitSliceMs) && tcp.state() != QAbstractSocket::ConnectedState) {
            readAgentReport();
            throw SocketDataTransferException(tcp.errorString());
        }
    }
    readAgentReport();
    if (tcp.state() == QAbstractSocket::ConnectedState) {
        tcp.disconnectFromHost();
        while (tcp.state() != QAbstractSocket::UnconnectedState) {
            checkCancelled();
            if (!tcp.waitForDisconnected(WaitSliceMs) && tcp.error() != QAbstractSocket::SocketTimeoutError)
                break;
        }
    }
    switch (tcp.error()) {
    case QAbstractSocket::UnknownSocketError: // no error at all
    case QAbstractSocket::SocketTimeoutError: // a wait slice that ran out
    case QAbstractSocket::RemoteHostClosedError: // the agent closed after taking everything
        break;
    default:
        throw SocketDataTransferException(tcp.errorString());
    }
}
