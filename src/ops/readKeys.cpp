#include "ops/keyPath.h"
#include "ops/operations.h"
#include "ops/output.h"

namespace inikey {
namespace {

// A stored value equal to this marker counts as missing, as a missing key does.
constexpr std::string_view kMissingValue = "__QZ_DEFVAL__";

}  // namespace

void readKeys(const IniFile& file, const ArgumentList& arguments, bool prependSection) {
  std::string sectionName;
  std::string keyName;
  for (const std::string& keyPath : arguments) {
    splitKeyPath(keyPath, sectionName, keyName);
    const std::optional<std::string_view> value = file.findValue(sectionName, keyName);
    if (!value || *value == kMissingValue) {
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
