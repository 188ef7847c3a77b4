#include "tests/support/test_support.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "base/cp932.h"

#ifndef _WIN32
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace pelmio::testing {
namespace fs = std::filesystem;

bool FailingWriter::Write(std::FILE* file, std::string_view bytes) {
    const std::size_t written = std::min(bytes.size(), m_left);
    FileWriter::Write(file, bytes.substr(0, written));
    m_left -= written;
    return written == bytes.size();
}

bool FullDiskWriter::Write(std::FILE* file, std::string_view bytes) {
    if (!m_full) {
        return FileWriter::Write(file, bytes);
    }
    const std::size_t written = std::min(bytes.size(), m_left);
    FileWriter::Write(file, bytes.substr(0, written));
    m_left -= written;
    if (written < bytes.size()) {
        errno = ENOSPC;
        return false;
    }
    return true;
}

bool FailingRenameWriter::Rename(const fs::path&, const fs::path&) {
    errno = EIO;
    return false;
}

std::FILE* NoNewFilesWriter::CreateNew(const fs::path&) {
    errno = EACCES;
    return nullptr;
}

namespace {

std::string FileSyncEvent(std::uint64_t inode) {
    return "sync file " + std::to_string(inode);
}

}  // namespace

bool RecordingWriter::Sync(std::FILE* file) {
#ifndef _WIN32
    struct stat info {};
    events.push_back(::fstat(::fileno(file), &info) == 0
                         ? FileSyncEvent(static_cast<std::uint64_t>(info.st_ino))
                         : "sync file ?");
#endif
    return FileWriter::Sync(file);
}

std::string RecordingWriter::SyncOf(const fs::path& path) {
#ifndef _WIN32
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        return FileSyncEvent(static_cast<std::uint64_t>(info.st_ino));
    }
#endif
    return "no file at " + path.string();
}

bool RecordingWriter::Rename(const fs::path& from, const fs::path& to) {
    events.push_back("rename " + to.filename().string());
    return FileWriter::Rename(from, to);
}

bool RecordingWriter::SyncFolder(const fs::path& folder) {
    events.push_back("sync " + folder.string());
    return FileWriter::SyncFolder(folder);
}

void WriteSparseFile(const fs::path& path, std::string_view first, std::uint64_t size) {
    WriteBytes(path, first);
    fs::resize_file(path, size);
}

bool RunningAsRoot() {
#ifndef _WIN32
    return ::geteuid() == 0;
#else
    return false;
#endif
}

bool AsNobody(const std::function<bool()>& check) {
#ifndef _WIN32
    const pid_t child = ::fork();
    if (child == 0) {
        const bool became =
            ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
        ::_exit(became && check() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
#else
    (void)check;
    return false;
#endif
}

TempFolder::TempFolder() {
    static std::atomic<unsigned> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    m_path = fs::temp_directory_path() /
             ("pelmio-test-" + std::to_string(ticks) + "-" + std::to_string(counter++));
    fs::create_directories(m_path);
}

TempFolder::~TempFolder() {
    std::error_code error;
    // Tests may have made parts read-only; make them writable to remove them.
    for (auto it = fs::recursive_directory_iterator(m_path, error); !error && it != fs::end(it);
         it.increment(error)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(m_path, error);
}

void WriteBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string Sjis(std::string_view utf8) {
    std::u16string text;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        char32_t code = 0;
        int length = 1;
        if (byte < 0x80) {
            code = byte;
        } else if ((byte & 0xE0) == 0xC0) {
            code = byte & 0x1F;
            length = 2;
        } else if ((byte & 0xF0) == 0xE0) {
            code = byte & 0x0F;
            length = 3;
        } else {
            code = byte & 0x07;
            length = 4;
        }
        for (int k = 1; k < length; ++k) {
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        i += length;
        if (code >= 0x10000) {
            code -= 0x10000;
            text.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            text.push_back(static_cast<char16_t>(code));
        }
    }
    const auto bytes = cp932::Encode(text);
    if (!bytes) {
        throw std::invalid_argument("not representable in code page 932");
    }
    return *bytes;
}

std::vector<std::string> GenerateDictionaryLines(std::size_t count, std::uint32_t seed) {
    static const char* const kMeanings[] = {"離陸する",
                                            "取る",
                                            "持っていく",
                                            "考える",
                                            "見る",
                                            "走る",
                                            "子供",
                                            "水",
                                            "本",
                                            "辞書",
                                            "言葉",
                                            "意味",
                                            "発音",
                                            "飛行機",
                                            "鳥",
                                            "車",
                                            "カップ",
                                            "ネズミ",
                                            "マウス",
                                            "調べる",
                                            "あきらめる",
                                            "延期する",
                                            "確かめる",
                                            "ところで",
                                            "少なくとも",
                                            "世話をする",
                                            "楽しみに待つ",
                                            "仲良くやっていく",
                                            "にもかかわらず",
                                            "すぐに",
                                            "つける",
                                            "消す",
                                            "使い果たす",
                                            "良い",
                                            "美しい",
                                            "速い",
                                            "大きい",
                                            "小さい",
                                            "新しい",
                                            "古い",
                                            "（明かりを）つける",
                                            "～について"};
    static const char* const kSyllables[] = {
        "ta",  "ke",  "lo",  "ok",  "ch",   "il", "dr", "en", "wa", "ter",  "ab",  "out",
        "str", "ing", "pre", "con", "tion", "ly", "er", "un", "re", "ment", "ous", "a"};
    static const char kCode[] = "a123iueopbtdkgmn4lRfvsz5678jhw0r-AIUEO^@";
    std::mt19937 random(seed);
    const auto pick = [&random](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    std::vector<std::string> sjisMeanings;
    for (const char* meaning : kMeanings) {
        sjisMeanings.push_back(Sjis(meaning));
    }
    const auto word = [&] {
        std::string w;
        const std::size_t parts = 1 + pick(3);
        for (std::size_t i = 0; i < parts; ++i) {
            w += kSyllables[pick(std::size(kSyllables))];
        }
        return w;
    };
    std::vector<std::string> lines;
    lines.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::string line = word();
        if (pick(4) == 0) {
            line += " " + word();
        }
        line += ',';
        const std::size_t senses = 2 + pick(3);
        for (std::size_t s = 0; s < senses; ++s) {
            if (s > 0) {
                line += Sjis("、");
            }
            line += sjisMeanings[pick(sjisMeanings.size())];
        }
        line += ',';
        if (pick(5) == 0) {
            line += word();
        }
        line += ',';
        const std::size_t codeLength = 4 + pick(10);
        for (std::size_t c = 0; c < codeLength; ++c) {
            line += kCode[pick(sizeof(kCode) - 1)];
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string JoinCrLf(const std::vector<std::string>& lines) {
    std::string joined;
    for (const std::string& line : lines) {
        joined += line;
        joined += "\r\n";
    }
    return joined;
}

std::size_t LineAt(const EntryTable& table, std::size_t offset) {
    std::size_t below = 0;
    std::size_t above = static_cast<std::size_t>(table.count());
    while (above - below > 1) {
        const std::size_t middle = below + (above - below) / 2;
        (table.lineStart(middle) <= offset ? below : above) = middle;
    }
    return below;
}

}  // namespace pelmio::testing
