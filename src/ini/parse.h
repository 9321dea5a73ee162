// The INI syntax: what each line of a file adds to a document.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <string>
#include <string_view>
#include <vector>

#include "SectionMap.h"
#include "blockResource.h"
#include "foldedName.h"

namespace inikey {

// A name held back in ParseState::pendingText.
struct HeldName {
  FoldedName folded;
  size_t start;
  size_t length;
};

// The name of a section that key lines are held back for.
using PendingSection = HeldName;

// A key line held back: its key name, and its value right after the name's bytes.
struct PendingKey {
  HeldName key;
  size_t section;  // its index in ParseState::pendingSections
  size_t valueLength;
};

// What carries from one line to the next while a file is parsed.
struct ParseState {
  // scratch: where the lines held back and the room to sort them come from.
  explicit ParseState(const SectionFilter* onlySections = nullptr,
                      std::pmr::memory_resource* scratch = blockResource());

  std::string sectionName;              // set by the last header; empty before the first
  const SectionFilter* onlySections;    // null: every section is kept
  bool skipping = false;                // the current section is not among onlySections
  const KeyFilter* onlyKeys = nullptr;  // the keys kept of the current section; null: all
  bool sectionPending = false;          // the current section has its entry in pendingSections
  size_t partBytes = size_t{1} << 20;   // held bytes that make a part; see partBytesFor
  // Key lines, with the sections they stand in, held back and sorted, a part of the
  // file at a time; each part is built into maps of its own front to back (each
  // entry goes after the one before it, without a search, and lies in memory in
  // the order it is walked), and the parts are merged in order at the end.
  // They, and the room a part takes to be sorted, come from blockResource and are
  // kept from one part to the next: a large block is populated in one call, and the
  // next part reuses it.
  std::pmr::string pendingText;
  std::pmr::vector<PendingSection> pendingSections;
  std::pmr::vector<PendingKey> pendingKeys;
  std::pmr::vector<PendingKey> sortedKeys;  // pendingKeys in their sections' order
  std::pmr::vector<size_t> sectionOrder;    // pendingSections by name, then file order
  std::pmr::vector<size_t> rankOf;          // of each held section: its name's number
  std::pmr::vector<size_t> firstOfRank;     // of each number: the section spelling it
  std::pmr::vector<size_t> sectionEnd;      // of each number: where its lines end
  std::vector<SectionMap> parts;
};

// Bytes of held lines to sort and build into a part at once, for a file of
// fileSize bytes: few enough to be sorted in the processor's caches, and for a
// small file few enough that the memory they take stays small next to its
// document; a larger part means fewer parts to merge.
size_t partBytesFor(std::uint64_t fileSize);

// Applies one line: a header changes the current section, a key-value line sets a
// key in it, and anything else (blank, comment, no "=") is skipped without a word.
// Key lines that onlySections leaves out are skipped too. Key lines may be held
// back in state until storePendingKeys; sections must be the map given to it.
void parseLine(SectionMap& sections, ParseState& state, std::string_view line);

// Stores the key lines that state still holds back; a parse calls it after its last line.
void storePendingKeys(SectionMap& sections, ParseState& state);

}  // namespace inikey
