// Files no one would write by hand, made by the test: junk, zero bytes, one huge
// line, a million sections, bare carriage returns, names with every byte. Each run
// must end with its defined output and status, in bounded time.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "support/process.h"

namespace inikey::testing {
namespace {

// The sanitizers make the tool several times slower; the optimised build takes the
// full sizes.
#ifdef INIKEY_SANITIZED
constexpr size_t kScale = 4;
constexpr double kSecondsPerRun = 60;
#else
constexpr size_t kScale = 1;
constexpr double kSecondsPerRun = 10;
#endif

TEST(Hostile, InputsNoOneWouldWrite) {
  const size_t size = (1 << 20) / kScale;
  std::mt19937 random(6);
  std::string junk;  // every byte but '=', so no key
  while (junk.size() < size) {
    if (const char c = static_cast<char>(random()); c != '=') junk += c;
  }
  std::string zeroFirst, zeroLast, joined = "k0='0";
  for (size_t i = 0; zeroFirst.size() < size; ++i) {
    const std::string line = std::string("k") + std::to_string(i) + "=" + std::to_string(i);
    zeroFirst += '\0' + line + '\n';
    zeroLast += line + '\0' + '\n';
    if (i > 0) joined += line;
  }
  const std::string longLine = "key=" + std::string((50u << 20) / kScale, 'x');
  std::string sections, sectionListing;
  for (size_t i = 0; i < 1'000'000 / kScale; ++i) {
    const std::string name = std::string("s") + std::to_string(1'000'000 + i);  // all of one length
    sections += "[" + name + "]\na=" + std::to_string(i) + "\n\n";
    sectionListing += name + "/a='" + std::to_string(i) + "'\n";
  }
  const std::string allButFirst = sections.substr(sections.find("[s1000001]"));
  const std::string returns(1 << 20, '\r');
  // Names with every byte from 0x01 to 0xff where no trimming reaches it, after the
  // byte's number, which keeps them unique and in order. A line feed cannot stand in a
  // line of the file: the write run brings it.
  const std::string lineFeed = "1010\n1010",
                    nameWritten = "s" + lineFeed + "/k" + lineFeed + "=v" + lineFeed;
  std::string names, nameListing, namesSaved;
  for (int byte = 1; byte <= 0xff; ++byte) {
    const std::string number = std::to_string(1000 + byte);
    const std::string middle = number + static_cast<char>(byte) + number;
    const std::string section = "s" + middle, line = "k" + middle + "=v" + middle;
    namesSaved += "[" + section + "]\n" + line + "\n\n";
    if (byte == '\n') continue;
    names += "[" + section + "]\n" + line + "\n";
    const size_t equals = line.find('=');  // the key ends at the first one
    nameListing += section + "/" + line.substr(0, equals) + "='" + line.substr(equals + 1) + "'\n";
  }

  const struct {
    const char* name;
    std::string file;
    std::vector<std::string> args;  // after "-f s.ini"
    std::string out;
    std::string fileAfter = "";  // empty: unchanged
  } cases[] = {
      {"junk holds no key", junk, {"-w", "s/k=v"}, "", "[s]\nk=v\n\n"},
      {"zero bytes hold no key", std::string(size, '\0'), {"-w", "s/k=v"}, "", "[s]\nk=v\n\n"},
      {"a zero byte before each line drops the line", zeroFirst, {}, ""},
      // It ends the text of its read, the line feed with it: one line of all the keys.
      {"a zero byte after each line's text joins the lines", zeroLast, {}, joined + "'\n"},
      {"a line of 50 MB", longLine, {"key"}, "key='" + longLine.substr(4) + "'\n"},
      {"a line of 50 MB, saved", longLine, {"-w", "k=1"}, "", "[]\nk=1\n" + longLine + "\n\n"},
      {"a million sections", sections, {"-S"}, sectionListing},
      {"a million sections less one", sections, {"-d", "-s", "s1000000"}, "", allButFirst},
      {"only carriage returns", returns, {}, ""},
      {"carriage returns end no line", returns + "a=1\rb=2\r" + returns, {}, "a='1\rb=2'\n"},
      {"names with every byte are listed", names, {"-S"}, nameListing},
      {"names with every byte are saved", names, {"-w", nameWritten}, "", namesSaved},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir folder;
    writeFile(folder / "s.ini", c.file);
    std::vector<std::string> args = {"-f", "s.ini"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto start = std::chrono::steady_clock::now();
    const RunResult result = runInikey(args, folder.path());
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took.count(), kSecondsPerRun);
    EXPECT_EQ(result.err + std::to_string(result.status), "0");
    // Outputs and files run to megabytes: compare them without printing them.
    EXPECT_TRUE(result.out == c.out) << "stdout starts: " << result.out.substr(0, 200);
    EXPECT_TRUE(readFile(folder / "s.ini") == (c.fileAfter.empty() ? c.file : c.fileAfter));
  }
}

}  // namespace
}  // namespace inikey::testing
