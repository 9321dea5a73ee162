// Table rows for black-box runs of the tool on one file.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace inikey::testing {

struct ToolCase {
  const char* name;
  std::string file;               // content of "settings.ini" before the run
  std::vector<std::string> args;  // run in the file's folder
  std::string out;
  std::string err;
  int status = 0;
  std::optional<std::string> fileAfter = std::nullopt;  // none: unchanged
};

// Runs each case in a fresh folder and checks output, status and the file afterwards.
void runCases(const std::vector<ToolCase>& cases);

// The usage text as the tool prints it when started as "inikey".
std::string usage();

}  // namespace inikey::testing
