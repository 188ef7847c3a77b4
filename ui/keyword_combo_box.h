#pragma once

#include <QComboBox>

namespace pelmio {

// An editable combo box that says when its list is about to drop down (so
// the list can be rebuilt first) and when the focus leaves it for anything
// but its own list.
class KeywordComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit KeywordComboBox(QWidget* parent = nullptr);

    void showPopup() override;

signals:
    void popupAboutToShow();
    void focusLeft();

protected:
    void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace pelmio
