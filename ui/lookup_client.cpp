#include "ui/lookup_client.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalSocket>

#include "lookup/lookup_request.h"

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace pelmio {
namespace {

// A running program answers at once; one that does not within this time
// is taken to be hung, and the caller starts a window of its own.
constexpr int kAnswerTimeoutMs = 5000;

// A socket file another user made is never connected to, wherever it is.
bool IsOwnSocket(const QString& serverName) {
#ifdef Q_OS_UNIX
    const QFileInfo file(serverName);
    return !file.isAbsolute() || !file.exists() || file.ownerId() == ::getuid();
#else
    Q_UNUSED(serverName);
    return true;
#endif
}

}  // namespace

Delivery DeliverLookup(const QString& serverName, const QString& text) {
    if (!IsOwnSocket(serverName)) {
        return Delivery::NoServer;
    }
    QLocalSocket socket;
    socket.connectToServer(serverName);
    const QDeadlineTimer deadline(kAnswerTimeoutMs);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
        return Delivery::NoServer;
    }
    const QByteArray utf8 = text.toUtf8();
    const std::string request =
        LookupRequest(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    socket.write(request.data(), static_cast<qint64>(request.size()));
    QByteArray answer;
    while (answer.size() < static_cast<qsizetype>(kLookupDone.size()) && !deadline.hasExpired()) {
        if (socket.bytesAvailable() == 0 &&
            !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            break;
        }
        answer += socket.read(static_cast<qint64>(kLookupDone.size()) - answer.size());
    }
    return answer == QByteArray(kLookupDone.data(), static_cast<qsizetype>(kLookupDone.size()))
               ? Delivery::Delivered
               : Delivery::NoAnswer;
}

}  // namespace pelmio
