#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include <QString>

namespace pelmio {

class CLookupDlg;
class OutsideLookup;
class SessionEndWatcher;

// The application object: makes the main window and shows it. The program
// then runs QApplication::exec(), which ends when the window is finished.
class CLookupApp {
public:
    // folder: where the window reads and writes its files; dictionaries:
    // the dictionary files to read instead of the folder's; serverName:
    // where later starts for the folder find this one (none when empty);
    // lookupText: what to look up as the window opens.
    explicit CLookupApp(std::filesystem::path folder = ".",
                        std::vector<std::filesystem::path> dictionaries = {},
                        QString serverName = {}, QString lookupText = {});
    ~CLookupApp();

    // Makes and shows the main window, working in the folder, and has the
    // event loop quit when it is finished. A signal that ends the session
    // closes the window as its close box does.
    void InitInstance();

private:
    std::filesystem::path m_folder;
    std::vector<std::filesystem::path> m_dictionaries;
    QString m_serverName;
    QString m_lookupText;
    // Outlives the window: a signal while it writes its files is still caught.
    std::unique_ptr<SessionEndWatcher> m_sessionEnd;
    // Lives until the event loop has ended, so the settings are written as
    // the window goes, after the loop.
    std::unique_ptr<CLookupDlg> m_window;
    // Goes before the window: no lookup may reach a window being destroyed,
    // whose last saves may still run the event loop for a message box.
    std::unique_ptr<OutsideLookup> m_outsideLookup;
    bool m_endRequested = false;  // a signal came before the window was made
};

}  // namespace pelmio
