#include "ini/SectionMap.h"

#include <tuple>

namespace inikey {

KeyMap& sectionFor(SectionMap& sections, std::string_view sectionName) {
  auto it = sections.lower_bound(sectionName);
  if (it == sections.end() || sections.key_comp()(sectionName, it->first)) {
    it = sections.emplace_hint(it, std::piecewise_construct, std::forward_as_tuple(sectionName),
                               std::forward_as_tuple());
  }
  return it->second;
}

void setKey(KeyMap& keys, std::string_view keyName, std::string_view value) {
  // Files this tool saved list keys in order, so a new key usually goes last:
  // one comparison instead of a search.
  if (keys.empty() || keys.key_comp()(keys.rbegin()->first, keyName)) {
    keys.emplace_hint(keys.end(), keyName, value);
    return;
  }
  // One search that inserts where it ends (a found position handed back as a hint
  // is searched again); a key that exists costs a node made in vain, and is rare.
  const auto [it, created] = keys.emplace(keyName, value);
  if (!created) it->second.assign(value);
}

void mergeSections(SectionMap& into, SectionMap&& from) {
  if (into.empty()) {
    into = std::move(from);
    return;
  }
  for (auto& [sectionName, keys] : from) {
    KeyMap& target = sectionFor(into, sectionName);
    for (auto& [keyName, value] : keys) setKey(target, keyName, value);
  }
}

}  // namespace inikey
