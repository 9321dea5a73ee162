#include "ini/keys.h"
#include "ops/keyPath.h"
#include "ops/operations.h"
#include "ops/output.h"

namespace inikey {

void deleteKeyOrSection(IniFile& file, const std::string& target, bool keysAreSections) {
  if (keysAreSections) {
    if (!removeSection(file, target)) reportMissingSection(target);
    return;
  }
  std::string sectionName;
  std::string keyName;
  splitKeyPath(target, sectionName, keyName);
  if (!removeKey(file, sectionName, keyName)) reportMissingKey(sectionName, keyName);
}

}  // namespace inikey
