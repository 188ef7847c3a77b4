#include "lookup/dictionary_load.h"

#include <system_error>
#include <utility>

#include "dict/dictionary_loader.h"

namespace pelmio {

std::vector<std::filesystem::path> DictionaryFiles(const std::filesystem::path& folder,
                                                   std::vector<std::filesystem::path> chosen) {
    if (!chosen.empty()) {
        return chosen;
    }
    return {folder / kPhraseFileName, folder / kWordFileName};
}

LoadedDictionary LoadDictionaries(const std::vector<std::filesystem::path>& files) {
    LoadedDictionary loaded;
    EntryTable table;
    bool truncated = false;
    for (const std::filesystem::path& file : files) {
        const LoadResult result = LoadDictionaryFile(table, file);
        if (result.status == LoadStatus::CannotOpen) {
            // In full, as the user is told which file it is.
            std::error_code error;
            const std::filesystem::path path = std::filesystem::absolute(file, error);
            loaded.problems.push_back({LoadProblem::CannotRead, file.filename().string(),
                                       (error ? file : path).lexically_normal()});
        }
        truncated = truncated || result.status == LoadStatus::Truncated;
    }
    if (truncated) {
        loaded.problems.push_back({LoadProblem::TooManyLines, {}, {}});
    }
    loaded.dictionary = std::make_shared<const Dictionary>(std::move(table));
    return loaded;
}

DictionaryLoad::DictionaryLoad(std::vector<std::filesystem::path> files) {
    try {
        m_loaded = std::async(std::launch::async,
                              [files = std::move(files)] { return LoadDictionaries(files); });
    } catch (const std::system_error&) {
        // No thread to be had: left unstarted, so the files are read when needed.
    }
}

}  // namespace pelmio
