#include "ini/parse.h"

#include <algorithm>

#include "util/trim.h"

namespace inikey {
namespace {

// Bytes of held-back key lines beyond which they are stored before their section ends.
constexpr size_t kPendingLimit = size_t{1} << 20;

bool isSkipped(const ParseState& state) {
  return state.onlySections != nullptr && !state.onlySections->contains(state.sectionName);
}

}  // namespace

ParseState::ParseState(const SectionFilter* onlySections)
    : onlySections(onlySections), skipping(isSkipped(*this)) {
  // Room for a typical section at once, rather than doubling up to it.
  pendingText.reserve(4096);
  pendingKeys.reserve(128);
}

void storePendingKeys(SectionMap& sections, ParseState& state) {
  std::vector<PendingKey>& pending = state.pendingKeys;
  if (pending.empty()) return;
  const std::string_view text = state.pendingText;
  const auto keyName = [text](const PendingKey& key) {
    return text.substr(key.start, key.keyLength);
  };
  // Lines of one key stay in file order, so that the first is stored first (its
  // spelling stays) and the last last (its value wins).
  const auto lineLess = [keyName](const PendingKey& a, const PendingKey& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    const int order = compareNames(keyName(a), keyName(b));
    return order != 0 ? order < 0 : a.start < b.start;
  };
  std::sort(pending.begin(), pending.end(), lineLess);
  KeyMap& keys = sectionFor(sections, state.sectionName);
  for (const PendingKey& key : pending) {
    setKey(keys, keyName(key), text.substr(key.start + key.keyLength, key.valueLength));
  }
  pending.clear();
  state.pendingText.clear();
}

void parseLine(SectionMap& sections, ParseState& state, std::string_view line) {
  line = trimmedLeftView(line);
  // Outside the sections kept, only a header matters.
  if (line.empty() || (state.skipping && line.front() != '[')) return;
  line = trimmedRightView(line);
  if (line.front() == ';' || line.front() == '#') return;

  if (line.front() == '[' && line.back() == ']') {
    storePendingKeys(sections, state);  // a header alone creates no section
    state.sectionName.assign(trimmedView(line, "[] \t\r"));
    state.skipping = isSkipped(state);
    return;
  }
  if (state.skipping) return;

  const size_t equals = line.find('=');
  if (equals == std::string_view::npos || equals == 0) return;
  const std::string_view keyName = trimmedRightView(line.substr(0, equals));
  std::string_view value = trimmedView(line.substr(equals + 1));
  if (!value.empty() && value.front() == '"' && value.back() == '"') {
    value = trimmedView(value, "\"");
  }

  state.pendingKeys.push_back(
      {namePrefix(keyName), state.pendingText.size(), keyName.size(), value.size()});
  state.pendingText.append(keyName).append(value);
  if (state.pendingText.size() + state.pendingKeys.size() * sizeof(PendingKey) >= kPendingLimit) {
    storePendingKeys(sections, state);
  }
}

}  // namespace inikey
