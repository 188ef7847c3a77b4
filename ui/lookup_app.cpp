#include "ui/lookup_app.h"

#include "ui/lookup_dlg.h"

namespace pelmio {

bool CLookupApp::InitInstance() {
    CLookupDlg dialog;
    dialog.exec();
    return false;
}

}  // namespace pelmio
