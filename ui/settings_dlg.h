#pragma once

#include <QDialog>
#include <QString>

#include "lookup/lookup_session.h"

class QCheckBox;
class QComboBox;

namespace pelmio {

// The settings dialog: the row-limit text and the lookup options.
class CSettingsDlg : public QDialog {
    Q_OBJECT

public:
    explicit CSettingsDlg(QWidget* parent = nullptr);

    // The text shown when the dialog opens; after OK, the text it ended with.
    QString rowLimitText() const { return m_rowLimitText; }
    void setRowLimitText(const QString& text);
    // The options shown when the dialog opens; after OK, as the user left them.
    LookupOptions options() const { return m_options; }
    void setOptions(const LookupOptions& options);

    void accept() override;

private:
    QString m_rowLimitText;
    LookupOptions m_options;
    QComboBox* m_rowLimitBox = nullptr;
    QCheckBox* m_headwordFirstBox = nullptr;
    QCheckBox* m_ignoreCaseBox = nullptr;
    QCheckBox* m_skipPronunciationBox = nullptr;
    QCheckBox* m_clipboardLookupBox = nullptr;
};

}  // namespace pelmio
