// Names compared by numbers: most names in one file differ within their first 16
// bytes, and two numbers in hand spare a visit to the bytes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "SectionMap.h"

namespace inikey {

// A name's first 16 bytes, folded: namePrefix of bytes 0 to 7 and of bytes 8 to 15.
struct FoldedName {
  std::uint64_t prefix;
  std::uint64_t rest;
};

inline FoldedName foldName(std::string_view name) noexcept {
  return {namePrefix(name), name.size() > 8 ? namePrefix(name.substr(8)) : 0};
}

// Compares a and b, folded as foldedA and foldedB, as compareNames does.
inline int compareFolded(const FoldedName& foldedA, std::string_view a, const FoldedName& foldedB,
                         std::string_view b) noexcept {
  if (foldedA.prefix != foldedB.prefix) return foldedA.prefix < foldedB.prefix ? -1 : 1;
  if (foldedA.rest != foldedB.rest) return foldedA.rest < foldedB.rest ? -1 : 1;
  // A name of up to 16 bytes is whole in its numbers: the shorter name comes first.
  if (std::min(a.size(), b.size()) <= 16) return a.size() < b.size() ? -1 : a.size() > b.size();
  return compareNames(a.substr(16), b.substr(16));
}

}  // namespace inikey
