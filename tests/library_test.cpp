// The library as its users call it: documents that follow their file, the reasons a
// save gives, and single keys read with defaults and conversions.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <stdexcept>

#include "ini/IniFile.h"
#include "ini/keys.h"
#include "support/process.h"

namespace inikey::testing {
namespace {

namespace fs = std::filesystem;

// Loads s.ini ([net] ip=1, of second 1000) after setup, takes o.ini as the overlay,
// reloads, sets net/mtu in memory, runs change and reloads again, and saves into
// the overlay. A reload compares whole seconds, so touch sets the times apart.
TEST(Library, ReloadIfChangedFollowsTheFileAndItsOverlay) {
  const char* const newFile = "printf '[net]\\nip=2\\n' >s.ini && touch -d @1001 s.ini";
  const char* const overlay = "printf '[net]\\nip=3\\n' >o.ini && touch -d @1005 o.ini";
  const struct {
    const char *setup, *change, *document;
    std::int32_t time, overlayTime;
  } cases[] = {
      {"true", "true", "[net]\nip=1\nmtu=9\n\n", 1000, 0},
      {"true", newFile, "[net]\nip=2\n\n", 1001, 0},
      {"true", "rm s.ini", "[net]\nip=1\n\n", 0, 0},  // read again through the file still open
      {"touch -d @0 s.ini", "true", "[net]\nip=1\nmtu=9\n\n", 0, 0},  // a missing file's time
      {overlay, "printf '[x]\\ny=1\\n' >o.ini && touch -d @1006 o.ini",
       "[net]\nip=3\nmtu=9\n\n[x]\ny=1\n\n", 1000, 1006},  // on top, without clearing
      {overlay, newFile, "[net]\nip=3\n\n", 1001, 1005},   // both read again
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.setup) + " | " + c.change);
    TempDir folder;
    const std::string cd = "cd " + folder.path().string() + " && ";
    writeFile(folder / "s.ini", "[net]\nip=1\n");
    ASSERT_EQ(std::system((cd + "touch -d @1000 s.ini && " + c.setup).c_str()), 0);
    IniFile file(folder / "s.ini");
    file.overlayPath = folder / "o.ini";
    file.reloadIfChanged();
    setValue(file, "net", "mtu", "9");
    ASSERT_EQ(std::system((cd + c.change).c_str()), 0);
    file.reloadIfChanged();
    EXPECT_EQ(savedText(file.sections), c.document);
    EXPECT_EQ(std::pair(file.modificationTime, file.overlayModificationTime),
              std::pair(c.time, c.overlayTime));
    file.save();  // the overlay takes every save, and is made when missing
    EXPECT_EQ(std::pair(file.saveError(), readFile(folder / "o.ini")),
              std::pair(0, std::string(c.document)));
  }
}

// The address space the process uses now, in bytes.
rlim_t addressSpace() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line) && !line.starts_with("VmSize:")) {
  }
  return rlim_t{std::stoull(line.substr(7))} << 10;
}

// Typed reads with their defaults, on lines given to parse(): a conversion that
// fails (parseDouble keeps what it read of "12 ") must give the default.
TEST(Library, ParsedLinesReadWithDefaults) {
  IniFile file("/nonexistent");
  file.parse({"top=0", "[n]", "d=1.5", "spaced=\"12 \"", "x=0x1A", "b=Yes", "u=4294967295"});
  EXPECT_EQ(getValue(file, "", "TOP"), "0");
  EXPECT_EQ(getValue(file, "n", "none", "dflt"), "dflt");
  EXPECT_EQ(getDouble(file, "N", "D", 7), 1.5);
  EXPECT_EQ(getDouble(file, "n", "spaced", 7), 7);
  EXPECT_EQ(getInt(file, "n", "x", 7, 16), 26);
  EXPECT_EQ(getInt(file, "n", "x", 7), 7);
  EXPECT_EQ(getUnsigned(file, "n", "u", 7), 4294967295u);
  EXPECT_EQ(getUnsigned(file, "n", "d", 7), 7u);
  EXPECT_TRUE(getBool(file, "n", "b", false) && getBool(file, "n", "d", true));
}

// Each reason a save gives for writing nothing; neither the file nor the document
// changes. Some rows need a mount namespace (a read-only mount, full disks) or the
// user nobody, and are skipped, saying so, where there is none.
TEST(Library, ASaveThatCannotWriteSaysWhyAndChangesNothing) {
  const bool mounts = ::unshare(CLONE_NEWNS) == 0 &&
                      ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
  const passwd* nobody = ::getpwnam("nobody");
  enum Redo { kNone, kApplies, kThrows };
  const char* const changed = "printf '[net]\\nip=2\\n' >s.ini";  // in place, bytes changed
  const struct {
    int error;
    const char* setUp;   // a shell command in the folder, before the load; "mount" when it mounts
    const char* change;  // a shell command in the folder, between the load and the save
    const char* path = "s.ini";
    FileAccess access = FileAccess::ReadWrite;
    Redo redo = kNone;
    rlim_t fileSize = RLIM_INFINITY;
    rlim_t memory = RLIM_INFINITY;  // address space the save may add
  } cases[] = {
      {EBADF, "true", "true", "s.ini", FileAccess::ReadOnly},
      {ENOTSUP, "true", "true", "/dev/null"},
      {EISDIR, "true", "true", "."},
      {EACCES, "chmod 444 s.ini", "true"},  // as nobody
      {EROFS, "mkdir ro && mv s.ini ro && mount --bind ro ro && mount -o remount,bind,ro ro",
       "true", "ro/s.ini"},
      {ENOENT, "true", "rm s.ini"},
      {ESTALE, "true", "printf 'x=2\\n' >new && mv new s.ini"},
      {ESTALE, "true", "printf 'v=1\\n' >v && rm s.ini && ln -s v s.ini"},
      {ESTALE, "true", changed},
      // tmpfs reserves the blocks; ext2 cannot, and the free space is checked.
      {ENOSPC,
       "mkdir d && mount -t tmpfs -o size=64k none d && mv s.ini d && head -c 60k "
       "/dev/zero >d/f",
       "true", "d/s.ini"},
      {ENOSPC,
       "truncate -s 1M i && mkfs.ext2 -q -F i && mkdir d && mount -o loop i d && "
       "mv s.ini d && head -c 950k /dev/zero >d/f",
       "true", "d/s.ini"},
      {EFBIG, "true", "true", "s.ini", FileAccess::ReadWrite, kNone, 4096},
      {ECANCELED, "true", changed, "s.ini", FileAccess::ReadWrite, kThrows},
#ifndef INIKEY_SANITIZED  // a sanitizer's allocator ends the process instead of failing
      // The reload meets a line longer than the memory left.
      {ENOMEM, "true",
       "printf '[net]\\nip=2\\n' >s.ini && head -c 64M /dev/zero | tr '\\0' x >>s.ini", "s.ini",
       FileAccess::ReadWrite, kApplies, RLIM_INFINITY, 32 << 20},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.setUp) + " | " + c.change + " | " + c.path);
    TempDir folder;
    const std::string cd = "cd " + folder.path().string() + " && ";
    writeFile(folder / "s.ini", "[net]\nip=1\n");
    const bool mounting = std::string_view(c.setUp).find("mount") != std::string_view::npos;
    const int setUp =
        mounting && !mounts ? -1 : std::system((cd + c.setUp + " 2>/dev/null").c_str());
    if (mounting && setUp != 0) {
      std::printf("skipped, cannot mount: %s\n", c.setUp);
      continue;
    }
    ASSERT_EQ(setUp, 0);
    const fs::path path = folder / c.path;
    std::optional<IniFile> file;
    if (c.error == EACCES && ::geteuid() == 0) {  // root may write anything
      if (nobody == nullptr) {
        std::printf("skipped, no user nobody\n");
        continue;
      }
      ASSERT_EQ(::chown(folder.path().c_str(), nobody->pw_uid, nobody->pw_gid), 0);
      ASSERT_EQ(::setresuid(nobody->pw_uid, nobody->pw_uid, 0), 0);
      if (::access(folder.path().c_str(), X_OK) == 0) file.emplace(path);
      ASSERT_EQ(::setresuid(0, 0, 0), 0);
      if (!file) {
        std::printf("skipped, nobody cannot reach %s\n", folder.path().c_str());
        continue;
      }
    } else {
      file.emplace(path, std::nullopt, c.access);
    }
    setValue(*file, "net", "mtu", std::string(c.error == EBADF ? 1 : 20000, '9'));
    const std::string document = savedText(file->sections);
    ASSERT_EQ(std::system((cd + c.change).c_str()), 0);
    const std::string fileBefore = fs::is_regular_file(path) ? readFile(path) : "-";
    const auto redo = [&c](IniFile& reloaded) {
      if (c.redo == kThrows) throw std::runtime_error("the caller's own");
      setValue(reloaded, "net", "mtu", "1");
    };
    const rlimit unlimited = {RLIM_INFINITY, RLIM_INFINITY}, fileSize = {c.fileSize, RLIM_INFINITY};
    const rlimit memory = {c.memory == RLIM_INFINITY ? c.memory : addressSpace() + c.memory,
                           RLIM_INFINITY};
    ::setrlimit(RLIMIT_FSIZE, &fileSize);
    ::setrlimit(RLIMIT_AS, &memory);
    if (c.redo == kNone) {
      file->save();
    } else if (c.redo == kThrows) {
      EXPECT_THROW(file->save(redo), std::runtime_error);
    } else {
      file->save(redo);
    }
    ::setrlimit(RLIMIT_AS, &unlimited);
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    EXPECT_EQ(file->saveError(), c.error) << std::strerror(file->saveError());
    EXPECT_TRUE(savedText(file->sections) == document) << "the document changed";
    EXPECT_TRUE(file->loaded() || c.error == EISDIR);
    EXPECT_TRUE((fs::is_regular_file(path) ? readFile(path) : "-") == fileBefore);
    std::system((cd + "umount d ro 2>/dev/null").c_str());
  }
}

}  // namespace
}  // namespace inikey::testing
