// A file in memory for the fuzz targets: the tool's code opens files by path, and
// /proc/self/fd/N opens the memory file again without touching a disk.
#pragma once

#include <sys/mman.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace inikey::fuzzing {

// The path of the one memory file, which now holds bytes and nothing more. Aborts on failure.
inline const std::string& memoryFileWith(std::string_view bytes) {
  static const std::string path = "/proc/self/fd/" + std::to_string(::memfd_create("fuzz", 0));
  if (!(std::ofstream(path, std::ios::binary) << bytes).flush()) std::abort();
  return path;
}

inline std::string contentOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace inikey::fuzzing
