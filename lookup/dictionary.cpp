#include "lookup/dictionary.h"

#include <system_error>

namespace pelmio {

Dictionary::Dictionary(EntryTable table) : m_table(std::move(table)) {
    const auto index = [this] {
        m_table.compact();
        m_letters = LetterIndex(m_table);
        m_order = ResultOrder(m_table);
    };
    try {
        m_indexed = std::async(std::launch::async, index).share();
    } catch (const std::system_error&) {
        index();  // no thread to be had: do it now
    }
}

}  // namespace pelmio
