#include "app/lookup_app.h"

#include <QApplication>

#include "app/session_end.h"
#include "lookup/dictionary_load.h"
#include "ui/lookup_dlg.h"
#include "ui/outside_lookup.h"

namespace pelmio {

CLookupApp::CLookupApp(std::filesystem::path folder,
                       std::vector<std::filesystem::path> dictionaries, QString serverName,
                       QString lookupText)
    : m_folder(std::move(folder)),
      m_dictionaries(std::move(dictionaries)),
      m_serverName(std::move(serverName)),
      m_lookupText(std::move(lookupText)) {}
CLookupApp::~CLookupApp() = default;

void CLookupApp::InitInstance() {
    // Read while the window is made, which takes longer.
    auto load = std::make_shared<DictionaryLoad>(DictionaryFiles(m_folder, m_dictionaries));
    // Before the window, whose making may take a while: a signal then waits
    // for the event loop instead of killing the program.
    m_sessionEnd = std::make_unique<SessionEndWatcher>([this] {
        m_endRequested = true;
        if (m_window) {
            m_window->reject();  // what the close box does: no keyword saved, settings written
        }
    });
    if (!m_serverName.isEmpty()) {
        m_outsideLookup = std::make_unique<OutsideLookup>(m_serverName);
    }
    LookupEnvironment environment;
    environment.folder = m_folder;
    environment.dictionaries = m_dictionaries;
    environment.firstLoad = std::move(load);
    m_window = std::make_unique<CLookupDlg>(std::move(environment));
    // The detail window may still be open: the program ends with the main
    // window all the same.
    QObject::connect(m_window.get(), &QDialog::finished, qApp, &QApplication::quit);
    m_window->lookUpFromOutside(m_lookupText);
    // After its own text: a lookup that came meanwhile was asked later.
    if (m_outsideLookup) {
        m_outsideLookup->attach(*m_window);
    }
    m_window->show();
    if (m_endRequested) {
        QMetaObject::invokeMethod(m_window.get(), &CLookupDlg::reject, Qt::QueuedConnection);
    }
}

}  // namespace pelmio
