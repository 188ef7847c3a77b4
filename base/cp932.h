#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Code page 932 (Windows' Shift-JIS), the encoding of every file Pelmio
// reads and writes. The user interface converts through here and nowhere
// else; the rest of the core works on the bytes.
namespace pelmio::cp932 {

// Bytes that begin a double-byte character: 0x81-0x9F and 0xE0-0xFC.
constexpr bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Bytes that may follow a lead byte: 0x40-0x7E and 0x80-0xFC.
constexpr bool IsTrailByte(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// A-Z as a-z, every other byte as it is. Callers fold only a byte that
// begins a character: the second byte of a double-byte one is no letter.
constexpr unsigned char FoldAscii(unsigned char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}
constexpr char FoldAscii(char byte) {
    return static_cast<char>(FoldAscii(static_cast<unsigned char>(byte)));
}

// Length in bytes (1 or 2) of the character that begins at text[pos]. A lead
// byte without a valid trail byte after it is a character of its own, so
// every byte belongs to exactly one character.
inline std::size_t CharLength(std::string_view text, std::size_t pos) {
    if (IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() &&
        IsTrailByte(static_cast<unsigned char>(text[pos + 1]))) {
        return 2;
    }
    return 1;
}

// The longest prefix of text that is at most maxBytes long and does not end
// inside a double-byte character.
std::string_view CutAtCharBoundary(std::string_view text, std::size_t maxBytes);

// Bytes to UTF-16. A byte or pair that maps to nothing becomes U+FFFD.
std::u16string Decode(std::string_view bytes);

// UTF-16 to bytes; nullopt when the text holds a character that code page
// 932 cannot represent (or a surrogate). Never substitutes look-alikes.
std::optional<std::string> Encode(std::u16string_view text);

// The same for the longest run of whole characters from the start of text
// that fits in maxBytes; what lies beyond it is not looked at.
std::optional<std::string> EncodePrefix(std::u16string_view text, std::size_t maxBytes);

}  // namespace pelmio::cp932
