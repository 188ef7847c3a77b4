#include "ui/keyword_combo_box.h"

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QLineEdit>

namespace pelmio {

KeywordComboBox::KeywordComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    // The list holds exactly what its owner puts in: Enter must not add the
    // typed text, and completion must not change what the user typed.
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    setDuplicatesEnabled(true);
}

void KeywordComboBox::showPopup() {
    emit popupAboutToShow();
    QComboBox::showPopup();
}

void KeywordComboBox::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    // Its own list opening takes the focus too; some platforms give that
    // no popup reason, so look at the list itself.
    if (event->reason() != Qt::PopupFocusReason && !view()->isVisible()) {
        emit focusLeft();
    }
}

}  // namespace pelmio
