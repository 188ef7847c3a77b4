#include "ui/settings_dlg.h"

#include <QComboBox>
#include <QPushButton>

#include "ui/dialog_builder.h"

namespace pelmio {

CSettingsDlg::CSettingsDlg(QWidget* parent) : QDialog(parent) {
    const ControlMap controls = BuildDialog(*this, res::SettingsDialogTemplate());
    m_rowLimitBox = qobject_cast<QComboBox*>(controls.at(res::kIdKeywordBox));
    connect(qobject_cast<QPushButton*>(controls.at(res::kIdOk)), &QPushButton::clicked, this,
            &CSettingsDlg::accept);
    connect(qobject_cast<QPushButton*>(controls.at(res::kIdCancel)), &QPushButton::clicked, this,
            &CSettingsDlg::reject);
}

void CSettingsDlg::setRowLimitText(const QString& text) {
    m_rowLimitText = text;
    // Shows the text; a listed value is also selected in the list.
    const int listed = m_rowLimitBox->findText(text);
    if (listed >= 0) {
        m_rowLimitBox->setCurrentIndex(listed);
    }
    m_rowLimitBox->setEditText(text);
}

void CSettingsDlg::accept() {
    m_rowLimitText = m_rowLimitBox->currentText();
    QDialog::accept();
}

}  // namespace pelmio
