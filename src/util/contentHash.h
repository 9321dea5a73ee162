// The XXH64 hash of a byte stream fed in pieces of any size, under two seeds: enough
// to tell whether a file still holds the bytes once read, without keeping a copy of
// them. Written here, since the tool links nothing beyond the C and C++ libraries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "contentDigest.h"

namespace inikey {

// Hashes bytes as they arrive; the digest does not depend on how they were split.
class ContentHash {
 public:
  // The seeds make the two hashes differ; the second default is the first 64 bits of
  // the fractional part of the square root of 2, a number nobody chose for its bits.
  explicit ContentHash(std::uint64_t firstSeed = 0,
                       std::uint64_t secondSeed = 0x6A09E667F3BCC908ULL);
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
