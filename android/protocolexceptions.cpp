#include "android/protocolexceptions.h"

#include "android/simpleprotocol.h"

namespace simpleprotocol {

SocketDataTransferException::SocketDataTransferException(const QString &message)
    : std::runtime_error(message.toUtf8().toStdString())
{ }

RemoteException::RemoteException(const QString &message)
    : std::runtime_error(message.toUtf8().toStdString())
{ }

LocalException::LocalException(QIODevice &socket, const QString &message)
    : std::runtime_error(message.toUtf8().toStdString())
{
    try {
        writeCommand(socket, QStringLiteral("$error:"), QString::fromLatin1(message.toUtf8().toBase64()), true);
    } catch (const SocketDataTransferException &) {
        // The peer is gone; the local failure is what matters to the caller.
    }
}

const char *CancelledException::what() const noexcept
{
    return "Cancelled";
}

} // namespace simpleprotocol
