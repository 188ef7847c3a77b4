#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <string>
#include <vector>

#include "res/dialog_templates.h"
#include "tests/support/test_support.h"
#include "ui/detail_dlg.h"
#include "ui/dialog_builder.h"
#include "ui/lookup_dlg.h"
#include "ui/result_list_model.h"
#include "ui/settings_dlg.h"

namespace pelmio::testing {

struct Message {
    QWidget* owner;
    QString text;
    QString detail;  // the box's informative text
};

// A main window's surroundings: a scratch folder, and message boxes
// recorded instead of shown.
struct WindowFixture {
    TempFolder folder;
    std::vector<Message> messages;
    FileWriter* writer = &DefaultFileWriter();
    // No engine by that name: tests never speak.
    QString speechEngine = QStringLiteral("none");

    LookupEnvironment environment() {
        return {folder.path(),
                [this](QWidget* owner, const QString& text, const QString& detail) {
                    messages.push_back({owner, text, detail});
                },
                writer,
                speechEngine,
                {},
                {}};
    }
    // Lines in UTF-8, written as code page 932.
    void writeDictionaries(const std::vector<std::string>& phrases,
                           const std::vector<std::string>& words) {
        WriteBytes(folder / "settei_jyukugo.txt", Sjis(JoinCrLf(phrases)));
        WriteBytes(folder / "settei_tango.txt", Sjis(JoinCrLf(words)));
    }
};

// The control of a dialog with a template id.
template <class Widget>
Widget* Control(QWidget& dialog, int id) {
    for (QWidget* child : dialog.findChildren<QWidget*>()) {
        if (child->parentWidget() == &dialog && child->property(kControlIdProperty).toInt() == id) {
            return qobject_cast<Widget*>(child);
        }
    }
    return nullptr;
}

// Types text as key presses carrying it, as an input method commits it.
inline void TypeText(QWidget* widget, const QString& text) {
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, text, Qt::NoModifier);
}

// Shows a window and waits until it has the keyboard focus.
inline bool ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// The dictionary lines the main window's result list shows, in order.
inline QStringList Rows(CLookupDlg& dialog) {
    QStringList rows;
    const QAbstractItemModel* model =
        Control<QAbstractItemView>(dialog, res::kIdResultList)->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        // Dictionary lines only: suggestion rows answer no entry.
        if (model->data(model->index(row, 0), ResultListModel::kEntryIndexRole).isValid()) {
            rows << model->data(model->index(row, 0)).toString();
        }
    }
    return rows;
}

// The detail window of the one main window a test has open, or nullptr.
inline CDetailDlg* DetailWindow() {
    CDetailDlg* found = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* detail = qobject_cast<CDetailDlg*>(widget)) {
            if (found != nullptr) {
                return nullptr;
            }
            found = detail;
        }
    }
    return found;
}

// Runs action on the modal dialog of type Dialog as soon as it opens. If
// the dialog is not there, or a check in action fails, the dialog that is
// open is closed, so a failure never leaves the test waiting on it.
template <class Dialog, class Action>
void WhenOpen(Action action) {
    QTimer::singleShot(0, [action] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<Dialog*>(modal);
        if (dialog != nullptr) {
            action(*dialog);
        } else {
            QTest::qFail("the expected dialog is not open", __FILE__, __LINE__);
        }
        if (auto* open = qobject_cast<QDialog*>(modal); open != nullptr && open->isVisible()) {
            open->reject();
        }
    });
}

inline QStringList Items(const QComboBox& box) {
    QStringList items;
    for (int i = 0; i < box.count(); ++i) {
        items << box.itemText(i);
    }
    return items;
}

inline std::string History(const WindowFixture& fixture) {
    return ReadBytes(fixture.folder / "strlist.txt");
}

inline QString Count(CLookupDlg& dialog) {
    return Control<QLabel>(dialog, res::kIdResultCount)->text();
}

inline QComboBox* KeywordBox(CLookupDlg& dialog) {
    return Control<QComboBox>(dialog, res::kIdKeywordBox);
}

// The speech engines a detail window has made.
inline int SpeechEngines(CDetailDlg& detail) {
    int count = 0;
    for (const QObject* child : detail.findChildren<QObject*>()) {
        count += QByteArray(child->metaObject()->className()) == "QTextToSpeech" ? 1 : 0;
    }
    return count;
}

// Lists keyword and opens the first row as a double-click does.
inline CDetailDlg* OpenFirstRow(CLookupDlg& dialog, const QString& keyword) {
    KeywordBox(dialog)->lineEdit()->clear();
    TypeText(KeywordBox(dialog), keyword);
    auto* list = Control<QAbstractItemView>(dialog, res::kIdResultList);
    list->setCurrentIndex(list->model()->index(0, 0));
    dialog.ShowEntryDetails();
    return DetailWindow();
}

inline QAbstractItemView* List(CLookupDlg& dialog) {
    return Control<QAbstractItemView>(dialog, res::kIdResultList);
}

inline std::vector<std::string> Words(const std::string& stem, int count) {
    std::vector<std::string> words;
    for (int i = 0; i < count; ++i) {
        words.push_back(stem + std::to_string(1000 + i) + ",意味");
    }
    return words;
}

// A scratch folder, the main window's surroundings, and the message boxes
// recorded instead of shown.
struct Surroundings {
    TempFolder folder;
    QStringList messages;
    FileWriter* writer = &DefaultFileWriter();

    Surroundings() {
        WriteBytes(folder / "settei_jyukugo.txt", "");
        WriteBytes(folder / "settei_tango.txt", "");
    }
    LookupEnvironment environment() {
        return {folder.path(),
                [this](QWidget*, const QString& text, const QString&) { messages << text; },
                writer,
                QStringLiteral("none"),
                {},
                {}};
    }
    std::string history() const { return ReadBytes(folder / "strlist.txt"); }
};

// Opens 設定 from the window, types text as the row limit and presses OK.
inline void SetRowLimitThroughTheSettingsDialog(CLookupDlg& dialog, const QString& text) {
    QTimer::singleShot(0, [text] {
        auto* settings = qobject_cast<CSettingsDlg*>(QApplication::activeModalWidget());
        QVERIFY(settings != nullptr);
        Control<QComboBox>(*settings, res::kIdKeywordBox)->setEditText(text);
        settings->accept();
    });
    Control<QPushButton>(dialog, res::kIdSettings)->click();
}

// Types a keyword into the box, then moves the focus away, which saves it.
inline void TypeAndLeave(CLookupDlg& dialog, const QString& text) {
    auto* box = Control<QComboBox>(dialog, res::kIdKeywordBox);
    box->setFocus();
    box->lineEdit()->clear();
    TypeText(box, text);
    Control<QPushButton>(dialog, res::kIdSettings)->setFocus();
}

inline void OpenRow(CLookupDlg& dialog, int row) {
    auto* list = Control<QAbstractItemView>(dialog, res::kIdResultList);
    list->setCurrentIndex(list->model()->index(row, 0));
    dialog.ShowEntryDetails();
}

// Sets the row limit as the user does, through the settings dialog.
inline void SetRowLimit(CLookupDlg& dialog, const QString& text) {
    WhenOpen<CSettingsDlg>([text](CSettingsDlg& settings) {
        Control<QComboBox>(settings, res::kIdKeywordBox)->setEditText(text);
        QTest::mouseClick(Control<QPushButton>(settings, res::kIdOk), Qt::LeftButton);
    });
    Control<QPushButton>(dialog, res::kIdSettings)->click();
}

// A stand-in for the main window, of its size.
inline void ShowOwner(QDialog& owner, int x, int y) {
    owner.resize(332, 385);
    owner.move(x, y);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
}

// Lists every line and opens the first, as a double-click does.
inline CDetailDlg* OpenFirstLine(CLookupDlg& window) {
    testing::TypeText(testing::Control<QComboBox>(window, res::kIdKeywordBox), QStringLiteral("g"));
    auto* list = testing::Control<QAbstractItemView>(window, res::kIdResultList);
    list->setCurrentIndex(list->model()->index(0, 0));
    window.ShowEntryDetails();
    return testing::DetailWindow();
}

}  // namespace pelmio::testing
