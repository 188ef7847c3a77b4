#pragma once

#include <functional>
#include <map>

#include <QFont>
#include <QRect>

#include "res/dialog_templates.h"

class QDialog;
class QWidget;

namespace pelmio {

// Dialog units to pixels for a font: a horizontal unit is a quarter of the
// average width of A-Z and a-z, a vertical unit an eighth of the font's
// height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    QRect toPixels(int x, int y, int width, int height) const;

private:
    double m_baseWidth;
    double m_baseHeight;
};

// The property that carries a widget's control id, so code and tests can
// find controls by the ids of the templates.
inline constexpr const char* kControlIdProperty = "controlId";

using ControlMap = std::map<int, QWidget*>;
// Makes the widget for a control the builder does not make itself, or
// returns nullptr to let the builder make its standard one.
using ControlFactory = std::function<QWidget*(const res::ControlTemplate&, QWidget* parent)>;

// Sets the dialog's caption, font and size and creates its controls at
// their places. A resizable dialog gets the template's size as its
// smallest, and its controls grow with it as their styles say; any other
// is fixed in size. Returns the controls that have ids.
ControlMap BuildDialog(QDialog& dialog, const res::DialogTemplate& dialogTemplate,
                       const ControlFactory& factory = {});

}  // namespace pelmio
