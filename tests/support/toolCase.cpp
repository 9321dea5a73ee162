#include "support/toolCase.h"

#include <gtest/gtest.h>

#include "support/process.h"

namespace inikey::testing {

void runCases(const std::vector<ToolCase>& cases) {
  for (const ToolCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir folder;
    writeFile(folder / "settings.ini", c.file);
    const RunResult result = runInikey(c.args, folder.path());
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(readFile(folder / "settings.ini"), c.fileAfter.value_or(c.file));
  }
}

std::string usage() {
  return "\n"
         "Usage:\n"
         "    inikey -f filename [-d] [-p keys-prefix] [-S] [-s] [[section1/]key1 .. "
         "[sectionM/]keyN]\n"
         "    inikey -f filename  -w  [-p keys-prefix] [section1/]key1=val1 .. "
         "[sectionM/]keyN=valN\n"
         "    inikey [-h]\n"
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
}

}  // namespace inikey::testing
