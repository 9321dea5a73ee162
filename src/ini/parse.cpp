#include "ini/parse.h"

#include "util/trim.h"

namespace inikey {
namespace {

bool isSkipped(const ParseState& state) {
  return state.onlySections != nullptr && !state.onlySections->contains(state.sectionName);
}

}  // namespace

ParseState::ParseState(const SectionFilter* onlySections)
    : onlySections(onlySections), skipping(isSkipped(*this)) {}

void parseLine(SectionMap& sections, ParseState& state, std::string_view line) {
  line = trimmedView(line);
  if (line.empty() || line.front() == ';' || line.front() == '#') return;

  if (line.front() == '[' && line.back() == ']') {
    state.sectionName.assign(trimmedView(line, "[] \t\r"));
    state.keys = nullptr;  // a header alone creates no section
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

  if (state.keys == nullptr) state.keys = &sectionFor(sections, state.sectionName);
  setKey(*state.keys, keyName, value);
}

}  // namespace inikey
