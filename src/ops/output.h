// What the operations say: value lines on standard output, not-found reports on
// standard error.
#pragma once

#include <string>
#include <string_view>

namespace inikey {

// Writes namePrefix, keyName, "='", value and "'\n" to standard output, byte for byte;
// a failure is kept for finishOutput().
void printValueLine(std::string_view namePrefix, std::string_view keyName, std::string_view value);

// Flushes standard output. Returns 0, or the errno of the first write to it that
// failed, since the start of the run.
int finishOutput();

// Under -v, reports that the key is missing from the section (or the section is).
void reportMissingKey(const std::string& sectionName, const std::string& keyName);

// Under -v, reports that no section has this name.
void reportMissingSection(const std::string& sectionName);

}  // namespace inikey
