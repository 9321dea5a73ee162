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
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "support/process.h"

namespace inikey::testing {
namespace {

namespace fs = std::filesystem;

const std::string kFile = "[net]\nip=1\n\n[ntp]\nserver=pool\n\n";

TEST(Survival, AFullDiskLeavesTheOldContent) {
  TempDir folder;
  const fs::path disk = folder / "disk";
  fs::create_directory(disk);
  // A small tmpfs in a mount namespace of this process's own: nothing outside sees it.
  if (::unshare(CLONE_NEWNS) != 0 ||
      ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      ::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=256k") != 0) {
    GTEST_SKIP() << "cannot mount a small tmpfs here: " << std::strerror(errno);
  }
  writeFile(disk / "settings.ini", kFile);
  std::ofstream(disk / "filler") << std::string(1 << 20, 'f');  // until the disk is full
  const RunResult result = runInikey(
      {"-f", "disk/settings.ini", "-w", "net/key=" + std::string(12288, 'x')}, folder.path());
  EXPECT_EQ(result.err, "file 'disk/settings.ini' could not be saved: No space left on device\n");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(readFile(disk / "settings.ini"), kFile);
  ::umount(disk.c_str());
}

TEST(Survival, PathsThatCannotBeReadAreRefusedAndNeverWritten) {
  TempDir folder;
  // Root reads everything: the runs are made as nobody, who owns the folder. The saved
  // id stays root, so that the test can come back.
  const passwd* nobody = ::geteuid() == 0 ? ::getpwnam("nobody") : nullptr;
  if (::geteuid() == 0 && nobody == nullptr) GTEST_SKIP() << "root, and no user nobody";
  if (nobody != nullptr) {
    ASSERT_EQ(::chown(folder.path().c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    ASSERT_EQ(::setresuid(nobody->pw_uid, nobody->pw_uid, 0), 0);
  }
  fs::create_directory(folder / "conf.d");
  writeFile(folder / "settings.ini", kFile);
  ::chmod((folder / "settings.ini").c_str(), 0200);  // writable, not readable

  const struct {
    std::vector<std::string> args;
    std::string err;
    int status;
  } cases[] = {
      {{"-f", "missing.ini", "-w", "net/ip=1"}, "file 'missing.ini' is not accessible\n", 1},
      {{"-f", "settings.ini", "net/ip"}, "file 'settings.ini' is not accessible\n", 1},
      {{"-f", "settings.ini", "-w", "net/ip=1"}, "file 'settings.ini' is not accessible\n", 1},
      {{"-f", "settings.ini", "-d", "-s", "net"}, "file 'settings.ini' is not accessible\n", 1},
      {{"-f", "conf.d", "net/ip"}, "file 'conf.d' could not be read: Is a directory\n", 0},
      {{"-f", "conf.d", "-w", "net/ip=1"}, "file 'conf.d' could not be read: Is a directory\n", 0},
      {{"-f", "conf.d", "-d", "-s", "net"}, "file 'conf.d' could not be read: Is a directory\n", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const RunResult result = runInikey(c.args, folder.path());
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.status, c.status);
  }
  // Nothing was written: no file made, none changed.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 2);
  EXPECT_TRUE(fs::is_empty(folder / "conf.d"));
  ::chmod((folder / "settings.ini").c_str(), 0600);
  EXPECT_EQ(readFile(folder / "settings.ini"), kFile);
  ASSERT_TRUE(nobody == nullptr || ::setresuid(0, 0, 0) == 0);
}

TEST(Survival, SavingInPlaceKeepsInodeModeOwnerAndLinks) {
  // Through the file, a symbolic link to it and a second hard link to it.
  for (const char* name : {"settings.ini", "link.ini", "hard.ini"}) {
    SCOPED_TRACE(name);
    TempDir folder;
    const fs::path path = folder / "settings.ini";
    writeFile(path, kFile);
    ::chmod(path.c_str(), 0640);
    if (::geteuid() == 0) ::chown(path.c_str(), 65534, 65534);  // an owner other than the runner
    fs::create_hard_link(path, folder / "hard.ini");
    fs::create_symlink("settings.ini", folder / "link.ini");
    struct stat before {};
    struct stat after {};
    ::stat(path.c_str(), &before);

    const RunResult result = runInikey({"-f", name, "-w", "net/gw=1"}, folder.path());
    EXPECT_EQ(result.err + std::to_string(result.status), "0");
    ::stat(path.c_str(), &after);
    EXPECT_EQ(
        std::tie(after.st_ino, after.st_mode, after.st_uid, after.st_gid, after.st_nlink),
        std::tie(before.st_ino, before.st_mode, before.st_uid, before.st_gid, before.st_nlink));
    EXPECT_EQ(readFile(folder / "hard.ini"), "[net]\ngw=1\nip=1\n\n[ntp]\nserver=pool\n\n");
    EXPECT_EQ(fs::read_symlink(folder / "link.ini"), "settings.ini");
  }
}

}  // namespace
}  // namespace inikey::testing
