#pragma once

#include <filesystem>
#include <optional>

#include "base/file_access.h"

// The lookup options file beside the settings file: text lines of
// "key=value". The 8-byte settings file stays as it is, so older copies of
// Pelmio still read it; newer options live here.
namespace pelmio {

inline constexpr const char* kOptionsFileName = "pelmio-options.txt";

// The options a user may turn on in the settings dialog; both off unless
// asked for, so the program matches and orders as it always has.
struct LookupOptions {
    bool headwordFirst = false;  // rows whose headword is the keyword come first
    bool ignoreCase = false;     // ASCII letters match regardless of case

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

// The options in the file; both off when it is missing or damaged.
LookupOptions ReadLookupOptions(const std::filesystem::path& path);

// Replaces the file with the options, keeping every line of keys it does
// not know, in their order.
WriteResult WriteLookupOptions(const std::filesystem::path& path, const LookupOptions& options,
                               FileWriter& writer = DefaultFileWriter());

// The window geometry in the same file; a value that is missing or not
// well formed is left out.
WindowGeometry ReadWindowGeometry(const std::filesystem::path& path);

// Replaces the file with the window geometry, keeping every other line, the
// options' too, in their order. A value missing from geometry is dropped.
WriteResult WriteWindowGeometry(const std::filesystem::path& path, const WindowGeometry& geometry,
                                FileWriter& writer = DefaultFileWriter());

}  // namespace pelmio
