#include "ui/about_dlg.h"

#include <QLineEdit>
#include <QPushButton>

#include "ui/dialog_builder.h"

namespace pelmio {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    const ControlMap controls = BuildDialog(*this, res::AboutDialogTemplate());
    m_homePageField = qobject_cast<QLineEdit*>(controls.at(res::kIdHomePage));
    m_homePage = m_homePageField->text();
    m_homePageField->setCursorPosition(0);
    connect(qobject_cast<QPushButton*>(controls.at(res::kIdOk)), &QPushButton::clicked, this,
            &CAboutDlg::accept);
}

void CAboutDlg::accept() {
    m_homePage = m_homePageField->text();
    QDialog::accept();
}

}  // namespace pelmio
