// The tool's operator new. A run builds one document and ends without taking it
// apart (see the driver), so small objects are carved one after the other out of
// large blocks and no memory is given back before exit. Against malloc this drops
// the bookkeeping of each of a large file's million nodes and strings, and most
// page faults: a block's pages are mapped a stretch at a time instead of one by
// one. Linked into the tool only: the library, the tests and sanitizer builds keep
// the standard allocator.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t kAlignment = __STDCPP_DEFAULT_NEW_ALIGNMENT__;
// Buffers this large get pages of their own, which fault in only where written.
constexpr std::size_t kLargeObject = std::size_t{64} << 10;
constexpr std::size_t kFirstBlock = std::size_t{1} << 20;
constexpr std::size_t kLongestStretch = std::size_t{4} << 20;

char* next = nullptr;       // the first free byte of the current block
char* blockEnd = nullptr;   // the end of the current block
char* mappedEnd = nullptr;  // the block's pages below this are in memory
std::size_t blockSize = 0;
std::size_t stretch = kLargeObject;  // doubles, so that a small run maps little

[[noreturn]] void outOfMemory() {
  constexpr char kMessage[] = "out of memory\n";
  [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
  std::abort();
}

char* mapped(std::size_t size) {
  void* pages = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (pages == MAP_FAILED) outOfMemory();
  return static_cast<char*>(pages);
}

void startBlock() {
  blockSize = blockSize == 0 ? kFirstBlock : blockSize * 2;
  next = mappedEnd = mapped(blockSize);
  blockEnd = next + blockSize;
}

// Maps the block's pages up to end, a stretch per system call.
void mapUpTo(const char* end) {
  while (mappedEnd < end) {
    const auto length = std::min(stretch, static_cast<std::size_t>(blockEnd - mappedEnd));
    // Only a speed-up: where the call fails, the pages fault in one by one.
    ::madvise(mappedEnd, length, MADV_POPULATE_WRITE);
    mappedEnd += length;
    stretch = std::min(stretch * 2, kLongestStretch);
  }
}

}  // namespace

void* operator new(std::size_t size) {
  if (size >= kLargeObject) return mapped(size);
  size = size == 0 ? kAlignment : (size + kAlignment - 1) / kAlignment * kAlignment;
  if (size > static_cast<std::size_t>(blockEnd - next)) startBlock();
  void* object = next;
  next += size;
  mapUpTo(next);
  return object;
}

// Nothing is given back: the memory goes with the process.
void operator delete(void*) noexcept {}
void operator delete(void*, std::size_t) noexcept {}
