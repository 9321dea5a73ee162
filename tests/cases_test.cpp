// The tool run as a user runs it, one example per case: the command line, the file
// settings.ini before the run, and every byte that comes out of it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>

#include "support/process.h"

namespace inikey::testing {
namespace {

using namespace std::string_literals;

const std::string kUsage =
    "\nUsage:\n"
    "    inikey -f filename [-d] [-p keys-prefix] [-S] [-s] [[section1/]key1 .. [sectionM/]keyN]\n"
    "    inikey -f filename  -w  [-p keys-prefix] [section1/]key1=val1 .. [sectionM/]keyN=valN\n"
    "    inikey [-h]\n\n    Common options:\n       -h             This help\n"
    "       -f filename    Inifile filename.\n"
    "       -p prefix      Prefix(section) used to prepend to all keys (ex. prefix/key1).\n"
    "       -v             Verbose error output.\n\n    Read or delete options:\n"
    "       -d             Delete keys or prefixes from inifile (defaults to none).\n"
    "       -s             Using 'key1..keyN' as sections names.\n"
    "       -S             Prepend section to 'key1..keyN' on output.\n"
    "       key1..keyN     List of keys for read(defaults to all keys) or delete(keys or "
    "sections).\n"
    "\n    Write options:\n       -w             Write keys to inifile.\n"
    "       k1=v1..kN=vN   Key-value pairs for write to inifile.\n\n";

const std::string kFile =
    "top=0\n[net]\nip=1\n-S=dash\nempty=\nquote=it's\nmarker=__QZ_DEFVAL__\nlower=__qz_defval__\n"
    "[net/]\nip=2\n[net/eth0]\nip=3\n[empty]\n[order]\nb=2\nA=1\nc=3\nZ=4\n";
const std::string kSettings =
    "; settings\ntop=0\n\n[General]\nName = first\n[a/b]\nk=1\n[sec]\nk=2\nj=3\n";

// More key lines in one section than a sort orders by insertion, two keys repeated.
const std::string kLongSection = [] {
  std::string text = "[s]\n";
  for (int i = 10; i < 50; ++i) text.append("k").append(std::to_string(i)).append("=1\n");
  return text + "K17=second\nk30=again\n";
}();

struct Run {
  std::string file = kFile;  // settings.ini before
  std::string out = {}, err = {};
  int status = 0;
  const char* after = nullptr;  // settings.ini afterwards; unchanged when null
};

// A command line refused: the reason, then the usage text, and status 1.
Run refused(const std::string& reason) { return {.err = reason + kUsage, .status = 1}; }

struct Case {
  const char* name;
  const char* args;  // the words after "inikey", as a shell splits them
  Run run;
};

// Hand-formatted: a case reads as one example, its name and command line on its first line.
// clang-format off
const Case kCases[] = {
    // The command line.
    {"Help", "-h", refused("")},
    {"NoArguments", "", refused("filename is empty\n")},
    {"SecondFile", "-f settings.ini -f settings.ini", refused("unexpected key: '-f'\n")},
    {"SecondPrefix", "-p net -p lan -f settings.ini", refused("unexpected key: '-p'\n")},
    {"PrefixTakesNoOption", "-p -f settings.ini", refused("unexpected argument of '-p': -f\n")},
    {"UnknownOption", "-f settings.ini -x", refused(inikeyBinary() + ": invalid option -- 'x'\n")},
    {"DeleteWithoutKeys", "-d -f settings.ini", refused("arguments mismatch\n")},
    {"MissingFileIsNotCreated", "-w -f missing.ini a=1",
     {.err = "file 'missing.ini' is not accessible\n", .status = 1}},
    {"UnreadableFileIsNotSaved", "-f . -w k=v",
     {.err = "file '.' could not be read: Is a directory\n"}},
    {"UnwritableFileIsLeftAloneQuietly", "-f /dev/null -w k=v", {}},
    {"EmptyFileAndPrefixCountAsNone", "-f '' -f settings.ini -p '' -p net ip", {.out = "ip='1'\n"}},
    {"OptionsAsGetoptTakesThem", "-vSfsettings.ini ip -pnet -- -S",
     {.out = "net/ip='1'\nnet/-S='dash'\n"}},
    {"PrefixGetsOneSlash", "-f settings.ini -p net -v -S ip net/ip eth0/ip",
     {.out = "net/ip='1'\nnet/eth0/ip='3'\n", .err = "section 'net/net': key 'ip' is not found\n"}},
    {"PrefixKeepsItsSlashes", "-f settings.ini -p net// -S ip", {.out = "net//ip='2'\n"}},
    {"PrefixOfSlashAlone", "-f settings.ini -p / -S top", {.out = "/top='0'\n"}},
    {"LaterDeleteWins", "-w -d -f settings.ini s/k",
     {.file = "k=0\n[s]\nk=1\n", .after = "[]\nk=0\n\n[s]\n\n"}},
    {"LaterWriteWins", "-d -w -s -S -f settings.ini s/k=9",
     {.file = "k=0\n[s]\nk=1\n", .after = "[]\nk=0\n\n[s]\nk=9\n\n"}},

    // Reading keys.
    {"KeysInCommandLineOrder", "-f settings.ini top net/quote net/empty top",
     {.out = "top='0'\nquote='it's'\nempty=''\ntop='0'\n"}},
    {"NamesAsAsked", "-f settings.ini -S NET/IP top", {.out = "NET/IP='1'\n/top='0'\n"}},
    {"MissingKeysAreQuiet", "-f settings.ini net/mtu nosuch/ip net/marker", {}},
    {"MissingKeysUnderV", "-f settings.ini -v net/mtu nosuch/ip net/ net/marker net/lower",
     {.out = "lower='__qz_defval__'\n",
      .err = "section 'net': key 'mtu' is not found\nsection 'nosuch': key 'ip' is not found\n"
             "section 'net': key '' is not found\nsection 'net': key 'marker' is not found\n"}},
    {"SpellingsOfOneSection", "-f settings.ini -S net/A NET/b x/k",
     {.file = "[Net]\na=1\n[x]\nk=v\n[NET]\nb=2\n[net]\na=3\n",
      .out = "net/A='3'\nNET/b='2'\nx/k='v'\n"}},
    {"RepeatsInALongSection", "-f settings.ini s/k17 s/K30",
     {.file = kLongSection, .out = "k17='second'\nK30='again'\n"}},
    {"ZeroByteEndsItsRead", "-f settings.ini -S",
     {.file = "[s]\na=1\0junk\nb=2\n"s, .out = "s/a='1b=2'\n"}},

    // Listing sections.
    {"Sections", "-f settings.ini -s -S NET/ETH0 nosuch order '' NET/ETH0",
     {.out = "NET/ETH0/ip='3'\norder/A='1'\norder/b='2'\norder/c='3'\norder/Z='4'\n/top='0'\n"
             "NET/ETH0/ip='3'\n"}},
    {"SectionsAfterPrefix", "-f settings.ini -p net -s eth0", {.out = "ip='3'\n"}},
    {"MissingSectionsUnderV", "-f settings.ini -v -s empty nosuch",
     {.err = "section 'empty' is not found\nsection 'nosuch' is not found\n"}},
    {"EverySection", "-f settings.ini -s -S -p /",
     {.file = "k=v\n[s]\nk=w\n", .out = "/k='v'\ns/k='w'\n"}},
    {"SectionsStartingWithPrefix", "-f settings.ini -p net -S",
     {.file = "[Net2]\na=1\n[net]\nb=2\n[net/eth0]\nc=3\n[network]\nd=4\n[lan/net]\ne=5\n",
      .out = "net/b='2'\nnet/eth0/c='3'\nnetwork/d='4'\n"}},
    {"NoKeysNoOutput", "-f settings.ini", {.file = "; only a comment\n[header]\n"}},

    // The file format, shown by a rewrite that changes nothing.
    {"LinesAndValues", "-f settings.ini -d nosuch",
     {.file = "  key \t=  some value \r\n\v\bk\v=\bv\b\v\n; c=1\n  # d=2\n\t;e=3\n"
              "k2=v ; no comment\na;b=1\njust words\n=v\n = v\ne=\na = b = c\n"
              "[q]\na=\"  x  \"\nb=\"\"\nc=\"\nd=\"\"x\"y\"\"\ne=\"x\nf=x\"\ng='v'\nh = \" v \" \n",
      .after = "[]\na=b = c\na;b=1\ne=\nk=v\nk2=v ; no comment\nkey=some value\n\n"
               "[q]\na=  x  \nb=\nc=\nd=x\"y\ne=\"x\nf=x\"\ng='v'\nh= v \n\n"}},
    {"Headers", "-f settings.ini -d nosuch",
     {.file = "a=1\n [[ [ name ] ]] \nk=1\n[a[b]c]\nk=2\n[a=b]\nk=3\n[\vv\v]\nk=4\n[]\n"
              "[s] ; c=1\n[\n[t\nk=v\n[also empty]\n[ \t ]\nj=w",
      .after = "[]\n[s] ; c=1\na=1\nj=w\nk=v\n\n[\vv\v]\nk=4\n\n[a=b]\nk=3\n\n[a[b]c]\nk=2\n\n"
               "[name]\nk=1\n\n"}},
    {"NamesFoldOnlyAsciiLetters", "-f settings.ini -d nosuch",
     {.file = "[Net]\na=1\nKey=1\n[x]\nk=v\n[NET]\nb=2\nKEY=2\n[\xC3\xA9]\nk=1\n[\xC3\x89]\nk=2\n"
              "[b]\nZ=1\ny=2\nx=3\n[A]\nk=v\n",
      .after = "[A]\nk=v\n\n[b]\nx=3\ny=2\nZ=1\n\n[Net]\na=1\nb=2\nKey=2\n\n[x]\nk=v\n\n"
               "[\xC3\x89]\nk=2\n\n[\xC3\xA9]\nk=1\n\n"}},
    {"SavedBlanksAndQuotesDoNotComeBack", "-f settings.ini -S",
     {.file = "[]\nk=  padded \nnew=\"quoted\"\n\n[sec]\n=empty\n\n",
      .out = "/k='padded'\n/new='quoted'\n"}},

    // Writing and deleting.
    {"WriteKeepsSpellingsAndSorts", "-f settings.ini -w general/NAME=y top=0",
     {.file = kSettings,
      .after = "[]\ntop=0\n\n[a/b]\nk=1\n\n[General]\nName=y\n\n[sec]\nj=3\nk=2\n\n"}},
    {"PairWithoutEqualsSavesNothing", "-f settings.ini -w -p sec a=1 b c=3",
     {.file = kSettings, .err = "wrong format of key value pair: 'b'\n" + kUsage, .status = 1}},
    {"WriteIntoEmptyFile",
     "-f settings.ini -w k= a=b=c sec/k=a/b s1/s2/k=v =v sec/=w 'k = v' x=1 X=2",
     {.file = "",
      .after = "[]\n=v\na=b=c\nk=\nk = v\nx=2\n\n[s1/s2]\nk=v\n\n[sec]\n=w\nk=a/b\n\n"}},
    {"WriteAfterPrefix", "-f settings.ini -w -p sec k=v sub/k=w/x",
     {.file = "", .after = "[sec]\nk=v\n\n[sec/sub]\nk=w/x\n\n"}},
    {"DeleteLeavesEmptySections", "-f settings.ini -d top A/B/K general/NAME",
     {.file = kSettings, .after = "[]\n\n[a/b]\n\n[General]\n\n[sec]\nj=3\nk=2\n\n"}},
    {"DeleteSectionAfterPrefix", "-f settings.ini -d -s -p a b",
     {.file = kSettings, .after = "[]\ntop=0\n\n[General]\nName=first\n\n[sec]\nj=3\nk=2\n\n"}},
    {"DeleteAfterPrefixUnderV", "-f settings.ini -d -v -S -p SEC k '' K nosuch/k",
     {.file = kSettings,
      .err = "section 'SEC': key '' is not found\nsection 'SEC': key 'K' is not found\n"
             "section 'SEC/nosuch': key 'k' is not found\n",
      .after = "[]\ntop=0\n\n[a/b]\nk=1\n\n[General]\nName=first\n\n[sec]\nj=3\n\n"}},
    {"DeleteEverything", "-f settings.ini -d -s -v '' a/b general sec nosuch",
     {.file = kSettings, .err = "section 'nosuch' is not found\n", .after = ""}},
};
// clang-format on

// Shown in test lists and failures instead of the bytes of the object.
void PrintTo(const Case& c, std::ostream* out) { *out << "inikey " << c.args; }

class Tool : public ::testing::TestWithParam<Case> {};

TEST_P(Tool, Runs) {
  const auto& c = GetParam().run;
  TempDir folder;
  writeFile(folder / "settings.ini", c.file);
  // A shell splits the words; exec leaves the tool its path as argv[0].
  ::setenv("INIKEY", inikeyBinary().c_str(), 1);
  const RunResult result = runInikey({"-c", "exec \"$INIKEY\" " + std::string(GetParam().args)},
                                     folder.path(), "/bin/sh");
  EXPECT_EQ(std::tuple(result.out, result.err, result.status), std::tuple(c.out, c.err, c.status));
  EXPECT_EQ(readFile(folder / "settings.ini"), c.after != nullptr ? c.after : c.file);
  // Nothing else is made: no file for a name that was not there, no file left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, Tool, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// More key lines than are sorted at once: the lines of one key, and the headers of
// one section, far apart, still keep the first spelling and the last value. A value
// longer than the save's write buffer and than a line built for printing goes
// through both whole.
TEST(Cases, LinesFarApartInALargeFile) {
  std::string evenKeys, oddKeys, allKeys;
  for (int i = 0; i < 200000; ++i) {
    char line[16];
    std::snprintf(line, sizeof line, "key%06d=v\n", i);  // 8 bytes alike: a full compare
    (i % 2 == 0 ? evenKeys : oddKeys) += line;
    allKeys += line;
  }
  const std::string longLine = "long=" + std::string(2 << 20, 'x') + "\n";
  TempDir folder;
  writeFile(folder / "settings.ini", "[Net]\nKey=first\n" + evenKeys + "[a]\n" + longLine +
                                         oddKeys + "[NET]\nKEY=last\n" + oddKeys);
  EXPECT_EQ(runInikey({"-f", "settings.ini", "-d", "nosuch"}, folder.path()).status, 0);
  // Not EXPECT_EQ: a diff of megabytes of text takes longer than the run.
  EXPECT_TRUE(readFile(folder / "settings.ini") ==
              "[a]\n" + oddKeys + longLine + "\n[Net]\nKey=last\n" + allKeys + "\n");
  EXPECT_TRUE(runInikey({"-f", "settings.ini", "a/long"}, folder.path()).out ==
              "long='" + longLine.substr(5, 2 << 20) + "'\n");
}

}  // namespace
}  // namespace inikey::testing
