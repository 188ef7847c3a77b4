#pragma once

#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "lookup/dictionary.h"

namespace pelmio {

// Why a dictionary load was not complete; the window tells the user.
enum class LoadProblem {
    CannotRead,    // one file could not be read; its lines are missing
    TooManyLines,  // the files held more lines than the table; the rest are missing
};

struct DictionaryProblem {
    LoadProblem problem;
    std::string fileName;        // empty for TooManyLines
    std::filesystem::path path;  // the file read; empty for TooManyLines
};

// A dictionary read from its files, and what went wrong, in the order found.
struct LoadedDictionary {
    std::shared_ptr<const Dictionary> dictionary;
    std::vector<DictionaryProblem> problems;
};

// The files a folder's dictionary is read from: the given ones, in order,
// or else the folder's phrase file, then its word file.
std::vector<std::filesystem::path> DictionaryFiles(const std::filesystem::path& folder,
                                                   std::vector<std::filesystem::path> chosen);

// Reads the files, in order, into one dictionary.
LoadedDictionary LoadDictionaries(const std::vector<std::filesystem::path>& files);

// The files read on a thread of their own, so that the window can be made
// meanwhile: reading 100,000 lines costs about a fifth of opening it.
// Nothing is told before wait(), so a problem reaches the user when it
// would have if the files were read then.
class DictionaryLoad {
public:
    DictionaryLoad() = default;  // none started
    explicit DictionaryLoad(std::vector<std::filesystem::path> files);

    // Whether a load was started and not yet waited for.
    bool started() const { return m_loaded.valid(); }
    // The dictionary once read; only once, and only when started().
    LoadedDictionary wait() { return m_loaded.get(); }

private:
    std::future<LoadedDictionary> m_loaded;
};

}  // namespace pelmio
