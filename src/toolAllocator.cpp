// The tool's operator new. A run builds one document and ends without taking it
// apart (see the driver), so small objects are carved one after the other out of
// large blocks and no memory is given back before exit. Against malloc this drops
// the bookkeeping of each of a large file's million nodes and strings, and most
// page faults: a block's pages are mapped a stretch at a time instead of one by
// one. Objects of one size are carved from runs of their own, so that the nodes
// of a map lie close together whatever lies between their creations. Linked into
// the tool only: the library, the tests and sanitizer builds keep the standard
// allocator.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t kAlignment = __STDCPP_DEFAULT_NEW_ALIGNMENT__;
// Buffers this large get pages of their own, which fault in only where written
// and go back to the system when deleted; the length of the mapping stands in
// front of the buffer.
constexpr std::size_t kLargeObject = std::size_t{64} << 10;
constexpr std::size_t kLengthField = kAlignment;
constexpr std::size_t kFirstBlock = std::size_t{1} << 20;
constexpr std::size_t kLongestStretch = std::size_t{4} << 20;
// Objects up to this size come from a run of objects of their size.
constexpr std::size_t kLargestSized = 256;
// Runs grow from the first size to the longest, so that a small file maps little.
constexpr std::size_t kFirstRun = std::size_t{1} << 10;
constexpr std::size_t kLongestRun = std::size_t{16} << 10;

struct Run {
  char* next = nullptr;
  char* end = nullptr;
  std::size_t bytes = kFirstRun / 2;
};
Run runs[kLargestSized / kAlignment + 1];  // by size in units of kAlignment

char* blockStarts[64];  // of every block so far: each is twice the one before
int blockCount = 0;
char* next = nullptr;       // the first free byte of the current block
char* blockEnd = nullptr;   // the end of the current block
char* mappedEnd = nullptr;  // the block's pages below this are in memory
std::size_t blockSize = 0;
std::size_t carvedBytes = 0;  // handed out of blocks so far

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
  blockStarts[blockCount++] = next;
}

bool inBlock(const char* object) {
  std::size_t size = kFirstBlock;
  for (int i = 0; i < blockCount; ++i, size *= 2) {
    if (object >= blockStarts[i] && object < blockStarts[i] + size) return true;
  }
  return false;
}

// Maps the block's pages up to end, a stretch per system call. A stretch is an
// eighth of what was used so far, so that at most that much is mapped in vain.
void mapUpTo(const char* end) {
  while (mappedEnd < end) {
    const std::size_t stretch =
        std::clamp(carvedBytes / 8 / kLargeObject * kLargeObject, kLargeObject, kLongestStretch);
    const auto length = std::min(stretch, static_cast<std::size_t>(blockEnd - mappedEnd));
    // Only a speed-up: where the call fails, the pages fault in one by one.
    ::madvise(mappedEnd, length, MADV_POPULATE_WRITE);
    mappedEnd += length;
  }
}

// Carves size bytes, a multiple of kAlignment, out of the current block.
char* carved(std::size_t size) {
  if (size > static_cast<std::size_t>(blockEnd - next)) startBlock();
  char* object = next;
  next += size;
  carvedBytes += size;
  mapUpTo(next);
  return object;
}

}  // namespace

void* operator new(std::size_t size) {
  if (size >= kLargeObject) {
    char* pages = mapped(kLengthField + size);
    *reinterpret_cast<std::size_t*>(pages) = kLengthField + size;
    return pages + kLengthField;
  }
  const std::size_t units = size == 0 ? 1 : (size + kAlignment - 1) / kAlignment;
  size = units * kAlignment;
  if (size > kLargestSized) return carved(size);
  Run& run = runs[units];
  if (run.next == run.end) {
    run.bytes = std::min(run.bytes * 2, kLongestRun);
    const std::size_t bytes = run.bytes / size * size;
    run.next = carved(bytes);
    run.end = run.next + bytes;
  }
  void* object = run.next;
  run.next += size;
  return object;
}

// Small objects stay until the process ends; large ones are unmapped at once, so
// that a string grown by doubling holds only its last buffer.
void operator delete(void* object) noexcept {
  if (object == nullptr || inBlock(static_cast<char*>(object))) return;
  char* pages = static_cast<char*>(object) - kLengthField;
  ::munmap(pages, *reinterpret_cast<std::size_t*>(pages));
}

void operator delete(void* object, std::size_t) noexcept { operator delete(object); }
