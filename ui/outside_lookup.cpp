#include "ui/outside_lookup.h"

#include <QGuiApplication>

#include <utility>

#include "ui/lookup_dlg.h"

namespace pelmio {

OutsideLookup::OutsideLookup(const QString& serverName, QObject* parent)
    : QObject(parent), m_clipboard(*QGuiApplication::clipboard()) {
    // A second window in the folder finds the first one listening: it goes
    // on without, and the first one takes the lookups.
    m_server.listen(serverName);
    // A start may ask while the window is still being made, even while it
    // shows a message: the last request waits for it.
    connect(&m_server, &LookupServer::lookupRequested, this, [this](const QString& text) {
        if (m_window == nullptr) {
            m_waiting = text;
        }
    });
}

namespace {

// The user asked for it: the window comes to the front, with the keyboard.
void LookUpInFront(CLookupDlg& window, const QString& text) {
    window.lookUpFromOutside(text);
    window.showNormal();
    window.raise();
    window.activateWindow();
}

}  // namespace

void OutsideLookup::attach(CLookupDlg& window) {
    m_window = &window;
    connect(&m_server, &LookupServer::lookupRequested, &window,
            [&window](const QString& text) { LookUpInFront(window, text); });
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
    if (!m_waiting.isEmpty()) {
        LookUpInFront(window, std::exchange(m_waiting, QString()));
    }
}

}  // namespace pelmio
