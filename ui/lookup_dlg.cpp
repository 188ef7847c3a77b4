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
#include <QScopeGuard>
#include <QScreen>
#include <QShortcut>

#include "desktop/window_placement.h"
#include "search/keyword_search.h"
#include "settings/settings_file.h"
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

namespace {

// How often a save that found the folder locked is tried again.
constexpr std::chrono::milliseconds kRetryInterval(250);
// How long the end of the program waits for another program's lock.
constexpr std::chrono::milliseconds kExitSaveWait(2000);
// Keywords kept while they cannot be saved; the oldest go first.
constexpr std::size_t kMaxPending = 1000;

}  // namespace

void ShowMessageBox(QWidget* owner, const QString& text, const QString& detail) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(res::kAppName), text, QMessageBox::Ok,
                    owner);
    box.setInformativeText(detail);
    box.exec();
}

CLookupDlg::CLookupDlg(LookupEnvironment environment)
    : m_environment(std::move(environment)),
      m_session(m_environment.folder, *m_environment.writer),
      m_detail(m_environment.speechEngine) {
    if (!m_environment.dictionaries.empty()) {
        m_session.setDictionaryFiles(m_environment.dictionaries);
    }
    // Before the window exists, so a message box about a missing file has
    // no owner.
    reportLoadProblems(m_session.reload(), nullptr);
    m_session.readSettings();
    buildWindow();
    restoreGeometry();
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
    // The window is gone, so a message has no owner.
    reportSettingsWrite(m_session.writeSettings(kExitSaveWait), kSettingsFileName, nullptr);
    reportSettingsWrite(m_session.writeOptions(kExitSaveWait), kOptionsFileName, nullptr);
    // Likewise the windows' sizes and place, so a folder the user never
    // resized a window in gains no file.
    m_session.setWindowGeometry(currentGeometry());
    reportSettingsWrite(m_session.writeWindowGeometry(kExitSaveWait), kOptionsFileName, nullptr);
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
    m_resultCount->setAccessibleDescription(QStringLiteral("件数"));
    m_keywordBox->setMaxVisibleItems(static_cast<int>(kHistoryListSize));
    // Screen readers name the two controls after their labels.
    m_keywordBox->setAccessibleName(QStringLiteral("キーワード"));
    m_resultList->setAccessibleName(QStringLiteral("候補（ダブルクリックで詳細表示）"));
    m_keywordBox->setFocus();

    // Linux gives programs no system menu: this window menu stands in for
    // it, ending with a separator and the About item.
    m_windowMenu = new QMenu(this);
    m_closeAction = m_windowMenu->addAction(QStringLiteral("閉じる(&C)"));
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
    connect(m_resultList, &QAbstractItemView::doubleClicked, this, &CLookupDlg::ShowEntryDetails);
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
    m_retryTimer.setInterval(kRetryInterval);
    connect(&m_retryTimer, &QTimer::timeout, this,
            [this] { savePending(std::chrono::steady_clock::now()); });
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
        ToCp932(m_keywordBox->currentText(), kMaxKeywordBytes);
    // Text that code page 932 cannot hold matches nothing in the files.
    SearchResult result =
        keyword ? m_session.search(*keyword) : SearchResult{m_session.dictionary(), {}, 0, {}};
    showCount(result);
    m_resultModel.setResult(std::move(result));
    // A new result is read from its first row, the headword-first rows
    // above all; the old scroll position and choice mean nothing in it.
    m_resultList->setCurrentIndex(QModelIndex());
    m_resultList->scrollToTop();
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
        lookUp(CutToCp932Bytes(text, kMaxKeywordBytes));
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

void CLookupDlg::ShowEntryDetails() {
    const QModelIndex selected = m_resultList->currentIndex();
    if (!selected.isValid()) {
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
    std::string keyword =
        ToCp932(m_keywordBox->currentText(), kMaxHistoryKeywordBytes).value_or(std::string());
    // An empty keyword adds nothing; it only makes sure the file is there
    // and refills the list, which saving what waits does as well.
    if (!keyword.empty() || m_pending.empty()) {
        if (m_pending.size() == kMaxPending) {
            m_pending.pop_front();
        }
        m_pending.push_back(std::move(keyword));
    }
    savePending(std::chrono::steady_clock::now());
}

void CLookupDlg::savePending(std::chrono::steady_clock::time_point deadline) {
    // A message box below moves the focus, which saves again: that keyword
    // waits for this run to end and the next save.
    if (m_saving) {
        return;
    }
    m_saving = true;
    const auto endOfRun = qScopeGuard([this] { m_saving = false; });
    while (!m_pending.empty()) {
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::max(deadline - std::chrono::steady_clock::now(),
                     std::chrono::steady_clock::duration::zero()));
        const HistoryResult result = m_session.saveKeyword(m_pending.front(), wait);
        switch (result.status) {
            case HistoryStatus::Ok:
                m_pending.pop_front();
                fillHistoryList(result.list);
                tellIfUnlocked();
                break;
            case HistoryStatus::CannotOpen:
                // A read-only file or a folder in its place is left alone.
                m_pending.pop_front();
                break;
            case HistoryStatus::ForeignLink:
                m_pending.pop_front();
                tellForeignLink(kHistoryFileName);
                break;
            case HistoryStatus::Busy:
                // Another program is saving: try again shortly, without
                // ever waiting for it here.
                if (!m_closing) {
                    m_retryTimer.start();
                }
                return;
            case HistoryStatus::DiskFull:
            case HistoryStatus::WriteError:
                // The old file is whole; the keyword waits for the next save.
                m_retryTimer.stop();
                if (!m_toldSaveFailure) {
                    m_toldSaveFailure = true;
                    m_environment.showMessage(
                        this,
                        QString::fromUtf8(result.status == HistoryStatus::DiskFull
                                              ? res::kHistoryDiskFull
                                              : res::kHistoryWriteFailed),
                        QString());
                }
                return;
        }
    }
    m_retryTimer.stop();
}

void CLookupDlg::savePendingAtExit() {
    m_retryTimer.stop();
    if (m_pending.empty()) {
        return;
    }
    savePending(std::chrono::steady_clock::now() + kExitSaveWait);
    QStringList lost;
    for (const std::string& keyword : m_pending) {
        if (!keyword.empty()) {
            lost << FromCp932(keyword);
        }
    }
    m_pending.clear();
    if (!lost.isEmpty()) {
        m_environment.showMessage(this,
                                  QString::fromUtf8(res::kHistoryNotSavedAtExit) +
                                      QStringLiteral("\n") + lost.join(QStringLiteral("\n")),
                                  QString());
    }
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
        // Written at once, so a crash later in the run loses nothing; a
        // lock held by another program leaves it for the end of the run.
        m_session.setRowLimit(ParseRowLimit(dialog.rowLimitText().toStdString()));
        reportSettingsWrite(m_session.writeSettings(), kSettingsFileName, this);
        if (dialog.options() != m_session.options()) {
            m_session.setOptions(dialog.options());
            reportSettingsWrite(m_session.writeOptions(), kOptionsFileName, this);
            if (m_hasSearched) {
                RunSearch();
            }
            emit optionsChanged();
        }
    }
}

void CLookupDlg::tellIfUnlocked() {
    if (m_toldNoLock || !m_session.wroteWithoutLock()) {
        return;
    }
    m_toldNoLock = true;
    m_environment.showMessage(isVisible() ? this : nullptr, QString::fromUtf8(res::kNoLock),
                              QString());
}

void CLookupDlg::tellForeignLink(const char* fileName) {
    if (m_toldForeignLink) {
        return;
    }
    m_toldForeignLink = true;
    m_environment.showMessage(isVisible() ? this : nullptr,
                              QString::fromUtf8(res::kForeignLink).arg(QString::fromUtf8(fileName)),
                              QString());
}

void CLookupDlg::reportSettingsWrite(const WriteResult& result, const char* fileName,
                                     QWidget* owner) {
    if (result.status == FileStatus::ForeignLink) {
        tellForeignLink(fileName);
        return;
    }
    tellIfUnlocked();
    // The setting holds for this run either way; the user is told once.
    if (result.status == FileStatus::Ok || m_toldSettingsFailure ||
        (result.status == FileStatus::Busy && !m_closing)) {
        return;
    }
    m_toldSettingsFailure = true;
    const char* text = result.status == FileStatus::NoSpace ? res::kSettingsDiskFull
                       : result.status == FileStatus::Busy  ? res::kSettingsBusy
                                                            : res::kSettingsWriteFailed;
    m_environment.showMessage(owner, QString::fromUtf8(text), QString());
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
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        qobject_cast<QPushButton*>(focusWidget()) == nullptr) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CLookupDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_resultList && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        ShowEntryDetails();
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
