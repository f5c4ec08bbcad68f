#include "tools/phonesim/agentsession.h"

#include "tools/phonesim/phonewire.h"
#include "tools/phonesim/simstate.h"

#include <QTimer>

namespace phonesim {

namespace {

// Number and text of an "N:TEXT" fault value.
bool splitNumbered(const QString &value, int *n, QByteArray *text)
{
    const qsizetype colon = value.indexOf(u':');
    if (colon < 1)
        return false;
    bool ok = false;
    *n = value.left(colon).toInt(&ok);
    *text = value.mid(colon + 1).toUtf8();
    return ok;
}

} // namespace

AgentSession::AgentSession(SimState &state, SimPhone *phone, Mode mode, QTcpSocket *socket,
    const QString &transport, QObject *parent)
    : QObject(parent)
    , m_state(state)
    , m_phone(phone)
    , m_mode(mode)
    , m_socket(socket)
    , m_transport(transport)
    , m_channel(mode == Mode::Backup ? QStringLiteral("backup") : QStringLiteral("restore"))
{
    socket->setParent(this);
    m_pumpTimer = new QTimer(this);
    m_pumpTimer->setSingleShot(true);
    connect(m_pumpTimer, &QTimer::timeout, this, &AgentSession::pumpOne);
}

AgentSession::~AgentSession() = default;

bool AgentSession::faultApplies() const
{
    const QString scope = m_faults.fault(QStringLiteral("scope"));
    return scope.isEmpty() || scope == u"both" || scope == m_channel;
}

void AgentSession::start()
{
    PhoneConfig &config = m_phone->config;
    m_exchange = ++config.exchanges;
    m_faults = config;
    if (config.hasFault(QStringLiteral("once"))) {
        config.faults.clear();
        m_state.log(m_phone, 'I', QStringLiteral("phonesim"), QStringLiteral("one-shot faults used and cleared"));
    }
    m_state.saveConfig(m_phone);

    m_active = faultApplies();
    static const QStringList lineFaults = { QStringLiteral("error-at"), QStringLiteral("drop-after"),
        QStringLiteral("drop-mid-line"), QStringLiteral("malformed"), QStringLiteral("blank-line"),
        QStringLiteral("inject"), QStringLiteral("replace"), QStringLiteral("crlf"), QStringLiteral("slow"),
        QStringLiteral("stall") };
    for (const QString &name : lineFaults) {
        if (m_active && m_faults.hasFault(name))
            m_plain = false;
    }
    m_slowMs = m_active ? m_faults.faultInt(QStringLiteral("slow")) : 0;
    m_silent = m_active && m_faults.hasFault(QStringLiteral("silent"));
    m_stallAfter = m_active && m_faults.hasFault(QStringLiteral("stall")) ? m_faults.faultInt(QStringLiteral("stall")) : -1;

    connect(m_socket, &QTcpSocket::readyRead, this, &AgentSession::readInput);
    connect(m_socket, &QTcpSocket::disconnected, this, &AgentSession::onDisconnected);

    const QString what = QStringLiteral("%1 exchange %2 over %3, local port %4")
                             .arg(m_channel)
                             .arg(m_exchange)
                             .arg(m_transport)
                             .arg(m_socket->localPort());
    m_state.log(m_phone, 'I', QStringLiteral("ContactsSync"), QStringLiteral("start ") + what);
    record('!', "connected: " + what.toUtf8());

    QString error;
    PhoneStore *store = m_state.store(m_phone, &error);
    if (!store) {
        fail(error);
        return;
    }
    if (m_active && m_faults.hasFault(QStringLiteral("drop-after")) && m_faults.faultInt(QStringLiteral("drop-after")) == 0) {
        record('!', "dropping the connection (drop-after=0)");
        m_closing = true;
        m_socket->disconnectFromHost();
        return;
    }
    if (m_stallAfter == 0)
        stall();
    if (m_mode == Mode::Backup) {
        if (!m_silent && !m_stalled) {
            sendHeader();
            sendNextBatch();
        }
    } else {
        m_applier = std::make_unique<RestoreApplier>(*store);
    }
    readInput();
}

void AgentSession::drain()
{
    if (!m_socket || m_finished)
        return;
    while (m_socket && m_socket->state() == QAbstractSocket::ConnectedState && m_socket->waitForReadyRead(0)) { }
    readInput();
}

void AgentSession::abort(const QString &reason)
{
    if (m_finished)
        return;
    record('!', "aborted: " + reason.toUtf8());
    m_closing = true;
    m_queue.clear();
    m_pumpTimer->stop();
    if (m_socket)
        m_socket->abort();
    finish();
}

void AgentSession::readInput()
{
    if (!m_socket)
        return;
    m_input += m_socket->readAll();
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = m_input.indexOf('\n', start);
        if (end < 0)
            break;
        QByteArray line = m_input.mid(start, end - start);
        line.replace('\r', QByteArray());
        start = end + 1;
        handleLine(line);
        if (m_finished)
            return;
    }
    m_input.remove(0, start);
    m_state.flushTranscript(m_phone);
}

void AgentSession::handleLine(const QByteArray &line)
{
    ++m_received;
    record('<', line);
    if (m_closing)
        return;
    if (m_active && m_faults.hasFault(QStringLiteral("drop-after-received"))
        && m_received >= m_faults.faultInt(QStringLiteral("drop-after-received"))) {
        record('!', "dropping the connection (drop-after-received)");
        m_closing = true;
        m_socket->disconnectFromHost();
        return;
    }
    if (m_silent || m_stalled)
        return;
    if (line.startsWith("$error:")) {
        QString message;
        wire::decodeBase64Text(line.mid(7), &message);
        m_state.log(m_phone, 'W', QStringLiteral("ContactsSync"), QStringLiteral("desktop reported: ") + message);
        m_closing = true;
        m_socket->disconnectFromHost();
        return;
    }
    if (m_mode == Mode::Backup) {
        if (line.startsWith("$batch:") && m_waitingAck) {
            m_waitingAck = false;
            sendNextBatch();
        }
        return;
    }

    if (line.startsWith("$batch:")) {
        m_applier->takeMappings();
        return;
    }
    if (line.startsWith("$end:")) {
        QString error;
        if (!m_state.flushStore(m_phone, &error)) {
            fail(error);
            return;
        }
        QByteArray mappings = m_applier->takeMappings();
        if (m_active && m_faults.hasFault(QStringLiteral("no-mappings")))
            mappings.clear();
        sendLine("$batch:" + mappings);
        return;
    }
    QString error, note;
    if (!m_applier->apply(line, &error, &note)) {
        fail(error);
        return;
    }
    if (!note.isEmpty())
        m_state.log(m_phone, 'D', QStringLiteral("ContactsSync"), note);
}

void AgentSession::sendHeader()
{
    const QStringList omit = m_active ? m_faults.fault(QStringLiteral("omit")).split(u',', Qt::SkipEmptyParts)
                                      : QStringList();
    if (!omit.contains(QStringLiteral("version")))
        sendLine("$version:" + m_faults.agentVersion.toUtf8());
    if (!omit.contains(QStringLiteral("device")))
        sendLine("$device:" + wire::base64Text(m_faults.name));
    if (!omit.contains(QStringLiteral("count")))
        sendLine("$count:" + QByteArray::number(qsizetype(m_phone->store->contacts().size())));
}

void AgentSession::sendNextBatch()
{
    if (m_closing || m_stalled)
        return;
    const PhoneStore &store = *m_phone->store;
    auto it = store.contacts().upper_bound(m_cursor);
    if (it == store.contacts().end()) {
        sendBye();
        return;
    }
    const int batchSize = std::max(1, m_faults.batchSize);
    int contacts = 0;
    if (m_plain) {
        QByteArray out = QByteArrayLiteral("$batch:\n");
        int ents = 0;
        for (; it != store.contacts().end() && contacts < batchSize; ++it, ++contacts) {
            for (const PhoneRow *row : store.orderedRows(it->second)) {
                out += "$ent:";
                wire::appendEntityLine(out, store, it->second, *row);
                out += '\n';
                ++ents;
            }
            m_cursor = it->first;
        }
        out += "$end:\n";
        m_sent += ents + 2;
        m_entSent += ents;
        record('>', "$batch:");
        m_transcriptEnts = ents;
        record('>', "$end:");
        sendRaw({ out });
    } else {
        sendLine("$batch:");
        for (; it != store.contacts().end() && contacts < batchSize; ++it, ++contacts) {
            for (const PhoneRow *row : store.orderedRows(it->second)) {
                QByteArray line = "$ent:";
                wire::appendEntityLine(line, store, it->second, *row);
                sendLine(line);
            }
            m_cursor = it->first;
        }
        sendLine("$end:");
    }
    m_contactsSent += contacts;
    m_waitingAck = true;
    m_state.flushTranscript(m_phone);
}

void AgentSession::sendBye()
{
    const QStringList omit = m_active ? m_faults.fault(QStringLiteral("omit")).split(u',', Qt::SkipEmptyParts)
                                      : QStringList();
    m_state.log(m_phone, 'I', QStringLiteral("ContactsSync"),
        QStringLiteral("sent %1 contacts in exchange %2").arg(m_contactsSent).arg(m_exchange));
    if (omit.contains(QStringLiteral("bye")))
        return;
    sendLine("$bye:");
    if (m_stalled)
        return;
    if (!m_closing) {
        m_closing = true;
        sendRaw({ {}, true, false });
    }
}

void AgentSession::fail(const QString &message)
{
    if (m_closing || m_stalled)
        return;
    m_state.log(m_phone, 'E', QStringLiteral("ContactsSync"), message);
    const QByteArray line = "$error:" + wire::base64Text(message);
    record('>', line);
    record('!', "error: " + message.toUtf8());
    m_closing = true;
    sendRaw({ line + '\n', true, false });
}

void AgentSession::stall()
{
    if (m_stalled)
        return;
    m_stalled = true;
    record('!', "stalled after " + QByteArray::number(m_sent) + " lines: the connection stays open, nothing more is sent");
    m_state.flushTranscript(m_phone);
}

void AgentSession::sendLine(QByteArray line)
{
    if (m_closing || m_stalled)
        return;
    if (m_stallAfter >= 0 && m_sent >= m_stallAfter) {
        stall();
        return;
    }
    const int n = ++m_sent;
    const bool isEnt = line.startsWith("$ent:");
    if (isEnt)
        ++m_entSent;
    bool closeAfter = false;
    bool dropAfter = false;
    if (m_active) {
        int at = 0;
        QByteArray text;
        if (splitNumbered(m_faults.fault(QStringLiteral("inject")), &at, &text) && at == n) {
            record('>', text);
            sendRaw({ text + '\n' });
        }
        if (m_faults.hasFault(QStringLiteral("blank-line")) && m_faults.faultInt(QStringLiteral("blank-line")) == n) {
            record('>', QByteArray());
            sendRaw({ QByteArrayLiteral("\n") });
        }
        if (splitNumbered(m_faults.fault(QStringLiteral("replace")), &at, &text) && at == n)
            line = text;
        if (isEnt && m_faults.faultInt(QStringLiteral("malformed")) == m_entSent)
            line = "$ent:not-a-source-id," + line.mid(line.indexOf(',') + 1);
        if (m_faults.hasFault(QStringLiteral("drop-mid-line"))
            && m_faults.faultInt(QStringLiteral("drop-mid-line")) == n - 1) {
            const QByteArray half = line.left(std::max<qsizetype>(1, line.size() / 2));
            record('>', half + " [dropped in the middle of the line]");
            m_closing = true;
            sendRaw({ half, false, true });
            return;
        }
        if (m_faults.hasFault(QStringLiteral("error-at")) && m_faults.faultInt(QStringLiteral("error-at")) == n) {
            QString message = m_faults.fault(QStringLiteral("error-message"));
            if (message.isEmpty())
                message = QStringLiteral("Simulated agent failure: Ошибка 错误");
            line = "$error:" + wire::base64Text(message);
            closeAfter = true;
        }
        if (m_faults.hasFault(QStringLiteral("drop-after")) && m_faults.faultInt(QStringLiteral("drop-after")) == n)
            dropAfter = true;
    }
    record('>', line);
    QByteArray bytes;
    if (m_active && m_faults.hasFault(QStringLiteral("crlf")))
        bytes = '\r' + line + "\r\n";
    else
        bytes = line + '\n';
    if (closeAfter || dropAfter) {
        m_closing = true;
        record('!', closeAfter ? "closing after the injected error" : "dropping the connection (drop-after)");
    }
    sendRaw({ bytes, closeAfter, dropAfter });
}

void AgentSession::sendRaw(Pending pending)
{
    m_queue.append(std::move(pending));
    pump();
}

void AgentSession::pump()
{
    if (!m_socket)
        return;
    if (m_slowMs > 0) {
        // A slow agent: one line per tick.
        if (!m_pumpTimer->isActive() && !m_queue.isEmpty())
            m_pumpTimer->start(m_slowMs);
        return;
    }
    while (!m_queue.isEmpty() && writeNext()) { }
}

void AgentSession::pumpOne()
{
    if (m_socket && !m_queue.isEmpty() && writeNext() && !m_queue.isEmpty())
        m_pumpTimer->start(m_slowMs);
}

bool AgentSession::writeNext()
{
    const Pending p = m_queue.takeFirst();
    if (!p.bytes.isEmpty())
        m_socket->write(p.bytes);
    if (p.closeAfter || p.abortAfter) {
        m_queue.clear();
        m_socket->disconnectFromHost();
        return false;
    }
    return true;
}

void AgentSession::record(char direction, const QByteArray &line)
{
    if (m_mode == Mode::Backup && direction == '>' && line.startsWith("$ent:")) {
        ++m_transcriptEnts;
        return;
    }
    finishTranscriptBatch();
    m_state.transcript(m_phone, m_exchange, m_channel, direction, line);
}

void AgentSession::finishTranscriptBatch()
{
    if (m_transcriptEnts == 0)
        return;
    const int n = m_transcriptEnts;
    m_transcriptEnts = 0;
    m_state.transcript(m_phone, m_exchange, m_channel, '>', "# " + QByteArray::number(n) + " entity lines");
}

void AgentSession::onDisconnected()
{
    if (!m_finished) {
        readInput();
        record('!', "connection closed");
    }
    finish();
}

void AgentSession::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    finishTranscriptBatch();
    QString error;
    m_state.flushStore(m_phone, &error);
    m_state.flushTranscript(m_phone);
    m_state.log(m_phone, 'I', QStringLiteral("ContactsSync"), QStringLiteral("end of %1 exchange %2").arg(m_channel).arg(m_exchange));
    Q_EMIT finished(this);
}

} // namespace phonesim
