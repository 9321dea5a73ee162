// The command line: options "dhvwsSf:p:" and positional arguments.
#pragma once

#include <string>
#include <vector>

namespace inikey {

enum class RunMode { Read, Write, Delete };

struct Options {
  std::string iniFileName;             // -f
  std::string keyPrefix;               // -p, as given
  RunMode runMode = RunMode::Read;     // -w or -d, the later one winning
  bool prependSection = false;         // -S
  bool keysAreSections = false;        // -s
  std::vector<std::string> arguments;  // the positional arguments, in order
};

// Parses the command line with getopt and sets verboseErrors for -v. A repeated -f
// or -p, a -p argument that starts with "-", -h and whatever getopt rejects print
// their message and the usage text and end the process with status 1.
Options parseOptions(int argc, char* argv[]);

}  // namespace inikey
