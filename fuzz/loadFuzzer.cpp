// Loads any bytes as the tool does (IniFile on a path) and lists every key as a
// read run without arguments does. Besides staying free of crashes, leaks and
// undefined behaviour, the document must be the one that storing the fgets lines
// one at a time gives, and hold nothing the format cannot produce; a load of some
// sections must give those sections of it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>

#include "fgetsLines.h"
#include "ini/IniFile.h"
#include "ini/parse.h"
#include "memoryFile.h"
#include "ops/operations.h"

namespace {

using inikey::SectionMap;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "broken property: %s\n", what);
  std::abort();
}

// Lines never hold a line feed, and a zero byte ends the text of its read.
bool isLineText(std::string_view text) {
  return text.find('\n') == std::string_view::npos && text.find('\0') == std::string_view::npos;
}

void checkDocument(const SectionMap& sections) {
  for (const auto& [sectionName, keys] : sections) {
    if (keys.empty()) fail("a section without keys");
    if (!isLineText(sectionName)) fail("a section name that is no line text");
    for (const auto& [keyName, value] : keys) {
      if (keyName.empty()) fail("an empty key");
      if (keyName.find('=') != std::string::npos) fail("a key holding '='");
      if (!isLineText(keyName) || !isLineText(value)) fail("a key or value that is no line text");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The listing goes nowhere; the fuzzer reports on standard error.
  if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  static const inikey::fuzzing::MemoryFile file = inikey::fuzzing::makeMemoryFile();
  inikey::fuzzing::setContent(file, std::string_view(reinterpret_cast<const char*>(data), size));

  const inikey::IniFile document(file.path);
  if (!document.loaded) fail("a readable file did not load");
  checkDocument(document.sections);

  SectionMap expected;
  inikey::ParseState state;
  for (const std::string& line : inikey::fuzzing::fgetsLines(file.path)) {
    inikey::parseLine(expected, state, line);
    // Stored line by line, with nothing held back to sort: the first spelling and
    // the last value must come out the same.
    inikey::storePendingKeys(expected, state);
  }
  if (document.sections != expected) fail("the loaded document differs from the fgets lines'");

  std::deque<std::string> sectionNames;
  document.sectionNames(sectionNames);

  // A load that keeps only some sections, as a read run's does, must give exactly
  // those sections of the whole document.
  inikey::SectionFilter some = {"", "absent"};
  for (size_t i = 0; i < sectionNames.size(); i += 2) some.insert(sectionNames[i]);
  const inikey::IniFile part(file.path, some);
  SectionMap wanted;
  for (const auto& [sectionName, keys] : document.sections) {
    if (some.contains(sectionName)) wanted.emplace(sectionName, keys);
  }
  if (part.sections != wanted) fail("a load of some sections differs from the whole's");

  inikey::listSections(document, sectionNames, true);
  return 0;
}
