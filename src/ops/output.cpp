#include "ops/output.h"

#include <cstdio>

#include "cli/usage.h"

namespace inikey {
namespace {

// An empty view may have no data pointer, which fwrite must not be given.
void put(std::string_view text) {
  if (!text.empty()) std::fwrite(text.data(), 1, text.size(), stdout);
}

}  // namespace

void printValueLine(std::string_view namePrefix, std::string_view keyName, std::string_view value) {
  // Values never hold a zero byte (reading drops them), so this is "%s='%s'\n".
  put(namePrefix);
  put(keyName);
  put("='");
  put(value);
  put("'\n");
}

void reportMissingKey(const std::string& sectionName, const std::string& keyName) {
  if (verboseErrors) {
    std::fprintf(stderr, "section '%s': key '%s' is not found\n", sectionName.c_str(),
                 keyName.c_str());
  }
}

void reportMissingSection(const std::string& sectionName) {
  if (verboseErrors) std::fprintf(stderr, "section '%s' is not found\n", sectionName.c_str());
}

}  // namespace inikey
