#include "cli/options.h"

#include <unistd.h>

#include <cstdio>

#include "cli/usage.h"

namespace inikey {

Options parseOptions(int argc, char* argv[]) {
  Options options;
  int option = 0;
  while ((option = ::getopt(argc, argv, "dhvwsSf:p:")) != -1) {
    switch (option) {
      case 'd':
        options.runMode = RunMode::Delete;
        break;
      case 'w':
        options.runMode = RunMode::Write;
        break;
      case 'v':
        verboseErrors = true;
        break;
      case 's':
        options.keysAreSections = true;
        break;
      case 'S':
        options.prependSection = true;
        break;
      // An empty -f or -p argument counts as none: a later one is still welcome.
      case 'f':
        if (!options.iniFileName.empty()) {
          std::fputs("unexpected key: '-f'\n", stderr);
          printUsage();
        }
        options.iniFileName = optarg;
        break;
      case 'p':
        if (!options.keyPrefix.empty()) {
          std::fputs("unexpected key: '-p'\n", stderr);
          printUsage();
        }
        if (optarg[0] == '-') {
          std::fprintf(stderr, "unexpected argument of '-p': %s\n", optarg);
          printUsage();
        }
        options.keyPrefix = optarg;
        break;
      default:  // -h, or getopt has already said what is wrong
        printUsage();
    }
  }
  for (int i = optind; i < argc; ++i) options.arguments.emplace_back(argv[i]);
  return options;
}

}  // namespace inikey
