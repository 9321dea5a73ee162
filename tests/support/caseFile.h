// Black-box cases kept as text, each one read like an example in the manual:
//
//   --- file            the INI file of every case below that has none of its own
//   [net]
//   ip=1
//   === a key of a section          a case, named
//   $ inikey -f settings.ini net/ip the run, split into words as a shell would
//   --- out                         what standard output must hold (default: nothing)
//   ip='1'
//   --- err                         standard error (default: nothing)
//   --- status 1                    the exit status (default: 0)
//   --- after                       the file afterwards (default: unchanged)
//
// A block holds every line up to the next "---", "===" or "$" line, each with its line
// feed. In blocks and words, \t \r \v \b \0 \\ and \xHH stand for their bytes, and a
// backslash that ends a line drops its line feed. The line {usage} stands for the
// usage text (in usage.txt beside the cases), {binary} for the tool's path. In words,
// '...' quotes literally.
#pragma once

#include <string>

namespace inikey::testing {

// Runs every case of tests/cases/<name> in a fresh folder, the file as "settings.ini".
void runCaseFile(const std::string& name);

}  // namespace inikey::testing
