// The document's maps: sections of keys of values, ordered and matched without
// regard to the case of ASCII letters. An entry keeps the spelling it was created with.
// Names and values are strings of their own, held by value; all of them take their
// memory from the allocator of the SectionMap they are put in (an IniFile's arena).
#pragma once

#include <algorithm>
#include <deque>
#include <map>
#include <memory_resource>
#include <string>
#include <string_view>
#include <utility>

namespace inikey {

// Orders names as strcasecmp does in the C locale: bytes in order, A-Z folded to a-z.
struct CaseInsensitiveLess {
  using is_transparent = void;

  bool operator()(std::string_view a, std::string_view b) const noexcept {
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
      // Names in one file mostly share long prefixes: equal bytes need no folding.
      if (a[i] == b[i]) continue;
      const unsigned char x = fold(a[i]);
      const unsigned char y = fold(b[i]);
      if (x != y) return x < y;
    }
    return a.size() < b.size();
  }

 private:
  static unsigned char fold(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
  }
};

using KeyMap = std::pmr::map<std::pmr::string, std::pmr::string, CaseInsensitiveLess>;
using SectionMap = std::pmr::map<std::pmr::string, KeyMap, CaseInsensitiveLess>;

// One section's keys and values, copied in key order.
using EntryList = std::deque<std::pair<std::string, std::string>>;

// The keys of the named section, created empty and spelled as given when missing.
KeyMap& sectionFor(SectionMap& sections, std::string_view sectionName);

// Stores value under key; a missing key is created spelled as given, an existing
// one keeps its spelling.
void setKey(KeyMap& keys, std::string_view keyName, std::string_view value);

// Sets every key of from in into, as if from's lines had been parsed on top of into.
// When into is empty and both share one memory resource, from's entries are taken
// over whole (no copy); otherwise they are copied one by one.
void mergeSections(SectionMap& into, SectionMap&& from);

}  // namespace inikey
