#pragma once

#include <cstdint>
#include <memory>

#include <QDialog>
#include <QIcon>

#include "dict/entry_table.h"
#include "search/result_order.h"
#include "ui/lookup_environment.h"
#include "ui/result_list_model.h"

class QListView;
class QPushButton;

namespace pelmio {

class KeywordComboBox;

// The main window: owns the dictionary table, the result list and the
// setting, and turns the user's events into calls on the core.
class CLookupDlg : public QDialog {
    Q_OBJECT

public:
    explicit CLookupDlg(LookupEnvironment environment = {});
    ~CLookupDlg() override;

    std::int32_t RowLimit() const { return m_rowLimit; }
    void SetRowLimit(std::int32_t rowLimit) { m_rowLimit = rowLimit; }
    const EntryTable& entries() const { return *m_entries; }
    const ResultListModel& resultModel() const { return m_resultModel; }

    // Lists every line that holds the keyword box's tokens in order.
    void RunSearch();
    // Loads both dictionary files again and lists the new lines.
    void ReloadDictionaries();

    // The OK path (Close button, Enter).
    void accept() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildWindow();
    void connectEvents();
    void loadDictionaries(QWidget* messageOwner);

    LookupEnvironment m_environment;
    QIcon m_icon;
    std::shared_ptr<EntryTable> m_entries;
    ResultOrder m_order;
    std::int32_t m_rowLimit = 0;
    bool m_hasSearched = false;  // the list stays empty until the first search
    ResultListModel m_resultModel;
    KeywordComboBox* m_keywordBox = nullptr;
    QListView* m_resultList = nullptr;
    QPushButton* m_closeButton = nullptr;
    QPushButton* m_settingsButton = nullptr;
    QPushButton* m_reloadButton = nullptr;
};

}  // namespace pelmio
