#include <cstdio>

#include "cli/usage.h"
#include "ini/keys.h"
#include "ops/keyPath.h"
#include "ops/operations.h"

namespace inikey {

void writeKeyValue(IniFile& file, const std::string& keyPrefix, const std::string& argument) {
  const size_t equals = argument.find('=');
  if (equals == std::string::npos) {
    std::fprintf(stderr, "wrong format of key value pair: '%s'\n", argument.c_str());
    printUsage();
  }
  // The prefix goes before the key part only; a "/" in the value splits nothing.
  std::string sectionName;
  std::string keyName;
  splitKeyPath(keyPrefix + argument.substr(0, equals), sectionName, keyName);
  // The tool writes what it is given, even what a load would read otherwise.
  setKey(sectionFor(file.sections, sectionName), keyName,
         std::string_view(argument).substr(equals + 1));
}

}  // namespace inikey
