#include "lookup/lookup_session.h"

#include "base/folder_lock.h"
#include "base/rewrite_journal.h"
#include "dict/dictionary_loader.h"
#include "search/keyword_search.h"
#include "search/matcher.h"
#include "search/suggestions.h"
#include "settings/settings_file.h"

namespace pelmio {

std::vector<std::string> SessionFileNames() {
    return {kHistoryFileName, kSettingsFileName, kOptionsFileName, kPhraseFileName, kWordFileName};
}

LookupSession::LookupSession(std::filesystem::path folder, FileWriter& writer)
    : m_folder(std::move(folder)),
      m_writer(&writer),
      m_dictionary(std::make_shared<const Dictionary>()),
      m_history(m_folder / kHistoryFileName, writer) {}

std::vector<DictionaryProblem> LookupSession::reload() {
    DictionaryLoad none;
    return reload(none);
}

std::vector<DictionaryProblem> LookupSession::reload(DictionaryLoad& load) {
    LoadedDictionary loaded = load.started() ? load.wait() : LoadDictionaries(dictionaryFiles());
    m_dictionary = std::move(loaded.dictionary);
    m_search.forget();
    return std::move(loaded.problems);
}

SearchResult LookupSession::search(std::string_view keywordBytes) const {
    const SearchOptions options{m_options.headwordFirst, m_options.ignoreCase,
                                m_options.skipPronunciation};
    const EntryTable& table = m_dictionary->table();
    const TableAids aids = m_dictionary->aids(options.skipPronunciation);
    Matches matches =
        m_search.search(table, m_dictionary->order(), keywordBytes, m_rowLimit, options, aids);
    const std::string_view text = SearchedText(keywordBytes);
    SearchResult result;
    result.dictionary = m_dictionary;
    result.rows = std::move(matches.rows);
    result.totalMatches = matches.total;
    result.tokens = KeywordTokens(text);
    result.ignoreCase = m_options.ignoreCase;
    result.skipPronunciation = m_options.skipPronunciation;
    if (matches.total == 0 && !result.tokens.empty()) {
        // Never while a search has rows: it costs a scan of every headword.
        result.suggestions =
            SuggestKeywords(table, m_dictionary->headwords(), text, options.ignoreCase,
                            [&](std::string_view candidate) {
                                return ListsAnyLine(table, candidate, options, aids);
                            });
    }
    return result;
}

void LookupSession::setRowLimit(std::int32_t rowLimit) {
    m_rowLimitChanged = m_rowLimitChanged || rowLimit != m_rowLimit;
    m_rowLimit = rowLimit;
}

void LookupSession::setRowLimitText(std::string_view text) {
    setRowLimit(ParseRowLimit(text));
}

void LookupSession::setOptions(const LookupOptions& options) {
    m_optionsChanged = m_optionsChanged || options != m_options;
    m_options = options;
}

void LookupSession::setWindowGeometry(const WindowGeometry& geometry) {
    m_windowGeometryChanged = m_windowGeometryChanged || geometry != m_windowGeometry;
    m_windowGeometry = geometry;
}

void LookupSession::readSettings() {
    m_rowLimit = ReadRowLimit(m_folder / kSettingsFileName);
    m_options = ReadLookupOptions(m_folder / kOptionsFileName);
    m_windowGeometry = ReadWindowGeometry(m_folder / kOptionsFileName);
    m_rowLimitChanged = false;
    m_optionsChanged = false;
    m_windowGeometryChanged = false;
}

namespace {

// Writes one file under the lock of its folder, when changed is set, and
// clears changed once it is written.
template <class Write>
WriteResult WriteChanged(const std::filesystem::path& path, bool& changed, bool& withoutLock,
                         std::chrono::milliseconds lockWait, const Write& write) {
    if (!changed) {
        return {};
    }
    const FolderLock lock(ResolveLinks(path).parent_path(), lockWait);
    if (!lock.mayWrite()) {
        return {FileStatus::Busy, "another program holds the folder's lock"};
    }
    withoutLock = withoutLock || lock.state() == LockState::Unavailable;
    WriteResult result = write();
    changed = result.status != FileStatus::Ok;
    return result;
}

}  // namespace

WriteResult LookupSession::writeSettings(std::chrono::milliseconds lockWait) {
    const std::filesystem::path path = m_folder / kSettingsFileName;
    return WriteChanged(path, m_rowLimitChanged, m_wroteWithoutLock, lockWait,
                        [&] { return WriteRowLimit(path, m_rowLimit, *m_writer); });
}

WriteResult LookupSession::writeOptions(std::chrono::milliseconds lockWait) {
    const std::filesystem::path path = m_folder / kOptionsFileName;
    return WriteChanged(path, m_optionsChanged, m_wroteWithoutLock, lockWait,
                        [&] { return WriteLookupOptions(path, m_options, *m_writer); });
}

WriteResult LookupSession::writeWindowGeometry(std::chrono::milliseconds lockWait) {
    const std::filesystem::path path = m_folder / kOptionsFileName;
    return WriteChanged(path, m_windowGeometryChanged, m_wroteWithoutLock, lockWait,
                        [&] { return WriteWindowGeometry(path, m_windowGeometry, *m_writer); });
}

HistoryResult LookupSession::saveKeyword(std::string_view keywordBytes,
                                         std::chrono::milliseconds lockWait) const {
    HistoryResult result = m_history.save(keywordBytes, lockWait);
    m_wroteWithoutLock = m_wroteWithoutLock || result.withoutLock;
    return result;
}

HistoryResult LookupSession::historyList() const {
    return m_history.load();
}

void LookupSession::removeStaleTemporaryFiles() const {
    for (const std::string& name : SessionFileNames()) {
        const std::filesystem::path path = m_folder / name;
        // Under the lock no save of any program is writing one of them.
        const std::filesystem::path file = ResolveLinks(path);
        const FolderLock lock(file.parent_path());
        if (lock.state() == LockState::Locked) {
            RecoverInterruptedRewrite(file);
            RemoveStaleTemporaryFiles(path);
        }
    }
}

}  // namespace pelmio
