// Splitting a file into lines the way the INI format defines it.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

#include "contentHash.h"

namespace inikey {

// Lines are defined by reads of at most this many bytes into a zeroed buffer,
// each ending early after a line feed.
inline constexpr size_t kLineReadSize = 511;

// How much readLines asks the system for at a time, unless told otherwise.
inline constexpr size_t kReadBlockSize = size_t{256} << 10;

using LineHandler = std::function<void(std::string_view line)>;

// Reads fd to its end and calls onLine with each line, without its line feed, in
// order. The last call is for the text after the last line feed (empty when the
// file ends with one). A zero byte ends the text of the read it falls in: the rest
// of that read, the line feed ending it included, is dropped. The view is valid
// only during the call. Returns false on a read error; lines handed over before
// it stay handed over. Every byte read is also added to hash, when given.
// blockSize only tunes the system calls.
bool readLines(int fd, const LineHandler& onLine, size_t blockSize = kReadBlockSize,
               ContentHash* hash = nullptr);

// Calls onLine with each line of text as readLines would for a file holding it.
void splitLines(std::string_view text, const LineHandler& onLine);

}  // namespace inikey
