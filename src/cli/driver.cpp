#include "cli/driver.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "cli/options.h"
#include "cli/usage.h"
#include "ini/IniFile.h"
#include "ops/keyPath.h"
#include "ops/operations.h"
#include "ops/output.h"

namespace inikey {
namespace {

const char* baseName(const char* invocation) {
  if (invocation == nullptr) return "inikey";
  const char* slash = std::strrchr(invocation, '/');
  return slash == nullptr ? invocation : slash + 1;
}

// Without key arguments a read run lists every section whose name starts with the
// prefix, letter case significant.
void listMatchingSections(const IniFile& file, const Options& options) {
  // The names become the arguments in place: a second list of a million names
  // would cost as much memory as the first.
  ArgumentList arguments;
  file.sectionNames(arguments);
  const std::string& keyPrefix = options.keyPrefix;
  const size_t length = keyPrefix.empty() ? 0 : keyPrefix.size() - 1;  // without its "/"
  std::erase_if(arguments, [&keyPrefix, length](const std::string& name) {
    return name.compare(0, length, keyPrefix, 0, length) != 0;  // a shorter name differs
  });
  listSections(file, arguments, options.prependSection);
}

// What a read run's arguments name, whole sections or keys: all it has to load.
SectionFilter sectionsNamed(const ArgumentList& arguments, bool keysAreSections) {
  SectionFilter names;
  std::string sectionName;
  std::string keyName;
  for (const std::string& argument : arguments) {
    if (keysAreSections) {
      names[argument].clear();  // every key
    } else {
      splitKeyPath(argument, sectionName, keyName);
      names[sectionName].insert(keyName);
    }
  }
  return names;
}

void readRun(const IniFile& file, const Options& options, const ArgumentList& arguments) {
  if (arguments.empty()) {
    listMatchingSections(file, options);
    return;
  }
  if (options.keysAreSections) {
    listSections(file, arguments, options.prependSection);
  } else {
    readKeys(file, arguments, options.prependSection);
  }
}

// Each argument of a write or delete run, in command-line order.
void applyArguments(IniFile& file, const Options& options) {
  for (const std::string& argument : options.arguments) {
    if (options.runMode == RunMode::Write) {
      writeKeyValue(file, options.keyPrefix, argument);
    } else {
      deleteKeyOrSection(file, options.keyPrefix + argument, options.keysAreSections);
    }
  }
}

// A document that failed to load would replace the file's content with nothing
// but this run's changes, so it is never saved; a file that cannot be written is
// left alone without a word. When another run saved the file since the load, the
// arguments are applied again to what it saved, silently: their reports were made
// the first time.
void saveRun(IniFile& file, const Options& options) {
  // Where /proc is missing, the path is opened again for writing, and may name
  // another file by then, or none: said as a change between load and save is.
  const int writeError = file.writeAccessError();
  if (!file.loaded() || (writeError != 0 && writeError != ESTALE && writeError != ENOENT)) return;
  file.save([&options](IniFile& reloaded) {
    verboseErrors = false;
    applyArguments(reloaded, options);
  });
  if (file.saveError() != 0) {
    std::fprintf(stderr, "file '%s' could not be saved: %s\n", options.iniFileName.c_str(),
                 std::strerror(file.saveError()));
  }
}

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed, so that no
// file of the run takes their numbers and receives what is meant for a stream.
// Standard output is opened for reading only, so that writing to it still fails
// as it would have. Returns 0 or an errno.
int openStandardStreams() {
  for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int opened = ::open("/dev/null", (fd == STDERR_FILENO ? O_WRONLY : O_RDONLY) | O_NOCTTY);
    if (opened != fd) return opened < 0 ? errno : EBADF;  // lower numbers are open: it is fd
  }
  return 0;
}

int runOperation(int argc, char* argv[]) {
  if (const int error = openStandardStreams()) {
    std::fprintf(stderr, "standard streams could not be opened: %s\n", std::strerror(error));
    return 1;
  }
  programName = baseName(argc > 0 ? argv[0] : nullptr);
  Options options = parseOptions(argc, argv);

  if (options.iniFileName.empty()) {
    std::fputs("filename is empty\n", stderr);
    printUsage();
  }
  // Read permission in every mode: a write run never creates a file.
  if (::access(options.iniFileName.c_str(), R_OK) != 0) {
    std::fprintf(stderr, "file '%s' is not accessible\n", options.iniFileName.c_str());
    return 1;
  }
  if (!options.keyPrefix.empty() && options.keyPrefix.back() != '/') options.keyPrefix += '/';

  // A large buffer for long listings; a terminal keeps its line buffering so that
  // values and -v reports stay in order.
  if (::isatty(STDOUT_FILENO) == 0) std::setvbuf(stdout, nullptr, _IOFBF, size_t{64} << 10);

  // A read run's arguments, each with the prefix before it.
  ArgumentList arguments;
  if (options.runMode == RunMode::Read) {
    for (const std::string& argument : options.arguments) {
      arguments.push_back(options.keyPrefix + argument);
    }
  }
  std::optional<SectionFilter> onlySections;
  if (!arguments.empty()) onlySections = sectionsNamed(arguments, options.keysAreSections);

  IniFile file(options.iniFileName, std::move(onlySections),
               options.runMode == RunMode::Read ? FileAccess::ReadOnly : FileAccess::ReadWrite);
  if (!file.loaded()) {
    std::fprintf(stderr, "file '%s' could not be read: %s\n", options.iniFileName.c_str(),
                 std::strerror(file.loadError()));
  }

  if (options.runMode != RunMode::Read && options.arguments.empty()) {
    std::fputs("arguments mismatch\n", stderr);
    printUsage();
  }
  if (options.runMode == RunMode::Read) {
    readRun(file, options, arguments);
  } else {
    applyArguments(file, options);
    saveRun(file, options);
  }
  if (const int error = finishOutput()) {
    std::fprintf(stderr, "standard output could not be written: %s\n", std::strerror(error));
    std::exit(1);
  }
  // Ends the process with the document still whole: taking a large one apart walks
  // every node, and the system takes the memory back at once.
  std::exit(0);
}

}  // namespace

int run(int argc, char* argv[]) {
  // Every allocation of a run ends here when it fails, the file untouched: a load
  // that runs out reports it and goes on, and a save takes its memory before it
  // writes. What was printed stays printed; the run did not get through.
  try {
    return runOperation(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "the run could not be completed: %s\n", std::strerror(ENOMEM));
    return 1;
  }
}

}  // namespace inikey
