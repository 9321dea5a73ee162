// The tool's behaviour, case by case, as kept in tests/cases.
#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "support/caseFile.h"
#include "support/process.h"

namespace inikey::testing {
namespace {

TEST(Cases, CommandLine) { runCaseFile("options.cases"); }
TEST(Cases, FileFormat) { runCaseFile("parse.cases"); }
TEST(Cases, ReadAndList) { runCaseFile("read.cases"); }
TEST(Cases, WriteAndDelete) { runCaseFile("write.cases"); }

// A modification time of 0 is also what a missing file gives; such a file must
// still be read, or a write would save a document without its content.
TEST(Cases, AFileDatedAtTheEpochIsRead) {
  TempDir folder;
  writeFile(folder / "settings.ini", "[s]\nk=v\n");
  const timespec epoch[2] = {{0, 0}, {0, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, (folder / "settings.ini").c_str(), epoch, 0), 0);
  EXPECT_EQ(runInikey({"-f", "settings.ini", "-w", "s/j=w"}, folder.path()).status, 0);
  EXPECT_EQ(readFile(folder / "settings.ini"), "[s]\nj=w\nk=v\n\n");
}

}  // namespace
}  // namespace inikey::testing
