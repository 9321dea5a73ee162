// Any bytes, loaded, saved over themselves and loaded again, give back the same sections,
// keys, values and spellings, and the file holds exactly the saved layout; entries that
// setValue would refuse are taken out first. A load of some sections or keys, as a read run
// makes, gives exactly those of the whole.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ini/IniFile.h"
#include "ini/roundTrip.h"
#include "memoryFile.h"

namespace {

void check(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "broken: %s\n", property);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const std::string& path =
      inikey::fuzzing::memoryFileWith({reinterpret_cast<const char*>(data), size});
  inikey::IniFile document(path);
  check(document.loaded(), "the file loads");

  inikey::EntryList entries = {{"kept", ""}};
  document.getSectionEntries("\n", entries);  // no name holds a line feed
  check(entries.size() == 1, "a missing section leaves the entries alone");
  for (const auto& [sectionName, keys] : document.sections) {
    document.getSectionEntries(std::string(sectionName), entries);
    check(std::equal(entries.begin(), entries.end(), keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) {
                       return std::string_view(a.first) == b.first &&
                              std::string_view(a.second) == b.second;
                     }),
          "a section's entries are its keys in order");
  }

  inikey::SectionFilter some;
  inikey::SectionMap wanted;
  int turn = 0;  // a section's first key alone, a whole section, none, in turn
  for (const auto& [sectionName, keys] : document.sections) {
    if (turn == 1) some.try_emplace(std::string(sectionName)), wanted.emplace(sectionName, keys);
    if (turn == 0) {
      const auto& [keyName, value] = *keys.begin();
      some[std::string(sectionName)].emplace(keyName);
      wanted[sectionName].emplace(keyName, value);
    }
    turn = (turn + 1) % 3;
  }
  // A section named by a key alone is spelled as the first header above a key kept.
  const inikey::IniFile loaded(path, some);
  check(loaded.sections.size() == wanted.size() &&
            std::all_of(wanted.begin(), wanted.end(),
                        [&loaded, &some](const auto& section) {
                          const auto found = loaded.sections.find(section.first);
                          return found != loaded.sections.end() &&
                                 found->second == section.second &&
                                 (!some.at(std::string(section.first)).empty() ||
                                  found->first == section.first);
                        }),
        "a load of some sections and keys is part of the whole");

  for (auto& section : document.sections) {  // what setValue refuses, a save cannot carry
    std::erase_if(section.second, [&section](const auto& key) {
      return inikey::refusalOf(section.first, key.first, key.second) != inikey::Refusal::None;
    });
  }
  // A section without keys is saved as a bare header, which reads back as nothing.
  std::erase_if(document.sections, [](const auto& section) { return section.second.empty(); });
  document.save();
  check(document.saveError() == 0, "the save succeeds");
  check(inikey::fuzzing::contentOf(path) == inikey::savedText(document.sections),
        "the file holds the saved layout");
  check(inikey::IniFile(path).sections == document.sections, "the document comes back");
  return 0;
}
