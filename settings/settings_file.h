#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/file_access.h"

// The settings file: 8 bytes, the row limit as a signed 32-bit
// little-endian number, then 4 reserved bytes written as zero.
namespace pelmio {

inline constexpr const char* kSettingsFileName = "pelmio.inf";

// The row limit stored in the file; 0 (no limit) when the file is missing,
// unreadable or shorter than 4 bytes.
std::int32_t ReadRowLimit(const std::filesystem::path& path);

// Replaces the file with the row limit. A read-only file is left alone.
WriteResult WriteRowLimit(const std::filesystem::path& path, std::int32_t rowLimit,
                          FileWriter& writer = DefaultFileWriter());

// Text to a row limit as atol reads it: leading white space, an optional
// sign, then digits up to the first other character; no number gives 0.
// Values beyond the 32-bit range are clamped to it.
std::int32_t ParseRowLimit(std::string_view text);

}  // namespace pelmio
