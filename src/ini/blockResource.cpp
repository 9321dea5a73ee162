#include "ini/blockResource.h"

#include <sys/mman.h>

#include <cstddef>
#include <new>

namespace inikey {
namespace {

constexpr std::size_t kPage = 4096;
constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Blocks from this size on are mapped whole at once, rather than a page fault at a
// time: a block that the arena asks for is filled before the next one is asked for.
constexpr std::size_t kMappedAtOnce = std::size_t{64} << 10;

class BlockResource final : public std::pmr::memory_resource {
  void* do_allocate(std::size_t bytes, std::size_t alignment) override {
    if (bytes < kMappedAtOnce) {
      // The plain operator new where it aligns enough: the aligned one costs more.
      if (alignment <= __STDCPP_DEFAULT_NEW_ALIGNMENT__) return ::operator new(bytes);
      return ::operator new(bytes, std::align_val_t(alignment));
    }
    void* block = ::operator new(bytes, blockAlignment(bytes));
    // Advice only: where the system ignores it, pages fault in one by one.
    if (bytes >= kHugePage) {
      ::madvise(block, bytes, MADV_HUGEPAGE);
    } else {
      ::madvise(block, bytes, MADV_POPULATE_WRITE);
    }
    return block;
  }

  void do_deallocate(void* block, std::size_t bytes, std::size_t alignment) override {
    if (bytes >= kMappedAtOnce) {
      ::operator delete(block, blockAlignment(bytes));
    } else if (alignment <= __STDCPP_DEFAULT_NEW_ALIGNMENT__) {
      ::operator delete(block);
    } else {
      ::operator delete(block, std::align_val_t(alignment));
    }
  }

  bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
    return this == &other;
  }

  static std::align_val_t blockAlignment(std::size_t bytes) {
    return std::align_val_t(bytes >= kHugePage ? kHugePage : kPage);
  }
};

}  // namespace

std::pmr::memory_resource* blockResource() {
  static BlockResource resource;
  return &resource;
}

}  // namespace inikey
