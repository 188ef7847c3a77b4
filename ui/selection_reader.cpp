#include "ui/selection_reader.h"

#include <QClipboard>

#include "lookup/outside_text.h"

namespace pelmio {

QString SelectedLookupText(const QClipboard& clipboard) {
    const QString selected = clipboard.text(clipboard.supportsSelection() ? QClipboard::Selection
                                                                          : QClipboard::Clipboard);
    return QString::fromStdString(SelectionLookupText(selected.toStdString()));
}

}  // namespace pelmio
