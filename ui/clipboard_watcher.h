#pragma once

#include <QObject>
#include <QString>

class QClipboard;

namespace pelmio {

// Tells when a few English words are copied in another program, while it
// is on; what this program copies itself is passed over.
class ClipboardWatcher : public QObject {
    Q_OBJECT

public:
    explicit ClipboardWatcher(QClipboard& clipboard, QObject* parent = nullptr);

    void setEnabled(bool enabled) { m_enabled = enabled; }

signals:
    void englishCopied(const QString& text);

private:
    void clipboardChanged();

    QClipboard& m_clipboard;
    bool m_enabled = false;
};

}  // namespace pelmio
