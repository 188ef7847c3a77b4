#pragma once

#include <cstddef>
#include <string_view>

namespace pelmio {

// First occurrence of needle in [begin, end), or nullptr. Exact bytes. Fast:
// vector compares of two of the needle's bytes pick candidates (for short
// needles the first and last; for long ones two where the needle stops
// repeating itself, which text pasted from a repeating run never has), and
// a long needle whose candidates pile up goes on with a search whose worst
// case is linear.
const char* FindBytes(const char* begin, const char* end, std::string_view needle);

}  // namespace pelmio
