#pragma once

#include <cstddef>
#include <string_view>

namespace pelmio {

// First occurrence of needle in [begin, end), or nullptr. Exact bytes. Fast:
// vector compares of the needle's first and last bytes pick candidates, and
// long needles go to a search whose worst case is linear.
const char* FindBytes(const char* begin, const char* end, std::string_view needle);

}  // namespace pelmio
