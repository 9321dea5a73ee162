#include "fgetsLines.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace inikey::fuzzing {

std::vector<std::string> fgetsLines(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) {
    std::perror("fopen");
    std::abort();
  }
  std::vector<std::string> lines;
  std::string pending;
  char buffer[512];
  for (;;) {
    std::memset(buffer, 0, sizeof buffer);
    if (std::fgets(buffer, sizeof buffer, file) == nullptr) {
      if (std::feof(file) == 0) {
        std::perror("fgets");
        std::abort();
      }
      lines.push_back(pending);
      break;
    }
    const size_t length = std::strlen(buffer);
    if (length == 0) continue;
    if (buffer[length - 1] != '\n') {
      pending.append(buffer, length);
      continue;
    }
    pending.append(buffer, length - 1);
    lines.push_back(pending);
    pending.clear();
  }
  std::fclose(file);
  return lines;
}

}  // namespace inikey::fuzzing
