#pragma once

#include <QString>

class QClipboard;

namespace pelmio {

// The text selected in any program: the primary selection where the
// platform has one (X11, and Wayland compositors that offer it), the
// clipboard otherwise. Trimmed, and only its first line.
QString SelectedLookupText(const QClipboard& clipboard);

}  // namespace pelmio
