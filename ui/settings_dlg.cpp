#include "ui/settings_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

#include "ui/dialog_builder.h"

namespace pelmio {

CSettingsDlg::CSettingsDlg(QWidget* parent) : QDialog(parent) {
    const ControlMap controls = BuildDialog(*this, res::SettingsDialogTemplate());
    m_rowLimitBox = qobject_cast<QComboBox*>(controls.at(res::kIdKeywordBox));
    m_headwordFirstBox = qobject_cast<QCheckBox*>(controls.at(res::kIdHeadwordFirst));
    m_ignoreCaseBox = qobject_cast<QCheckBox*>(controls.at(res::kIdIgnoreCase));
    m_skipPronunciationBox = qobject_cast<QCheckBox*>(controls.at(res::kIdSkipPronunciation));
    m_clipboardLookupBox = qobject_cast<QCheckBox*>(controls.at(res::kIdClipboardLookup));
    // What is typed is what is stored: completing 5 to 50 from the list
    // would store a limit the user never asked for.
    m_rowLimitBox->setCompleter(nullptr);
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

void CSettingsDlg::setOptions(const LookupOptions& options) {
    m_options = options;
    m_headwordFirstBox->setChecked(options.headwordFirst);
    m_ignoreCaseBox->setChecked(options.ignoreCase);
    m_skipPronunciationBox->setChecked(options.skipPronunciation);
    m_clipboardLookupBox->setChecked(options.lookUpClipboard);
}

void CSettingsDlg::accept() {
    m_rowLimitText = m_rowLimitBox->currentText();
    m_options = {m_headwordFirstBox->isChecked(), m_ignoreCaseBox->isChecked(),
                 m_skipPronunciationBox->isChecked(), m_clipboardLookupBox->isChecked()};
    QDialog::accept();
}

}  // namespace pelmio
