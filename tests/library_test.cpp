// The library as its users call it: documents that follow their file, the reasons a
// save gives, single keys read with defaults and conversions, names and values refused
// when a file cannot hold them, and files made by a save.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
#include <optional>
#include <stdexcept>

#include "ini/IniFile.h"
#include "ini/keys.h"
#include "ini/parse.h"
#include "support/process.h"

namespace inikey::testing {
namespace {

namespace fs = std::filesystem;

// Gives memory until its budget is spent; the next allocation throws std::bad_alloc.
struct BudgetResource final : std::pmr::memory_resource {
  size_t left = SIZE_MAX;
  void* do_allocate(size_t bytes, size_t alignment) override {
    if (left-- == 0) throw std::bad_alloc();
    return std::pmr::new_delete_resource()->allocate(bytes, alignment);
  }
  void do_deallocate(void* block, size_t bytes, size_t alignment) override {
    std::pmr::new_delete_resource()->deallocate(block, bytes, alignment);
  }
  bool do_is_equal(const memory_resource& other) const noexcept override { return this == &other; }
};

// Runs command through the shell in folder; 0 when it succeeded. (Not runInikey: that
// lowers the file-size limit for good, which a test here must raise again.)
int shellIn(const TempDir& folder, const std::string& command) {
  return std::system(("cd " + folder.path().string() + " && " + command).c_str());
}

// Lines merge into a document as if parsed after it: first spelling, last value.
// Memory that runs out at any allocation of the parse or merge leaves the document
// as it was.
TEST(Library, MergingKeepsSpellingAndLastValueOrNothingChanges) {
  const auto parsed = [](BudgetResource& memory, const std::vector<std::string>& lines) {
    SectionMap sections(&memory);
    ParseState state;
    for (const std::string& line : lines) parseLine(sections, state, line);
    storePendingKeys(sections, state);
    return sections;
  };
  for (size_t budget = 0;; ++budget) {
    BudgetResource memory;
    SectionMap document = parsed(memory, {"[Net]", "ip=1", "[x]", "a=1"});
    memory.left = budget;
    try {
      mergeSections(document, parsed(memory, {"[NET]", "IP=2", "mtu=9", "[b]", "k=1", "[net]",
                                              "Mtu=10", "[X]", "A=2"}));
      EXPECT_EQ(savedText(document), "[b]\nk=1\n\n[Net]\nip=2\nmtu=10\n\n[x]\na=2\n\n");
      break;
    } catch (const std::bad_alloc&) {
      ASSERT_EQ(savedText(document), "[Net]\nip=1\n\n[x]\na=1\n\n") << budget;
    }
  }
}

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
    writeFile(folder / "s.ini", "[net]\nip=1\n");
    ASSERT_EQ(shellIn(folder, "touch -d @1000 s.ini && " + std::string(c.setup)), 0);
    IniFile file(folder / "s.ini");
    file.overlayPath = folder / "o.ini";
    file.reloadIfChanged();
    ASSERT_EQ(setValue(file, "net", "mtu", "9"), Refusal::None);
    ASSERT_EQ(shellIn(folder, c.change), 0);
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
  file.parse({"top=0", "[n]", "d=1.5", "spaced=\"12 \"", "x=0x1A", "b=Yes", "u=4294967295",
              "big=4294967296", "max=18446744073709551615", "over=18446744073709551616",
              "min=-9223372036854775808", "under=-9223372036854775809"});
  EXPECT_EQ(getValue(file, "", "TOP"), "0");
  EXPECT_EQ(getValue(file, "n", "none", "dflt"), "dflt");
  EXPECT_EQ(getDouble(file, "N", "D", 7), 1.5);
  EXPECT_EQ(getDouble(file, "n", "spaced", 7), 7);
  EXPECT_EQ(getInt(file, "n", "x", 7, 16), 26);
  EXPECT_EQ(getInt(file, "n", "x", 7), 7);
  EXPECT_EQ(getUnsigned(file, "n", "u", 7), 4294967295u);
  EXPECT_EQ(getUnsigned(file, "n", "d", 7), 7u);
  EXPECT_TRUE(getBool(file, "n", "b", false) && getBool(file, "n", "d", true));
  EXPECT_EQ(getInt64(file, "n", "big", 7), 4294967296);
  EXPECT_EQ(getInt64(file, "n", "min", 7), INT64_MIN);
  EXPECT_EQ(getInt64(file, "n", "under", 7), 7);
  EXPECT_EQ(getInt64(file, "n", "max", 7), 7);
  EXPECT_EQ(getUnsigned64(file, "n", "max", 7), UINT64_MAX);
  EXPECT_EQ(getUnsigned64(file, "n", "x", 7, 16), 26u);
  EXPECT_EQ(getUnsigned64(file, "n", "over", 7), 7u);
  EXPECT_EQ(getUnsigned64(file, "n", "min", 7), 7u);
}

// Sets one key in a document of nothing else and parses its saved text into document;
// true when every name and the value came back byte for byte, and nothing else.
bool readsBack(IniFile& document, std::string_view section, std::string_view key,
               std::string_view value) {
  SectionMap expected;
  setKey(sectionFor(expected, section), key, value);
  document.clear();
  document.parseText(savedText(expected));
  return document.sections == expected;
}

// setValue refuses exactly what a save cannot give back: the cases named, each through
// a file, then every name and value of up to two bytes drawn from the bytes the
// format gives a meaning to.
TEST(Library, SetValueRefusesWhatCannotBeReadBackAndKeepsTheRest) {
  using enum Refusal;
  // clang-format off
  const struct {
    std::string_view section, key, value;
    Refusal refusal;
  } cases[] = {
      {"s", "k", "1\nadmin=true", Value}, {"s", "k", "1\n[other]\nx=y", Value},
      {"s", "x\n[evil]\ninj", "1", KeyName}, {"s", "a=b", "v", KeyName}, {"s", "", "v", KeyName},
      {"s", ";k", "v", KeyName}, {"s", "#k", "v", KeyName}, {"s", " k", "v", KeyName},
      {"s", "k\v", "v", KeyName}, {"s", "k", "v\b", Value}, {"s", "k", "\"quoted\"", Value},
      {"s", "k", "v\r", Value}, {"s", "k", std::string_view("v\0w", 3), Value},
      {"[s", "k", "v", SectionName}, {"s]", "k", "v", SectionName}, {"s ", "k", "v", SectionName},
      {"s", "[k", "v]", KeyName}, {"", "k=", "", KeyName}, {"t", "[k", "]v", None},
      {"", "k", "", None}, {"a b=c", "k;#\"", "\"v=w", None}, {"Net", "MTU", "9000", None}};
  // clang-format on
  IniFile document("/nonexistent", std::nullopt, FileAccess::ReadOnly);
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(c.section) + "|" + std::string(c.key) + "|" +
                                          std::string(c.value)));
    document.clear();
    EXPECT_EQ(setValue(document, c.section, c.key, c.value), c.refusal);
    // A refusal stores nothing; what is stored comes back from the saved text.
    EXPECT_EQ(document.findValue(c.section, c.key).value_or("missing"),
              c.refusal == None ? c.value : "missing");
    EXPECT_EQ(document.sections.size(), c.refusal == None ? 1u : 0u);
    EXPECT_EQ(readsBack(document, c.section, c.key, c.value), c.refusal == None);
  }

  std::vector<std::string> texts{""};
  const std::string_view bytes("a[];#=\" \t\r\n\v\b\f\0", 15);
  for (const char a : bytes) {
    texts.emplace_back(1, a);
    for (const char b : bytes) texts.push_back({a, b});
  }
  for (const std::string& name : texts) {
    SCOPED_TRACE(::testing::PrintToString(name));
    EXPECT_EQ(setValue(document, name, "k", "v") == None, readsBack(document, name, "k", "v"));
    for (const std::string& value : texts) {
      const bool accepted = setValue(document, "s", name, value) == None;
      if (accepted != readsBack(document, "s", name, value)) ADD_FAILURE() << value.size();
    }
  }
}

// A first settings file: made by the save, from text in memory; never over a file
// that appeared after the load, nor where a ReadWrite document was asked for.
TEST(Library, CreateMakesAMissingFileOnlyWhenStillMissing) {
  TempDir folder;
  const struct {
    const char* name;
    FileAccess access;
    const char* appearing;  // written between the load and the save
    int saveError;
    const char* saved;
  } cases[] = {{"new.ini", FileAccess::Create, nullptr, 0, "[net]\nip=1\nMTU=9000\n\n"},
               {"new.ini", FileAccess::Create, "[x]\n", EEXIST, "[x]\n"},
               {"new.ini", FileAccess::ReadWrite, nullptr, ENOENT, nullptr},
               {"missing/new.ini", FileAccess::Create, nullptr, ENOENT, nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name + std::string(c.appearing ? " appearing" : ""));
    std::filesystem::remove(folder / "new.ini");
    IniFile file(folder / c.name, std::nullopt, c.access);
    EXPECT_EQ(file.loaded(), c.access == FileAccess::Create);
    file.parseText("[net]\nip = 1 \nMTU=1\nmtu");  // the key set below keeps its spelling
    ASSERT_EQ(setValue(file, "net", "mtu", "9000"), Refusal::None);
    if (c.appearing) writeFile(folder / c.name, c.appearing);
    file.save();
    EXPECT_EQ(file.saveError(), c.saveError);
    const mode_t mask = ::umask(0);  // a file made is as any new one: 0666 less the umask
    ::umask(mask);
    if (c.saveError == 0) {
      EXPECT_EQ(fs::status(folder / c.name).permissions(), fs::perms(0666 & ~mask));
    }
    EXPECT_EQ(std::filesystem::exists(folder / c.name) ? readFile(folder / c.name) : "none",
              c.saved ? c.saved : "none");
  }
}

// Each reason a save gives for writing nothing; neither the file nor the document
// changes. Some rows need a mount namespace (a read-only mount, full disks), or a
// folder that user 65534 (nobody) can reach, and are skipped, saying so, where there is none.
TEST(Library, ASaveThatCannotWriteSaysWhyAndChangesNothing) {
  const bool mounts = ::unshare(CLONE_NEWNS) == 0 &&
                      ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
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
    writeFile(folder / "s.ini", "[net]\nip=1\n");
    const bool mounting = std::string_view(c.setUp).find("mount") != std::string_view::npos;
    const int setUp =
        mounting && !mounts ? -1 : shellIn(folder, c.setUp + std::string(" 2>/dev/null"));
    if (mounting && setUp != 0) {
      std::printf("skipped, cannot mount: %s\n", c.setUp);
      continue;
    }
    ASSERT_EQ(setUp, 0);
    const fs::path path = folder / c.path;
    std::optional<IniFile> file;
    if (c.error == EACCES && ::geteuid() == 0) {  // root may write anything: nobody loads it
      ASSERT_EQ(::chown(folder.path().c_str(), 65534, 65534), 0);
      ASSERT_EQ(::setresuid(65534, 65534, 0), 0);
      if (::access(folder.path().c_str(), X_OK) == 0) file.emplace(path);
      ASSERT_EQ(::setresuid(0, 0, 0), 0);
      if (!file) {
        std::printf("skipped, nobody cannot reach %s\n", folder.path().c_str());
        continue;
      }
    } else {
      file.emplace(path, std::nullopt, c.access);
    }
    ASSERT_EQ(setValue(*file, "net", "mtu", std::string(c.error == EBADF ? 1 : 20000, '9')),
              Refusal::None);
    const std::string document = savedText(file->sections);
    ASSERT_EQ(shellIn(folder, c.change), 0);
    const std::string fileBefore = fs::is_regular_file(path) ? readFile(path) : "-";
    const IniFile::Redo redo = [&c](IniFile& reloaded) {
      if (c.redo == kThrows) throw std::runtime_error("the caller's own");
      if (setValue(reloaded, "net", "mtu", "1") != Refusal::None) throw std::logic_error("refused");
    };
    const rlimit unlimited = {RLIM_INFINITY, RLIM_INFINITY}, fileSize = {c.fileSize, RLIM_INFINITY};
    const rlimit memory = {c.memory == RLIM_INFINITY ? c.memory : addressSpace() + c.memory,
                           RLIM_INFINITY};
    ::setrlimit(RLIMIT_FSIZE, &fileSize);
    ::setrlimit(RLIMIT_AS, &memory);
    if (c.redo == kThrows) {
      EXPECT_THROW(file->save(redo), std::runtime_error);
    } else {
      file->save(c.redo == kApplies ? redo : nullptr);
    }
    ::setrlimit(RLIMIT_AS, &unlimited);
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    EXPECT_EQ(file->saveError(), c.error) << std::strerror(file->saveError());
    EXPECT_TRUE(savedText(file->sections) == document) << "the document changed";
    EXPECT_TRUE(file->loaded() || c.error == EISDIR);
    EXPECT_TRUE((fs::is_regular_file(path) ? readFile(path) : "-") == fileBefore);
    shellIn(folder, "umount d ro 2>/dev/null");
  }
}

}  // namespace
}  // namespace inikey::testing
