#ifndef ANDROID_SIMPLEPROTOCOL_H
#define ANDROID_SIMPLEPROTOCOL_H

#include "android/protocolexceptions.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <atomic>
#include <functional>

class QIODevice;
class QRegularExpression;

// Line protocol between the program and the phone agent.
//
// One command per line: a short ASCII word ending in a colon, the argument
// right after it, then one line feed. The sender writes no carriage return;
// the reader drops every carriage return it meets. Bytes map one to one to
// Latin-1 characters; free text inside an argument always travels as Base64
// of its UTF-8 bytes, so in practice every line is plain ASCII:
//
//     $device:UGl4ZWwgNw==          agent -> PC, Base64 of the device name
//     $version:3                    agent -> PC
//     $count:812                    agent -> PC
//     $batch:                       either way: batch start / acknowledgement
//     $ent:3/12/7/88,mobile,,KzQ5   an entity line (see wireencoding.h)
//     $del:3/12/7/88                PC -> agent, delete a row
//     $ungroup:12                   PC -> agent, drop a contact's groups
//     $end:                         end of a batch
//     $bye:                         agent -> PC, everything sent
//     $error:RmFpbGVk               either way, Base64 of a UTF-8 message
//     hello: backup: restore:       WiFi control port 48888
//
// The functions work on a connected socket in blocking style, on the thread
// that owns it; they never open or close it. Reads wait in short slices so
// that a job's cancel flag is seen within a fraction of a second even while
// the agent says nothing.
namespace simpleprotocol {

// Asked between wait slices; true ends the read with CancelledException.
using CancelCheck = std::function<bool()>;

// A CancelCheck reading a job's cancel flag; an empty check for nullptr.
[[nodiscard]] CancelCheck cancelFlag(const std::atomic<bool> *flag);

constexpr int NoTimeLimit = -1;
constexpr int ConnectTimeoutMs = 15000;
constexpr quint16 AgentControlPort = 48888;
// Longest line accepted, line feed excluded. A photo of several megabytes
// fits many times over; a peer that never ends its line does not exhaust
// memory.
constexpr qint64 MaxLineBytes = qint64(64) * 1024 * 1024;
// Length of one wait for data between two looks at the cancel flag.
constexpr int WaitSliceMs = 200;

// The next line without its line feed and with every carriage return
// dropped. Waits for data at most timeoutMs for the whole line (NoTimeLimit:
// no limit). Throws SocketDataTransferException when the wait fails (time-out,
// connection closed or broken; a partial line is discarded) or the line is
// longer than MaxLineBytes, and CancelledException when `cancelled` answers
// true while waiting.
[[nodiscard]] QString readLine(QIODevice &socket, int timeoutMs, const CancelCheck &cancelled = {});

// readLine, then: an empty line throws SocketDataTransferException
// ("Null command."); a line starting with "$error:" throws RemoteException
// with the decoded message. Any other line is returned as it came, command
// word included.
[[nodiscard]] QString readCommand(QIODevice &socket, int timeoutMs, const CancelCheck &cancelled = {});

// Writes the text as Latin-1 (other characters become '?'), up to its first
// NUL character. Throws SocketDataTransferException when the socket refuses.
void writeText(QIODevice &socket, const QString &text);

// Writes word, argument and a line feed. With `flush`, pushes the socket's
// write buffer out without blocking; what the system cannot take right now
// stays queued and goes out during the next wait. Throws
// SocketDataTransferException when writing fails or the connection is gone.
void writeCommand(QIODevice &socket, const QString &word, const QString &argument, bool flush);
void writeLine(QIODevice &socket, const QString &argument, bool flush);

// One id mapping "old=>new" in the agent's answer to a batch:
//     3/812/640/-32=>3/812/640/9002
// contactKey is the second number of the old id, entityId the absolute
// value of its fourth, newSrcId the id the phone assigned.
struct IdMapping
{
    qint64 contactKey = 0;
    qint64 entityId = 0;
    QString newSrcId;

    friend bool operator==(const IdMapping &, const IdMapping &) = default;
};

// The pattern the mappings are searched with, built once for the process.
[[nodiscard]] const QRegularExpression &idMappingPattern();
// Every mapping in an answer, each search starting where the previous match
// ended, so any character that cannot continue a number separates them.
[[nodiscard]] QList<IdMapping> findIdMappings(const QString &answer);

} // namespace simpleprotocol

#endif
