#include "lookup/lookup_request.h"

#include <algorithm>
#include <charconv>
#include <system_error>

namespace pelmio {
namespace {

constexpr std::string_view kVerb = "lookup ";
// "lookup 4096\n", with room for leading zeros a sender will not write.
constexpr std::size_t kMaxHeaderBytes = 24;

}  // namespace

std::string LookupRequest(std::string_view utf8Text) {
    std::string request(kVerb);
    request += std::to_string(utf8Text.size());
    request += '\n';
    request += utf8Text;
    return request;
}

std::size_t LookupRequestReader::bytesWanted() const {
    if (m_state != State::Reading) {
        return 0;
    }
    if (!m_length) {
        // A byte at a time: the header's end is not known in advance, and
        // the text after it must not be taken as header.
        return 1;
    }
    return *m_length - m_text.size();
}

LookupRequestReader::State LookupRequestReader::feed(std::string_view bytes) {
    while (!bytes.empty() && m_state == State::Reading) {
        if (!m_length) {
            m_header += bytes.front();
            bytes.remove_prefix(1);
            if (m_header.back() == '\n') {
                m_state = parseHeader();
            } else if (m_header.size() >= kMaxHeaderBytes) {
                m_state = State::Bad;
            }
            continue;
        }
        const std::size_t take = std::min(bytes.size(), *m_length - m_text.size());
        m_text.append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        if (m_text.size() == *m_length) {
            m_state = State::Done;
        }
    }
    if (!bytes.empty()) {
        m_state = State::Bad;  // more than bytesWanted()
    }
    return m_state;
}

LookupRequestReader::State LookupRequestReader::parseHeader() {
    const std::string_view header(m_header);
    if (header.substr(0, kVerb.size()) != kVerb) {
        return State::Bad;
    }
    const std::string_view digits = header.substr(kVerb.size(), header.size() - kVerb.size() - 1);
    std::size_t length = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), length);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        length > kMaxLookupTextBytes) {
        return State::Bad;
    }
    m_length = length;
    m_text.reserve(length);
    return length == 0 ? State::Done : State::Reading;
}

}  // namespace pelmio
