#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include <QString>

#include "lookup/lookup_session.h"

class QWidget;

namespace pelmio {

// Shows a message box with caption "Pelmio", the OK button only and no
// icon; detail, where not empty, is its informative text below.
void ShowMessageBox(QWidget* owner, const QString& text, const QString& detail = {});

// What the main window needs from outside: the folder its files live in
// (the current folder in the program; a scratch folder in tests), how to
// tell the user something (a message box in the program; a recorder in
// tests, which must not block), what writes its files (a writer that
// fails on purpose in tests) and which speech engine to use.
struct LookupEnvironment {
    std::filesystem::path folder = ".";
    std::function<void(QWidget* owner, const QString& text, const QString& detail)> showMessage =
        [](QWidget* owner, const QString& text, const QString& detail) {
            ShowMessageBox(owner, text, detail);
        };
    FileWriter* writer = &DefaultFileWriter();
    // The speech engine that speaks headwords; empty for the system's
    // default, and a name no engine has for none.
    QString speechEngine;
    // The dictionary files to read, in load order; empty for the folder's.
    std::vector<std::filesystem::path> dictionaries;
    // Those files, already being read; none for the window to read them.
    std::shared_ptr<DictionaryLoad> firstLoad;
};

}  // namespace pelmio
