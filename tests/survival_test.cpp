// The file survives what can go wrong around it: a full disk, a path that cannot be
// read, a directory in its place; and saving in place keeps the file's identity.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/process.h"

namespace inikey::testing {
namespace {

namespace fs = std::filesystem;

const std::string kFile = "[net]\nip=10.0.0.1\nmtu=1500\n\n[ntp]\nserver=pool\n\n";

// Size and modification time of folder and of everything in it: a run that writes
// nothing leaves them all as they were. Reads no file, so it works without rights.
std::map<std::string, std::pair<off_t, long>> snapshot(const fs::path& folder) {
  std::map<std::string, std::pair<off_t, long>> entries;
  auto add = [&](const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    entries[path.string()] = {status.st_size,
                              status.st_mtim.tv_sec * 1'000'000'000L + status.st_mtim.tv_nsec};
  };
  add(folder);
  for (const auto& entry : fs::recursive_directory_iterator(folder)) add(entry.path());
  return entries;
}

// Mounts a tmpfs of size at folder, in a mount namespace of this process's own, so
// that nothing outside sees it and it goes away with the process. Returns an empty
// string, or why it cannot.
std::string mountSmallDisk(const fs::path& folder, const char* size) {
  if (::unshare(CLONE_NEWNS) != 0) return std::string("unshare: ") + std::strerror(errno);
  if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    return std::string("private mounts: ") + std::strerror(errno);
  }
  const std::string options = std::string("size=") + size;
  if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) {
    return std::string("mount tmpfs: ") + std::strerror(errno);
  }
  return "";
}

// Unmounts at the end of the scope, before the folder below is removed.
struct Unmount {
  fs::path path;
  ~Unmount() { ::umount(path.c_str()); }
};

// Writes to path until the disk is full. Returns the bytes written.
size_t fillDisk(const fs::path& path) {
  FILE* file = std::fopen(path.c_str(), "w");
  EXPECT_NE(file, nullptr);
  if (file == nullptr) return 0;
  std::setvbuf(file, nullptr, _IONBF, 0);
  const std::string block(512, 'f');
  size_t written = 0;
  while (std::fwrite(block.data(), 1, block.size(), file) == block.size()) written += block.size();
  std::fclose(file);
  return written;
}

TEST(Survival, AFullDiskLeavesTheOldContent) {
  TempDir folder;
  fs::create_directory(folder / "disk");
  const std::string why = mountSmallDisk(folder / "disk", "256k");
  if (!why.empty()) GTEST_SKIP() << "cannot mount a small tmpfs here (" << why << ")";
  const Unmount unmount{folder / "disk"};

  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string err;
    std::string fileAfter;
  };
  const std::string bigValue(size_t{3} * 4096, 'x');
  const std::vector<Case> cases = {
      {"a write that needs new blocks fails and keeps every byte",
       {"-w", "net/key=" + bigValue},
       "file 'disk/settings.ini' could not be saved: No space left on device\n",
       kFile},
      {"a write that fits the file's blocks is saved",
       {"-w", "net/gw=10.0.0.254"},
       "",
       "[net]\ngw=10.0.0.254\nip=10.0.0.1\nmtu=1500\n\n[ntp]\nserver=pool\n\n"},
      {"a delete needs no space and is saved",
       {"-d", "-s", "ntp"},
       "",
       "[net]\nip=10.0.0.1\nmtu=1500\n\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(folder / "disk/settings.ini", kFile);
    ASSERT_GT(fillDisk(folder / "disk/filler"), 0u);
    std::vector<std::string> args = {"-f", "disk/settings.ini"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const RunResult result = runInikey(args, folder.path());
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(readFile(folder / "disk/settings.ini"), c.fileAfter);
    fs::remove(folder / "disk/filler");
  }
}

// Runs with the real and effective user id of nobody until the end of the scope; the
// saved id stays root, so that the test can come back.
struct AsNobody {
  explicit AsNobody(uid_t nobody) { EXPECT_EQ(::setresuid(nobody, nobody, 0), 0); }
  ~AsNobody() { EXPECT_EQ(::setresuid(0, 0, 0), 0); }
  AsNobody(const AsNobody&) = delete;
  AsNobody& operator=(const AsNobody&) = delete;
};

struct RefusedCase {
  const char* name;
  std::string path;  // given to -f
  std::vector<std::string> args;
  std::string err;
  int status;
};

void runRefused(const std::vector<RefusedCase>& cases, const fs::path& folder) {
  for (const RefusedCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto before = snapshot(folder);
    std::vector<std::string> args = {"-f", c.path};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const RunResult result = runInikey(args, folder);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(snapshot(folder), before) << "something was written";
  }
}

TEST(Survival, PathsThatCannotBeReadAreNeverWritten) {
  TempDir folder;
  writeFile(folder / "settings.ini", kFile);
  fs::create_directory(folder / "conf.d");
  writeFile(folder / "conf.d/inner.ini", kFile);
  runRefused(
      {
          {"a missing file, deleting",
           "missing.ini",
           {"-d", "net/ip"},
           "file 'missing.ini' is not accessible\n",
           1},
          {"a file in a missing folder, writing",
           "gone/settings.ini",
           {"-w", "net/ip=1"},
           "file 'gone/settings.ini' is not accessible\n",
           1},
          {"a directory, reading", "conf.d", {}, "file 'conf.d' could not be read\n", 0},
          {"a directory, writing",
           "conf.d",
           {"-w", "net/ip=1"},
           "file 'conf.d' could not be read\n",
           0},
          {"a directory, deleting",
           "conf.d",
           {"-d", "-s", "net"},
           "file 'conf.d' could not be read\n",
           0},
      },
      folder.path());
}

TEST(Survival, AFileItsUserCannotReadIsRefusedInEveryMode) {
  TempDir folder;
  const fs::path path = folder / "settings.ini";
  writeFile(path, kFile);
  // Writable but not readable: read permission is the test, also for a write run.
  ::chmod(path.c_str(), 0200);
  std::optional<AsNobody> dropped;
  if (::geteuid() == 0) {
    // Root reads everything, so the runs are made as nobody, who owns the file.
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr) GTEST_SKIP() << "running as root and there is no user nobody";
    ASSERT_EQ(::chown(path.c_str(), nobody->pw_uid, static_cast<gid_t>(-1)), 0);
    ::chmod(folder.path().c_str(), 0755);
    dropped.emplace(nobody->pw_uid);
  }
  ASSERT_EQ(::access(path.c_str(), W_OK), 0) << "the file should be writable";
  ASSERT_NE(::access(path.c_str(), R_OK), 0) << "the file should not be readable";
  const std::string err = "file 'settings.ini' is not accessible\n";
  runRefused(
      {
          {"reading", "settings.ini", {"net/ip"}, err, 1},
          {"writing", "settings.ini", {"-w", "net/ip=1"}, err, 1},
          {"deleting", "settings.ini", {"-d", "-s", "net"}, err, 1},
      },
      folder.path());
  dropped.reset();
  EXPECT_EQ(::chmod(path.c_str(), 0600), 0);
  EXPECT_EQ(readFile(path), kFile);
}

TEST(Survival, SavingInPlaceKeepsInodeModeOwnerAndLinks) {
  struct Case {
    const char* name;
    std::string path;  // given to -f
  };
  const std::vector<Case> cases = {
      {"the file itself", "settings.ini"},
      {"a symbolic link to it", "link.ini"},
      {"a second hard link to it", "hard.ini"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir folder;
    const fs::path path = folder / "settings.ini";
    writeFile(path, kFile);
    ::chmod(path.c_str(), 0640);
    // An owner other than the one running, where the test may give the file away.
    if (::geteuid() == 0) {
      ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    }
    fs::create_hard_link(path, folder / "hard.ini");
    fs::create_symlink("settings.ini", folder / "link.ini");
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);

    const RunResult result = runInikey({"-f", c.path, "-w", "net/gw=10.0.0.254"}, folder.path());
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);

    const std::string saved =
        "[net]\ngw=10.0.0.254\nip=10.0.0.1\nmtu=1500\n\n[ntp]\nserver=pool\n\n";
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(readFile(path), saved);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(after.st_nlink, 2u);
    EXPECT_EQ(readFile(folder / "hard.ini"), saved);
    EXPECT_TRUE(fs::is_symlink(folder / "link.ini"));
    EXPECT_EQ(fs::read_symlink(folder / "link.ini"), "settings.ini");
  }
}

}  // namespace
}  // namespace inikey::testing
