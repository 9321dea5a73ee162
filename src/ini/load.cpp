#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "ini/IniFile.h"
#include "ini/fileHandle.h"
#include "ini/fileLock.h"
#include "ini/parse.h"
#include "ini/readLines.h"

namespace inikey {
namespace {

// Parses the file behind fd from where it stands, on top of sections. Lines are
// parsed as they arrive, so the file's text is never held whole; into a map of
// their own, so that a read error leaves the document unchanged. Returns 0 or the
// errno of the failed read.
int parseFile(int fd, SectionMap& sections, const SectionFilter* onlySections, ContentHash* hash) {
  SectionMap loadedSections(sections.get_allocator());
  ParseState state(onlySections);
  const bool complete = readLines(
      fd, [&](std::string_view line) { parseLine(loadedSections, state, line); }, kReadBlockSize,
      hash);
  if (!complete) return errno;
  storePendingKeys(loadedSections, state);
  mergeSections(sections, std::move(loadedSections));
  return 0;
}

// Opens path for the document's life: for reading and writing where that is
// wanted and allowed, else for reading; writeError receives 0, or why the file is
// not open for writing. Devices and pipes are only ever read, since one opened for
// writing would never report the end of what it has to read.
FileHandle openDocumentFile(const std::string& path, FileAccess access, int& writeError) {
  struct stat status {};
  writeError = EBADF;  // read only, as asked
  if (access == FileAccess::ReadWrite) {
    if (::stat(path.c_str(), &status) != 0) {
      writeError = errno;
    } else if (!S_ISREG(status.st_mode)) {
      writeError = ENOTSUP;
    } else {
      const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
      if (fd >= 0) {
        writeError = 0;
        return FileHandle(fd);
      }
      writeError = errno;
    }
  }
  return FileHandle(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
}

}  // namespace

bool IniFile::loadOpenFile() {
  ContentHash hash;
  if (::lseek(file.fd(), 0, SEEK_SET) < 0 && errno != ESPIPE) {
    loadError = errno;
    return false;
  }
  // Only a file that may be saved needs its bytes remembered.
  loadError = parseFile(file.fd(), sections, onlySections ? &*onlySections : nullptr,
                        writeAccessError == 0 ? &hash : nullptr);
  if (loadError != 0) return false;
  fileDigest = hash.digest();
  return true;
}

bool IniFile::load(const std::string& filePath) {
  if (filePath != path) {  // the overlay: read once, never written through
    const FileHandle overlay(::open(filePath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!overlay.isOpen()) return false;
    const FileLock lock(overlay.fd(), LOCK_SH);
    return parseFile(overlay.fd(), sections, onlySections ? &*onlySections : nullptr, nullptr) == 0;
  }
  if (!file.isOpen()) {
    file = openDocumentFile(path, onlySections ? FileAccess::ReadOnly : access, writeAccessError);
    if (!file.isOpen()) {
      loadError = errno;
      return false;
    }
  }
  const FileLock lock(file.fd(), LOCK_SH);
  return loadOpenFile();
}

}  // namespace inikey
