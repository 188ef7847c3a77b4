#pragma once

#include <QObject>
#include <QString>

#include "ui/clipboard_watcher.h"
#include "ui/lookup_server.h"

namespace pelmio {

class CLookupDlg;

// Lookups that come from outside the main window: later starts of the
// program for the same folder, and, while its option is on, English copied
// in other programs.
class OutsideLookup : public QObject {
    Q_OBJECT

public:
    // Listens under the server name at once, so a start that comes while
    // the window is still being made finds this program; the last request
    // waits until attach().
    explicit OutsideLookup(const QString& serverName, QObject* parent = nullptr);

    bool isListening() const { return m_server.isListening(); }
    // From now on, the window looks up what comes.
    void attach(CLookupDlg& window);

private:
    LookupServer m_server;
    CLookupDlg* m_window = nullptr;
    QString m_waiting;  // the last request that came before a window
    ClipboardWatcher m_clipboard;
};

}  // namespace pelmio
