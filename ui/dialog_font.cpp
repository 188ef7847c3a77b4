#include "ui/dialog_font.h"

#include "res/dialog_templates.h"

namespace pelmio {

QFont DialogFont() {
    QFont font;
    QStringList families;
    for (const char* family : res::kDialogFontFamilies) {
        families << QString::fromUtf8(family);
    }
    font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(res::kDialogFontPoints);
    return font;
}

}  // namespace pelmio
