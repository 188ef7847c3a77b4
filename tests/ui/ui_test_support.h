#pragma once

#include <QComboBox>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "ui/dialog_builder.h"
#include "ui/lookup_dlg.h"

namespace pelmio::testing {

struct Message {
    QWidget* owner;
    QString text;
};

// A main window's surroundings: a scratch folder, and message boxes
// recorded instead of shown.
struct WindowFixture {
    TempFolder folder;
    std::vector<Message> messages;
    FileWriter* writer = &DefaultFileWriter();

    LookupEnvironment environment() {
        return {folder.path(),
                [this](QWidget* owner, const QString& text) {
                    messages.push_back({owner, text});
                },
                writer};
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

inline QStringList Rows(const CLookupDlg& dialog) {
    QStringList rows;
    const ResultListModel& model = dialog.resultModel();
    for (int row = 0; row < model.rowCount(); ++row) {
        rows << model.data(model.index(row)).toString();
    }
    return rows;
}

inline QStringList Items(const QComboBox& box) {
    QStringList items;
    for (int i = 0; i < box.count(); ++i) {
        items << box.itemText(i);
    }
    return items;
}

}  // namespace pelmio::testing
