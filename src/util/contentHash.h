// A 128-bit hash of a byte stream fed in pieces of any size: enough to tell
// whether a file still holds the bytes once read, without keeping a copy of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace inikey {

// What a stream hashed to: two independent 64-bit hashes and the length.
struct ContentDigest {
  std::uint64_t first = 0;
  std::uint64_t second = 0;
  std::uint64_t size = 0;

  bool operator==(const ContentDigest&) const = default;
};

// Hashes bytes as they arrive; the digest does not depend on how they were split.
class ContentHash {
 public:
  ContentHash();
  void add(std::string_view bytes);
  ContentDigest digest() const;

 private:
  struct Lane {
    std::uint64_t seed;
    std::uint64_t accumulators[4];
  };
  void addStripe(const char* stripe);

  Lane lanes_[2];
  char pending_[32];  // the bytes of an unfinished stripe
  std::size_t pendingSize_ = 0;
  std::uint64_t size_ = 0;
};

}  // namespace inikey
