#pragma once

#include <QDialog>

namespace pelmio {

// The About box: name, version, copyright and the home-page address in a
// field the user can select and copy from. Edits there go with the box:
// the next box shows the address again.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace pelmio
