#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_access.h"
#include "dict/entry_fields.h"
#include "history/keyword_history.h"
#include "lookup/dictionary.h"
#include "lookup/dictionary_load.h"
#include "search/keyword_search.h"
#include "search/match_spans.h"
#include "search/narrowing_search.h"
#include "settings/options_file.h"

namespace pelmio {

// What one search found. It keeps the dictionary its rows index, so a row
// opens the line it shows even after a reload.
struct SearchResult {
    std::shared_ptr<const Dictionary> dictionary;
    std::vector<std::uint32_t> rows;  // table indices in display order
    std::size_t totalMatches = 0;     // every matching line, also past the row limit
    std::vector<std::string> tokens;  // the keywords searched for
    bool ignoreCase = false;
    bool skipPronunciation = false;  // the lines were matched before their code
    // When nothing matched: keyword texts that list something, best first.
    std::vector<std::string> suggestions = {};

    // Whether the row limit left matching lines out.
    bool cut() const { return totalMatches > rows.size(); }
    std::size_t size() const { return rows.size(); }
    // The dictionary line of a row.
    std::string_view line(std::size_t row) const { return dictionary->table().lineView(rows[row]); }
    // The fields of a row's line, as the detail window shows them.
    EntryFields fields(std::size_t row) const { return SplitEntryFields(line(row)); }
    // Where in a row's line the keywords matched, as the search matched them.
    std::vector<ByteSpan> spans(std::size_t row) const {
        return MatchSpans(skipPronunciation ? BeforePronunciation(line(row)) : line(row), tokens,
                          ignoreCase);
    }
};

// The name of every file a session writes in its folder: the history, the
// settings and the options (the window geometry too), and the dictionary
// files that earlier versions copied in at a first start, whose copies a
// kill may have cut short. Whatever cleans up after the writes goes by this
// list, and only by it.
std::vector<std::string> SessionFileNames();

// A lookup session in one folder: the dictionary, the row limit, the
// keyword history and the settings file, with no window. The window turns
// the user's events into these calls and shows what they return.
class LookupSession {
public:
    // The keyword box: the bytes a search reads, the bytes a history line
    // keeps, and the lines the drop-down list shows.
    static constexpr std::size_t kSearchedKeywordBytes = kMaxKeywordBytes;
    static constexpr std::size_t kHistoryKeywordBytes = kMaxHistoryKeywordBytes;
    static constexpr std::size_t kHistoryListLines = kHistoryListSize;

    explicit LookupSession(std::filesystem::path folder, FileWriter& writer = DefaultFileWriter());

    // Reads these dictionary files, in this order, instead of the folder's
    // phrase and word files.
    void setDictionaryFiles(std::vector<std::filesystem::path> files) {
        m_dictionaryFiles = std::move(files);
    }
    // Loads the phrase file, then the word file, into a new dictionary that
    // replaces the old one. Returns what went wrong, in the order found.
    std::vector<DictionaryProblem> reload();
    // The same with the files read by load, when it was started (for the
    // same files); otherwise reads them now.
    std::vector<DictionaryProblem> reload(DictionaryLoad& load);
    // The files reload() reads, in order.
    std::vector<std::filesystem::path> dictionaryFiles() const {
        return DictionaryFiles(m_folder, m_dictionaryFiles);
    }
    std::shared_ptr<const Dictionary> dictionary() const { return m_dictionary; }

    // Every line holding the keyword text's tokens in order (code page 932
    // bytes; only the first 999 count), at most RowLimit of them: the first
    // ones in table order, shown in display order.
    SearchResult search(std::string_view keywordBytes) const;

    std::int32_t rowLimit() const { return m_rowLimit; }
    void setRowLimit(std::int32_t rowLimit);
    // The row limit the user typed: read as atol reads it, no number
    // giving 0 (no limit).
    void setRowLimitText(std::string_view text);
    const LookupOptions& options() const { return m_options; }
    void setOptions(const LookupOptions& options);
    // The windows' sizes and the detail window's place, from the options file.
    const WindowGeometry& windowGeometry() const { return m_windowGeometry; }
    void setWindowGeometry(const WindowGeometry& geometry);
    // Reads the row limit from the settings file (0 when there is none), and
    // the options (off when there are none) and window geometry from the
    // options file.
    void readSettings();
    // Writes the row limit to the settings file, under the folder's lock,
    // only when this session changed it and has not written it since:
    // another window in the folder may have written its own meanwhile.
    // Busy when another program still holds the lock after lockWait.
    WriteResult writeSettings(std::chrono::milliseconds lockWait = std::chrono::milliseconds(0));
    // The same for the options and the options file.
    WriteResult writeOptions(std::chrono::milliseconds lockWait = std::chrono::milliseconds(0));
    // The same for the window geometry, in the options file: only its own
    // lines change there.
    WriteResult writeWindowGeometry(
        std::chrono::milliseconds lockWait = std::chrono::milliseconds(0));

    // Puts a keyword in front of the history; an empty one only makes sure
    // the file exists. Returns the drop-down list, or Busy when another
    // program still holds the folder's lock after lockWait.
    HistoryResult saveKeyword(
        std::string_view keywordBytes,
        std::chrono::milliseconds lockWait = std::chrono::milliseconds(0)) const;
    // True once a file was written where no lock of any kind could be had,
    // so another window in the folder may have written at the same time.
    bool wroteWithoutLock() const { return m_wroteWithoutLock; }
    // The drop-down list from the history file.
    HistoryResult historyList() const;
    // Cleans up after writes killed part way, for each file of
    // SessionFileNames under the lock of its folder: finishes or drops an
    // interrupted rewrite in place, and removes temporary files left beside
    // it. A folder whose lock another program holds is left for later.
    void removeStaleTemporaryFiles() const;

private:
    std::filesystem::path m_folder;
    std::vector<std::filesystem::path> m_dictionaryFiles;
    FileWriter* m_writer;
    std::shared_ptr<const Dictionary> m_dictionary;
    std::int32_t m_rowLimit = 0;
    LookupOptions m_options;
    WindowGeometry m_windowGeometry;
    bool m_rowLimitChanged = false;  // set, not yet written
    bool m_optionsChanged = false;
    bool m_windowGeometryChanged = false;
    mutable bool m_wroteWithoutLock = false;
    HistoryFile m_history;
    // What the last search found, for the next keystroke to narrow; a cache
    // only, so searching stays a const operation.
    mutable NarrowingSearch m_search;
};

}  // namespace pelmio
