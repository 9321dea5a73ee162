#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "ini/IniFile.h"
#include "ini/fileHandle.h"
#include "ini/fileLock.h"
#include "ini/parse.h"
#include "ini/readLines.h"

namespace inikey {
namespace {

// Parses the file behind fd from where it stands, on top of sections. Lines are
// parsed as they arrive, so the file's text is never held whole; into a map of
// their own, so that a read error leaves the document unchanged. Returns 0, the
// errno of the failed read, or ENOMEM when the file does not fit into the memory
// the process may have (an empty document then stays empty).
int parseFile(int fd, SectionMap& sections, const SectionFilter* onlySections, ContentHash* hash) {
  try {
    SectionMap loadedSections(sections.get_allocator());
    ParseState state(onlySections);
    const bool complete = readLines(
        fd, [&](std::string_view line) { parseLine(loadedSections, state, line); }, kReadBlockSize,
        hash);
    if (!complete) return errno;
    storePendingKeys(loadedSections, state);
    mergeSections(sections, std::move(loadedSections));
    return 0;
  } catch (const std::bad_alloc&) {
    return ENOMEM;
  }
}

// Opens path without waiting for a FIFO's other end, then lets reads wait as usual.
// Returns the descriptor, or -1 with errno set.
int openWithoutWaiting(const std::string& path, int flags) {
  int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  // Only a lease refuses so (a FIFO opened for reading and writing never waits):
  // wait for the lease's holder, as a plain open does.
  if (fd < 0 && errno == EWOULDBLOCK && (flags & O_ACCMODE) == O_RDWR) {
    fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY);
  }
  if (fd < 0) return -1;
  const int status = ::fcntl(fd, F_GETFL);
  if (status == -1 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

// Opens path for the document's life: for reading and writing where that is
// wanted and allowed, else for reading; writeError receives 0, or why the file is
// not open for writing. What the open descriptor is decides, since the path may
// name another file by now: only a regular file is kept for writing. Other files
// are opened again for reading, since a FIFO opened for writing would never report
// the end of what it has to read; a write run never waits for a FIFO's writer, so
// that one swapped in cannot hold it.
FileHandle openDocumentFile(const std::string& path, FileAccess access, int& writeError) {
  writeError = EBADF;  // read only, as asked
  if (access == FileAccess::ReadOnly) {
    return FileHandle(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
  }
  FileHandle file(openWithoutWaiting(path, O_RDWR));
  struct stat status {};
  if (!file.isOpen() || ::fstat(file.fd(), &status) != 0) {
    writeError = errno;
  } else if (!S_ISREG(status.st_mode)) {
    writeError = ENOTSUP;
  } else {
    writeError = 0;
    return file;
  }
  file = FileHandle();
  return FileHandle(openWithoutWaiting(path, O_RDONLY));
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
  if (loadError != 0) {
    if (sections.empty()) clear();  // gives back what the failed parse took
    return false;
  }
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
