#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "base/file_access.h"

// A file rewritten in place (it has other hard links, or its folder may
// not be written) has no old copy to fall back on: a kill part way would
// leave old and new bytes mixed. So the new content is first written, with
// its length and a checksum, to a journal and synced; then the file is
// rewritten and synced; then the journal goes. A journal found later is
// finished from (rolled forward) if it is whole and the file holds only
// what the interrupted rewrite can have left there, page by page old or
// new; otherwise it is dropped, so it never overwrites a file changed
// since.
namespace pelmio {

// Where the journal for the file with this device and inode lives: beside
// it where its folder may be written, else in $XDG_STATE_HOME/pelmio
// (~/.local/state/pelmio).
std::filesystem::path JournalPathBeside(const std::filesystem::path& file, std::uint64_t device,
                                        std::uint64_t inode);
std::filesystem::path JournalPathInStateFolder(std::uint64_t device, std::uint64_t inode);

// Writes the journal for rewriting the open file fd (at path, with the
// given device and inode) with size bytes of staged, read from its start,
// and syncs it. Returns where it is, for RemoveJournal; on failure the file
// is untouched.
struct JournalResult {
    WriteResult write;
    std::filesystem::path path;
};
JournalResult WriteRewriteJournal(const std::filesystem::path& file, int fd, std::uint64_t device,
                                  std::uint64_t inode, std::FILE* staged, std::uint64_t size,
                                  FileWriter& writer);
// Removes a journal once its rewrite is synced.
void RemoveJournal(const std::filesystem::path& journal);

enum class Recovery {
    None,       // no journal
    Finished,   // a whole journal was applied, or the file already held it
    Discarded,  // a journal cut off, or not fitting the file, was dropped
};

// Finishes or drops the journal of an in-place rewrite of path left by a
// killed process. Call holding the folder's lock, so no journal being
// written is taken for a cut-off one.
Recovery RecoverInterruptedRewrite(const std::filesystem::path& path);

}  // namespace pelmio
