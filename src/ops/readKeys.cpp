#include "ops/keyPath.h"
#include "ops/operations.h"
#include "ops/output.h"

namespace inikey {
namespace {

// A stored value equal to this marker counts as missing, as a missing key does.
constexpr std::string_view kMissingValue = "__QZ_DEFVAL__";

const std::string* findValue(const SectionMap& sections, const std::string& sectionName,
                             const std::string& keyName) {
  const auto section = sections.find(sectionName);
  if (section == sections.end()) return nullptr;
  const auto key = section->second.find(keyName);
  return key == section->second.end() ? nullptr : &key->second;
}

}  // namespace

void readKeys(const IniFile& file, const ArgumentList& arguments, bool prependSection) {
  std::string sectionName;
  std::string keyName;
  for (const std::string& keyPath : arguments) {
    splitKeyPath(keyPath, sectionName, keyName);
    const std::string* value = findValue(file.sections, sectionName, keyName);
    if (value == nullptr || *value == kMissingValue) {
      reportMissingKey(sectionName, keyName);
      continue;
    }
    // The printed name is spelled as asked for, not as stored.
    if (prependSection) {
      printValueLine(sectionName + '/', keyName, *value);
    } else {
      printValueLine({}, keyName, *value);
    }
  }
}

}  // namespace inikey
