#pragma once

#include <algorithm>
#include <array>
#include <string_view>

#include "dict/cp932.h"

namespace pelmio {

// The pronunciation code of the entry shown last: at most 999 bytes, empty
// at start. The detail view writes it; the pronunciation field draws it.
class PronunciationBuffer {
public:
    static constexpr std::size_t kSize = 1000;

    void set(std::string_view code) {
        code = cp932::CutAtCharBoundary(code, kSize - 1);
        std::copy(code.begin(), code.end(), m_bytes.begin());
        m_length = code.size();
    }
    std::string_view view() const { return {m_bytes.data(), m_length}; }

private:
    std::array<char, kSize> m_bytes{};
    std::size_t m_length = 0;
};

}  // namespace pelmio
