// The library as its users call it: documents that follow their file, the reasons a
// save gives, and single keys read with defaults and conversions.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "ini/IniFile.h"
#include "ini/keys.h"
#include "ini/parse.h"
#include "support/process.h"

namespace inikey::testing {
namespace {

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
// reloads, sets net/mtu in memory, runs change and reloads again. A reload compares
// whole seconds, so touch sets the times apart.
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
  }
}

// A document opened for reading, one that did not load, and typed reads whose
// conversion fails (parseDouble keeps what it read of "12 "; the default must win).
TEST(Library, SaveReasonsAndTypedReads) {
  TempDir folder;
  writeFile(folder / "s.ini", "[n]\nd=1.5\nspaced=\"12 \"\nx=0x1A\nb=Yes\n");
  IniFile file(folder / "s.ini", std::nullopt, FileAccess::ReadOnly), directory(folder.path());
  file.save(), directory.save();
  EXPECT_EQ(std::pair(file.saveError, directory.saveError), std::pair(EBADF, EISDIR));
  EXPECT_EQ(getDouble(file, "N", "D", 7) + getDouble(file, "n", "spaced", 7), 1.5 + 7);
  EXPECT_EQ(getInt(file, "n", "x", 7, 16) + getInt(file, "n", "x", 7), 26 + 7);
  EXPECT_TRUE(getBool(file, "n", "b", false) && getBool(file, "n", "d", true));
}

}  // namespace
}  // namespace inikey::testing
