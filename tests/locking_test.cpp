// Advisory locks between processes: the test holds a lock on the file, as another
// run would, and a run of the tool must wait for it when the two conflict.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "support/process.h"

namespace inikey::testing {
namespace {

using namespace std::chrono_literals;

const std::string kFile = "[net]\nip=1\n\n";
const std::string kRewritten = "[net]\nip=2\nmtu=1500\n\n";

struct LockCase {
  const char* name;
  int heldLock;  // LOCK_SH or LOCK_EX, held by the test while the run starts
  std::vector<std::string> args;
  bool waits;
  std::string rewriteUnderLock;  // what the holder writes before it lets go; empty: nothing
  std::string out;
  std::string fileAfter;
};

// True when /proc/locks shows a process blocked on a flock of the file.
bool someoneWaitsOn(const struct stat& file) {
  // Lines end with "<major>:<minor>:<inode> <start> <end>", the numbers of the device in hex.
  char id[64];
  std::snprintf(id, sizeof id, " %02x:%02x:%lu ", ::major(file.st_dev), ::minor(file.st_dev),
                static_cast<unsigned long>(file.st_ino));
  std::ifstream locks("/proc/locks");
  for (std::string line; std::getline(locks, line);) {
    if (line.find("-> FLOCK") != std::string::npos && line.find(id) != std::string::npos) {
      return true;
    }
  }
  return false;
}

// Waits until the run is seen blocked on the file's lock (true) or has ended without
// blocking (false).
bool runBlocksOn(const struct stat& file, std::future<RunResult>& run) {
  const auto giveUp = std::chrono::steady_clock::now() + 30s;
  while (std::chrono::steady_clock::now() < giveUp) {
    if (someoneWaitsOn(file)) return true;
    if (run.wait_for(10ms) == std::future_status::ready) return false;
  }
  return false;
}

TEST(Locking, RunsWaitForConflictingLocksAndSeeOnlyWholeFiles) {
  const std::vector<LockCase> cases = {
      {"a reader shares the file with another reader",
       LOCK_SH,
       {"net/ip"},
       false,
       "",
       "ip='1'\n",
       kFile},
      {"a reader waits for a writer, then reads what it wrote",
       LOCK_EX,
       {"-S", "-s", "net"},
       true,
       kRewritten,
       "net/ip='2'\nnet/mtu='1500'\n",
       kRewritten},
      {"a writer waits for a reader before it saves",
       LOCK_SH,
       {"-w", "net/mask=8"},
       true,
       "",
       "",
       "[net]\nip=1\nmask=8\n\n"},
      {"a writer waits for another writer, then keeps its change",
       LOCK_EX,
       {"-w", "net/mask=8"},
       true,
       kRewritten,
       "",
       "[net]\nip=2\nmask=8\nmtu=1500\n\n"},
      {"a delete waits for a reader before it saves",
       LOCK_SH,
       {"-d", "net/ip"},
       true,
       "",
       "",
       "[net]\n\n"},
  };
  for (const LockCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir folder;
    const std::string path = folder / "settings.ini";
    writeFile(path, kFile);
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    struct stat status {};
    ASSERT_EQ(::fstat(fd, &status), 0);
    ASSERT_EQ(::flock(fd, c.heldLock), 0);

    std::vector<std::string> args = {"-f", "settings.ini"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    std::future<RunResult> run =
        std::async(std::launch::async, [&] { return runInikey(args, folder.path()); });
    EXPECT_EQ(runBlocksOn(status, run), c.waits);
    if (c.waits) {
      EXPECT_EQ(readFile(path), kFile) << "the file changed under another process's lock";
    }
    if (!c.rewriteUnderLock.empty()) {
      // Half a file first: a run that did not wait would see it.
      const std::string& text = c.rewriteUnderLock;
      ASSERT_EQ(::ftruncate(fd, 0), 0);
      ASSERT_EQ(::pwrite(fd, text.data(), text.size() / 2, 0), ssize_t(text.size() / 2));
      std::this_thread::sleep_for(50ms);
      ASSERT_EQ(::pwrite(fd, text.data(), text.size(), 0), ssize_t(text.size()));
    }
    ::flock(fd, LOCK_UN);
    ::close(fd);

    const RunResult result = run.get();
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(readFile(path), c.fileAfter);
  }
}

}  // namespace
}  // namespace inikey::testing
