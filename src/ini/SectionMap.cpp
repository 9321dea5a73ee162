#include "ini/SectionMap.h"

#include <algorithm>
#include <tuple>

namespace inikey {
namespace {

// Moves the entries of sources, sorted maps that share into's memory resource, into
// into, which is empty, in name order, each once. The entries of one name go to
// join together, earliest source first; join leaves in the first what is kept.
template <typename Map, typename Join>
void mergeInOrder(Map& into, const std::vector<Map*>& sources, Join join) {
  struct Front {
    std::uint64_t prefix;  // namePrefix of the source's first name
    size_t source;
  };
  const auto nameOf = [&sources](const Front& front) -> std::string_view {
    return sources[front.source]->begin()->first;
  };
  // The source whose first entry comes next is on top: by name, then by source.
  const auto comesLater = [&nameOf](const Front& a, const Front& b) {
    if (a.prefix != b.prefix) return a.prefix > b.prefix;
    const int order = compareNames(nameOf(a), nameOf(b));
    return order != 0 ? order > 0 : a.source > b.source;
  };
  std::vector<Front> heap;
  for (size_t source = 0; source < sources.size(); ++source) {
    if (!sources[source]->empty()) {
      heap.push_back({namePrefix(sources[source]->begin()->first), source});
    }
  }
  std::make_heap(heap.begin(), heap.end(), comesLater);
  std::vector<typename Map::node_type> sameName;
  while (!heap.empty()) {
    sameName.clear();
    const std::uint64_t prefix = heap.front().prefix;
    do {
      std::pop_heap(heap.begin(), heap.end(), comesLater);
      Map& source = *sources[heap.back().source];
      sameName.push_back(source.extract(source.begin()));
      if (source.empty()) {
        heap.pop_back();
      } else {
        heap.back().prefix = namePrefix(source.begin()->first);
        std::push_heap(heap.begin(), heap.end(), comesLater);
      }
    } while (!heap.empty() && heap.front().prefix == prefix &&
             compareNames(nameOf(heap.front()), sameName.front().key()) == 0);
    if (sameName.size() > 1) join(sameName);
    into.insert(into.end(), std::move(sameName.front()));
  }
}

}  // namespace

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

void mergeSections(SectionMap& into, std::vector<SectionMap>& parts) {
  std::erase_if(parts, [](const SectionMap& part) { return part.empty(); });
  if (parts.empty()) return;
  if (into.empty() && parts.size() == 1) {
    into = std::move(parts.front());
    return;
  }
  std::vector<SectionMap*> sources{&into};
  for (SectionMap& part : parts) sources.push_back(&part);
  SectionMap merged(into.get_allocator());
  mergeInOrder(merged, sources, [](std::vector<SectionMap::node_type>& sections) {
    std::vector<KeyMap*> keyMaps;
    for (SectionMap::node_type& section : sections) keyMaps.push_back(&section.mapped());
    KeyMap keys(keyMaps.front()->get_allocator());
    mergeInOrder(keys, keyMaps, [](std::vector<KeyMap::node_type>& lines) {
      lines.front().mapped() = std::move(lines.back().mapped());
    });
    sections.front().mapped() = std::move(keys);
  });
  into = std::move(merged);
}

void mergeSections(SectionMap& into, SectionMap&& from) {
  std::vector<SectionMap> parts;
  parts.push_back(std::move(from));
  mergeSections(into, parts);
}

}  // namespace inikey
