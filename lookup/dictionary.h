#pragma once

#include <future>
#include <mutex>

#include "dict/entry_table.h"
#include "search/headword_index.h"
#include "search/keyword_search.h"
#include "search/letter_index.h"
#include "search/result_order.h"

namespace pelmio {

// The loaded dictionary lines, their display order, their letter index
// and their headword index, made together and never changed after: a
// reload makes a new one, so the order and the indexes always belong to
// the lines they describe.
//
// Sorting 100,000 lines and indexing them takes longer than reading them,
// and nothing needs any of it before the first search: a second thread
// does it all, and gives back the table's spare room, while the window
// opens. Every accessor waits for it, so nothing ever sees a table whose
// index is half built.
class Dictionary {
public:
    Dictionary() = default;
    explicit Dictionary(EntryTable table);
    // The second thread works on this object's members in place.
    Dictionary(const Dictionary&) = delete;
    Dictionary& operator=(const Dictionary&) = delete;

    const EntryTable& table() const {
        waitUntilIndexed();
        return m_table;
    }
    const ResultOrder& order() const {
        waitUntilIndexed();
        return m_order;
    }
    // What a search uses beside the table. With withoutCodes, also the
    // lines without their pronunciation codes, made on the first search
    // that leaves the codes out: most users never ask for it.
    TableAids aids(bool withoutCodes) const;

    // Built with the letter index, so the first search that lists nothing
    // does not pay for it.
    const HeadwordIndex& headwords() const {
        waitUntilIndexed();
        return m_headwords;
    }

private:
    // Rethrows what the second thread threw (only bad_alloc can be).
    void waitUntilIndexed() const {
        if (m_indexed.valid()) {
            m_indexed.get();
        }
    }

    EntryTable m_table;
    ResultOrder m_order;
    HeadwordIndex m_headwords;
    LetterIndex m_letters;
    mutable std::once_flag m_withoutCodesMade;
    mutable EntryTable m_withoutCodes;
    mutable LetterIndex m_withoutCodesLetters;
    // Last, so it is destroyed first: that waits for the second thread
    // before the members it works on go.
    std::shared_future<void> m_indexed;
};

}  // namespace pelmio
