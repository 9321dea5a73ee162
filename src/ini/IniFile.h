// The in-memory INI document of one file: loaded at construction, written back by save().
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ini/SectionMap.h"
#include "ini/parse.h"

namespace inikey {

// The file's modification time in whole seconds; 0 when it does not exist, -1 when
// its status cannot be queried.
std::int32_t fileModificationTime(const std::string& path);

// The text that save() writes for sections: "[name]", its "key=value" lines and an
// empty line, for each section in order.
std::string savedText(const SectionMap& sections);

class IniFile {
 public:
  // Loads the file at path; a file that cannot be read leaves the document empty
  // and `loaded` false. With onlySections, only those sections are kept: a run that
  // reads a few keys needs no more.
  explicit IniFile(const std::string& path,
                   std::optional<SectionFilter> onlySections = std::nullopt);
  virtual ~IniFile() = default;

  // Reloads the file when its modification time changed since the document last
  // matched it, or when it was never loaded; then adds the overlay file, if any.
  void reloadIfChanged();

  // Removes every section; the times are kept.
  void clear();

  // Reads and parses the file at path, under a shared lock, on top of the document.
  // Returns false, the document unchanged, when it cannot be opened or read.
  bool load(const std::string& filePath);

  // Applies lines, in order, to the document, starting outside any section.
  void parse(const std::vector<std::string>& lines);

  // Rewrites the file in place, under an exclusive lock, as sorted sections of
  // key=value lines. Replaces the old content only once the space for the new one
  // is reserved; on failure the old content stays and saveError tells why. A
  // document loaded with onlySections lacks the other sections: it is never saved.
  void save();

  // Replaces names with every section name, as stored, in document order.
  void sectionNames(std::deque<std::string>& names) const;

  // Replaces entries with a copy of the section's keys and values, in key order;
  // leaves entries alone when there is no such section.
  void getSectionEntries(const std::string& sectionName, EntryList& entries) const;

  std::int32_t modificationTime = 0;  // of path when the document last matched it
  std::int32_t overlayModificationTime = 0;
  SectionMap sections;
  std::string path;
  std::string overlayPath;  // a second file loaded on top; save() writes there
  std::optional<SectionFilter> onlySections;  // load keeps only these, when set
  bool loaded = false;      // the last load of path succeeded
  int saveError = 0;  // errno of the last save that failed after opening the file; 0 otherwise
};

}  // namespace inikey
