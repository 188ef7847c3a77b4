#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>

#include "base/file_access.h"

// The lookup options file beside the settings file: text lines of
// "key=value". The 8-byte settings file stays as it is, so older copies of
// Pelmio still read it; newer options live here.
namespace pelmio {

inline constexpr const char* kOptionsFileName = "pelmio-options.txt";
// The largest options file read and rewritten. A larger one is not read,
// and never rewritten, so nothing a user or another program put in it is
// lost.
inline constexpr std::size_t kMaxOptionsFileBytes = 64 * 1024;

// The options a user may turn on in the settings dialog; all off unless
// asked for, so the program matches and orders as it always has.
struct LookupOptions {
    bool headwordFirst = false;      // rows whose headword is the keyword come first
    bool ignoreCase = false;         // ASCII letters match regardless of case
    bool skipPronunciation = false;  // the pronunciation code is not matched
    bool lookUpClipboard = false;    // English copied in other programs is looked up

    bool operator==(const LookupOptions&) const = default;
};

// The windows' sizes and the detail window's place as the user left them,
// in pixels: the client areas, not the frames. Each is missing until the
// program first writes it.
struct WindowGeometry {
    struct Size {
        int width = 0;
        int height = 0;
        bool operator==(const Size&) const = default;
    };
    struct Point {
        int x = 0;
        int y = 0;
        bool operator==(const Point&) const = default;
    };
    std::optional<Size> mainSize;
    std::optional<Size> detailSize;
    std::optional<Point> detailPosition;

    bool operator==(const WindowGeometry&) const = default;
};

// The options in the file: the last line of each key counts; lines of
// other keys, notes and other bytes are passed over. All off when the file
// is missing, unreadable or larger than kMaxOptionsFileBytes.
LookupOptions ReadLookupOptions(const std::filesystem::path& path);

// Replaces the file with the options: each line of an option gets the new
// value, a missing option is added at the end, and every other line (notes,
// unknown keys, binary bytes) stays byte for byte, in its place. A file
// larger than kMaxOptionsFileBytes is left alone (CannotOpen).
WriteResult WriteLookupOptions(const std::filesystem::path& path, const LookupOptions& options,
                               FileWriter& writer = DefaultFileWriter());

// The window geometry in the same file, read as the options are; a value
// that is missing or not well formed is left out.
WindowGeometry ReadWindowGeometry(const std::filesystem::path& path);

// Replaces the file with the window geometry as WriteLookupOptions does
// with the options, every other line, the options' too, kept in its place.
// The lines of a value missing from geometry are dropped.
WriteResult WriteWindowGeometry(const std::filesystem::path& path, const WindowGeometry& geometry,
                                FileWriter& writer = DefaultFileWriter());

}  // namespace pelmio
