#include "cli/usage.h"

#include <cstdio>
#include <cstdlib>

namespace inikey {

const char* programName = "inikey";
bool verboseErrors = false;

namespace {

constexpr char kUsage[] =
    "\n"
    "Usage:\n"
    "    %1$s -f filename [-d] [-p keys-prefix] [-S] [-s] [[section1/]key1 .. [sectionM/]keyN]\n"
    "    %1$s -f filename  -w  [-p keys-prefix] [section1/]key1=val1 .. [sectionM/]keyN=valN\n"
    "    %1$s [-h]\n"
    "\n"
    "    Common options:\n"
    "       -h             This help\n"
    "       -f filename    Inifile filename.\n"
    "       -p prefix      Prefix(section) used to prepend to all keys (ex. prefix/key1).\n"
    "       -v             Verbose error output.\n"
    "\n"
    "    Read or delete options:\n"
    "       -d             Delete keys or prefixes from inifile (defaults to none).\n"
    "       -s             Using 'key1..keyN' as sections names.\n"
    "       -S             Prepend section to 'key1..keyN' on output.\n"
    "       key1..keyN     List of keys for read(defaults to all keys) or delete(keys or "
    "sections).\n"
    "\n"
    "    Write options:\n"
    "       -w             Write keys to inifile.\n"
    "       k1=v1..kN=vN   Key-value pairs for write to inifile.\n"
    "\n";

}  // namespace

void printUsage() {
  // Every "%1$s" names the program. The format goes through a variable because the
  // operand-number form is POSIX, not ISO C++, and -Wpedantic would refuse it.
  const char* format = kUsage;
  std::fprintf(stderr, format, programName);
  std::exit(1);
}

}  // namespace inikey
