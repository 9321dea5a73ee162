// The file survives what goes on around a run: locks held and writes made by others,
// another run between a load and a save, signals during a save, its path swapped or
// removed, a full disk, paths that cannot be read. The tool runs as real processes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sched.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <future>
#include <thread>
#include <tuple>

#include "ini/IniFile.h"
#include "support/process.h"

namespace inikey::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kFile = "[net]\nip=1\n\n[ntp]\nserver=pool\n\n";

// The sanitized tool is several times slower: a smaller file to save.
#ifdef INIKEY_SANITIZED
constexpr int kKeysToSave = 100'000;
#else
constexpr int kKeysToSave = 1'000'000;
#endif

// The test holds a lock while a run starts, rewrites the file and lets go. A run that
// did not wait would print or keep ip=1, or change the file meanwhile; a writer that
// loaded beside the shared lock must put its change on top of the rewrite.
TEST(Robustness, RunsWaitForConflictingLocksAndSaveOnTopOfTheirWrites) {
  const std::string before = "[net]\nip=1\n\n";
  const std::string rewritten = "[net]\nip=2\nmtu=1500\n\n";
  const struct {
    int held;  // the test's lock while the run starts
    std::vector<std::string> args;
    std::string out, fileAfter;
  } cases[] = {
      {LOCK_EX, {"-f", "s.ini", "-S"}, "net/ip='2'\nnet/mtu='1500'\n", rewritten},
      {LOCK_SH, {"-f", "s.ini", "-w", "net/mask=8"}, "", "[net]\nip=2\nmask=8\nmtu=1500\n\n"},
      {LOCK_EX, {"-f", "s.ini", "-w", "net/mask=8"}, "", "[net]\nip=2\nmask=8\nmtu=1500\n\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args) + (c.held == LOCK_EX ? " by LOCK_EX" : ""));
    TempDir folder;
    writeFile(folder / "s.ini", before);
    const int fd = ::open((folder / "s.ini").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_TRUE(fd >= 0 && ::flock(fd, c.held) == 0);
    auto run = std::async(std::launch::async, [&] { return runInikey(c.args, folder.path()); });
    run.wait_for(200ms);
    EXPECT_EQ(readFile(folder / "s.ini"), before) << "changed under another process's lock";
    EXPECT_EQ(::pwrite(fd, rewritten.data(), rewritten.size(), 0), ssize_t(rewritten.size()));
    ::close(fd);  // lets go of the lock
    const RunResult result = run.get();
    EXPECT_EQ(result.out + result.err + std::to_string(result.status), c.out + "0");
    EXPECT_EQ(readFile(folder / "s.ini"), c.fileAfter);
  }
}

// A save of a large file, interrupted by SIGTERM at several moments after its first
// bytes are written, leaves the old file or the new one, never a mix.
TEST(Robustness, ASignalDuringASaveLeavesTheOldOrTheNewFile) {
  TempDir folder;
  std::string before;
  for (int i = 0; i < kKeysToSave; ++i)
    before.append("key").append(std::to_string(i)).append("=some value\n");
  writeFile(folder / "s.ini", before);
  ASSERT_EQ(runInikey({"-f", "s.ini", "-w", "a=1"}, folder.path()).status, 0);
  const std::string after = readFile(folder / "s.ini");
  for (const auto delay : {0ms, 1ms, 2ms, 4ms, 8ms}) {
    SCOPED_TRACE("SIGTERM " + std::to_string(delay.count()) + " ms into the save");
    writeFile(folder / "s.ini", before);
    const pid_t pid = ::fork();
    if (pid == 0) {
      const std::string binary = inikeyBinary();
      if (::chdir(folder.path().c_str()) == 0) {
        ::execl(binary.c_str(), binary.c_str(), "-f", "s.ini", "-w", "a=1", nullptr);
      }
      ::_exit(127);
    }
    // The new text begins "[]\n", the old one does not: wait for its first bytes.
    const int fd = ::open((folder / "s.ini").c_str(), O_RDONLY | O_CLOEXEC);
    int status = 0;
    bool ended = false;
    char start[4] = "";
    while (!(ended = ::waitpid(pid, &status, WNOHANG) == pid) &&
           !(::pread(fd, start, 3, 0) == 3 && std::string_view(start, 3) == "[]\n")) {
    }
    ::close(fd);
    if (!ended) {
      std::this_thread::sleep_for(delay);
      ::kill(pid, SIGTERM);
      ::waitpid(pid, &status, 0);
    }
    const std::string content = readFile(folder / "s.ini");
    EXPECT_TRUE(content == before || content == after) << "a torn file of " << content.size();
  }
}

// Runs a shell command in folder; true when it succeeds.
bool shellIn(const TempDir& folder, const std::string& command) {
  return std::system(("cd " + folder.path().string() + " && " + command).c_str()) == 0;
}

// Through the library, so that the file can change between the load and the save.
TEST(Robustness, ASaveWritesOnlyTheFileItLoadedOverWhatItLoaded) {
  const std::string byOtherRun = "[net]\nip=1\n\n[ntp]\n\n";
  const struct {
    const char* change;  // a shell command run in the folder
    int saveError;
    std::string pathAfter;  // "-" when nothing is there
  } cases[] = {
      {"rm s.ini", ENOENT, "-"},
      {"echo x=2 >new && mv new s.ini", ESTALE, "x=2\n"},
      {"echo v=1 >victim && rm s.ini && ln -s victim s.ini", ESTALE, "v=1\n"},
      {"\"$INIKEY\" -f s.ini -d ntp/server", ESTALE, byOtherRun},
  };
  ::setenv("INIKEY", inikeyBinary().c_str(), 1);
  const auto setMtu = [](IniFile& file) { setKey(sectionFor(file.sections, "net"), "mtu", "9"); };
  EXPECT_FALSE(IniFile("/nonexistent/s.ini").loaded);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.change);
    TempDir folder;
    writeFile(folder / "s.ini", kFile);
    IniFile file(folder / "s.ini");
    setMtu(file);
    ASSERT_TRUE(shellIn(folder, c.change));
    file.save();
    EXPECT_EQ(file.saveError, c.saveError);
    EXPECT_EQ(fs::exists(folder / "s.ini") ? readFile(folder / "s.ini") : "-", c.pathAfter);
    if (c.pathAfter == byOtherRun) {  // with a redo, on top of the other, whose delete holds
      file.save(setMtu);
      EXPECT_EQ(file.saveError, 0);
      EXPECT_EQ(readFile(folder / "s.ini"), "[net]\nip=1\nmtu=9\n\n");
    }
  }
}

// tmpfs reserves the blocks before writing; ext2 cannot, so the free space is checked.
// Both are mounted in a mount namespace of this process's own.
TEST(Robustness, AFullDiskLeavesTheOldContent) {
  if (::unshare(CLONE_NEWNS) != 0 ||
      ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    GTEST_SKIP() << "no mount namespace: " << std::strerror(errno);
  }
  for (const char* mount :
       {"mount -t tmpfs -o size=256k tmpfs disk",
        "truncate -s 1M img && mkfs.ext2 -q -F img && mount -o loop img disk"}) {
    SCOPED_TRACE(mount);
    TempDir folder;
    if (!shellIn(folder, std::string("mkdir disk && ") + mount + " 2>/dev/null")) {
      std::printf("skipped, cannot: %s\n", mount);
      continue;
    }
    // Several pages long, so that a save could overwrite some before the disk fills.
    std::string file;
    for (int i = 0; i < 1500; ++i) file.append("k").append(std::to_string(i)).append("=1\n");
    writeFile(folder / "disk/s.ini", file);
    std::ofstream filler(folder / "disk/filler");
    for (int block = 0; block < 1024 && filler << std::string(1024, 'f') << std::flush;) ++block;
    const RunResult result =
        runInikey({"-f", "disk/s.ini", "-w", "net/key=" + std::string(12288, 'x')}, folder.path());
    EXPECT_EQ(result.err + std::to_string(result.status),
              "file 'disk/s.ini' could not be saved: No space left on device\n0");
    EXPECT_TRUE(readFile(folder / "disk/s.ini") == file);
    ::umount((folder / "disk").c_str());
  }
}

TEST(Robustness, AFileThatCannotBeReadIsRefusedAndNeverWritten) {
  TempDir folder;
  // Root reads everything: the runs are made as nobody, who owns the folder and a copy
  // of the tool in it, since the build may lie where nobody cannot go. The saved id
  // stays root, so that the test can come back.
  const passwd* nobody = ::geteuid() == 0 ? ::getpwnam("nobody") : nullptr;
  if (::geteuid() == 0 && nobody == nullptr) GTEST_SKIP() << "root, and no user nobody";
  const std::string binary = folder / "inikey";
  fs::copy_file(inikeyBinary(), binary);
  if (nobody != nullptr) {
    ASSERT_EQ(::chown(folder.path().c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    ASSERT_EQ(::setresuid(nobody->pw_uid, nobody->pw_uid, 0), 0);
  }
  writeFile(folder / "settings.ini", kFile);
  ::chmod((folder / "settings.ini").c_str(), 0200);  // writable, not readable

  for (const char* mode : {"-v", "-w", "-d"}) {
    EXPECT_EQ(runInikey({"-f", "settings.ini", mode, "net/ip=1"}, folder.path(), binary).err,
              "file 'settings.ini' is not accessible\n");
  }
  // Nothing was written: no file made, none changed.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 2);
  ::chmod((folder / "settings.ini").c_str(), 0600);
  EXPECT_EQ(readFile(folder / "settings.ini"), kFile);
  ASSERT_TRUE(nobody == nullptr || ::setresuid(0, 0, 0) == 0);
}

// Through a symbolic link to the file, which also has a second hard link.
TEST(Robustness, SavingInPlaceKeepsInodeModeOwnerAndLinks) {
  TempDir folder;
  const fs::path path = folder / "settings.ini";
  writeFile(path, kFile);
  ::chmod(path.c_str(), 0640);
  if (::geteuid() == 0) ::chown(path.c_str(), 65534, 65534);  // an owner other than the runner
  fs::create_hard_link(path, folder / "hard.ini");
  fs::create_symlink("settings.ini", folder / "link.ini");
  struct stat before {};
  ::stat(path.c_str(), &before);
  const RunResult result = runInikey({"-f", "link.ini", "-w", "net/gw=1"}, folder.path());
  EXPECT_EQ(result.err + std::to_string(result.status), "0");
  struct stat after {};
  ::stat(path.c_str(), &after);
  EXPECT_EQ(std::tie(after.st_ino, after.st_mode, after.st_uid, after.st_gid, after.st_nlink),
            std::tie(before.st_ino, before.st_mode, before.st_uid, before.st_gid, before.st_nlink));
  EXPECT_EQ(readFile(folder / "hard.ini"), "[net]\ngw=1\nip=1\n\n[ntp]\nserver=pool\n\n");
  EXPECT_EQ(fs::read_symlink(folder / "link.ini"), "settings.ini");
}

}  // namespace
}  // namespace inikey::testing
