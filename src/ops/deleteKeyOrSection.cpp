#include "ops/keyPath.h"
#include "ops/operations.h"
#include "ops/output.h"

namespace inikey {

void deleteKeyOrSection(IniFile& file, const std::string& target, bool keysAreSections) {
  if (keysAreSections) {
    const auto section = file.sections.find(target);
    if (section == file.sections.end()) {
      reportMissingSection(target);
      return;
    }
    file.sections.erase(section);
    return;
  }

  std::string sectionName;
  std::string keyName;
  splitKeyPath(target, sectionName, keyName);
  const auto section = file.sections.find(sectionName);
  if (section != file.sections.end()) {
    const auto key = section->second.find(keyName);
    if (key != section->second.end()) {
      section->second.erase(key);  // the section stays, even when now empty
      return;
    }
  }
  reportMissingKey(sectionName, keyName);
}

}  // namespace inikey
