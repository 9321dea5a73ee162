// The INI syntax: what each line of a file adds to a document.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "SectionMap.h"

namespace inikey {

// A key line held back in ParseState::pendingText: its key name starts at start,
// and its value follows the name directly.
struct PendingKey {
  std::uint64_t prefix;  // namePrefix of the key name: most comparisons need no more
  size_t start;
  size_t keyLength;
  size_t valueLength;
};

// What carries from one line to the next while a file is parsed.
struct ParseState {
  explicit ParseState(const SectionFilter* onlySections = nullptr);

  std::string sectionName;            // set by the last header; empty before the first
  const SectionFilter* onlySections;  // null: every section is kept
  bool skipping = false;              // the current section is not among onlySections
  // The current section's key lines, held back until its end so that they are
  // stored in key order: then its entries lie in memory in the order they are
  // walked in. A very large section is stored a part at a time.
  std::string pendingText;
  std::vector<PendingKey> pendingKeys;
};

// Applies one line: a header changes the current section, a key-value line sets a
// key in it, and anything else (blank, comment, no "=") is skipped without a word.
// Key lines of sections that onlySections leaves out are skipped too. Key lines
// may be held back in state until the next header or storePendingKeys.
void parseLine(SectionMap& sections, ParseState& state, std::string_view line);

// Stores the key lines that state still holds back; a parse calls it after its last line.
void storePendingKeys(SectionMap& sections, ParseState& state);

}  // namespace inikey
