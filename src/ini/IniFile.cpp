#include "ini/IniFile.h"

#include <sys/stat.h>

#include <cerrno>

#include "ini/blockResource.h"
#include "ini/parse.h"
#include "ini/readLines.h"

namespace inikey {

std::int32_t fileModificationTime(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return errno == ENOENT ? 0 : -1;
  return static_cast<std::int32_t>(status.st_mtime);
}

IniFile::IniFile(const std::string& path, std::optional<SectionFilter> onlySections,
                 FileAccess access)
    : arena_(blockResource()), path_(path), onlySections_(std::move(onlySections)), access(access) {
  reloadIfChanged();
}

void IniFile::reloadIfChanged() {
  const std::int32_t time = fileModificationTime(path_);
  // A time of 0 also stands for a missing file, so a file dated at the epoch
  // would look unchanged: a document that was never loaded always loads.
  if (time != modificationTime || !loaded_) {
    overlayModificationTime = 0;
    clear();
    loaded_ = load(path_);
    if (loaded_) modificationTime = time;
  }
  if (!overlayPath.empty()) {
    const std::int32_t overlayTime = fileModificationTime(overlayPath);
    if (overlayTime != overlayModificationTime && load(overlayPath)) {
      overlayModificationTime = overlayTime;
    }
  }
}

void IniFile::clear() {
  sections.clear();
  arena_.release();  // nothing else lives there
}

void IniFile::parse(const std::vector<std::string>& lines) {
  ParseState state;
  for (const std::string& line : lines) parseLine(sections, state, line);
  storePendingKeys(sections, state);
}

void IniFile::parseText(std::string_view text) {
  ParseState state;
  splitLines(text, [&](std::string_view line) { parseLine(sections, state, line); });
  storePendingKeys(sections, state);
}

std::optional<std::string_view> IniFile::findValue(std::string_view sectionName,
                                                   std::string_view keyName) const {
  const auto section = sections.find(sectionName);
  if (section == sections.end()) return std::nullopt;
  const auto key = section->second.find(keyName);
  if (key == section->second.end()) return std::nullopt;
  return key->second;
}

void IniFile::sectionNames(std::deque<std::string>& names) const {
  names.clear();
  for (const auto& section : sections) names.emplace_back(section.first);
}

void IniFile::getSectionEntries(const std::string& sectionName, EntryList& entries) const {
  const auto section = sections.find(sectionName);
  if (section == sections.end()) return;
  entries.clear();
  for (const auto& [keyName, value] : section->second) entries.emplace_back(keyName, value);
}

}  // namespace inikey
