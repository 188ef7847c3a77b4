#pragma once

#include <cstddef>
#include <string_view>

namespace pelmio {

// First occurrence of needle in [begin, end), or nullptr. Exact bytes. A
// short needle is found by its first byte; a long one by vector compares of
// two of its bytes where it stops repeating itself, which text pasted from
// a repeating run never has, going on with a search whose worst case is
// linear where its candidates pile up.
const char* FindBytes(const char* begin, const char* end, std::string_view needle);

}  // namespace pelmio
