#include "lookup/dictionary.h"

#include <system_error>

namespace pelmio {

Dictionary::Dictionary(EntryTable table) : m_table(std::move(table)) {
    const auto index = [this] {
        m_table.compact();
        m_letters = LetterIndex(m_table);
        m_order = ResultOrder(m_table);
        m_headwords = HeadwordIndex(m_table);
    };
    try {
        m_indexed = std::async(std::launch::async, index).share();
    } catch (const std::system_error&) {
        index();  // no thread to be had: do it now
    }
}

TableAids Dictionary::aids(bool withoutCodes) const {
    waitUntilIndexed();
    if (!withoutCodes) {
        return {&m_letters};
    }
    std::call_once(m_withoutCodesMade, [this] {
        m_withoutCodes = WithoutPronunciation(m_table);
        m_withoutCodesLetters = LetterIndex(m_withoutCodes);
    });
    return {&m_letters, &m_withoutCodes, &m_withoutCodesLetters};
}

}  // namespace pelmio
