#pragma once

#include <QDialog>
#include <QString>

class QComboBox;

namespace pelmio {

// The settings dialog: one combo box with the row-limit text.
class CSettingsDlg : public QDialog {
    Q_OBJECT

public:
    explicit CSettingsDlg(QWidget* parent = nullptr);

    // The text shown when the dialog opens; after OK, the text it ended with.
    QString rowLimitText() const { return m_rowLimitText; }
    void setRowLimitText(const QString& text);

    void accept() override;

private:
    QString m_rowLimitText;
    QComboBox* m_rowLimitBox = nullptr;
};

}  // namespace pelmio
