#ifndef TESTS_TOOLS_SIMTESTCLIENT_H
#define TESTS_TOOLS_SIMTESTCLIENT_H

#include "tools/phonesim/phonesimdriver.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTcpSocket>

// A plain line client for talking to the simulated agent in tests: blocking
// reads with a time limit, no knowledge of the program's protocol code.
class SimTestClient
{
public:
    bool connectTo(const QString &host, int port, int timeoutMs = 5000);
    // Connects, retrying while the agent is not listening yet.
    bool connectRetrying(const QString &host, int port, int timeoutMs = 5000);
    // Next line without its line feed and carriage returns; false on time-out
    // or when the connection ends first.
    bool readLine(QByteArray *line, int timeoutMs = 5000);
    // True when nothing arrives within the time.
    bool staysSilent(int ms);
    // True when the peer closes within the time (pending lines are skipped).
    bool waitClosed(int timeoutMs = 5000);
    void send(const QByteArray &line);
    void sendLines(const QList<QByteArray> &lines);
    QTcpSocket &socket() { return m_socket; }

    // Reads a whole backup exchange, acknowledging every batch.
    struct Backup
    {
        QList<QByteArray> header; // lines before the first "$batch:"
        QList<QList<QByteArray>> batches; // "$ent:" lines per batch
        bool bye = false;
        QByteArray error; // the decoded "$error:" text
        bool broken = false;
        int entities() const;
    };
    Backup readBackup(int timeoutMs = 20000);

    // Sends one restore batch and returns the answer line.
    QByteArray restoreBatch(const QList<QByteArray> &lines, int timeoutMs = 5000);

private:
    QTcpSocket m_socket;
    QByteArray m_buffer;
};

// Base64 of UTF-8, as free text travels on the wire.
QByteArray b64(const QString &text);
QString unb64(const QByteArray &field);

// Opens the WiFi control port of a simulated phone and sends one line.
bool wifiControl(const QString &address, const QByteArray &line, QByteArray *answer = nullptr);

// The adb forward and broadcast a desktop uses to start the agent over USB
// for one exchange ("backup" or "restore") on the port.
bool startUsbAgent(const PhoneSimDriver &sim, const QString &serial, int port, const QString &mode);

// The id-mapping search a desktop runs over a "$batch:" answer: old id's
// contact key (second number), the old id's row id without sign, new id.
struct IdMapping
{
    qint64 key;
    qint64 row;
    QByteArray newId;
};
QList<IdMapping> findMappings(const QByteArray &answer);

#endif
