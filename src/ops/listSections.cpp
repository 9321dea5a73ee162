#include "ops/operations.h"
#include "ops/output.h"

namespace inikey {

void listSections(const IniFile& file, const ArgumentList& arguments, bool prependSection) {
  for (const std::string& sectionName : arguments) {
    if (file.sections.find(sectionName) == file.sections.end()) {
      reportMissingSection(sectionName);
      continue;
    }
    EntryList entries;
    file.getSectionEntries(sectionName, entries);
    // Names start with the argument as given, not with the stored spelling.
    const std::string namePrefix = prependSection ? sectionName + '/' : std::string();
    for (const auto& [keyName, value] : entries) printValueLine(namePrefix, keyName, value);
  }
}

}  // namespace inikey
