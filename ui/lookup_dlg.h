#pragma once

#include <string>
#include <vector>

#include <QDialog>
#include <QTimer>

#include "lookup/lookup_session.h"
#include "lookup/save_policy.h"
#include "ui/detail_dlg.h"
#include "ui/lookup_environment.h"
#include "ui/result_list_model.h"

class QAbstractItemView;
class QAction;
class QLabel;
class QMenu;
class QPushButton;

namespace pelmio {

class KeywordComboBox;

// The main window: the keyword box, the result list and the buttons. It
// turns the user's events into calls on its lookup session and shows what
// they return; the only logic it holds is how text and widgets meet.
class CLookupDlg : public QDialog {
    Q_OBJECT

public:
    // The window menu's About command.
    static constexpr int kAboutCommand = 0x0010;

    explicit CLookupDlg(LookupEnvironment environment = {});
    ~CLookupDlg() override;

    // Lists every line that holds the keyword box's tokens in order.
    void RunSearch();
    // Loads both dictionary files again and lists the new lines.
    void ReloadDictionaries();
    // Shows the entry of the selected row in the detail window.
    void ShowEntryDetails();
    // Puts the keyword box's text in front of the history and rebuilds the
    // drop-down list. While another program holds the folder's lock, the
    // keyword waits and is saved in the background; on a full disk it waits
    // for the next save, and the user is told once.
    void SaveKeywordToHistory();
    // Rebuilds the drop-down list from the history file.
    void LoadHistoryIntoCombo();
    // Puts a history line into the box and searches.
    void SelectHistoryKeyword(int item);
    // Runs the settings dialog; OK sets the row limit.
    void RunSettingsDialog();
    // A window-menu command: kAboutCommand opens the About box.
    void OnSysCommand(int command);
    // Text from another program or a later start: put in the box, cut as
    // a search reads it, and searched as if typed. Empty text leaves the box.
    void lookUpFromOutside(const QString& text);
    const LookupOptions& lookupOptions() const { return m_session.options(); }

    // The OK path (Close button, Enter): saves the keyword, then closes.
    void accept() override;
    void done(int result) override;

signals:
    // The settings dialog changed the options.
    void optionsChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
#ifdef Q_OS_WIN
    void showEvent(QShowEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

private:
    void buildWindow();
    // Gives both windows the sizes, and the detail window the place, an
    // earlier run left them in, where they still fit the screens.
    void restoreGeometry();
    // The windows' sizes and place now; a size the user never changed is
    // left out.
    WindowGeometry currentGeometry() const;
    void connectEvents();
    void showCount(const SearchResult& result);
    void lookUp(const QString& keyword);
    // A row chosen: a dictionary line opens, a suggestion is looked up.
    void openCurrentRow();
    void reportLoadProblems(const std::vector<DictionaryProblem>& problems, QWidget* owner);
    void fillHistoryList(const std::vector<std::string>& lines);
    // Shows the list a history save left, runs or stops the retry timer
    // as asked, and tells the user what the save policy says to.
    void showSaved(const SaveOutcome& outcome);
    // At the end: what waits gets its last try.
    void savePendingAtExit();
    // Shows the outcome's notices, owned by owner; those about a file's
    // lock or link by the window only while it is shown.
    void tell(const SaveOutcome& outcome, QWidget* owner);

    LookupEnvironment m_environment;
    LookupSession m_session;
    SavePolicy m_savePolicy;
    CDetailDlg m_detail;
    ResultListModel m_resultModel;
    KeywordComboBox* m_keywordBox = nullptr;
    QAbstractItemView* m_resultList = nullptr;
    QLabel* m_resultCount = nullptr;
    QPushButton* m_closeButton = nullptr;
    QPushButton* m_settingsButton = nullptr;
    QPushButton* m_reloadButton = nullptr;
    QMenu* m_windowMenu = nullptr;
    QAction* m_closeAction = nullptr;
    QAction* m_aboutAction = nullptr;
    bool m_hasSearched = false;  // the list stays empty until the first search
    bool m_closing = false;      // no saving on focus loss while closing
    QTimer m_retryTimer;         // tries again while the lock is held
};

}  // namespace pelmio
