// The document's maps: sections of keys of values, ordered and matched without
// regard to the case of ASCII letters. An entry keeps the spelling it was created with.
// Names and values are strings of their own, held by value; all of them take their
// memory from the allocator of the SectionMap they are put in (an IniFile's arena).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <memory_resource>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The library is built with hidden symbols; what is declared here is its interface.
#pragma GCC visibility push(default)
namespace inikey {

// A byte as names are compared: A-Z folded to a-z, every other byte by its value.
inline unsigned foldedByte(char c) noexcept {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte;
}

// Compares names as strcasecmp does in the C locale: bytes in order, A-Z folded to
// a-z. Negative when a sorts first, 0 for one name, positive when b sorts first.
inline int compareNames(std::string_view a, std::string_view b) noexcept {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    // Names in one file mostly share long prefixes: equal bytes need no folding.
    if (a[i] == b[i]) continue;
    if (const int order = static_cast<int>(foldedByte(a[i])) - static_cast<int>(foldedByte(b[i]))) {
      return order;
    }
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// The first eight bytes of name, folded, as a number: where the numbers of two
// names differ, they order the names as compareNames does; where they are equal,
// only compareNames can tell.
inline std::uint64_t namePrefix(std::string_view name) noexcept {
  unsigned char bytes[8] = {};
  if (!name.empty()) std::memcpy(bytes, name.data(), std::min<size_t>(name.size(), 8));
  std::uint64_t prefix = 0;
  for (const unsigned char byte : bytes) prefix = prefix << 8 | byte;
  // A-Z to a-z in all eight bytes at once: 0x20 is added to each byte whose top bit
  // is clear and whose other seven bits lie from 'A' to 'Z'.
  constexpr std::uint64_t kOnes = 0x0101010101010101;
  const std::uint64_t low = prefix & (kOnes * 0x7f);
  const std::uint64_t upper =
      (low + kOnes * (0x80 - 'A')) & ~(low + kOnes * (0x80 - 'Z' - 1)) & ~prefix & (kOnes * 0x80);
  return prefix | upper >> 2;
}

// The order of the document's maps.
struct CaseInsensitiveLess {
  using is_transparent = void;

  bool operator()(std::string_view a, std::string_view b) const noexcept {
    return compareNames(a, b) < 0;
  }
};

using KeyMap = std::pmr::map<std::pmr::string, std::pmr::string, CaseInsensitiveLess>;
using SectionMap = std::pmr::map<std::pmr::string, KeyMap, CaseInsensitiveLess>;

// Key names wanted of one section, matched as the document matches them; an empty
// set wants every key of it.
using KeyFilter = std::set<std::string, CaseInsensitiveLess>;

// The sections a load keeps, each with the keys it keeps of them.
using SectionFilter = std::map<std::string, KeyFilter, CaseInsensitiveLess>;

// One section's keys and values, copied in key order.
using EntryList = std::deque<std::pair<std::string, std::string>>;

// The keys of the named section, created empty and spelled as given when missing.
KeyMap& sectionFor(SectionMap& sections, std::string_view sectionName);

// Stores value under key; a missing key is created spelled as given, an existing
// one keeps its spelling.
void setKey(KeyMap& keys, std::string_view keyName, std::string_view value);

// Moves every entry of parts into into, as if the lines of each part had been parsed
// after those of the parts before it, on top of into: a name keeps its first
// spelling and its last value. All maps share into's memory resource, so that no
// entry is copied; parts are left empty.
void mergeSections(SectionMap& into, std::vector<SectionMap>& parts);

// The same for one part.
void mergeSections(SectionMap& into, SectionMap&& from);

}  // namespace inikey
#pragma GCC visibility pop
