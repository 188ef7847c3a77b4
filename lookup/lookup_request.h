#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// What a second start of the program sends to the one already running for
// the same folder: "lookup <length>\n" and then <length> bytes of UTF-8
// text; an empty text only brings the window to the front. The running
// program answers kLookupDone once it has handled the request.
namespace pelmio {

// The most text bytes a request may carry: 999 bytes of code page 932
// are at most three times that in UTF-8, and the sender cuts first.
inline constexpr std::size_t kMaxLookupTextBytes = 4096;
inline constexpr std::string_view kLookupDone = "done\n";

// The request for a text; the caller has cut it to the keyword's length.
std::string LookupRequest(std::string_view utf8Text);

// Reads one request from a stream, never holding more than the header and
// kMaxLookupTextBytes of text, so a client that sends too much or never
// finishes costs the reader a bounded amount of memory.
class LookupRequestReader {
public:
    enum class State { Reading, Done, Bad };

    // How many more bytes the request may take; the caller reads no more
    // than this from the stream, so what follows is never consumed.
    std::size_t bytesWanted() const;
    // Takes bytes read from the stream, at most bytesWanted() of them; more
    // make the request Bad.
    State feed(std::string_view bytes);
    State state() const { return m_state; }
    // The text, once Done.
    const std::string& text() const { return m_text; }

private:
    State parseHeader();

    State m_state = State::Reading;
    std::string m_header;
    std::optional<std::size_t> m_length;  // known once the header is whole
    std::string m_text;
};

}  // namespace pelmio
