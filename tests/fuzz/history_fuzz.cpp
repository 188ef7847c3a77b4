// Any bytes as the history file, and a keyword: the drop-down list is well
// formed, and a save writes exactly the keyword, CR LF and the old bytes.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "history/keyword_history.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const pelmio::testing::TempFolder folder;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // The keyword is everything before the first 0xFF byte; the file the rest.
    const std::size_t split = std::min(input.find('\xFF'), input.size());
    const std::string_view keyword = input.substr(0, split);
    const std::string_view old = input.substr(std::min(split + 1, input.size()));

    const std::filesystem::path path = folder / "strlist.txt";
    pelmio::testing::WriteBytes(path, old);
    const pelmio::HistoryFile history(path);

    const pelmio::HistoryResult loaded = history.load();
    FUZZ_CHECK(loaded.status == pelmio::HistoryStatus::Ok);
    FUZZ_CHECK(loaded.list == pelmio::HistoryListFromBytes(old));
    FUZZ_CHECK(loaded.list.size() <= pelmio::kHistoryListSize);
    for (std::size_t i = 0; i < loaded.list.size(); ++i) {
        FUZZ_CHECK(!loaded.list[i].empty());
        FUZZ_CHECK(loaded.list[i].find("\r\n") == std::string::npos);
        FUZZ_CHECK(i == 0 || loaded.list[i] != loaded.list[i - 1]);
    }

    const pelmio::HistoryResult saved = history.save(keyword);
    FUZZ_CHECK(saved.status == pelmio::HistoryStatus::Ok);
    const std::string_view stored = pelmio::StoredKeyword(keyword);
    FUZZ_CHECK(stored.size() <= pelmio::kMaxHistoryKeywordBytes);
    const std::string expected =
        stored.empty() ? std::string(old) : std::string(stored) + "\r\n" + std::string(old);
    FUZZ_CHECK(pelmio::testing::ReadBytes(path) == expected);
    FUZZ_CHECK(saved.list == pelmio::HistoryListFromBytes(expected));
    if (!stored.empty()) {
        FUZZ_CHECK(!saved.list.empty() && saved.list.front() == stored);
    }
    return 0;
}
