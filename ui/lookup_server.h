#pragma once

#include <filesystem>
#include <unordered_map>

#include <QLocalServer>
#include <QObject>
#include <QString>

#include "lookup/lookup_request.h"

class QLocalSocket;

namespace pelmio {

// The local socket of the program running for a folder, named from the
// user and the folder's canonical path. Where the system has a runtime
// folder that only the user can reach, the socket lives there, so no other
// user can listen under the name or reach the user's program.
QString LookupServerName(const std::filesystem::path& folder);

// Takes lookup requests from later starts of the program for the same
// folder and hands on their text.
class LookupServer : public QObject {
    Q_OBJECT

public:
    explicit LookupServer(QObject* parent = nullptr);
    ~LookupServer() override;

    // Listens under the name, for this user only. A socket that a killed
    // program left behind is replaced; false when another program listens
    // there already, or the socket cannot be made.
    bool listen(const QString& name);
    bool isListening() const { return m_server.isListening(); }

signals:
    // The text of a request, which may be empty (only bring the window to
    // the front).
    void lookupRequested(const QString& text);

private:
    void takeConnection();
    void readFrom(QLocalSocket* socket);

    QLocalServer m_server;
    // One reader for each client still sending its request.
    std::unordered_map<QLocalSocket*, LookupRequestReader> m_readers;
};

}  // namespace pelmio
