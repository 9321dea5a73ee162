#include "ini/readLines.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

namespace inikey {
namespace {

// Hands over the line that segment completes, or keeps its text in pending when
// the line goes on. A segment runs from a line start to a line feed, which it
// includes, or to the end of the file. mayHoldZero false says that it holds no
// zero byte, known from one search of the whole block.
void takeSegment(std::string_view segment, std::string& pending, const LineHandler& onLine,
                 bool mayHoldZero = true) {
  if (!mayHoldZero || std::memchr(segment.data(), '\0', segment.size()) == nullptr) {
    // Without a zero byte the read boundaries cannot show: the line is the segment.
    if (segment.empty() || segment.back() != '\n') {
      pending.append(segment);
    } else if (pending.empty()) {
      onLine(segment.substr(0, segment.size() - 1));
    } else {
      pending.append(segment.substr(0, segment.size() - 1));
      onLine(pending);
      pending.clear();
    }
    return;
  }
  // A zero byte ends the text of its read, so replay the reads one by one.
  for (size_t at = 0; at < segment.size(); at += kLineReadSize) {
    const std::string_view read = segment.substr(at, kLineReadSize);
    const size_t kept = ::strnlen(read.data(), read.size());
    if (kept == read.size() && read.back() == '\n') {
      pending.append(read.substr(0, kept - 1));
      onLine(pending);
      pending.clear();
    } else {
      pending.append(read.substr(0, kept));
    }
  }
}

}  // namespace

bool readLines(int fd, const LineHandler& onLine, size_t blockSize, ContentHash* hash) {
  size_t capacity = blockSize < 2 ? 2 : blockSize;
  // Not zero-filled: only bytes that read() stored are ever looked at.
  auto buffer = std::make_unique_for_overwrite<char[]>(capacity);
  size_t filled = 0;  // bytes of an unfinished segment at the start of the buffer
  std::string pending;

  for (;;) {
    if (filled == capacity && capacity >= 2 * kLineReadSize) {
      // A line longer than the buffer: its whole reads so far go to pending, so
      // memory grows only with the text kept (nothing, for endless zero bytes).
      const size_t whole = filled - filled % kLineReadSize;
      takeSegment(std::string_view(buffer.get(), whole), pending, onLine);
      filled -= whole;
      std::memmove(buffer.get(), buffer.get() + whole, filled);
    } else if (filled == capacity) {  // a buffer too small to hold two reads
      auto larger = std::make_unique_for_overwrite<char[]>(capacity * 2);
      std::memcpy(larger.get(), buffer.get(), filled);
      buffer = std::move(larger);
      capacity *= 2;
    }
    const ssize_t count = ::read(fd, buffer.get() + filled, capacity - filled);
    if (count < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (count == 0) break;
    if (hash != nullptr)
      hash->add(std::string_view(buffer.get() + filled, static_cast<size_t>(count)));

    const char* data = buffer.get();
    const size_t end = filled + static_cast<size_t>(count);
    size_t start = 0;
    size_t scan = filled;  // the unfinished segment holds no line feed
    // Text holds no zero byte as a rule: one search here spares one for each line.
    const bool zeroes = std::memchr(data, '\0', end) != nullptr;
    while (const void* found = std::memchr(data + scan, '\n', end - scan)) {
      const size_t stop = static_cast<size_t>(static_cast<const char*>(found) - data) + 1;
      takeSegment(std::string_view(data + start, stop - start), pending, onLine, zeroes);
      start = scan = stop;
    }
    filled = end - start;
    std::memmove(buffer.get(), data + start, filled);
  }

  takeSegment(std::string_view(buffer.get(), filled), pending, onLine);
  onLine(pending);
  return true;
}

void splitLines(std::string_view text, const LineHandler& onLine) {
  std::string pending;
  for (size_t start = 0; start < text.size();) {
    const size_t stop = std::min(text.find('\n', start), text.size() - 1) + 1;
    takeSegment(text.substr(start, stop - start), pending, onLine);
    start = stop;
  }
  onLine(pending);
}

}  // namespace inikey
