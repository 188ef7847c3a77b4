#pragma once

// Byte-string helpers. Text is code page 932 bytes throughout, so every
// comparison is exact and byte-wise.

#include <string_view>
#include <vector>

namespace pelmio {

// Splits text at every separator byte; s separators give s + 1 pieces, any
// of which may be empty. The keyword search splits at spaces and the detail
// window at commas.
std::vector<std::string_view> SplitAtByte(std::string_view text, char separator);

}  // namespace pelmio
