// The library as its users call it: documents that follow their file, the reasons a
// save gives, single keys read with defaults and conversions, names and values refused
// when a file cannot hold them, and files made by a save.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "ini/IniFile.h"
#include "ini/keys.h"
#include "support/process.h"

namespace inikey::testing {
namespace {

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
    ASSERT_EQ(setValue(file, "net", "mtu", "9"), Refusal::None);
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
  writeFile(folder / "s.ini",
            "[n]\nd=1.5\nspaced=\"12 \"\nx=0x1A\nb=Yes\nbig=4294967296\nmax=18446744073709551615\n"
            "over=18446744073709551616\nmin=-9223372036854775808\nunder=-9223372036854775809\n");
  IniFile file(folder / "s.ini", std::nullopt, FileAccess::ReadOnly), directory(folder.path());
  file.save(), directory.save();
  EXPECT_EQ(std::pair(file.saveError(), directory.saveError()), std::pair(EBADF, EISDIR));
  EXPECT_EQ(getDouble(file, "N", "D", 7) + getDouble(file, "n", "spaced", 7), 1.5 + 7);
  EXPECT_EQ(getInt(file, "n", "x", 7, 16) + getInt(file, "n", "x", 7), 26 + 7);
  EXPECT_TRUE(getBool(file, "n", "b", false) && getBool(file, "n", "d", true));
  EXPECT_EQ(getInt64(file, "n", "big", 7) + getInt64(file, "n", "under", 7) +
                getInt64(file, "n", "max", 7) + (getInt64(file, "n", "min", 7) == INT64_MIN),
            4294967296 + 7 + 7 + 1);
  EXPECT_EQ(getUnsigned64(file, "n", "x", 7, 16) + getUnsigned64(file, "n", "over", 7) +
                getUnsigned64(file, "n", "min", 7) +
                (getUnsigned64(file, "n", "max", 7) == UINT64_MAX),
            26U + 7 + 7 + 1);
}

// Sets one key in a document of nothing else and reads the saved text back; true when
// every name and the value came back byte for byte.
bool readsBack(IniFile& document, std::string_view section, std::string_view key,
               std::string_view value) {
  document.clear();
  setKey(sectionFor(document.sections, section), key, value);
  const std::string text = savedText(document.sections);
  document.clear();
  document.parseText(text);
  const auto& sections = document.sections;
  return sections.size() == 1 && sections.begin()->first == section &&
         sections.begin()->second.size() == 1 && sections.begin()->second.begin()->first == key &&
         sections.begin()->second.begin()->second == value;
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
  TempDir folder;
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(c.section) + "|" + std::string(c.key) + "|" +
                                          std::string(c.value)));
    writeFile(folder / "s.ini", "[s]\nold=1\n");
    IniFile file(folder / "s.ini");
    EXPECT_EQ(setValue(file, c.section, c.key, c.value), c.refusal);
    file.save();
    const IniFile reloaded(folder / "s.ini");
    EXPECT_EQ(reloaded.findValue(c.section, c.key).value_or("missing"),
              c.refusal == None ? c.value : "missing");
    EXPECT_EQ(savedText(reloaded.sections).size(),
              c.refusal == None ? 17 + c.section.size() + c.key.size() + c.value.size() : 11);
  }

  std::vector<std::string> texts{""};
  const std::string_view bytes("a[];#=\" \t\r\n\v\b\f\0", 15);
  for (const char a : bytes) {
    texts.emplace_back(1, a);
    for (const char b : bytes) texts.push_back({a, b});
  }
  IniFile document(folder / "missing.ini", std::nullopt, FileAccess::ReadOnly);
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
      EXPECT_EQ(std::filesystem::status(folder / c.name).permissions(),
                std::filesystem::perms(0666 & ~mask));
    }
    EXPECT_EQ(std::filesystem::exists(folder / c.name) ? readFile(folder / c.name) : "none",
              c.saved ? c.saved : "none");
  }
}

}  // namespace
}  // namespace inikey::testing
