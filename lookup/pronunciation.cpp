#include "lookup/pronunciation.h"

#include "base/cp932.h"

namespace pelmio {

std::string KeptPronunciation(std::string_view field) {
    return std::string(cp932::CutAtCharBoundary(field, kMaxPronunciationBytes));
}

}  // namespace pelmio
