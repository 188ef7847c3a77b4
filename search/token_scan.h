#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dict/entry_table.h"

namespace pelmio {

// Whether ScanTokensInOrder takes these tokens on this machine: 1 to 4
// tokens of 1 to 64 bytes, none with a NUL, on a processor with AVX2.
bool CanScanTokensInOrder(const std::vector<std::string>& tokens);

// Appends to out, in table order, the index of every line of text (lines
// each followed by a NUL, as EntryTable keeps them) that holds the tokens
// in order, each where a character begins and after the end of the one
// before, until out holds cap indices. ignoreCase folds ASCII letters that
// begin a character. One pass over the text, 64 bytes a step, with no look
// up of line starts: the line of a hit comes from counting line ends.
//
// A filter whose lines need no confirming: it is the matching rule
// (MatchLine) done on 64 bytes at once, each token's earliest hit taken
// after the one before, the lead-byte runs deciding where characters
// begin. The search's differential tests hold it to the rule and to the
// reference, line by line, on random tables with every kind of byte.
void ScanTokensInOrder(std::string_view text, const std::vector<std::string>& tokens,
                       bool ignoreCase, std::size_t cap, std::vector<std::uint32_t>& out);

// The same for the candidate lines only (a bitmap over the table's lines,
// bit i % 64 of word i / 64 for line i), in table order: the lines the
// letter index proposes. Each line of under 128 bytes is decided from the
// masks of its bytes, as the scan decides it, and exactly; a longer one
// goes to holds(line), the rule. Takes the tokens CanScanTokensInOrder
// takes. Its own differential test holds it to the reference.
void CheckLinesInOrder(const EntryTable& table, const std::vector<std::string>& tokens,
                       bool ignoreCase, const std::uint64_t* candidates, std::size_t cap,
                       const std::function<bool(std::size_t)>& holds,
                       std::vector<std::uint32_t>& out);

}  // namespace pelmio
