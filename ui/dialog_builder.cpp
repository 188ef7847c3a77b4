#include "ui/dialog_builder.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>

#include "ui/dialog_font.h"
#include "ui/program_icon.h"
#include "ui/result_list_view.h"

namespace pelmio {
namespace {

QWidget* MakePushButton(const res::ControlTemplate& control, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(control.text), parent);
    button->setDefault((control.style & res::kDefault) != 0);
    return button;
}

QWidget* MakeLabel(const res::ControlTemplate& control, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(control.text), parent);
    label->setTextFormat(Qt::PlainText);
    if ((control.style & res::kAlignRight) != 0) {
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    return label;
}

QWidget* MakeComboBox(const res::ControlTemplate& control, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    // The list holds exactly what its owner puts in: Enter must not add the
    // typed text.
    combo->setInsertPolicy(QComboBox::NoInsert);
    for (const char* item : control.items) {
        combo->addItem(QString::fromUtf8(item));
    }
    return combo;
}

QWidget* MakeListBox(const res::ControlTemplate& control, QWidget* parent) {
    auto* list = new ResultListView(parent);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setVerticalScrollBarPolicy((control.style & res::kVScroll) != 0 ? Qt::ScrollBarAlwaysOn
                                                                          : Qt::ScrollBarAsNeeded);
    return list;
}

QWidget* MakeEdit(const res::ControlTemplate& control, QWidget* parent) {
    return new QLineEdit(QString::fromUtf8(control.text), parent);
}

QWidget* MakeMultiEdit(const res::ControlTemplate&, QWidget* parent) {
    auto* edit = new QPlainTextEdit(parent);
    edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setTabChangesFocus(true);
    return edit;
}

QWidget* MakeIcon(const res::ControlTemplate&, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(ProgramIcon().pixmap(32, 32));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QWidget* MakeWhiteRect(const res::ControlTemplate& control, QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setAutoFillBackground(true);
    QPalette palette = frame->palette();
    palette.setColor(QPalette::Window, Qt::white);
    frame->setPalette(palette);
    if ((control.style & res::kSunken) != 0) {
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }
    return frame;
}

QWidget* MakeCheckBox(const res::ControlTemplate& control, QWidget* parent) {
    return new QCheckBox(QString::fromUtf8(control.text), parent);
}

QWidget* MakeStandardControl(const res::ControlTemplate& control, QWidget* parent) {
    switch (control.kind) {
        case res::ControlKind::PushButton:
            return MakePushButton(control, parent);
        case res::ControlKind::Label:
            return MakeLabel(control, parent);
        case res::ControlKind::ComboBox:
            return MakeComboBox(control, parent);
        case res::ControlKind::ListBox:
            return MakeListBox(control, parent);
        case res::ControlKind::Edit:
            return MakeEdit(control, parent);
        case res::ControlKind::MultiEdit:
            return MakeMultiEdit(control, parent);
        case res::ControlKind::Icon:
            return MakeIcon(control, parent);
        case res::ControlKind::CheckBox:
            return MakeCheckBox(control, parent);
        case res::ControlKind::WhiteRect:
            return MakeWhiteRect(control, parent);
    }
    return nullptr;
}

// Moves and sizes a resizable dialog's controls as it grows: each keeps
// its place from the template, and takes the growth its style asks for.
class GrowthLayout : public QObject {
public:
    GrowthLayout(QDialog& dialog, QSize smallest) : QObject(&dialog), m_smallest(smallest) {
        dialog.installEventFilter(this);
    }
    void add(QWidget* widget, QRect place, unsigned style) {
        if ((style & kGrowthStyles) != 0) {
            m_controls.push_back({widget, place, style});
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) {
            const QSize size = static_cast<QResizeEvent*>(event)->size();
            const int wider = std::max(0, size.width() - m_smallest.width());
            const int taller = std::max(0, size.height() - m_smallest.height());
            for (const Control& control : m_controls) {
                control.widget->setGeometry(Grown(control, wider, taller));
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static constexpr unsigned kGrowthStyles = res::kGrowWidth | res::kGrowHeight |
                                              res::kFollowRight | res::kFollowBottom |
                                              res::kFollowCentre;
    struct Control {
        QWidget* widget;
        QRect place;
        unsigned style;
    };

    static QRect Grown(const Control& control, int wider, int taller) {
        QRect place = control.place;
        if ((control.style & res::kFollowRight) != 0) {
            place.translate(wider, 0);
        } else if ((control.style & res::kFollowCentre) != 0) {
            place.translate(wider / 2, 0);
        }
        if ((control.style & res::kFollowBottom) != 0) {
            place.translate(0, taller);
        }
        if ((control.style & res::kGrowWidth) != 0) {
            place.setWidth(place.width() + wider);
        }
        if ((control.style & res::kGrowHeight) != 0) {
            place.setHeight(place.height() + taller);
        }
        return place;
    }

    QSize m_smallest;
    std::vector<Control> m_controls;
};

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetricsF metrics(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_baseWidth = metrics.horizontalAdvance(letters) / letters.size();
    m_baseHeight = std::ceil(metrics.height());
}

QRect DialogUnits::toPixels(int x, int y, int width, int height) const {
    const auto px = [this](int units) {
        return static_cast<int>(std::lround(units * m_baseWidth / 4));
    };
    const auto py = [this](int units) {
        return static_cast<int>(std::lround(units * m_baseHeight / 8));
    };
    return {px(x), py(y), px(x + width) - px(x), py(y + height) - py(y)};
}

ControlMap BuildDialog(QDialog& dialog, const res::DialogTemplate& dialogTemplate,
                       const ControlFactory& factory) {
    dialog.setWindowTitle(QString::fromUtf8(dialogTemplate.caption));
    dialog.setFont(DialogFont());
    const DialogUnits units(dialog.font());
    const QSize size = units.toPixels(0, 0, dialogTemplate.width, dialogTemplate.height).size();
    GrowthLayout* growth = nullptr;
    if (dialogTemplate.resizable) {
        // The template's layout is the smallest the dialog gets.
        dialog.setMinimumSize(size);
        dialog.resize(size);
        growth = new GrowthLayout(dialog, size);
    } else {
        dialog.setFixedSize(size);
    }

    ControlMap controls;
    for (const res::ControlTemplate& control : dialogTemplate.controls) {
        QWidget* widget = factory ? factory(control, &dialog) : nullptr;
        if (widget == nullptr) {
            widget = MakeStandardControl(control, &dialog);
        }
        QRect place = units.toPixels(control.x, control.y, control.width, control.height);
        if (control.kind == res::ControlKind::ComboBox) {
            // A combo box's height in a template includes its dropped-down
            // list; closed, it is as tall as its text needs.
            place.setHeight(widget->sizeHint().height());
        }
        widget->setGeometry(place);
        if (growth != nullptr) {
            growth->add(widget, place, control.style);
        }
        widget->setProperty(kControlIdProperty, control.id);
        widget->setFocusPolicy((control.style & res::kTabStop) != 0 ? Qt::StrongFocus
                                                                    : Qt::NoFocus);
        if ((control.style & res::kHidden) != 0) {
            widget->hide();
        }
        if (control.id != res::kNoId) {
            controls[control.id] = widget;
        }
    }
    return controls;
}

}  // namespace pelmio
