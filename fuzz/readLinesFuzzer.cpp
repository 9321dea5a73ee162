// The line reader must split every file into the lines that a plain fgets loop gives,
// whatever its block size: the first two input bytes choose it, the rest is the file.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ini/readLines.h"
#include "memoryFile.h"

namespace {

// Lines as C stdio makes them: fgets reads of at most 511 bytes into a zeroed buffer, each
// taken as a C string; a read that does not end with a line feed continues the line.
std::vector<std::string> fgetsLines(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) std::abort();
  std::vector<std::string> lines(1);
  char buffer[512];
  while (std::memset(buffer, 0, sizeof buffer), std::fgets(buffer, sizeof buffer, file)) {
    lines.back().append(buffer);
    if (!lines.back().empty() && lines.back().back() == '\n') {
      lines.back().pop_back();
      lines.emplace_back();
    }
  }
  if (std::ferror(file) != 0) std::abort();
  std::fclose(file);
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // Up to three reads and a bit: blocks that split reads, and long lines handed over whole.
  const size_t blockSize = 1 + (data[0] | size_t{data[1]} << 8) % (3 * inikey::kLineReadSize + 64);
  const std::string& path =
      inikey::fuzzing::memoryFileWith({reinterpret_cast<const char*>(data) + 2, size - 2});
  std::vector<std::string> lines;
  const int fd = ::open(path.c_str(), O_RDONLY);
  const bool complete = inikey::readLines(
      fd, [&](std::string_view line) { lines.emplace_back(line); }, blockSize);
  ::close(fd);
  if (!complete || lines != fgetsLines(path)) std::abort();
  return 0;
}
