#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <QString>

namespace pelmio {

// The one place where text crosses between the widgets' Unicode and the
// files' code page 932 bytes.
QString FromCp932(std::string_view bytes);

// Only as much of the text as fits in maxBytes, cut between characters;
// nullopt when that part holds a character code page 932 cannot represent.
std::optional<std::string> ToCp932(const QString& text, std::size_t maxBytes);

// The first bytes of code page 932 text, at most maxBytes, cut between
// characters.
std::string_view Cp932Prefix(std::string_view bytes, std::size_t maxBytes);

// Only as much of the text as a search reads when it is in the keyword
// box: whole characters up to maxBytes of code page 932. A character code
// page 932 cannot hold counts as a double-byte one; such text matches
// nothing, so only its length matters.
QString CutToCp932Bytes(const QString& text, std::size_t maxBytes);

// A file name as the system spells it, and back.
QString FromPath(const std::filesystem::path& path);
std::filesystem::path ToPath(const QString& text);

}  // namespace pelmio
