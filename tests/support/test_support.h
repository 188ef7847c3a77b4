#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_access.h"

namespace pelmio::testing {

// Writes the first bytesBeforeFailure bytes, then fails, as a full disk
// would.
class FailingWriter : public FileWriter {
public:
    explicit FailingWriter(std::size_t bytesBeforeFailure) : m_left(bytesBeforeFailure) {}
    bool Write(std::FILE* file, std::string_view bytes) override;

private:
    std::size_t m_left;
};

// A fresh folder under the system's temporary folder, removed with
// everything in it when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

void WriteBytes(const std::filesystem::path& path, std::string_view bytes);
std::string ReadBytes(const std::filesystem::path& path);

// UTF-8 to code page 932 bytes; the text must be representable.
std::string Sjis(std::string_view utf8);

// Lines shaped like a real dictionary's: ASCII headwords (some of them
// phrases), Japanese meanings, base forms and pronunciation codes, about 40
// to 80 bytes each. The same seed gives the same lines.
std::vector<std::string> GenerateDictionaryLines(std::size_t count, std::uint32_t seed);

// Lines joined with CR LF after each.
std::string JoinCrLf(const std::vector<std::string>& lines);

}  // namespace pelmio::testing
