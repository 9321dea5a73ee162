#include "ops/keyPath.h"

namespace inikey {

void splitKeyPath(const KeyPath& keyPath, std::string& sectionName, std::string& keyName) {
  const size_t slash = keyPath.rfind('/');
  if (slash == std::string::npos) {
    sectionName.clear();
    keyName = keyPath;
    return;
  }
  sectionName.assign(keyPath, 0, slash);
  keyName.assign(keyPath, slash + 1);
}

}  // namespace inikey
