#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
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

}  // namespace pelmio::testing
