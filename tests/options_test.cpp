// The command line: options, their errors, the prefix and the access test.
#include <gtest/gtest.h>

#include "support/process.h"
#include "support/toolCase.h"

namespace inikey::testing {
namespace {

const std::string kFile =
    "top=0\n"
    "-S=dash\n"
    "[net]\n"
    "ip=1\n"
    "[net/]\n"
    "ip=2\n"
    "[net/eth0]\n"
    "ip=3\n";

TEST(Options, ErrorsPrintTheirMessageAndTheUsage) {
  const std::string binary = inikeyBinary();
  runCases({
      {"help", kFile, {"-h"}, "", usage(), 1},
      {"help wins over a good run", kFile, {"-f", "settings.ini", "-h", "ip"}, "", usage(), 1},
      {"nothing at all", kFile, {}, "", "filename is empty\n" + usage(), 1},
      {"only an empty -f", kFile, {"-f", "", "net/ip"}, "", "filename is empty\n" + usage(), 1},
      {"second -f", kFile, {"-f", "settings.ini", "-f", "settings.ini"}, "",
       "unexpected key: '-f'\n" + usage(), 1},
      {"second -p", kFile, {"-p", "net", "-p", "lan", "-f", "settings.ini"}, "",
       "unexpected key: '-p'\n" + usage(), 1},
      {"-p takes a lone dash", kFile, {"-p", "-", "-f", "settings.ini"}, "",
       "unexpected argument of '-p': -\n" + usage(), 1},
      {"-p swallows the next option, before -f is seen", kFile, {"-p", "-f", "settings.ini"}, "",
       "unexpected argument of '-p': -f\n" + usage(), 1},
      {"unknown option", kFile, {"-f", "settings.ini", "-x"}, "",
       binary + ": invalid option -- 'x'\n" + usage(), 1},
      {"-f without its argument", kFile, {"-f"}, "",
       binary + ": option requires an argument -- 'f'\n" + usage(), 1},
      {"write without pairs", kFile, {"-w", "-f", "settings.ini"}, "",
       "arguments mismatch\n" + usage(), 1},
      {"delete without keys", kFile, {"-d", "-f", "settings.ini"}, "",
       "arguments mismatch\n" + usage(), 1},
      {"missing file", kFile, {"-f", "missing.ini", "ip"}, "",
       "file 'missing.ini' is not accessible\n", 1},
      {"missing file in a write run", kFile, {"-w", "-f", "missing.ini", "a=1"}, "",
       "file 'missing.ini' is not accessible\n", 1},
  });
}

TEST(Options, AcceptedForms) {
  runCases({
      {"an empty -f is none, so a second one is welcome", kFile,
       {"-f", "", "-f", "settings.ini", "net/ip"}, "ip='1'\n", "", 0},
      {"an empty -p is none, so a second one is welcome", kFile,
       {"-p", "", "-p", "net", "-f", "settings.ini", "ip"}, "ip='1'\n", "", 0},
      {"options after the arguments", kFile, {"ip", "-f", "settings.ini", "-p", "net", "-S"},
       "net/ip='1'\n", "", 0},
      {"-- ends the options", kFile, {"-f", "settings.ini", "--", "-S"}, "-S='dash'\n", "", 0},
      {"options share a word, arguments stick to their letter", kFile,
       {"-vSfsettings.ini", "-pnet", "ip"}, "net/ip='1'\n", "", 0},
      {"prefix with and without its slash", kFile,
       {"-f", "settings.ini", "-p", "net/", "ip"}, "ip='1'\n", "", 0},
      {"prefix ending in two slashes keeps both", kFile,
       {"-f", "settings.ini", "-p", "net//", "ip", "-S"}, "net//ip='2'\n", "", 0},
      {"prefix already on the argument is added again", kFile,
       {"-f", "settings.ini", "-p", "net", "net/ip", "-v"}, "",
       "section 'net/net': key 'ip' is not found\n", 0},
      {"a prefix of / alone", kFile, {"-f", "settings.ini", "-p", "/", "top", "-S"},
       "/top='0'\n", "", 0},
      {"-w then -d deletes", kFile, {"-w", "-d", "-f", "settings.ini", "net//ip"}, "", "", 0,
       "[]\n-S=dash\ntop=0\n\n[net]\nip=1\n\n[net/]\n\n[net/eth0]\nip=3\n\n"},
      {"-d then -w writes", kFile, {"-d", "-w", "-f", "settings.ini", "net//ip=9"}, "", "", 0,
       "[]\n-S=dash\ntop=0\n\n[net]\nip=1\n\n[net/]\nip=9\n\n[net/eth0]\nip=3\n\n"},
      {"-s and -S change nothing in a write run", kFile,
       {"-w", "-s", "-S", "-f", "settings.ini", "net/ip=9"}, "", "", 0,
       "[]\n-S=dash\ntop=0\n\n[net]\nip=9\n\n[net/]\nip=2\n\n[net/eth0]\nip=3\n\n"},
  });
}

TEST(Options, SectionsListedForAPrefixMatchTheirStartWithCase) {
  const std::string file =
      "[Net2]\na=1\n[net]\nb=2\n[net/eth0]\nc=3\n[network]\nd=4\n[lan/net]\ne=5\n";
  runCases({
      {"no prefix lists all", file, {"-f", "settings.ini"},
       "e='5'\nb='2'\nc='3'\na='1'\nd='4'\n", "", 0},
      {"prefix net", file, {"-f", "settings.ini", "-p", "net", "-S"},
       "net/b='2'\nnet/eth0/c='3'\nnetwork/d='4'\n", "", 0},
      {"prefix / lists all", file, {"-f", "settings.ini", "-p", "/", "-s"},
       "e='5'\nb='2'\nc='3'\na='1'\nd='4'\n", "", 0},
      {"prefix NET matches nothing", file, {"-f", "settings.ini", "-p", "NET"}, "", "", 0},
  });
}

TEST(Options, AWriteRunNeverCreatesAFile) {
  TempDir folder;
  const RunResult result = runInikey({"-w", "-f", "new.ini", "a=1"}, folder.path());
  EXPECT_EQ(result.status, 1);
  EXPECT_FALSE(std::filesystem::exists(folder / "new.ini"));
}

}  // namespace
}  // namespace inikey::testing
