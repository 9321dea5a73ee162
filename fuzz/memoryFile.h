// Files in memory for the fuzz targets: the tool's code opens files by path, and a
// memory file gives it one without touching a disk.
#pragma once

#include <string>
#include <string_view>

namespace inikey::fuzzing {

// A file that lives in memory, open as fd, and a path that opens it again.
struct MemoryFile {
  int fd = -1;
  std::string path;  // "/proc/self/fd/N"
};

// Creates an empty memory file. Aborts when the system refuses one.
MemoryFile makeMemoryFile();

// Replaces the file's content with bytes and puts fd's offset back to 0. Aborts on failure.
void setContent(const MemoryFile& file, std::string_view bytes);

// The file's whole content. Aborts on failure.
std::string content(const MemoryFile& file);

}  // namespace inikey::fuzzing
