#include "ui/clipboard_watcher.h"

#include <QClipboard>

#include "lookup/outside_text.h"

namespace pelmio {

ClipboardWatcher::ClipboardWatcher(QClipboard& clipboard, QObject* parent)
    : QObject(parent), m_clipboard(clipboard) {
    connect(&m_clipboard, &QClipboard::dataChanged, this, &ClipboardWatcher::clipboardChanged);
}

void ClipboardWatcher::clipboardChanged() {
    if (!m_enabled || m_clipboard.ownsClipboard()) {
        return;
    }
    const QString copied = m_clipboard.text(QClipboard::Clipboard);
    // Large copies are no few words; they are not converted to find out.
    if (copied.size() > static_cast<qsizetype>(4 * kMaxClipboardLookupBytes)) {
        return;
    }
    if (const std::optional<std::string> words = ClipboardLookupText(copied.toStdString())) {
        emit englishCopied(QString::fromStdString(*words));
    }
}

}  // namespace pelmio
