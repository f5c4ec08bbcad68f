#include "android/simpleprotocol.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QDeadlineTimer>
#include <QIODevice>
#include <QRegularExpression>
#include <QVarLengthArray>

#include <algorithm>

namespace simpleprotocol {

namespace {

// Waits until more bytes are buffered. Gives up when the deadline passes,
// the connection fails, or the job is cancelled.
void waitForMoreData(QIODevice &socket, const QDeadlineTimer &deadline, const CancelCheck &cancelled)
{
    const auto *tcp = qobject_cast<const QAbstractSocket *>(&socket);
    for (;;) {
        if (cancelled && cancelled())
            throw CancelledException();
        qint64 slice = WaitSliceMs;
        if (!deadline.isForever())
            slice = qBound<qint64>(0, deadline.remainingTime(), slice);
        if (socket.waitForReadyRead(int(slice)))
            return;
        // A socket whose slice merely ran out is still connected and reports
        // a time-out; anything else is a real failure.
        const bool sliceElapsed = tcp && tcp->state() == QAbstractSocket::ConnectedState
            && tcp->error() == QAbstractSocket::SocketTimeoutError;
        if (!sliceElapsed || deadline.hasExpired())
            throw SocketDataTransferException(socket.errorString());
    }
}

// A line being read: on the stack for ordinary lines, on the heap for long
// ones (photos).
using LineBuffer = QVarLengthArray<char, 4096>;

// Moves buffered bytes up to and including the next line feed into `line`,
// in chunks that grow with the line. Returns true when the line is complete
// (the line feed is removed again).
bool takeBuffered(QIODevice &socket, LineBuffer &line, qint64 available)
{
    const qint64 room = MaxLineBytes + 1 - line.size();
    const qint64 chunk = std::min({ available, room, std::max<qint64>(4095, line.size()) });
    const qsizetype old = line.size();
    line.resize(old + chunk + 1); // QIODevice::readLine adds a NUL
    const qint64 got = socket.readLine(line.data() + old, chunk + 1);
    if (got < 0) {
        line.resize(old);
        throw SocketDataTransferException(socket.errorString());
    }
    line.resize(old + got);
    if (!line.isEmpty() && line.back() == '\n') {
        line.removeLast();
        return true;
    }
    if (line.size() > MaxLineBytes)
        throw SocketDataTransferException(QStringLiteral("Line longer than %1 bytes from the peer.").arg(MaxLineBytes));
    return false;
}

QByteArray toLatin1UpToNul(const QString &text)
{
    QByteArray bytes = text.toLatin1();
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    return bytes;
}

} // namespace

CancelCheck cancelFlag(const std::atomic<bool> *flag)
{
    if (!flag)
        return {};
    return [flag] { return flag->load(std::memory_order_relaxed); };
}

QString readLine(QIODevice &socket, int timeoutMs, const CancelCheck &cancelled)
{
    const QDeadlineTimer deadline = timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs);
    LineBuffer line;
    for (;;) {
        const qint64 available = socket.bytesAvailable();
        if (available > 0) {
            if (takeBuffered(socket, line, available))
                break;
            continue;
        }
        waitForMoreData(socket, deadline, cancelled);
    }
    const auto end = std::remove(line.begin(), line.end(), '\r');
    return QString::fromLatin1(line.data(), end - line.begin());
}

QString readCommand(QIODevice &socket, int timeoutMs, const CancelCheck &cancelled)
{
    QString line = readLine(socket, timeoutMs, cancelled);
    if (line.isEmpty())
        throw SocketDataTransferException(QStringLiteral("Null command."));
    static const QString errorWord = QStringLiteral("$error:");
    if (line.startsWith(errorWord)) {
        const QByteArray decoded = QByteArray::fromBase64(QStringView(line).mid(errorWord.size()).toLatin1());
        const qsizetype nul = decoded.indexOf('\0');
        throw RemoteException(QString::fromUtf8(nul < 0 ? decoded : decoded.left(nul)));
    }
    return line;
}

void writeText(QIODevice &socket, const QString &text)
{
    if (socket.write(toLatin1UpToNul(text)) == -1)
        throw SocketDataTransferException(socket.errorString());
}

void writeCommand(QIODevice &socket, const QString &word, const QString &argument, bool flush)
{
    // One write per line: word and argument are each cut at a NUL, as if
    // they were written one after the other.
    QByteArray bytes = toLatin1UpToNul(word);
    bytes += toLatin1UpToNul(argument);
    bytes += '\n';
    if (socket.write(bytes) == -1)
        throw SocketDataTransferException(socket.errorString());
    if (!flush)
        return;
    auto *tcp = qobject_cast<QAbstractSocket *>(&socket);
    // flush() is false when nothing could be written right now; on a live
    // connection that only means the system's send buffer is full, and the
    // data goes out during the next wait.
    if (tcp && !tcp->flush() && tcp->state() != QAbstractSocket::ConnectedState)
        throw SocketDataTransferException(socket.errorString());
}

void writeLine(QIODevice &socket, const QString &argument, bool flush)
{
    writeCommand(socket, QString(), argument, flush);
}

const QRegularExpression &idMappingPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(\-?\d+/\-?(\d+)/\-?\d+/\-?(\d+)=>(\-?\d+/\-?\d+/\-?\d+/\-?\d+))"));
    return pattern;
}

QList<IdMapping> findIdMappings(const QString &answer)
{
    QList<IdMapping> mappings;
    QRegularExpressionMatchIterator it = idMappingPattern().globalMatch(answer);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        mappings.append(
            IdMapping { match.capturedView(1).toLongLong(), match.capturedView(2).toLongLong(), match.captured(3) });
    }
    return mappings;
}

} // namespace simpleprotocol
