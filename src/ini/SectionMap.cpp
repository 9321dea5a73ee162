#include "ini/SectionMap.h"

#include <algorithm>
#include <tuple>

#include "ini/foldedName.h"

namespace inikey {
namespace {

// The source whose first entry goes next, with that entry's name, so that ordering
// the sources reads no node.
struct Front {
  FoldedName folded;  // of name
  std::string_view name;
  size_t source;
};

// An entry taken out of its map; wrapped, so that a vector with an allocator of
// its own holds it as it is.
template <typename Map>
struct Taken {
  typename Map::node_type node;
};

// Room for a merge of up to sources maps, taken before its first node moves: from
// then on nothing allocates, so that nothing can fail half way.
struct MergeRoom {
  MergeRoom(size_t sources, std::pmr::memory_resource* resource)
      : heap(resource),
        sameName(resource),
        keyMaps(resource),
        keyHeap(resource),
        sameKey(resource) {
    heap.reserve(sources);
    sameName.reserve(sources);
    keyMaps.reserve(sources);
    keyHeap.reserve(sources);
    sameKey.reserve(sources);
  }

  std::pmr::vector<Front> heap;
  std::pmr::vector<Taken<SectionMap>> sameName;
  std::pmr::vector<KeyMap*> keyMaps;
  std::pmr::vector<Front> keyHeap;
  std::pmr::vector<Taken<KeyMap>> sameKey;
};

// Moves the entries of sources, sorted maps that share into's memory resource, into
// into, which is empty, in name order, each once. The entries of one name go to
// join together, earliest source first; join leaves in the first what is kept.
// heap and sameName hold room for every source; nothing here allocates.
template <typename Map, typename Join>
void mergeInOrder(Map& into, const std::pmr::vector<Map*>& sources, std::pmr::vector<Front>& heap,
                  std::pmr::vector<Taken<Map>>& sameName, Join join) noexcept {
  // The source whose first entry comes next is on top: by name, then by source.
  const auto comesLater = [](const Front& a, const Front& b) {
    const int order = compareFolded(a.folded, a.name, b.folded, b.name);
    return order != 0 ? order > 0 : a.source > b.source;
  };
  const auto frontOf = [&sources](size_t source) {
    const std::string_view name = sources[source]->begin()->first;
    return Front{foldName(name), name, source};
  };
  heap.clear();
  for (size_t source = 0; source < sources.size(); ++source) {
    if (!sources[source]->empty()) heap.push_back(frontOf(source));
  }
  std::make_heap(heap.begin(), heap.end(), comesLater);
  while (!heap.empty()) {
    sameName.clear();
    const Front first = heap.front();
    do {
      std::pop_heap(heap.begin(), heap.end(), comesLater);
      Map& source = *sources[heap.back().source];
      sameName.push_back({source.extract(source.begin())});
      if (source.empty()) {
        heap.pop_back();
      } else {
        heap.back() = frontOf(heap.back().source);
        std::push_heap(heap.begin(), heap.end(), comesLater);
      }
    } while (!heap.empty() &&
             compareFolded(heap.front().folded, heap.front().name, first.folded, first.name) == 0);
    if (sameName.size() > 1) join(sameName);
    into.insert(into.end(), std::move(sameName.front().node));
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
  std::pmr::memory_resource* const resource = into.get_allocator().resource();
  std::pmr::vector<SectionMap*> sources(resource);
  sources.reserve(parts.size() + 1);
  sources.push_back(&into);
  for (SectionMap& part : parts) sources.push_back(&part);
  // Everything that may fail comes before the first node leaves into: a failure
  // leaves into as it was.
  MergeRoom room(sources.size(), resource);
  SectionMap merged(into.get_allocator());
  mergeInOrder(merged, sources, room.heap, room.sameName,
               [&room](std::pmr::vector<Taken<SectionMap>>& sections) noexcept {
                 room.keyMaps.clear();
                 for (Taken<SectionMap>& section : sections) {
                   room.keyMaps.push_back(&section.node.mapped());
                 }
                 KeyMap keys(room.keyMaps.front()->get_allocator());
                 mergeInOrder(keys, room.keyMaps, room.keyHeap, room.sameKey,
                              [](std::pmr::vector<Taken<KeyMap>>& lines) noexcept {
                                lines.front().node.mapped() = std::move(lines.back().node.mapped());
                              });
                 sections.front().node.mapped() = std::move(keys);
               });
  into = std::move(merged);
}

void mergeSections(SectionMap& into, SectionMap&& from) {
  std::vector<SectionMap> parts;
  parts.push_back(std::move(from));
  mergeSections(into, parts);
}

}  // namespace inikey
