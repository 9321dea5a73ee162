// What a file's bytes hashed to, so that two states of a file can be compared.
#pragma once

#include <cstdint>

// The library is built with hidden symbols; what is declared here is its interface.
#pragma GCC visibility push(default)
namespace inikey {

// A stream's XXH64 under two seeds, and its length.
struct ContentDigest {
  std::uint64_t first = 0;
  std::uint64_t second = 0;
  std::uint64_t size = 0;

  bool operator==(const ContentDigest&) const = default;
};

}  // namespace inikey
#pragma GCC visibility pop
