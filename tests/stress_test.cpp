// Many runs on one file at once: eight writers set keys of their own while four
// readers list the whole file in a loop. No run may fail and no listing may show
// less than a whole saved file; the file must read back at the end. An update that
// lands between another run's load and its save is lost by design (no lock spans
// both), so lost updates are counted and printed, not failed.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <set>
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

// The sections that every whole file holds, first and last in the listing.
const std::string kFirstLine = "a/begin='here'";
const std::string kLastLine = "z/end='here'";

std::string sectionOf(int writer) { return std::string("w") + std::to_string(writer); }
std::string keyOf(int run) { return std::string("k") + std::to_string(run); }

// Values of many lengths, so that a file cut anywhere cuts one of them.
std::string valueOf(int writer, int run) {
  return std::to_string(writer) + "." + std::to_string(run) + "-" +
         std::string(static_cast<size_t>((writer * 31 + run * 17) % 200),
                     static_cast<char>('a' + (writer + run) % 26));
}

// Checks one listing of "-S" and counts the writers' keys in it. False when it is
// not what a whole saved file lists: sentinels missing, a line cut or garbled, a
// value that no writer wrote.
bool isWholeListing(const std::string& listing, size_t& keysSeen) {
  std::istringstream lines(listing);
  std::vector<std::string> all;
  for (std::string line; std::getline(lines, line);) all.push_back(line);
  if (listing.empty() || listing.back() != '\n') return false;
  if (all.size() < 2 || all.front() != kFirstLine || all.back() != kLastLine) return false;
  keysSeen = 0;
  for (size_t i = 1; i + 1 < all.size(); ++i) {
    int writer = -1;
    int run = -1;
    if (std::sscanf(all[i].c_str(), "w%d/k%d=", &writer, &run) != 2) return false;
    const std::string expected =
        sectionOf(writer) + "/" + keyOf(run) + "='" + valueOf(writer, run) + "'";
    if (all[i] != expected) return false;
    ++keysSeen;
  }
  return true;
}

// The first few failures of the threads, reported once they are joined.
struct Failures {
  std::mutex mutex;
  std::vector<std::string> messages;
  void add(const std::string& message) {
    const std::lock_guard<std::mutex> lock(mutex);
    if (messages.size() < 10) messages.push_back(message);
  }
};

std::string describe(const RunResult& result) {
  return std::string("status ") + std::to_string(result.status) + ", stderr '" + result.err + "'";
}

TEST(Stress, ConcurrentWritersAndReadersNeverSeeAHalfWrittenFile) {
  TempDir folder;
  const std::string path = folder / "stress.ini";
  writeFile(path, "[a]\nbegin=here\n\n[z]\nend=here\n\n");

  Failures failures;
  std::atomic<int> writersLeft{kWriters};
  std::atomic<int> reads{0};
  std::atomic<int> tornReads{0};

  std::vector<std::thread> threads;
  for (int writer = 0; writer < kWriters; ++writer) {
    threads.emplace_back([&, writer] {
      for (int run = 0; run < kRunsPerWriter; ++run) {
        const std::string pair = sectionOf(writer) + "/" + keyOf(run) + "=" + valueOf(writer, run);
        const RunResult result = runInikey({"-f", "stress.ini", "-w", pair}, folder.path());
        if (result.status != 0 || !result.err.empty() || !result.out.empty()) {
          failures.add("writer " + pair + ": " + describe(result));
        }
      }
      --writersLeft;
    });
  }
  for (int reader = 0; reader < kReaders; ++reader) {
    threads.emplace_back([&] {
      while (writersLeft > 0) {
        const RunResult result = runInikey({"-f", "stress.ini", "-S"}, folder.path());
        ++reads;
        size_t keysSeen = 0;
        if (result.status != 0 || !result.err.empty()) {
          failures.add("reader: " + describe(result));
        } else if (!isWholeListing(result.out, keysSeen)) {
          ++tornReads;
          failures.add("reader saw a torn file:\n" + result.out);
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const std::string& message : failures.messages) ADD_FAILURE() << message;

  // The final file reads back through the tool and is exactly the saved layout of
  // what it holds.
  const RunResult last = runInikey({"-f", "stress.ini", "-S"}, folder.path());
  size_t keysKept = 0;
  EXPECT_EQ(last.status, 0);
  EXPECT_TRUE(isWholeListing(last.out, keysKept)) << last.out;
  const IniFile document(path);
  EXPECT_EQ(readFile(path), savedText(document.sections));

  const int runs = kWriters * kRunsPerWriter;
  const int lostUpdates = runs - static_cast<int>(keysKept);
  EXPECT_EQ(tornReads, 0);
  std::printf("stress: %d write runs, %d reads, %d torn reads, %d lost updates\n", runs,
              reads.load(), tornReads.load(), lostUpdates);
  RecordProperty("writeRuns", runs);
  RecordProperty("reads", reads.load());
  RecordProperty("tornReads", tornReads.load());
  RecordProperty("lostUpdates", lostUpdates);
}

}  // namespace
}  // namespace inikey::testing
