#include "ini/parse.h"

#include <algorithm>
#include <numeric>
#include <tuple>

#include "util/trim.h"

namespace inikey {
namespace {

HeldName holdName(std::string_view name, size_t start) {
  return {foldName(name), start, name.size()};
}

// Compares two names held back as compareNames does.
inline int compareHeld(std::string_view text, const HeldName& a, const HeldName& b) {
  return compareFolded(a.folded, {text.data() + a.start, a.length}, b.folded,
                       {text.data() + b.start, b.length});
}

void selectSection(ParseState& state) {
  state.sectionPending = false;
  state.onlyKeys = nullptr;
  if (state.onlySections == nullptr) return;
  const auto wanted = state.onlySections->find(state.sectionName);
  state.skipping = wanted == state.onlySections->end();
  if (!state.skipping && !wanted->second.empty()) state.onlyKeys = &wanted->second;
}

// Numbers the held sections by name in document order, one number for one name:
// fills state.rankOf with the number of each, and state.firstOfRank with the
// section whose spelling each number keeps, the first.
void rankSections(std::string_view text, ParseState& state) {
  const std::pmr::vector<PendingSection>& held = state.pendingSections;
  if (held.size() == 1) {  // a run reading keys of one section holds no more
    state.rankOf.assign(1, 0);
    state.firstOfRank.assign(1, 0);
    return;
  }
  std::pmr::vector<size_t>& order = state.sectionOrder;
  order.resize(held.size());
  std::iota(order.begin(), order.end(), size_t{0});
  const auto compare = [&](size_t a, size_t b) { return compareHeld(text, held[a], held[b]); };
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    const int byName = compare(a, b);
    return byName != 0 ? byName < 0 : a < b;
  });
  std::pmr::vector<size_t>& firstOfRank = state.firstOfRank;
  firstOfRank.clear();
  state.rankOf.resize(held.size());
  for (const size_t section : order) {
    if (firstOfRank.empty() || compare(firstOfRank.back(), section) != 0) {
      firstOfRank.push_back(section);
    }
    state.rankOf[section] = firstOfRank.size() - 1;
  }
}

// Builds the lines held back into a part of their own, front to back, and lets
// them go.
void storePart(const SectionMap& sections, ParseState& state) {
  if (state.pendingKeys.empty()) return;
  const std::string_view text = state.pendingText;
  rankSections(text, state);
  const std::pmr::vector<size_t>& rankOf = state.rankOf;
  const std::pmr::vector<size_t>& firstOfRank = state.firstOfRank;

  // The lines go into their sections' order by counting, keeping file order; then
  // each section's lines are sorted on their own, which takes fewer comparisons than
  // sorting all of them.
  std::pmr::vector<size_t>& sectionEnd = state.sectionEnd;
  sectionEnd.assign(firstOfRank.size() + 1, 0);
  for (const PendingKey& key : state.pendingKeys) ++sectionEnd[rankOf[key.section] + 1];
  std::partial_sum(sectionEnd.begin(), sectionEnd.end(), sectionEnd.begin());
  std::pmr::vector<PendingKey>& pending = state.sortedKeys;
  pending.resize(state.pendingKeys.size());
  for (const PendingKey& key : state.pendingKeys) {
    const size_t rank = rankOf[key.section];
    PendingKey& placed = pending[sectionEnd[rank]++];
    placed = key;
    placed.section = rank;
  }
  const auto compareKeys = [text](const PendingKey& a, const PendingKey& b) {
    return compareHeld(text, a.key, b.key);
  };
  // Lines of one key stay in file order: the first gives its spelling, the last its value.
  const auto lineLess = [&compareKeys](const PendingKey& a, const PendingKey& b) {
    const int byName = compareKeys(a, b);
    return byName != 0 ? byName < 0 : a.key.start < b.key.start;
  };
  PendingKey* const lines = pending.data();
  for (size_t rank = 0, start = 0; rank < firstOfRank.size(); start = sectionEnd[rank++]) {
    std::sort(lines + start, lines + sectionEnd[rank], lineLess);
  }

  SectionMap& part = state.parts.emplace_back(sections.get_allocator());
  for (size_t first = 0; first < pending.size();) {
    const size_t rank = pending[first].section;
    const PendingSection& named = state.pendingSections[firstOfRank[rank]];
    KeyMap& keys = part.emplace_hint(part.end(), std::piecewise_construct,
                                     std::forward_as_tuple(text.substr(named.start, named.length)),
                                     std::forward_as_tuple())
                       ->second;
    while (first < pending.size() && pending[first].section == rank) {
      size_t last = first;
      while (last + 1 < pending.size() && pending[last + 1].section == rank &&
             compareKeys(pending[first], pending[last + 1]) == 0) {
        ++last;
      }
      const HeldName& spelled = pending[first].key;
      const HeldName& lastLine = pending[last].key;
      const std::string_view keyName = text.substr(spelled.start, spelled.length);
      const std::string_view value =
          text.substr(lastLine.start + lastLine.length, pending[last].valueLength);
      keys.emplace_hint(keys.end(), keyName, value);
      first = last + 1;
    }
  }
  state.pendingKeys.clear();
  state.pendingSections.clear();
  state.pendingText.clear();
  state.sectionPending = false;
}

}  // namespace

ParseState::ParseState(const SectionFilter* onlySections, std::pmr::memory_resource* scratch)
    : onlySections(onlySections),
      pendingText(scratch),
      pendingSections(scratch),
      pendingKeys(scratch),
      sortedKeys(scratch),
      sectionOrder(scratch),
      rankOf(scratch),
      firstOfRank(scratch),
      sectionEnd(scratch) {
  selectSection(*this);
  // Room for a small file at once, rather than doubling up to it.
  pendingText.reserve(4096);
  pendingKeys.reserve(64);
}

size_t partBytesFor(std::uint64_t fileSize) {
  constexpr size_t kSmallest = size_t{256} << 10;
  constexpr size_t kLargest = size_t{1} << 20;
  return fileSize / 8 < kSmallest ? kSmallest : fileSize / 8 > kLargest ? kLargest : fileSize / 8;
}

void storePendingKeys(SectionMap& sections, ParseState& state) {
  storePart(sections, state);
  mergeSections(sections, state.parts);
  state.parts.clear();
}

void parseLine(SectionMap& sections, ParseState& state, std::string_view line) {
  line = trimmedLeftView(line);
  // Outside the sections kept, only a header matters.
  if (line.empty() || (state.skipping && line.front() != '[')) return;
  line = trimmedRightView(line);
  if (line.front() == ';' || line.front() == '#') return;

  if (line.front() == '[' && line.back() == ']') {
    state.sectionName.assign(trimmedView(line, "[] \t\r"));
    selectSection(state);  // a header alone creates no section
    return;
  }
  if (state.skipping) return;

  const size_t equals = line.find('=');
  if (equals == std::string_view::npos || equals == 0) return;
  const std::string_view keyName = trimmedRightView(line.substr(0, equals));
  if (state.onlyKeys != nullptr && !state.onlyKeys->contains(keyName)) return;
  std::string_view value = trimmedView(line.substr(equals + 1));
  if (!value.empty() && value.front() == '"' && value.back() == '"') {
    value = trimmedView(value, "\"");
  }

  std::pmr::string& text = state.pendingText;
  if (!state.sectionPending) {
    state.pendingSections.push_back(holdName(state.sectionName, text.size()));
    text.append(state.sectionName);
    state.sectionPending = true;
  }
  state.pendingKeys.push_back(
      {holdName(keyName, text.size()), state.pendingSections.size() - 1, value.size()});
  text.append(keyName).append(value);
  if (text.size() + state.pendingKeys.size() * sizeof(PendingKey) +
          state.pendingSections.size() * sizeof(PendingSection) >=
      state.partBytes) {
    storePart(sections, state);
  }
}

}  // namespace inikey
