// Generated INI documents for the micro-benchmarks: the same every run.
#pragma once

#include <cstddef>
#include <string>

namespace inikey::bench {

// The text of a file of `sections` sections of `keys` keys each, values of 30 to
// 60 bytes, sections and keys in shuffled order. Section i is named "section<i>",
// its key j "key<j>", both zero-padded to a common width.
std::string documentText(size_t sections, size_t keys);

// The name of the section that stands last in documentText and of its last key,
// as "section/key".
std::string lastKeyPath(size_t sections, size_t keys);

// Writes text to a fresh file under the temporary folder and returns its path;
// the file is removed when the process ends. Aborts when it cannot be written.
std::string temporaryFile(const std::string& text);

}  // namespace inikey::bench
