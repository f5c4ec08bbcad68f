#include "tests/tools/simtestclient.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QThread>

bool SimTestClient::connectTo(const QString &host, int port, int timeoutMs)
{
    m_socket.abort();
    m_buffer.clear();
    m_socket.connectToHost(host, quint16(port));
    return m_socket.waitForConnected(timeoutMs);
}

bool SimTestClient::connectRetrying(const QString &host, int port, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (connectTo(host, port, 1000))
            return true;
        QThread::msleep(20);
    }
    return false;
}

bool SimTestClient::readLine(QByteArray *line, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const qsizetype end = m_buffer.indexOf('\n');
        if (end >= 0) {
            *line = m_buffer.left(end);
            line->replace('\r', QByteArray());
            m_buffer.remove(0, end + 1);
            return true;
        }
        if (m_socket.bytesAvailable() > 0) {
            m_buffer += m_socket.readAll();
            continue;
        }
        if (deadline.hasExpired() || m_socket.state() != QAbstractSocket::ConnectedState)
            return false;
        if (!m_socket.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime()))))
            m_buffer += m_socket.readAll();
    }
}

bool SimTestClient::staysSilent(int ms)
{
    if (!m_buffer.isEmpty() || m_socket.bytesAvailable() > 0)
        return false;
    return !m_socket.waitForReadyRead(ms) && m_socket.bytesAvailable() == 0;
}

bool SimTestClient::waitClosed(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (m_socket.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
        m_socket.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
        m_buffer += m_socket.readAll();
    }
    return m_socket.state() != QAbstractSocket::ConnectedState;
}

void SimTestClient::send(const QByteArray &line)
{
    m_socket.write(line + '\n');
    m_socket.flush();
}

void SimTestClient::sendLines(const QList<QByteArray> &lines)
{
    QByteArray out;
    for (const QByteArray &line : lines)
        out += line + '\n';
    m_socket.write(out);
    m_socket.flush();
}

int SimTestClient::Backup::entities() const
{
    int n = 0;
    for (const auto &b : batches)
        n += int(b.size());
    return n;
}

SimTestClient::Backup SimTestClient::readBackup(int timeoutMs)
{
    Backup result;
    QList<QByteArray> *batch = nullptr;
    QByteArray line;
    while (readLine(&line, timeoutMs)) {
        if (line.startsWith("$error:")) {
            result.error = QByteArray::fromBase64(line.mid(7));
            return result;
        }
        if (line == "$bye:") {
            result.bye = true;
            return result;
        }
        if (line == "$batch:") {
            result.batches.append(QList<QByteArray>());
            batch = &result.batches.last();
        } else if (line == "$end:") {
            batch = nullptr;
            send("$batch:");
        } else if (batch) {
            batch->append(line);
        } else {
            result.header.append(line);
        }
    }
    result.broken = true;
    return result;
}

QByteArray SimTestClient::restoreBatch(const QList<QByteArray> &lines, int timeoutMs)
{
    QList<QByteArray> all { "$batch:" };
    all += lines;
    all.append("$end:");
    sendLines(all);
    QByteArray answer;
    if (!readLine(&answer, timeoutMs))
        return "<no answer>";
    return answer;
}

QByteArray b64(const QString &text)
{
    return text.toUtf8().toBase64();
}

QString unb64(const QByteArray &field)
{
    return QString::fromUtf8(QByteArray::fromBase64(field));
}

bool wifiControl(const QString &address, const QByteArray &line, QByteArray *answer)
{
    SimTestClient control;
    if (!control.connectTo(address, 48888))
        return false;
    control.send(line);
    if (answer)
        return control.readLine(answer);
    // Start requests are not answered; give the agent a moment to listen.
    control.staysSilent(100);
    return true;
}

bool startUsbAgent(const PhoneSimDriver &sim, const QString &serial, int port, const QString &mode)
{
    const QString p = QString::number(port);
    const auto forward = sim.adb({ QStringLiteral("-s"), serial, QStringLiteral("forward"), QStringLiteral("tcp:") + p,
        QStringLiteral("tcp:") + p });
    const auto broadcast = sim.adb({ QStringLiteral("-s"), serial, QStringLiteral("shell"), QStringLiteral("am"),
        QStringLiteral("broadcast"), QStringLiteral("-n"),
        QStringLiteral("com.quillmarrow.contactssync/.AdbSyncBroadcastReceiver"), QStringLiteral("-d"),
        QStringLiteral("sync://%1:%2/").arg(mode, p) });
    const bool ok = forward.ok() && forward.err.isEmpty() && broadcast.ok() && broadcast.err.isEmpty();
    if (!ok)
        qWarning() << "adb forward:" << forward.err << "broadcast:" << broadcast.out << broadcast.err;
    return ok;
}

QList<IdMapping> findMappings(const QByteArray &answer)
{
    static const QRegularExpression pattern(
        QStringLiteral("\\-?\\d+/\\-?(\\d+)/\\-?\\d+/\\-?(\\d+)=>(\\-?\\d+/\\-?\\d+/\\-?\\d+/\\-?\\d+)"));
    QList<IdMapping> found;
    const QString text = QString::fromLatin1(answer);
    qsizetype from = 0;
    for (;;) {
        const QRegularExpressionMatch m = pattern.match(text, from);
        if (!m.hasMatch())
            break;
        found.append({ m.captured(1).toLongLong(), m.captured(2).toLongLong(), m.captured(3).toLatin1() });
        from = m.capturedEnd();
    }
    return found;
}
