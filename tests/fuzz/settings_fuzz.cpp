// Any bytes as the settings file and as the typed row-limit text.
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "settings/settings_file.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const pelmio::testing::TempFolder folder;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::filesystem::path path = folder / "pelmio.inf";

    pelmio::testing::WriteBytes(path, bytes);
    std::int32_t expected = 0;
    if (size >= 4) {
        expected =
            static_cast<std::int32_t>(std::uint32_t{data[0]} | std::uint32_t{data[1]} << 8 |
                                      std::uint32_t{data[2]} << 16 | std::uint32_t{data[3]} << 24);
    }
    FUZZ_CHECK(pelmio::ReadRowLimit(path) == expected);

    // The text as the C library reads it, clamped to 32 bits.
    const std::string text = bytes.substr(0, bytes.find('\0'));
    errno = 0;
    long long reference = std::strtoll(text.c_str(), nullptr, 10);
    reference = std::max<long long>(INT32_MIN, std::min<long long>(INT32_MAX, reference));
    const std::int32_t parsed = pelmio::ParseRowLimit(text);
    FUZZ_CHECK(parsed == reference);

    FUZZ_CHECK(pelmio::WriteRowLimit(path, parsed).status == pelmio::FileStatus::Ok);
    FUZZ_CHECK(pelmio::ReadRowLimit(path) == parsed);
    FUZZ_CHECK(pelmio::testing::ReadBytes(path).size() == 8);
    return 0;
}
