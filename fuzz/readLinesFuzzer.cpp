// The block reader must split every file into the lines that 511-byte fgets reads
// give, whatever the block size: the first two input bytes choose it, the rest is
// the file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fgetsLines.h"
#include "ini/readLines.h"
#include "memoryFile.h"

namespace {

using inikey::fuzzing::MemoryFile;

// Small blocks put a boundary in every other read; sizes up to three reads and a
// bit cover the buffer growing and the whole-read hand-over of long lines.
constexpr size_t kLargestBlock = 3 * inikey::kLineReadSize + 64;

void reportMismatch(const std::vector<std::string>& lines, const std::vector<std::string>& expected,
                    size_t blockSize) {
  std::fprintf(stderr, "block size %zu: %zu lines, fgets gives %zu\n", blockSize, lines.size(),
               expected.size());
  for (size_t i = 0; i < lines.size() && i < expected.size(); ++i) {
    if (lines[i] != expected[i]) {
      std::fprintf(stderr, "first difference in line %zu: %zu bytes, fgets gives %zu\n", i,
                   lines[i].size(), expected[i].size());
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t blockSize = 1 + (data[0] | static_cast<size_t>(data[1]) << 8) % kLargestBlock;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);

  static const MemoryFile file = inikey::fuzzing::makeMemoryFile();
  inikey::fuzzing::setContent(file, bytes);

  std::vector<std::string> lines;
  const bool complete = inikey::readLines(
      file.fd, [&](std::string_view line) { lines.emplace_back(line); }, blockSize);
  const std::vector<std::string> expected = inikey::fuzzing::fgetsLines(file.path);
  if (!complete || lines != expected) {
    reportMismatch(lines, expected, blockSize);
    std::abort();
  }
  return 0;
}
