#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "ini/IniFile.h"
#include "ini/fileLock.h"
#include "ini/parse.h"
#include "ini/readLines.h"

namespace inikey {

bool IniFile::load(const std::string& filePath) {
  const int fd = ::open(filePath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool locked = lockFile(fd, LOCK_SH);

  // Lines are parsed as they arrive, so the file's text is never held whole;
  // into a map of their own, so that a read error leaves the document unchanged.
  SectionMap loadedSections;
  ParseState state(onlySections ? &*onlySections : nullptr);
  const bool complete = readLines(
      fd, [&](std::string_view line) { parseLine(loadedSections, state, line); });

  if (locked) unlockFile(fd);
  ::close(fd);
  if (!complete) return false;
  mergeSections(sections, std::move(loadedSections));
  return true;
}

}  // namespace inikey
