#include "ui/lookup_dlg.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>

#include "dict/dictionary_loader.h"
#include "search/keyword_search.h"
#include "ui/codec.h"
#include "ui/dialog_builder.h"
#include "ui/keyword_combo_box.h"

namespace pelmio {

void ShowMessageBox(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(res::kAppName), text, QMessageBox::Ok, owner);
    box.exec();
}

CLookupDlg::CLookupDlg(LookupEnvironment environment)
    : m_environment(std::move(environment)), m_entries(std::make_shared<EntryTable>()) {
    m_icon = QIcon(QStringLiteral(":/pelmio/pelmio.ico"));
    // Before the window exists, so a message box about a missing file has
    // no owner.
    loadDictionaries(nullptr);
    buildWindow();
    connectEvents();
}

CLookupDlg::~CLookupDlg() = default;

void CLookupDlg::buildWindow() {
    // A top-level window with a task-bar button, a close box and no
    // minimise or maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(m_icon);
    const ControlMap controls = BuildDialog(*this, res::MainDialogTemplate());
    m_closeButton = qobject_cast<QPushButton*>(controls.at(res::kIdOk));
    m_settingsButton = qobject_cast<QPushButton*>(controls.at(res::kIdSettings));
    m_keywordBox = qobject_cast<KeywordComboBox*>(controls.at(res::kIdKeywordBox));
    m_resultList = qobject_cast<QListView*>(controls.at(res::kIdResultList));
    m_reloadButton = qobject_cast<QPushButton*>(controls.at(res::kIdReload));
    m_resultList->setModel(&m_resultModel);
    // Screen readers name the two controls after their labels.
    m_keywordBox->setAccessibleName(QStringLiteral("キーワード"));
    m_resultList->setAccessibleName(QStringLiteral("候補（ダブルクリックで詳細表示）"));
    m_keywordBox->setFocus();
}

void CLookupDlg::connectEvents() {
    connect(m_closeButton, &QPushButton::clicked, this, &CLookupDlg::accept);
    // textEdited: the user's own edits only, never text the program sets.
    // An input method's composition is not an edit until it is committed.
    connect(m_keywordBox->lineEdit(), &QLineEdit::textEdited, this, &CLookupDlg::RunSearch);
    connect(m_reloadButton, &QPushButton::clicked, this, &CLookupDlg::ReloadDictionaries);
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
    const std::optional<std::string> keyword = ToCp932(m_keywordBox->currentText());
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

void CLookupDlg::accept() { QDialog::accept(); }

void CLookupDlg::keyPressEvent(QKeyEvent* event) {
    // Enter anywhere but on a push button ends the window through OK.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        qobject_cast<QPushButton*>(focusWidget()) == nullptr) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace pelmio
