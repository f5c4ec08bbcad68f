#ifndef ANDROID_PROTOCOLEXCEPTIONS_H
#define ANDROID_PROTOCOLEXCEPTIONS_H

#include <QString>

#include <exception>
#include <stdexcept>

class QIODevice;

// The failures of a line exchange with the phone agent. Every message is
// UTF-8 in what(); jobs catch std::exception at their top and show what().
namespace simpleprotocol {

// The socket did not deliver a line (closed, reset, timed out, over-long
// line), did not accept written data, or delivered an empty line.
class SocketDataTransferException : public std::runtime_error
{
public:
    explicit SocketDataTransferException(const QString &message);
};

// The peer sent "$error:"; the message is the peer's own text.
class RemoteException : public std::runtime_error
{
public:
    explicit RemoteException(const QString &message);
};

// A failure of our own side that the peer is told about: constructing one
// sends "$error:" with the Base64 of the message to the peer (flushed)
// before the exception is thrown. A socket that cannot take the report does
// not hide the original failure; the report is simply lost.
class LocalException : public std::runtime_error
{
public:
    LocalException(QIODevice &socket, const QString &message);
};

// Marker that unwinds an exchange when the job's cancel flag was found set
// while waiting for the peer. It is not a runtime_error: a job catches it
// before std::exception, rolls back and reports nothing.
class CancelledException : public std::exception
{
public:
    [[nodiscard]] const char *what() const noexcept override;
};

} // namespace simpleprotocol

#endif
