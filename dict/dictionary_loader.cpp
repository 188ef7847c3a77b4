#include "dict/dictionary_loader.h"

#include "base/file_access.h"

namespace pelmio {

LoadResult LoadDictionaryFile(EntryTable& table, const std::filesystem::path& path) {
    ReadResult file = ReadWholeFile(path);
    if (file.status != FileStatus::Ok) {
        return {LoadStatus::CannotOpen, path.string() + ": " + file.message};
    }
    if (!table.appendFileContents(file.bytes)) {
        return {LoadStatus::Truncated, path.string() + ": more lines than the table holds"};
    }
    return {};
}

}  // namespace pelmio
