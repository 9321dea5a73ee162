// The INI syntax: what each line of a file adds to a document.
#pragma once

#include <set>
#include <string>
#include <string_view>

#include "ini/SectionMap.h"

namespace inikey {

// Section names, matched as the document matches them.
using SectionFilter = std::set<std::string, CaseInsensitiveLess>;

// What carries from one line to the next while a file is parsed.
struct ParseState {
  explicit ParseState(const SectionFilter* onlySections = nullptr);

  std::string sectionName;  // set by the last header; empty before the first
  KeyMap* keys = nullptr;   // that section's keys, once a key line has created it
  const SectionFilter* onlySections;  // null: every section is kept
  bool skipping = false;    // the current section is not among onlySections
};

// Applies one line: a header changes the current section, a key-value line sets a
// key in it, and anything else (blank, comment, no "=") is skipped without a word.
// Key lines of sections that onlySections leaves out are skipped too.
void parseLine(SectionMap& sections, ParseState& state, std::string_view line);

}  // namespace inikey
