// A document parsed from any bytes, saved over those bytes and loaded again, must
// come back with the same sections, keys, values and spellings; the saved file
// must hold exactly the saved layout, whatever was there before. Only the entries
// that the layout cannot carry are taken out first, each for its stated reason.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "ini/IniFile.h"
#include "memoryFile.h"
#include "util/trim.h"

namespace {

using inikey::KeyMap;
using inikey::SectionMap;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "broken property: %s\n", what);
  std::abort();
}

bool isWhitespace(char c) {
  return c != '\0' && std::strchr(inikey::whitespaceCharacters(), c) != nullptr;
}

// Why an entry cannot come back from the saved layout; nullptr when it must.
const char* whyNotCarried(std::string_view keyName, std::string_view value) {
  if (!value.empty() && (isWhitespace(value.front()) || isWhitespace(value.back()))) {
    return "values are saved without quotes, and reading trims blanks off their ends";
  }
  if (keyName.front() == '[' && !value.empty() && value.back() == ']') {
    return "the line \"[key=value]\" reads back as a section header";
  }
  return nullptr;
}

SectionMap carriedPart(const SectionMap& sections) {
  SectionMap carried;
  for (const auto& [sectionName, keys] : sections) {
    KeyMap carriedKeys;
    for (const auto& [keyName, value] : keys) {
      if (whyNotCarried(keyName, value) == nullptr) carriedKeys.emplace(keyName, value);
    }
    // A section left without keys would be saved as a bare header, which reads back as nothing.
    if (!carriedKeys.empty()) carried.emplace(sectionName, std::move(carriedKeys));
  }
  return carried;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  static const inikey::fuzzing::MemoryFile file = inikey::fuzzing::makeMemoryFile();
  inikey::fuzzing::setContent(file, std::string_view(reinterpret_cast<const char*>(data), size));

  inikey::IniFile document(file.path);
  document.sections = carriedPart(document.sections);
  document.save();
  if (document.saveError != 0) fail("the save failed");
  if (inikey::fuzzing::content(file) != inikey::savedText(document.sections)) {
    fail("the file does not hold exactly the saved layout");
  }

  const inikey::IniFile reloaded(file.path);
  if (!reloaded.loaded) fail("the saved file did not load");
  if (reloaded.sections != document.sections) fail("the document did not survive the round trip");
  return 0;
}
