#include "ui/about_dlg.h"

#include <QLineEdit>
#include <QPushButton>

#include "ui/dialog_builder.h"

namespace pelmio {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    const ControlMap controls = BuildDialog(*this, res::AboutDialogTemplate());
    qobject_cast<QLineEdit*>(controls.at(res::kIdHomePage))->setCursorPosition(0);
    connect(qobject_cast<QPushButton*>(controls.at(res::kIdOk)), &QPushButton::clicked, this,
            &CAboutDlg::accept);
}

}  // namespace pelmio
