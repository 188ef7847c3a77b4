#include "ui/lookup_dlg.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

#include "desktop/window_placement.h"
#include "ui/about_dlg.h"
#include "ui/codec.h"
#include "ui/dialog_builder.h"
#include "ui/highlight_delegate.h"
#include "ui/keyword_combo_box.h"
#include "ui/program_icon.h"
#include "ui/settings_dlg.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace pelmio {

void ShowMessageBox(QWidget* owner, const QString& text, const QString& detail) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(res::kAppName), text, QMessageBox::Ok,
                    owner);
    box.setInformativeText(detail);
    box.exec();
}

namespace {

QString NoticeText(const Notice& notice) {
    switch (notice.kind) {
        case SaveNotice::HistoryDiskFull:
            return QString::fromUtf8(res::kHistoryDiskFull);
        case SaveNotice::HistoryWriteFailed:
            return QString::fromUtf8(res::kHistoryWriteFailed);
        case SaveNotice::KeywordsNotSaved: {
            QStringList lines{QString::fromUtf8(res::kHistoryNotSavedAtExit)};
            for (const std::string& keyword : notice.keywords) {
                lines << FromCp932(keyword);
            }
            return lines.join(QStringLiteral("\n"));
        }
        case SaveNotice::SettingsDiskFull:
            return QString::fromUtf8(res::kSettingsDiskFull);
        case SaveNotice::SettingsWriteFailed:
            return QString::fromUtf8(res::kSettingsWriteFailed);
        case SaveNotice::SettingsBusy:
            return QString::fromUtf8(res::kSettingsBusy);
        case SaveNotice::ForeignLink:
            return QString::fromUtf8(res::kForeignLink).arg(QString::fromUtf8(notice.fileName));
        case SaveNotice::NoLock:
            return QString::fromUtf8(res::kNoLock);
    }
    return {};
}

}  // namespace

CLookupDlg::CLookupDlg(LookupEnvironment environment)
    : m_environment(std::move(environment)),
      m_session(m_environment.folder, *m_environment.writer),
      m_savePolicy(m_session),
      m_detail(m_environment.speechEngine) {
    if (!m_environment.dictionaries.empty()) {
        m_session.setDictionaryFiles(m_environment.dictionaries);
    }
    m_session.readSettings();
    buildWindow();
    restoreGeometry();
    // Before the window shows, so a message box about a missing file has
    // no owner. A load started before the window was made is read by now.
    reportLoadProblems(
        m_environment.firstLoad ? m_session.reload(*m_environment.firstLoad) : m_session.reload(),
        nullptr);
    m_environment.firstLoad.reset();  // taken: its dictionary is the session's now
    connectEvents();
    // Saves killed part way may have left files beside ours.
    m_session.removeStaleTemporaryFiles();
    // As the window opens: creates the history file if need be and fills
    // the drop-down list.
    SaveKeywordToHistory();
}

CLookupDlg::~CLookupDlg() {
    // Hide while every member is still alive: hiding moves the focus, and
    // that must reach a whole window, not save the keyword.
    m_closing = true;
    hide();
    // Ended without done(): what waits is still owed a try.
    savePendingAtExit();
    // Only what this window changed and could not write yet: another
    // window in the folder may have written its own settings meanwhile.
    // Likewise the windows' sizes and place, so a folder the user never
    // resized a window in gains no file. The window is gone, so a message
    // has no owner.
    m_session.setWindowGeometry(currentGeometry());
    tell(m_savePolicy.writeSettingsAtExit(), nullptr);
}

namespace {

std::vector<ScreenRect> AvailableScreens() {
    std::vector<ScreenRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect rect = screen->availableGeometry();
        screens.push_back({rect.x(), rect.y(), rect.width(), rect.height()});
    }
    return screens;
}

// Whether a window of this size fits on one of the screens somewhere.
bool SizeFits(const std::optional<WindowGeometry::Size>& size, const QWidget& window,
              const std::vector<ScreenRect>& screens) {
    if (!size || size->width < window.minimumWidth() || size->height < window.minimumHeight()) {
        return false;
    }
    return std::any_of(screens.begin(), screens.end(), [&size](const ScreenRect& screen) {
        return FitsOnScreens({screen.x, screen.y, size->width, size->height}, {screen});
    });
}

}  // namespace

void CLookupDlg::restoreGeometry() {
    const WindowGeometry& saved = m_session.windowGeometry();
    const std::vector<ScreenRect> screens = AvailableScreens();
    if (SizeFits(saved.mainSize, *this, screens)) {
        resize(saved.mainSize->width, saved.mainSize->height);
    }
    if (SizeFits(saved.detailSize, m_detail, screens)) {
        m_detail.resize(saved.detailSize->width, saved.detailSize->height);
    }
    // A place on a screen that is gone, or too small now, is forgotten:
    // the window opens beside the main window instead.
    if (saved.detailPosition && FitsOnScreens({saved.detailPosition->x, saved.detailPosition->y,
                                               m_detail.width(), m_detail.height()},
                                              screens)) {
        m_detail.setPlace(QPoint(saved.detailPosition->x, saved.detailPosition->y));
    }
}

WindowGeometry CLookupDlg::currentGeometry() const {
    WindowGeometry geometry = m_session.windowGeometry();
    const auto sizeOf = [](const QWidget& window) -> std::optional<WindowGeometry::Size> {
        if (window.size() == window.minimumSize()) {
            return std::nullopt;
        }
        return WindowGeometry::Size{window.width(), window.height()};
    };
    geometry.mainSize = sizeOf(*this);
    geometry.detailSize = sizeOf(m_detail);
    if (const std::optional<QPoint> place = m_detail.place()) {
        geometry.detailPosition = WindowGeometry::Point{place->x(), place->y()};
    }
    return geometry;
}

void CLookupDlg::buildWindow() {
    // A top-level window with a task-bar button, a close box and no
    // minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(ProgramIcon());
    const ControlMap controls =
        BuildDialog(*this, res::MainDialogTemplate(),
                    [](const res::ControlTemplate& control, QWidget* parent) -> QWidget* {
                        if (control.id == res::kIdKeywordBox) {
                            return new KeywordComboBox(parent);
                        }
                        return nullptr;
                    });
    m_closeButton = qobject_cast<QPushButton*>(controls.at(res::kIdOk));
    m_settingsButton = qobject_cast<QPushButton*>(controls.at(res::kIdSettings));
    m_keywordBox = qobject_cast<KeywordComboBox*>(controls.at(res::kIdKeywordBox));
    m_resultList = qobject_cast<QAbstractItemView*>(controls.at(res::kIdResultList));
    m_reloadButton = qobject_cast<QPushButton*>(controls.at(res::kIdReload));
    m_resultList->setModel(&m_resultModel);
    m_resultList->setItemDelegate(new HighlightDelegate(m_resultList));
    m_resultCount = qobject_cast<QLabel*>(controls.at(res::kIdResultCount));
    // No name of its own: a screen reader then reads the count as its name,
    // and the label announces each new count as a change of name.
    m_resultCount->setAccessibleDescription(QString::fromUtf8(res::kResultCountDescription));
    m_keywordBox->setMaxVisibleItems(static_cast<int>(LookupSession::kHistoryListLines));
    // Screen readers name the two controls after their labels.
    m_keywordBox->setAccessibleName(QString::fromUtf8(res::kKeywordLabel));
    m_resultList->setAccessibleName(QString::fromUtf8(res::kResultListLabel));
    m_keywordBox->setFocus();

    // Linux gives programs no system menu: this window menu stands in for
    // it, ending with a separator and the About item.
    m_windowMenu = new QMenu(this);
    m_closeAction = m_windowMenu->addAction(QString::fromUtf8(res::kCloseMenuItem));
    m_windowMenu->addSeparator();
    m_aboutAction = m_windowMenu->addAction(QString::fromUtf8(res::kAboutMenuItem));
    // F1 too: most window managers keep Alt+Space for their own menu.
    m_aboutAction->setShortcut(QKeySequence(Qt::Key_F1));
    addAction(m_aboutAction);
}

// The window's events, in one place.
void CLookupDlg::connectEvents() {
    auto* menuShortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    connect(menuShortcut, &QShortcut::activated, this,
            [this] { m_windowMenu->popup(mapToGlobal(QPoint(0, 0))); });
    connect(m_closeAction, &QAction::triggered, this, &CLookupDlg::reject);
    connect(m_aboutAction, &QAction::triggered, this, [this] { OnSysCommand(kAboutCommand); });
    connect(m_settingsButton, &QPushButton::clicked, this, &CLookupDlg::RunSettingsDialog);
    connect(m_keywordBox, &KeywordComboBox::focusLeft, this, [this] {
        // Closing or hidden: the focus went with the window, not the user.
        if (!m_closing && isVisible()) {
            SaveKeywordToHistory();
        }
    });
    connect(m_keywordBox, &KeywordComboBox::popupAboutToShow, this,
            &CLookupDlg::LoadHistoryIntoCombo);
    connect(m_resultList, &QAbstractItemView::doubleClicked, this, &CLookupDlg::openCurrentRow);
    // Space on a row opens it too; Enter and Escape still close the window.
    m_resultList->installEventFilter(this);
    connect(&m_detail, &CDetailDlg::baseFormActivated, this, &CLookupDlg::lookUp);
    // textEdited: the user's own edits only, never text the program sets.
    // An input method's composition is not an edit until it is committed.
    connect(m_keywordBox->lineEdit(), &QLineEdit::textEdited, this, &CLookupDlg::RunSearch);
    connect(m_keywordBox, qOverload<int>(&QComboBox::activated), this,
            &CLookupDlg::SelectHistoryKeyword);
    connect(m_reloadButton, &QPushButton::clicked, this, &CLookupDlg::ReloadDictionaries);
    connect(m_closeButton, &QPushButton::clicked, this, &CLookupDlg::accept);
    m_retryTimer.setInterval(SavePolicy::kRetryInterval);
    connect(&m_retryTimer, &QTimer::timeout, this, [this] { showSaved(m_savePolicy.retry()); });
}

void CLookupDlg::reportLoadProblems(const std::vector<DictionaryProblem>& problems,
                                    QWidget* owner) {
    for (const DictionaryProblem& problem : problems) {
        // The text stays as it always was; the file it means goes below.
        m_environment.showMessage(owner,
                                  QString::fromUtf8(problem.problem == LoadProblem::CannotRead
                                                        ? res::kCannotReadDictionary
                                                        : res::kDictionaryTooLarge),
                                  problem.path.empty() ? QString() : FromPath(problem.path));
    }
}

void CLookupDlg::RunSearch() {
    m_hasSearched = true;
    const std::optional<std::string> keyword =
        ToCp932(m_keywordBox->currentText(), LookupSession::kSearchedKeywordBytes);
    // Text that code page 932 cannot hold matches nothing in the files.
    SearchResult result =
        keyword ? m_session.search(*keyword) : SearchResult{m_session.dictionary(), {}, 0, {}};
    showCount(result);
    m_resultModel.setResult(std::move(result));
    // A new result is read from its first row, the headword-first rows
    // above all; the old scroll position and choice mean nothing in it.
    m_resultList->setCurrentIndex(QModelIndex());
    m_resultList->scrollToTop();
    // Suggestions instead: the best one is chosen, under its heading, so
    // Tab and Enter take it.
    if (m_resultModel.showsSuggestions()) {
        m_resultList->setCurrentIndex(m_resultModel.index(1, 0));
    }
}

void CLookupDlg::showCount(const SearchResult& result) {
    const QLocale english(QLocale::English);
    QString text;
    if (result.totalMatches == 0) {
        text = QString::fromUtf8(res::kNoMatch);
    } else if (result.cut()) {
        text = english.toString(static_cast<qulonglong>(result.size())) + QStringLiteral(" / ") +
               english.toString(static_cast<qulonglong>(result.totalMatches)) +
               QString::fromUtf8(res::kCountSuffix);
    } else {
        text = english.toString(static_cast<qulonglong>(result.totalMatches)) +
               QString::fromUtf8(res::kCountSuffix);
    }
    m_resultCount->setText(text);
}

void CLookupDlg::lookUp(const QString& keyword) {
    // As if typed: the box shows it and the list follows.
    m_keywordBox->setEditText(keyword);
    RunSearch();
}

void CLookupDlg::lookUpFromOutside(const QString& text) {
    if (!text.isEmpty()) {
        lookUp(CutToCp932Bytes(text, LookupSession::kSearchedKeywordBytes));
    }
}

void CLookupDlg::ReloadDictionaries() {
    reportLoadProblems(m_session.reload(), this);
    // Rows listed before name lines of the old table: list again, so no row
    // opens an entry other than the one it shows.
    if (m_hasSearched) {
        RunSearch();
    }
}

void CLookupDlg::openCurrentRow() {
    const QString suggestion = m_resultModel.suggestion(m_resultList->currentIndex().row());
    if (suggestion.isEmpty()) {
        ShowEntryDetails();
    } else {
        lookUp(suggestion);
    }
}

void CLookupDlg::ShowEntryDetails() {
    const QModelIndex selected = m_resultList->currentIndex();
    // A suggestion row is no dictionary line.
    if (!selected.isValid() || m_resultModel.showsSuggestions()) {
        return;
    }
    // The row's table index, never its text or position, names the entry.
    const SearchResult& result = m_resultModel.result();
    const auto row = static_cast<std::size_t>(selected.row());
    if (result.line(row).empty()) {
        return;
    }
    m_detail.showFields(result.fields(row));
    m_detail.showBeside(*this);
}

void CLookupDlg::SaveKeywordToHistory() {
    // Text that code page 932 cannot hold is not stored.
    showSaved(m_savePolicy.saveKeyword(
        ToCp932(m_keywordBox->currentText(), LookupSession::kHistoryKeywordBytes)
            .value_or(std::string())));
}

void CLookupDlg::showSaved(const SaveOutcome& outcome) {
    if (outcome.historyList) {
        fillHistoryList(*outcome.historyList);
    }
    if (outcome.retry) {
        m_retryTimer.start();
    } else {
        m_retryTimer.stop();
    }
    tell(outcome, this);
}

void CLookupDlg::savePendingAtExit() {
    m_retryTimer.stop();
    showSaved(m_savePolicy.saveAtExit());
}

void CLookupDlg::LoadHistoryIntoCombo() {
    const HistoryResult result = m_session.historyList();
    if (result.status == HistoryStatus::Ok) {
        fillHistoryList(result.list);
    }
}

void CLookupDlg::fillHistoryList(const std::vector<std::string>& lines) {
    // Emptying the list empties the text field too: keep the text, and
    // where the cursor stood in it.
    const QString text = m_keywordBox->currentText();
    const int cursor = m_keywordBox->lineEdit()->cursorPosition();
    m_keywordBox->clear();
    for (const std::string& line : lines) {
        m_keywordBox->addItem(FromCp932(line));
    }
    m_keywordBox->setCurrentIndex(-1);
    m_keywordBox->setEditText(text);
    m_keywordBox->lineEdit()->setCursorPosition(cursor);
}

void CLookupDlg::SelectHistoryKeyword(int item) {
    if (item < 0) {
        return;
    }
    m_keywordBox->setEditText(m_keywordBox->itemText(item));
    RunSearch();
}

void CLookupDlg::RunSettingsDialog() {
    CSettingsDlg dialog(this);
    const std::int32_t rowLimit = m_session.rowLimit();
    dialog.setRowLimitText(rowLimit == 0 ? QString::fromUtf8(res::kUnlimited)
                                         : QString::number(rowLimit));
    dialog.setOptions(m_session.options());
    if (dialog.exec() == QDialog::Accepted) {
        // Written at once, so a crash later in the run loses nothing.
        m_session.setRowLimitText(dialog.rowLimitText().toStdString());
        const LookupOptions before = m_session.options();
        const LookupOptions after = dialog.options();
        m_session.setOptions(after);
        tell(m_savePolicy.writeSettings(), this);
        // The clipboard option lists nothing: the list keeps its place.
        const bool searchChanged = before.headwordFirst != after.headwordFirst ||
                                   before.ignoreCase != after.ignoreCase ||
                                   before.skipPronunciation != after.skipPronunciation;
        if (searchChanged && m_hasSearched) {
            RunSearch();
        }
        if (before != after) {
            emit this->optionsChanged();
        }
    }
}

void CLookupDlg::tell(const SaveOutcome& outcome, QWidget* owner) {
    for (const Notice& notice : outcome.notices) {
        m_environment.showMessage(
            notice.kind == SaveNotice::NoLock || notice.kind == SaveNotice::ForeignLink
                ? (isVisible() ? this : nullptr)
                : owner,
            NoticeText(notice), QString());
    }
}

void CLookupDlg::OnSysCommand(int command) {
    if ((command & 0xFFF0) == kAboutCommand) {
        CAboutDlg about(this);
        about.exec();
    }
}

void CLookupDlg::accept() {
    SaveKeywordToHistory();
    QDialog::accept();
}

void CLookupDlg::done(int result) {
    // Hiding the window takes the focus from the keyword box; that is not
    // the user leaving it, and Escape must save nothing.
    m_closing = true;
    savePendingAtExit();
    QDialog::done(result);
    m_closing = false;
}

void CLookupDlg::keyPressEvent(QKeyEvent* event) {
    // Enter anywhere but on a push button ends the window through OK.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    // Except on a suggestion, which Enter takes as the keyword text.
    if (enter && focusWidget() == m_resultList &&
        !m_resultModel.suggestion(m_resultList->currentIndex().row()).isEmpty()) {
        openCurrentRow();
        return;
    }
    if (enter && qobject_cast<QPushButton*>(focusWidget()) == nullptr) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CLookupDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_resultList && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        openCurrentRow();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CLookupDlg::contextMenuEvent(QContextMenuEvent* event) {
    // A right-click on the window's background, not on a control.
    QWidget* under = childAt(event->pos());
    if (under == nullptr || qobject_cast<QLabel*>(under) != nullptr) {
        m_windowMenu->popup(event->globalPos());
        return;
    }
    QDialog::contextMenuEvent(event);
}

#ifdef Q_OS_WIN
// Windows has a real system menu: the About item goes at its end, below a
// separator, and its command arrives as WM_SYSCOMMAND.
void CLookupDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    HMENU menu = ::GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE);
    const std::wstring text = QString::fromUtf8(res::kAboutMenuItem).toStdWString();
    if (menu != nullptr &&
        ::GetMenuState(menu, kAboutCommand, MF_BYCOMMAND) == static_cast<UINT>(-1)) {
        ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(menu, MF_STRING, kAboutCommand, text.c_str());
    }
}

bool CLookupDlg::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == kAboutCommand) {
        OnSysCommand(static_cast<int>(msg->wParam));
        *result = 0;
        return true;
    }
    return QDialog::nativeEvent(eventType, message, result);
}
#endif

}  // namespace pelmio
