// Files no one would write by hand, made by the test: junk, zero bytes, one huge
// line, a million sections, bare carriage returns, names with every byte. Each run
// must end with its defined output and status, in bounded time.
#include <gtest/gtest.h>
#include <strings.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "ini/IniFile.h"
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

struct HostileCase {
  const char* name;
  std::string file;
  std::vector<std::string> args;  // after "-f settings.ini"
  std::string out;
  std::optional<std::string> fileAfter = std::nullopt;  // none: unchanged
};

void runHostile(const std::vector<HostileCase>& cases) {
  for (const HostileCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir folder;
    writeFile(folder / "settings.ini", c.file);
    std::vector<std::string> args = {"-f", "settings.ini"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto start = std::chrono::steady_clock::now();
    const RunResult result = runInikey(args, folder.path());
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took.count(), kSecondsPerRun);
    // Outputs run to megabytes: compare them without printing them.
    EXPECT_TRUE(result.out == c.out) << "stdout of " << result.out.size() << " bytes, expected "
                                     << c.out.size() << ", starts: " << result.out.substr(0, 200);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    const std::string fileAfter = readFile(folder / "settings.ini");
    EXPECT_TRUE(fileAfter == c.fileAfter.value_or(c.file))
        << "file of " << fileAfter.size() << " bytes, starts: " << fileAfter.substr(0, 200);
  }
}

std::string randomBytes(size_t size, bool withEquals) {
  std::mt19937 random(6);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string bytes;
  bytes.reserve(size);
  while (bytes.size() < size) {
    const char c = static_cast<char>(byte(random));
    if (withEquals || c != '=') bytes += c;
  }
  return bytes;
}

// What a read run without keys prints for the document the library loads from path.
std::string listing(const std::string& path) {
  const IniFile document(path);
  std::string out;
  for (const auto& [sectionName, keys] : document.sections) {
    for (const auto& [keyName, value] : keys) out += keyName + "='" + value + "'\n";
  }
  return out;
}

TEST(Hostile, JunkAndZeroBytes) {
  const size_t size = (1 << 20) / kScale;
  const std::string noEquals = randomBytes(size, false);
  const std::string zeros(size, '\0');
  std::string zeroFirst;
  std::string zeroLast;
  std::string joined = "k0='0";
  for (size_t i = 0; zeroFirst.size() < size; ++i) {
    const std::string line = std::string("k") + std::to_string(i) + "=" + std::to_string(i);
    zeroFirst += '\0' + line + '\n';
    zeroLast += line + '\0' + '\n';
    if (i > 0) joined += line;
  }
  joined += "'\n";
  runHostile({
      {"junk without '=' holds no key", noEquals, {}, ""},
      {"junk without '=' is replaced by the written key",
       noEquals,
       {"-w", "s/k=v"},
       "",
       "[s]\nk=v\n\n"},
      {"only zero bytes hold no key", zeros, {}, ""},
      {"only zero bytes are replaced by the written key",
       zeros,
       {"-w", "s/k=v"},
       "",
       "[s]\nk=v\n\n"},
      {"a zero byte before each line drops every line", zeroFirst, {}, ""},
      // It ends the text of its read, the line feed with it: one line of all the keys.
      {"a zero byte after each line's text joins all lines", zeroLast, {}, joined},
  });
}

TEST(Hostile, JunkWithEveryByte) {
  TempDir folder;
  const std::string junk = randomBytes((1 << 20) / kScale, true);
  writeFile(folder / "junk.ini", junk);
  IniFile written(folder / "junk.ini");
  written.sections["s"]["k"] = "v";
  runHostile({
      {"junk lists what the library reads from it", junk, {}, listing(folder / "junk.ini")},
      {"junk is saved in the saved layout", junk, {"-w", "s/k=v"}, "", savedText(written.sections)},
  });
}

TEST(Hostile, HugeLineManySectionsCarriageReturns) {
  const std::string longValue((50u << 20) / kScale, 'x');
  const size_t sectionCount = 1'000'000 / kScale;
  std::string sections;
  std::string sectionListing;
  for (size_t i = 0; i < sectionCount; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "s%07zu", i);
    sections += std::string("[") + name + "]\na=" + std::to_string(i) + "\n\n";
    sectionListing += std::string(name) + "/a='" + std::to_string(i) + "'\n";
  }
  const size_t firstSection = sections.find("[s0000001]");
  const std::string returns(1 << 20, '\r');
  runHostile({
      {"a single line of 50 MB", "key=" + longValue, {"key"}, "key='" + longValue + "'\n"},
      {"a single line of 50 MB, saved",
       "key=" + longValue,
       {"-w", "other=1"},
       "",
       "[]\nkey=" + longValue + "\nother=1\n\n"},
      {"a million sections", sections, {"-S"}, sectionListing},
      {"a million sections less one",
       sections,
       {"-d", "-s", "s0000000"},
       "",
       sections.substr(firstSection)},
      {"only carriage returns", returns, {}, ""},
      {"carriage returns end no line", returns + "a=1\rb=2\r" + returns, {}, "a='1\rb=2'\n"},
  });
}

// Names with every byte from 0x01 to 0xff in the middle, where no trimming reaches
// them, made unique across letter case by the byte's number.
TEST(Hostile, NamesWithEveryByte) {
  struct Entry {
    std::string section, key, value;
  };
  std::vector<Entry> entries;
  std::string file;
  for (int byte = 1; byte <= 0xff; ++byte) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", byte);
    const std::string middle = std::string(1, static_cast<char>(byte)) + hex;
    // A line feed cannot stand inside a line of a file; the write run below brings it.
    if (byte == '\n') continue;
    file += "[s" + middle + "]\nk" + middle + "=v" + middle + "\n";
    // The key ends at the first "=".
    if (byte == '=') {
      entries.push_back({"s" + middle, "k", std::string(hex) + "=v" + middle});
    } else {
      entries.push_back({"s" + middle, "k" + middle, "v" + middle});
    }
  }
  const std::string lineFeed = "\n0a";
  const std::string written = "s" + lineFeed + "/k" + lineFeed + "=v" + lineFeed;

  auto sorted = [](std::vector<Entry> list) {
    std::stable_sort(list.begin(), list.end(), [](const Entry& a, const Entry& b) {
      return ::strcasecmp(a.section.c_str(), b.section.c_str()) < 0;
    });
    return list;
  };
  std::string listing;
  for (const Entry& e : sorted(entries))
    listing += e.section + "/" + e.key + "='" + e.value + "'\n";
  entries.push_back({"s" + lineFeed, "k" + lineFeed, "v" + lineFeed});
  std::string saved;
  for (const Entry& e : sorted(entries))
    saved += "[" + e.section + "]\n" + e.key + "=" + e.value + "\n\n";

  runHostile({
      {"names with every byte are listed", file, {"-S"}, listing},
      {"names with every byte are saved byte for byte", file, {"-w", written}, "", saved},
  });
}

}  // namespace
}  // namespace inikey::testing
