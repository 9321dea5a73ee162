#include "ops/operations.h"
#include "ops/output.h"

namespace inikey {

void listSections(const IniFile& file, const ArgumentList& arguments, bool prependSection) {
  for (const std::string& sectionName : arguments) {
    const auto section = file.sections.find(sectionName);
    if (section == file.sections.end()) {
      reportMissingSection(sectionName);
      continue;
    }
    // Prints from the section itself, not from the EntryList copy that
    // getSectionEntries makes: nothing changes the document while it is listed, and
    // the copy of every key and value took a third of the time to list a large file.
    // Names start with the argument as given, not with the stored spelling.
    const std::string namePrefix = prependSection ? sectionName + '/' : std::string();
    for (const auto& [keyName, value] : section->second) printValueLine(namePrefix, keyName, value);
  }
}

}  // namespace inikey
