#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

namespace pelmio {

// The About box: name, version, copyright and the home-page address in a
// field the user can select and copy from. Edits there go with the box.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    QString homePage() const { return m_homePage; }
    void accept() override;

private:
    QString m_homePage;
    QLineEdit* m_homePageField = nullptr;
};

}  // namespace pelmio
