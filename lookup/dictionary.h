#pragma once

#include "dict/entry_table.h"
#include "search/result_order.h"

namespace pelmio {

// The loaded dictionary lines and their display order, made together and
// never changed after: a reload makes a new one, so the order always
// belongs to the lines it sorts.
class Dictionary {
public:
    Dictionary() = default;
    explicit Dictionary(EntryTable table) : m_table(std::move(table)), m_order(m_table) {}

    const EntryTable& table() const { return m_table; }
    const ResultOrder& order() const { return m_order; }

private:
    EntryTable m_table;
    ResultOrder m_order;
};

}  // namespace pelmio
