#include "ui/lookup_app.h"

#include <QEventLoop>

#include "ui/lookup_dlg.h"

namespace pelmio {

bool CLookupApp::InitInstance() {
    CLookupDlg dialog;
    // Runs the window in a loop of its own until it closes, like exec(),
    // but without making it application-modal: the detail window must stay
    // usable beside it.
    QEventLoop loop;
    QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    dialog.show();
    loop.exec();
    return false;
}

}  // namespace pelmio
