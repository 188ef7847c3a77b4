#include "ui/lookup_dlg.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>

#include "dict/dictionary_loader.h"
#include "dict/entry_fields.h"
#include "search/keyword_search.h"
#include "settings/settings_file.h"
#include "ui/codec.h"
#include "ui/dialog_builder.h"
#include "ui/keyword_combo_box.h"
#include "ui/pronunciation_field.h"
#include "ui/settings_dlg.h"
#include "ui/about_dlg.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace pelmio {

void ShowMessageBox(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(res::kAppName), text, QMessageBox::Ok, owner);
    box.exec();
}

CLookupDlg::CLookupDlg(LookupEnvironment environment)
    : m_environment(std::move(environment)),
      m_icon(ProgramIcon()),
      m_entries(std::make_shared<EntryTable>()),
      m_detail(m_glyphStrip, m_pronunciationBuffer),
      m_history(m_environment.folder / kHistoryFileName, *m_environment.writer) {
    // Before the window exists, so a message box about a missing file has
    // no owner.
    loadDictionaries(nullptr);
    m_glyphStrip = QImage(QStringLiteral(":/pelmio/glyph_strip.bmp"));
    m_rowLimit = ReadRowLimit(m_environment.folder / kSettingsFileName);
    buildWindow();
    connectEvents();
    // As the window opens: creates the history file if need be and fills
    // the drop-down list.
    SaveKeywordToHistory();
}

CLookupDlg::~CLookupDlg() {
    // Hide while every member is still alive: hiding moves the focus, and
    // that must reach a whole window, not save the keyword.
    m_closing = true;
    hide();
    // Nothing to report if it cannot be written: the setting is lost.
    WriteRowLimit(m_environment.folder / kSettingsFileName, m_rowLimit, *m_environment.writer);
}

void CLookupDlg::buildWindow() {
    // A top-level window with a task-bar button, a close box and no
    // minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(m_icon);
    const ControlMap controls = BuildDialog(*this, res::MainDialogTemplate());
    m_closeButton = qobject_cast<QPushButton*>(controls.at(res::kIdOk));
    m_settingsButton = qobject_cast<QPushButton*>(controls.at(res::kIdSettings));
    m_keywordBox = qobject_cast<KeywordComboBox*>(controls.at(res::kIdKeywordBox));
    m_resultList = qobject_cast<QListView*>(controls.at(res::kIdResultList));
    m_reloadButton = qobject_cast<QPushButton*>(controls.at(res::kIdReload));
    m_resultList->setModel(&m_resultModel);
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
    connect(m_keywordBox, &KeywordComboBox::popupAboutToShow, this, &CLookupDlg::LoadHistoryIntoCombo);
    connect(m_resultList, &QListView::doubleClicked, this, &CLookupDlg::ShowEntryDetails);
    // textEdited: the user's own edits only, never text the program sets.
    // An input method's composition is not an edit until it is committed.
    connect(m_keywordBox->lineEdit(), &QLineEdit::textEdited, this, &CLookupDlg::RunSearch);
    connect(m_keywordBox, qOverload<int>(&QComboBox::activated), this, &CLookupDlg::SelectHistoryKeyword);
    connect(m_reloadButton, &QPushButton::clicked, this, &CLookupDlg::ReloadDictionaries);
    connect(m_closeButton, &QPushButton::clicked, this, &CLookupDlg::accept);
}

void CLookupDlg::loadDictionaries(QWidget* messageOwner) {
    auto table = std::make_shared<EntryTable>();
    bool truncated = false;
    for (const char* name : {kPhraseFileName, kWordFileName}) {
        const LoadResult result = LoadDictionaryFile(*table, m_environment.folder / name);
        if (result.status == LoadStatus::CannotOpen) {
            m_environment.showMessage(messageOwner, QString::fromUtf8(res::kCannotReadDictionary));
        }
        truncated = truncated || result.status == LoadStatus::Truncated;
    }
    if (truncated) {
        m_environment.showMessage(messageOwner, QString::fromUtf8(res::kDictionaryTooLarge));
    }
    m_order = ResultOrder(*table);
    m_entries = std::move(table);
}

void CLookupDlg::RunSearch() {
    m_hasSearched = true;
    const std::optional<std::string> keyword = ToCp932(m_keywordBox->currentText(), kMaxKeywordBytes);
    if (!keyword) {
        // Text that code page 932 cannot hold matches nothing in the files.
        m_resultModel.setRows(m_entries, {});
        return;
    }
    m_resultModel.setRows(m_entries, SearchEntries(*m_entries, m_order, *keyword, m_rowLimit));
}

void CLookupDlg::ReloadDictionaries() {
    loadDictionaries(this);
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
    const std::string_view line = m_resultModel.table().lineView(m_resultModel.entryIndex(selected.row()));
    if (line.empty()) {
        return;
    }
    const EntryFields fields = SplitEntryFields(line);
    m_detail.showFields(fields);
    m_detail.show();
    m_detail.raise();
    m_detail.activateWindow();
    m_pronunciationBuffer.set(fields.pronunciation);
    if (m_pronunciationTimer != 0) {
        killTimer(m_pronunciationTimer);
    }
    m_pronunciationTimer = startTimer(10);
}

void CLookupDlg::timerEvent(QTimerEvent*) {
    // Fires once: the pronunciation field draws the new buffer.
    if (m_pronunciationTimer != 0) {
        killTimer(m_pronunciationTimer);
        m_pronunciationTimer = 0;
    }
    m_detail.pronunciationField()->update();
}

void CLookupDlg::SaveKeywordToHistory() {
    // Text that code page 932 cannot hold is not stored.
    const std::string keyword =
        ToCp932(m_keywordBox->currentText(), kMaxHistoryKeywordBytes).value_or(std::string());
    const HistoryResult result = m_history.save(keyword);
    if (result.status == HistoryStatus::Ok) {
        fillHistoryList(result.list);
    }
}

void CLookupDlg::LoadHistoryIntoCombo() {
    const HistoryResult result = m_history.load();
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
    dialog.setRowLimitText(m_rowLimit == 0 ? QString::fromUtf8(res::kUnlimited) : QString::number(m_rowLimit));
    if (dialog.exec() == QDialog::Accepted) {
        m_rowLimit = ParseRowLimit(dialog.rowLimitText().toStdString());
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
    if (menu != nullptr && ::GetMenuState(menu, kAboutCommand, MF_BYCOMMAND) == static_cast<UINT>(-1)) {
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
