#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "dict/entry_table.h"

namespace pelmio {

inline constexpr const char* kPhraseFileName = "settei_jyukugo.txt";
inline constexpr const char* kWordFileName = "settei_tango.txt";
// A larger dictionary file is refused unread: 100,000 lines of any sensible
// length fit in far less.
inline constexpr std::uint64_t kMaxDictionaryFileBytes = 256 * 1024 * 1024;

enum class LoadStatus {
    Ok,
    CannotOpen,  // missing, not a file, unreadable or too large: the table is unchanged
    Truncated,   // the table filled up; later lines were not loaded
};

struct LoadResult {
    LoadStatus status = LoadStatus::Ok;
    std::string message;  // for the developer; empty when status is Ok
};

// Appends the lines of one dictionary file to the table, reading the file
// no further than the table has room for.
LoadResult LoadDictionaryFile(EntryTable& table, const std::filesystem::path& path);

}  // namespace pelmio
