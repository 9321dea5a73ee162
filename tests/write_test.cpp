// Write and delete runs: the file's bytes afterwards.
#include <gtest/gtest.h>

#include "support/process.h"
#include "support/toolCase.h"

namespace inikey::testing {
namespace {

std::vector<std::string> on(std::vector<std::string> args) {
  args.insert(args.begin(), {"-f", "settings.ini"});
  return args;
}

const std::string kFile =
    "; settings of a test\n"
    "top=0\n"
    "\n"
    "[General]\n"
    "Name = first\n"
    "[a/b]\n"
    "k=1\n"
    "[sec]\n"
    "k=2\n"
    "j=3\n";
const std::string kSaved = "[]\ntop=0\n\n[a/b]\nk=1\n\n[General]\nName=first\n\n[sec]\nj=3\nk=2\n\n";

TEST(WriteKeyValue, SetsPairsAndSavesTheWholeDocumentSorted) {
  runCases({
      {"an unchanged value still rewrites the file", kFile, on({"-w", "top=0"}), "", "", 0,
       kSaved},
      {"empty value in the unnamed section", "", on({"-w", "k="}), "", "", 0, "[]\nk=\n\n"},
      {"value keeps = and /", "", on({"-w", "a=b=c", "sec/k=a/b"}), "", "", 0,
       "[]\na=b=c\n\n[sec]\nk=a/b\n\n"},
      {"only the last slash of the key part splits", "", on({"-w", "s1/s2/k=v"}), "", "", 0,
       "[s1/s2]\nk=v\n\n"},
      {"prefix before the key part", "", on({"-w", "-p", "sec", "k=v", "sub/k=w"}), "", "", 0,
       "[sec]\nk=v\n\n[sec/sub]\nk=w\n\n"},
      {"empty key names are stored", "", on({"-w", "=v", "sec/=w"}), "", "", 0,
       "[]\n=v\n\n[sec]\n=w\n\n"},
      {"existing names keep their spelling", kFile, on({"-w", "general/NAME=y"}), "", "", 0,
       "[]\ntop=0\n\n[a/b]\nk=1\n\n[General]\nName=y\n\n[sec]\nj=3\nk=2\n\n"},
      {"a new section takes its sorted place", "[Alpha]\nk=1\n[Omega]\nk=2\n",
       on({"-w", "zeta/k=3", "beta/k=4"}), "", "", 0,
       "[Alpha]\nk=1\n\n[beta]\nk=4\n\n[Omega]\nk=2\n\n[zeta]\nk=3\n\n"},
      {"the later pair for a key wins, first spelling kept", "", on({"-w", "a=1", "A=2"}), "",
       "", 0, "[]\na=2\n\n"},
      {"blanks around = are kept as given", "", on({"-w", "k = v"}), "", "", 0,
       "[]\nk = v\n\n"},
      {"a pair without = stops the run before saving", kFile, on({"-w", "a=1", "b", "c=3"}), "",
       "wrong format of key value pair: 'b'\n" + usage(), 1},
      {"the message shows the pair without the prefix", kFile, on({"-w", "-p", "sec", "kv"}), "",
       "wrong format of key value pair: 'kv'\n" + usage(), 1},
  });
}

TEST(DeleteKeyOrSection, RemovesKeysAndSections) {
  runCases({
      {"key of the unnamed section", kFile, on({"-d", "top"}), "", "", 0,
       "[]\n\n[a/b]\nk=1\n\n[General]\nName=first\n\n[sec]\nj=3\nk=2\n\n"},
      {"last key of a section leaves its header", kFile, on({"-d", "a/b/k"}), "", "", 0,
       "[]\ntop=0\n\n[a/b]\n\n[General]\nName=first\n\n[sec]\nj=3\nk=2\n\n"},
      {"sections by name, slashes included", kFile, on({"-d", "-s", "sec", "a/b"}), "", "", 0,
       "[]\ntop=0\n\n[General]\nName=first\n\n"},
      {"prefix before keys and sections", kFile, on({"-d", "-p", "sec", "k"}), "", "", 0,
       "[]\ntop=0\n\n[a/b]\nk=1\n\n[General]\nName=first\n\n[sec]\nj=3\n\n"},
      {"prefix before a section name", kFile, on({"-d", "-s", "-p", "a", "b"}), "", "", 0,
       "[]\ntop=0\n\n[General]\nName=first\n\n[sec]\nj=3\nk=2\n\n"},
      {"names match without case", kFile, on({"-d", "general/NAME", "-v"}), "", "", 0,
       "[]\ntop=0\n\n[a/b]\nk=1\n\n[General]\n\n[sec]\nj=3\nk=2\n\n"},
      {"a trailing slash names the empty key, not the section", kFile, on({"-d", "-v", "sec/"}),
       "", "section 'sec': key '' is not found\n", 0, kSaved},
      {"a key deleted twice is missing the second time", kFile,
       on({"-d", "-v", "sec/k", "SEC/K"}), "", "section 'SEC': key 'K' is not found\n", 0,
       "[]\ntop=0\n\n[a/b]\nk=1\n\n[General]\nName=first\n\n[sec]\nj=3\n\n"},
      {"nothing found still saves", kFile, on({"-d", "nosuch/k"}), "", "", 0, kSaved},
      {"nothing found under -v", kFile, on({"-d", "-v", "nosuch/k", "-s"}), "",
       "section 'nosuch/k' is not found\n", 0, kSaved},
      {"deleting everything leaves an empty file", kFile,
       on({"-d", "-s", "", "a/b", "general", "sec"}), "", "", 0, ""},
  });
}

TEST(Save, ReadsBackWhatItWrote) {
  TempDir folder;
  writeFile(folder / "settings.ini", "k = \"  padded  \"\nq=\"x\"\n");
  ASSERT_EQ(runInikey({"-f", "settings.ini", "-w", "new=\"quoted\"", "sec/=empty"},
                      folder.path()).status, 0);
  EXPECT_EQ(readFile(folder / "settings.ini"),
            "[]\nk=  padded  \nnew=\"quoted\"\nq=x\n\n[sec]\n=empty\n\n");
  // Blanks that only quotes kept are trimmed by the next read; quotes written by a
  // pair are removed by it; a key with an empty name is not read at all.
  const RunResult read = runInikey({"-f", "settings.ini", "-S"}, folder.path());
  EXPECT_EQ(read.out, "/k='padded'\n/new='quoted'\n/q='x'\n");
  EXPECT_EQ(read.status, 0);
}

TEST(Save, AFileThatCannotBeReadIsNeverWritten) {
  TempDir folder;
  std::filesystem::create_directory(folder / "dir.ini");
  const RunResult result = runInikey({"-w", "-f", "dir.ini", "a=1"}, folder.path());
  EXPECT_EQ(result.err, "file 'dir.ini' could not be read\n");
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(std::filesystem::is_directory(folder / "dir.ini"));
}

}  // namespace
}  // namespace inikey::testing
