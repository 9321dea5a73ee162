// The line rule in its plainest form, for checking the fast reader against.
#pragma once

#include <string>
#include <vector>

namespace inikey::fuzzing {

// The lines of the file at path as C stdio defines them: fgets reads of at most 511
// bytes into a zeroed 512-byte buffer, each taken as a C string; a read that does
// not end with a line feed continues the line, and the text after the last line
// feed is the last line. Aborts when the file cannot be read.
std::vector<std::string> fgetsLines(const std::string& path);

}  // namespace inikey::fuzzing
