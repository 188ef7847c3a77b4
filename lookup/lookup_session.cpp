#include "lookup/lookup_session.h"

#include "base/cp932.h"
#include "base/folder_lock.h"
#include "dict/dictionary_loader.h"
#include "search/keyword_search.h"
#include "search/matcher.h"
#include "settings/settings_file.h"

namespace pelmio {

LookupSession::LookupSession(std::filesystem::path folder, FileWriter& writer)
    : m_folder(std::move(folder)),
      m_writer(&writer),
      m_dictionary(std::make_shared<const Dictionary>()),
      m_history(m_folder / kHistoryFileName, writer) {}

std::vector<DictionaryProblem> LookupSession::reload() {
    std::vector<DictionaryProblem> problems;
    EntryTable table;
    bool truncated = false;
    std::vector<std::filesystem::path> files = m_dictionaryFiles;
    if (files.empty()) {
        files = {m_folder / kPhraseFileName, m_folder / kWordFileName};
    }
    for (const std::filesystem::path& file : files) {
        const LoadResult result = LoadDictionaryFile(table, file);
        if (result.status == LoadStatus::CannotOpen) {
            // In full, as the user is told which file it is.
            std::error_code error;
            const std::filesystem::path path = std::filesystem::absolute(file, error);
            problems.push_back({LoadProblem::CannotRead, file.filename().string(),
                                (error ? file : path).lexically_normal()});
        }
        truncated = truncated || result.status == LoadStatus::Truncated;
    }
    if (truncated) {
        problems.push_back({LoadProblem::TooManyLines, {}, {}});
    }
    m_dictionary = std::make_shared<const Dictionary>(std::move(table));
    m_search.forget();
    return problems;
}

SearchResult LookupSession::search(std::string_view keywordBytes) const {
    const SearchOptions options{m_options.headwordFirst, m_options.ignoreCase};
    Matches matches = m_search.search(m_dictionary->table(), m_dictionary->order(), keywordBytes,
                                      m_rowLimit, options);
    return {m_dictionary, std::move(matches.rows), matches.total,
            KeywordTokens(SearchedText(keywordBytes)), m_options.ignoreCase};
}

void LookupSession::readSettings() {
    m_rowLimit = ReadRowLimit(m_folder / kSettingsFileName);
    m_options = ReadLookupOptions(m_folder / kOptionsFileName);
    m_windowGeometry = ReadWindowGeometry(m_folder / kOptionsFileName);
}

WriteResult LookupSession::writeSettings() const {
    return WriteRowLimit(m_folder / kSettingsFileName, m_rowLimit, *m_writer);
}

WriteResult LookupSession::writeOptions() const {
    return WriteLookupOptions(m_folder / kOptionsFileName, m_options, *m_writer);
}

WriteResult LookupSession::writeWindowGeometry(const WindowGeometry& geometry) {
    m_windowGeometry = geometry;
    return WriteWindowGeometry(m_folder / kOptionsFileName, geometry, *m_writer);
}

HistoryResult LookupSession::saveKeyword(std::string_view keywordBytes,
                                         std::chrono::milliseconds lockWait) const {
    return m_history.save(keywordBytes, lockWait);
}

HistoryResult LookupSession::historyList() const {
    return m_history.load();
}

void LookupSession::removeStaleTemporaryFiles() const {
    m_history.removeStaleTemporaryFiles();
    const std::filesystem::path settings = m_folder / kSettingsFileName;
    const FolderLock lock(ResolveLinks(settings).parent_path());
    if (lock.state() == LockState::Locked) {
        RemoveStaleTemporaryFiles(settings);
    }
}

}  // namespace pelmio
