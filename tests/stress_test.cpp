// Many runs on one file at once: eight writers set keys of their own while four
// readers list the whole file in a loop. No run may fail and no listing may show
// less than a whole saved file; the file must read back at the end. An update that
// lands between another run's load and its save is lost by design (no lock spans
// both), so lost updates are counted and printed, not failed.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ini/IniFile.h"
#include "support/process.h"

namespace inikey::testing {
namespace {

constexpr int kWriters = 8;
constexpr int kReaders = 4;
#ifdef INIKEY_SANITIZED
constexpr int kRunsPerWriter = 25;
#else
constexpr int kRunsPerWriter = 100;
#endif

// Writer w's key of run r and its value, joined by between. Values of many lengths,
// so that a file cut or overwritten anywhere shows in one of them.
std::string entry(int w, int r, const char* between, const char* after) {
  return std::string("w") + std::to_string(w) + "/k" + std::to_string(r) + between +
         std::string((w * 31 + r * 17) % 200 + 1u, char('a' + (w + r) % 26)) + after;
}

// The number of writers' keys in a listing of "-S", or -1 when it is not what a whole
// saved file lists: a sentinel section missing, a line cut or garbled.
int keysIn(const std::string& listing) {
  const std::string first = "a/begin='here'\n", last = "z/end='here'\n";
  if (!listing.starts_with(first) || !listing.ends_with(last)) return -1;
  std::istringstream lines(
      listing.substr(first.size(), listing.size() - first.size() - last.size()));
  int keys = 0;
  for (std::string line; std::getline(lines, line); ++keys) {
    int w = -1, r = -1;
    std::sscanf(line.c_str(), "w%d/k%d", &w, &r);
    if (w < 0 || w >= kWriters || r < 0 || r >= kRunsPerWriter || line != entry(w, r, "='", "'")) {
      return -1;
    }
  }
  return keys;
}

TEST(Stress, ConcurrentWritersAndReadersNeverSeeAHalfWrittenFile) {
  TempDir folder;
  writeFile(folder / "s.ini", "[a]\nbegin=here\n\n[z]\nend=here\n\n");
  std::atomic<int> writersLeft{kWriters}, reads{0};
  std::vector<std::thread> threads;
  for (int w = 0; w < kWriters; ++w) {
    threads.emplace_back([&, w] {
      for (int r = 0; r < kRunsPerWriter; ++r) {
        const RunResult result =
            runInikey({"-f", "s.ini", "-w", entry(w, r, "=", "")}, folder.path());
        EXPECT_EQ(result.out + result.err + std::to_string(result.status), "0");
      }
      --writersLeft;
    });
  }
  for (int reader = 0; reader < kReaders; ++reader) {
    threads.emplace_back([&] {
      for (; writersLeft > 0; ++reads) {
        const RunResult result = runInikey({"-f", "s.ini", "-S"}, folder.path());
        EXPECT_EQ(result.err + std::to_string(result.status), "0");
        EXPECT_GE(keysIn(result.out), 0) << "a torn file:\n" << result.out;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  // The final file reads back, and is the saved layout of what it holds.
  const RunResult last = runInikey({"-f", "s.ini", "-S"}, folder.path());
  const int keysKept = keysIn(last.out);
  EXPECT_GE(keysKept, 0) << last.err << last.out;
  EXPECT_EQ(readFile(folder / "s.ini"), savedText(IniFile(folder / "s.ini").sections));
  std::printf("stress: %d write runs, %d reads, %d lost updates\n", kWriters * kRunsPerWriter,
              reads.load(), kWriters * kRunsPerWriter - keysKept);
}

}  // namespace
}  // namespace inikey::testing
