#include "ui/lookup_server.h"

#include <system_error>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

#include "ui/codec.h"

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pelmio {
namespace {

// A client has this long to send its request; one that stalls is dropped.
constexpr int kClientTimeoutMs = 5000;
// Clients served at once; more are turned away until one is done.
constexpr std::size_t kMaxClients = 16;
// How long a live program takes to accept a connection at most.
constexpr int kConnectTimeoutMs = 1000;

QString UserName() {
#ifdef Q_OS_UNIX
    return QString::number(::getuid());
#else
    return qEnvironmentVariable("USERNAME");
#endif
}

// Whether a program accepts connections under the name.
bool IsListenedTo(const QString& name) {
    QLocalSocket probe;
    probe.connectToServer(name);
    return probe.waitForConnected(kConnectTimeoutMs);
}

#ifdef Q_OS_UNIX
// A folder for the socket that only this user can reach: the runtime
// folder, or else one of the user's own in the temporary folder. Empty
// when neither can be had, as when another user made that one first.
QString PrivateSocketFolder() {
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) {
        // Qt makes sure it is the user's own and closed to others.
        return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    }
    const QString folder = QDir::tempPath() + QStringLiteral("/pelmio-") + UserName();
    const QByteArray path = QFile::encodeName(folder);
    ::mkdir(path.constData(), 0700);
    struct stat status {};
    if (::lstat(path.constData(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != ::getuid() || (status.st_mode & 077) != 0) {
        return {};
    }
    return folder;
}
#endif

}  // namespace

QString LookupServerName(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(folder, error);
    if (error) {
        canonical = std::filesystem::absolute(folder, error);
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(UserName().toUtf8());
    hash.addData(QByteArrayView("\0", 1));
    hash.addData(QFile::encodeName(FromPath(canonical)));
    // Short enough for a socket path; long enough that folders never share.
    const QString name =
        QStringLiteral("pelmio-") + QString::fromLatin1(hash.result().toHex().left(24));
#ifdef Q_OS_UNIX
    const QString socketFolder = PrivateSocketFolder();
    if (!socketFolder.isEmpty() && QDir(socketFolder).exists()) {
        return socketFolder + QLatin1Char('/') + name;
    }
#endif
    return name;
}

LookupServer::LookupServer(QObject* parent) : QObject(parent) {
    // Only this user may connect, whatever the folder the socket is in.
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &LookupServer::takeConnection);
}

LookupServer::~LookupServer() = default;

bool LookupServer::listen(const QString& name) {
    // Another window for the folder keeps the name: Qt would put a new
    // socket in place of its live one, and remove it as this one ends.
    if (IsListenedTo(name)) {
        return false;
    }
    // Nobody answers: whatever is there was left by a killed program.
    QLocalServer::removeServer(name);
    return m_server.listen(name);
}

void LookupServer::takeConnection() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        if (m_readers.size() >= kMaxClients) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // Qt buffers no more than a request may hold, whatever is sent.
        socket->setReadBufferSize(static_cast<qint64>(kMaxLookupTextBytes) + 64);
        m_readers.emplace(socket, LookupRequestReader());
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            m_readers.erase(socket);
            socket->deleteLater();
        });
        QTimer::singleShot(kClientTimeoutMs, socket, [socket] { socket->abort(); });
        readFrom(socket);
    }
}

void LookupServer::readFrom(QLocalSocket* socket) {
    const auto found = m_readers.find(socket);
    if (found == m_readers.end()) {
        return;
    }
    LookupRequestReader& reader = found->second;
    while (reader.state() == LookupRequestReader::State::Reading && socket->bytesAvailable() > 0) {
        const QByteArray bytes = socket->read(static_cast<qint64>(reader.bytesWanted()));
        reader.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }
    switch (reader.state()) {
        case LookupRequestReader::State::Reading:
            return;
        case LookupRequestReader::State::Bad:
            socket->abort();
            return;
        case LookupRequestReader::State::Done: {
            const QString text = QString::fromStdString(reader.text());
            m_readers.erase(found);
            socket->write(kLookupDone.data(), static_cast<qint64>(kLookupDone.size()));
            socket->disconnectFromServer();
            emit lookupRequested(text);
            return;
        }
    }
}

}  // namespace pelmio
