#include "ops/output.h"

#include <cerrno>
#include <cstdio>

#include "cli/usage.h"

namespace inikey {
namespace {

int outputError = 0;  // of the first write to standard output that failed

}  // namespace

// Lines longer than this are written in their pieces rather than built first: a
// copy of a large value may not fit into the memory that is left.
constexpr size_t kBuiltLineLimit = size_t{64} << 10;

void printValueLine(std::string_view namePrefix, std::string_view keyName, std::string_view value) {
  // Values never hold a zero byte (reading drops them), so this is "%s='%s'\n".
  // One call per line, without taking stdout's lock: the tool has one thread, and a
  // listing writes a line for every key (figures in bench/findings.md).
  static std::string line;
  const auto put = [](std::string_view text) {
    if (::fwrite_unlocked(text.data(), 1, text.size(), stdout) != text.size() && outputError == 0) {
      outputError = errno;
    }
  };
  if (namePrefix.size() + keyName.size() + value.size() > kBuiltLineLimit) {
    for (const std::string_view piece :
         {namePrefix, keyName, std::string_view("='"), value, std::string_view("'\n")}) {
      put(piece);
    }
    return;
  }
  line.assign(namePrefix).append(keyName).append("='").append(value).append("'\n");
  put(line);
}

int finishOutput() {
  if (std::fflush(stdout) != 0 && outputError == 0) outputError = errno;
  if (outputError == 0 && std::ferror(stdout) != 0) outputError = EIO;  // failed, errno unknown
  return outputError;
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
