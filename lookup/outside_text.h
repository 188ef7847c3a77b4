#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Which text from other programs is looked up, and as what. Text is UTF-8.
namespace pelmio {

// The clipboard is read only up to this many bytes of English.
inline constexpr std::size_t kMaxClipboardLookupBytes = 64;
inline constexpr int kMaxClipboardLookupWords = 4;

// The selected text to look up: trimmed, and only its first line.
std::string SelectionLookupText(std::string_view selection);

// The copied text to look up, spaces between words made single, or
// nullopt when the text is not a few English words: one to
// kMaxClipboardLookupWords words of ASCII letters, hyphens and apostrophes,
// each with a letter, kMaxClipboardLookupBytes at most once trimmed. Any
// other copy (a sentence, a URL, code, Japanese) is left alone, so copying
// in other programs does not keep taking the box over.
std::optional<std::string> ClipboardLookupText(std::string_view copied);

}  // namespace pelmio
