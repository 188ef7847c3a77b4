#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dict/entry_table.h"

// The straightforward implementations every figure is compared with: one
// heap block per line, and a byte-by-byte substring search per line.
namespace pelmio::bench {

class BaselineTable {
public:
    ~BaselineTable();
    // Loads a file as the original loader did: one read, lines cut at CR,
    // one block of exactly its size per line.
    void load(const char* path);
    std::size_t count() const { return m_lines.size(); }
    const std::vector<char*>& lines() const { return m_lines; }
    std::size_t memoryUsed() const;

private:
    std::vector<char*> m_lines;
};

// Every line that holds the tokens in order, found with FindSubstring token
// by token, first match first.
void BaselineScan(const std::vector<char*>& lines, const std::vector<std::string>& tokens,
                  std::vector<std::uint32_t>& out);

// Two sensible naive scans over the same table Pelmio searches, with the same
// rule (each token only where a character begins), for a fair comparison:
// line by line, byte by byte (a character start found for a hit only);
void PlainScan(const EntryTable& table, const std::vector<std::string>& tokens,
               std::vector<std::uint32_t>& out);
// and line by line with memmem, each hit then checked for a character start.
void MemmemScan(const EntryTable& table, const std::vector<std::string>& tokens,
                std::vector<std::uint32_t>& out);
// The fastest simple method: memmem for the first token over the whole
// table at once, each hit's line then checked as MemmemScan checks it.
void WholeTableMemmemScan(const EntryTable& table, const std::vector<std::string>& tokens,
                          std::vector<std::uint32_t>& out);

}  // namespace pelmio::bench

namespace pelmio::bench {

// The history file rewritten in place: read it all, write the keyword and
// CR LF at the start, then the old bytes after them.
void BaselineSaveHistory(const char* path, const std::string& keyword);
// The history file read whole and walked line by line to its end (or its
// first empty line), keeping the first eight distinct lines.
std::vector<std::string> BaselineLoadHistory(const char* path);

}  // namespace pelmio::bench
