#include "ops/operations.h"
#include "ops/output.h"

namespace inikey {

void listSections(const IniFile& file, const ArgumentList& arguments, bool prependSection) {
  const SectionMap& sections = file.sections;
  auto next = sections.begin();
  for (const std::string& sectionName : arguments) {
    // A listing of every section names them in the map's order: each is then the
    // one after the last, taken without a search.
    const auto section = next != sections.end() && compareNames(next->first, sectionName) == 0
                             ? next
                             : sections.find(sectionName);
    if (section == sections.end()) {
      reportMissingSection(sectionName);
      continue;
    }
    next = std::next(section);
    // Prints from the section itself, since nothing changes the document while it is
    // listed. Names start with the argument as given, not with the stored spelling.
    const std::string namePrefix = prependSection ? sectionName + '/' : std::string();
    for (const auto& [keyName, value] : section->second) printValueLine(namePrefix, keyName, value);
  }
}

}  // namespace inikey
