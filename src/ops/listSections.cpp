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
    // Prints from the section itself, since nothing changes the document while it is
    // listed. Names start with the argument as given, not with the stored spelling.
    const std::string namePrefix = prependSection ? sectionName + '/' : std::string();
    for (const auto& [keyName, value] : section->second) printValueLine(namePrefix, keyName, value);
  }
}

}  // namespace inikey
