#include "app/lookup_app.h"

#include <QApplication>

#include "ui/lookup_dlg.h"

namespace pelmio {

CLookupApp::CLookupApp(std::filesystem::path folder) : m_folder(std::move(folder)) {}
CLookupApp::~CLookupApp() = default;

bool CLookupApp::InitInstance() {
    LookupEnvironment environment;
    environment.folder = m_folder;
    m_window = std::make_unique<CLookupDlg>(std::move(environment));
    // The detail window may still be open: the program ends with the main
    // window all the same.
    QObject::connect(m_window.get(), &QDialog::finished, qApp, &QApplication::quit);
    m_window->show();
    return true;
}

}  // namespace pelmio
