#include "ui/outside_lookup.h"

#include <QGuiApplication>

#include "ui/lookup_dlg.h"

namespace pelmio {

OutsideLookup::OutsideLookup(const QString& serverName, QObject* parent)
    : QObject(parent), m_clipboard(*QGuiApplication::clipboard()) {
    // A second window in the folder finds the first one listening: it goes
    // on without, and the first one takes the lookups.
    m_server.listen(serverName);
}

void OutsideLookup::attach(CLookupDlg& window) {
    connect(&m_server, &LookupServer::lookupRequested, &window, [&window](const QString& text) {
        window.lookUpFromOutside(text);
        // The user asked for it: the window comes to the front, with the
        // keyboard.
        window.showNormal();
        window.raise();
        window.activateWindow();
    });
    m_clipboard.setEnabled(window.lookupOptions().lookUpClipboard);
    connect(&window, &CLookupDlg::optionsChanged, this,
            [this, &window] { m_clipboard.setEnabled(window.lookupOptions().lookUpClipboard); });
    connect(&m_clipboard, &ClipboardWatcher::englishCopied, &window,
            [&window](const QString& text) {
                window.lookUpFromOutside(text);
                // Above the others, but the keyboard stays in the program the
                // user copied in.
                window.raise();
            });
}

}  // namespace pelmio
