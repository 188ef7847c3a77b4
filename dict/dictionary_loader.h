#pragma once

#include <filesystem>
#include <string>

#include "dict/entry_table.h"

namespace pelmio {

inline constexpr const char* kPhraseFileName = "settei_jyukugo.txt";
inline constexpr const char* kWordFileName = "settei_tango.txt";

enum class LoadStatus {
    Ok,
    CannotOpen,  // the table is unchanged
    Truncated,   // the table filled up; later lines were not loaded
};

struct LoadResult {
    LoadStatus status = LoadStatus::Ok;
    std::string message;  // for the developer; empty when status is Ok
};

// Appends the lines of one dictionary file to the table.
LoadResult LoadDictionaryFile(EntryTable& table, const std::filesystem::path& path);

}  // namespace pelmio
