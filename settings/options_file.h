#pragma once

#include <filesystem>

#include "base/file_access.h"

// The lookup options file beside the settings file: text lines of
// "key=value". The 8-byte settings file stays as it is, so older copies of
// Pelmio still read it; newer options live here.
namespace pelmio {

inline constexpr const char* kOptionsFileName = "pelmio-options.txt";

// The options a user may turn on in the settings dialog; both off unless
// asked for, so the program matches and orders as it always has.
struct LookupOptions {
    bool headwordFirst = false;  // rows whose headword is the keyword come first
    bool ignoreCase = false;     // ASCII letters match regardless of case

    bool operator==(const LookupOptions&) const = default;
};

// The options in the file; both off when it is missing or damaged.
LookupOptions ReadLookupOptions(const std::filesystem::path& path);

// Replaces the file with the options, keeping every line of keys it does
// not know, in their order.
WriteResult WriteLookupOptions(const std::filesystem::path& path, const LookupOptions& options,
                               FileWriter& writer = DefaultFileWriter());

}  // namespace pelmio
