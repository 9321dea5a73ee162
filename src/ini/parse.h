// The INI syntax: what each line of a file adds to a document.
#pragma once

#include <string>
#include <string_view>

#include "ini/SectionMap.h"

namespace inikey {

// What carries from one line to the next while a file is parsed.
struct ParseState {
  std::string sectionName;  // set by the last header; empty before the first
  KeyMap* keys = nullptr;   // that section's keys, once a key line has created it
};

// Applies one line: a header changes the current section, a key-value line sets a
// key in it, and anything else (blank, comment, no "=") is skipped without a word.
void parseLine(SectionMap& sections, ParseState& state, std::string_view line);

}  // namespace inikey
