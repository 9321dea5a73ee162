// The line reader against the plain rule it stands for: reads of at most 511
// bytes into a zeroed buffer, each ending after a line feed, taken as C strings.
#include "ini/readLines.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace inikey {
namespace {

std::vector<std::string> plainReadLoop(const std::string& bytes) {
  std::vector<std::string> lines;
  std::string pending;
  size_t at = 0;
  while (at < bytes.size()) {
    char buffer[512] = {};
    size_t count = 0;
    while (count < 511 && at < bytes.size()) {
      buffer[count++] = bytes[at++];
      if (buffer[count - 1] == '\n') break;
    }
    const size_t length = std::strlen(buffer);
    if (length == 0) continue;
    if (buffer[length - 1] != '\n') {
      pending.append(buffer, length);
    } else {
      pending.append(buffer, length - 1);
      lines.push_back(pending);
      pending.clear();
    }
  }
  lines.push_back(pending);
  return lines;
}

std::vector<std::string> readerLines(const std::string& bytes, size_t blockSize) {
  const int fd = ::memfd_create("readLines_test", 0);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  ::lseek(fd, 0, SEEK_SET);
  std::vector<std::string> lines;
  EXPECT_TRUE(readLines(fd, [&](std::string_view line) { lines.emplace_back(line); }, blockSize));
  ::close(fd);
  return lines;
}

std::string repeat(char c, size_t count) { return std::string(count, c); }

TEST(ReadLines, MatchesThePlainReadLoop) {
  using namespace std::string_literals;
  const std::string z(1, '\0');
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty file", ""},
      {"one line feed", "\n"},
      {"last line without a line feed", "a\nb"},
      {"carriage returns stay", "a\r\nb\r"},
      {"bare carriage returns make one line", "a\rb\rc"},
      {"long line", repeat('x', 2000) + "\nshort\n"},
      {"510, 511 and 512 bytes before the line feed",
       repeat('a', 510) + "\n" + repeat('b', 511) + "\n" + repeat('c', 512) + "\n"},
      {"zero byte drops the rest of its read and its line feed", "ab" + z + "cd\nef\ngh"},
      {"read that starts with a zero byte is dropped whole", "ab\n" + z + "xyz\nnext\n"},
      {"zero byte after 511 bytes falls in the second read",
       repeat('a', 511) + z + "tail\nnext"},
      {"zero byte as the 511th byte", repeat('a', 510) + z + "b\nc"},
      {"zero byte just before the line feed", "abc" + z + "\nnext"},
      {"zero byte in the last line", "a\nb" + z + "c"},
      {"zero bytes only", z + z + z},
      {"zero byte in a long line's third read",
       repeat('a', 1100) + z + repeat('b', 30) + "\n" + repeat('c', 1022) + "\n"},
      {"line feed as byte 512", repeat('a', 511) + "\n" + "b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::string> expected = plainReadLoop(c.bytes);
    for (const size_t blockSize : {1, 2, 7, 511, 512, 4096, 256 * 1024}) {
      SCOPED_TRACE(blockSize);
      EXPECT_EQ(readerLines(c.bytes, blockSize), expected);
    }
  }
}

TEST(ReadLines, ReportsAReadError) {
  const int fd = ::open("/", O_RDONLY | O_DIRECTORY);  // read() fails with EISDIR
  ASSERT_GE(fd, 0);
  EXPECT_FALSE(readLines(fd, [](std::string_view) {}));
  ::close(fd);
}

}  // namespace
}  // namespace inikey
