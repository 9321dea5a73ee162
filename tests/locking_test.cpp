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
#include <vector>

#include "support/process.h"

namespace inikey::testing {
namespace {

using namespace std::chrono_literals;

// True once /proc/locks shows a process blocked on a flock of file, false when the
// run ends first. Its lines name the file as "<major>:<minor>:<inode>", device in hex.
bool runBlocksOn(const struct stat& file, std::future<RunResult>& run) {
  char id[64];
  std::snprintf(id, sizeof id, " %02x:%02x:%lu ", ::major(file.st_dev), ::minor(file.st_dev),
                static_cast<unsigned long>(file.st_ino));
  const auto giveUp = std::chrono::steady_clock::now() + 30s;
  while (std::chrono::steady_clock::now() < giveUp &&
         run.wait_for(10ms) != std::future_status::ready) {
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
      if (line.find("-> FLOCK") != line.npos && line.find(id) != line.npos) return true;
    }
  }
  return false;
}

TEST(Locking, RunsWaitForConflictingLocksAndSeeOnlyWholeFiles) {
  const std::string before = "[net]\nip=1\n\n";
  // What the holder of the exclusive lock writes before it lets go.
  const std::string rewritten = "[net]\nip=2\nmtu=1500\n\n";
  const struct {
    int held;  // the test's lock while the run starts
    std::vector<std::string> args;
    bool waits;
    std::string out, fileAfter;
  } cases[] = {
      {LOCK_SH, {"-f", "s.ini", "net/ip"}, false, "ip='1'\n", before},
      {LOCK_EX, {"-f", "s.ini", "-S"}, true, "net/ip='2'\nnet/mtu='1500'\n", rewritten},
      {LOCK_SH, {"-f", "s.ini", "-w", "net/mask=8"}, true, "", "[net]\nip=1\nmask=8\n\n"},
      {LOCK_EX, {"-f", "s.ini", "-w", "net/mask=8"}, true, "", "[net]\nip=2\nmask=8\nmtu=1500\n\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args) +
                 (c.held == LOCK_EX ? " beside LOCK_EX" : " beside LOCK_SH"));
    TempDir folder;
    writeFile(folder / "s.ini", before);
    const int fd = ::open((folder / "s.ini").c_str(), O_RDWR | O_CLOEXEC);
    struct stat file {};
    ASSERT_TRUE(fd >= 0 && ::fstat(fd, &file) == 0 && ::flock(fd, c.held) == 0);
    auto run = std::async(std::launch::async, [&] { return runInikey(c.args, folder.path()); });
    EXPECT_EQ(runBlocksOn(file, run), c.waits);
    EXPECT_EQ(readFile(folder / "s.ini"), before) << "changed under another process's lock";
    if (c.held == LOCK_EX) {
      EXPECT_EQ(::pwrite(fd, rewritten.data(), rewritten.size(), 0), ssize_t(rewritten.size()));
    }
    ::close(fd);  // lets go of the lock
    const RunResult result = run.get();
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(readFile(folder / "s.ini"), c.fileAfter);
  }
}

}  // namespace
}  // namespace inikey::testing
