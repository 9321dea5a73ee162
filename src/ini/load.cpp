#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <string>

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
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
      state.partBytes = partBytesFor(static_cast<std::uint64_t>(status.st_size));
    }
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
int openWithoutWaiting(const char* path, int flags) {
  int fd = ::open(path, flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  // Only a lease refuses so (a FIFO does not): wait for its holder, as a plain open does.
  if (fd < 0 && errno == EWOULDBLOCK) fd = ::open(path, flags | O_CLOEXEC | O_NOCTTY);
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

// Opens the regular file that readable is open on for writing too: through /proc
// where it is mounted, so that the path, which may name another file by now, plays
// no part; else by the path, kept only when it still names that file. Returns the
// descriptor, or -1 with errno set.
int openAgainForWriting(const std::string& path, int readable, const struct stat& opened) {
  const std::string self = "/proc/self/fd/" + std::to_string(readable);
  int fd = openWithoutWaiting(self.c_str(), O_RDWR);
  if (fd >= 0 || errno != ENOENT) return fd;
  fd = openWithoutWaiting(path.c_str(), O_RDWR);
  if (fd < 0) return -1;
  struct stat named {};
  if (::fstat(fd, &named) == 0 && named.st_dev == opened.st_dev && named.st_ino == opened.st_ino) {
    return fd;
  }
  ::close(fd);
  errno = ESTALE;
  return -1;
}

// Opens path for the document's life: for reading and writing where that is
// wanted and allowed, else for reading; writeError receives 0, or why the file is
// not open for writing. It is opened for reading first, and what that descriptor
// is decides: only a regular file is ever opened for writing (a device or a FIFO
// swapped in after the access test is not), and a run never waits for a FIFO's
// writer, so that one swapped in cannot hold it.
FileHandle openDocumentFile(const std::string& path, FileAccess access, int& writeError) {
  writeError = EBADF;  // read only, as asked
  if (access == FileAccess::ReadOnly) {
    return FileHandle(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
  }
  FileHandle readable(openWithoutWaiting(path.c_str(), O_RDONLY));
  struct stat opened {};
  if (!readable.isOpen() || ::fstat(readable.fd(), &opened) != 0) {
    writeError = errno;
    return readable;
  }
  if (!S_ISREG(opened.st_mode)) {
    writeError = ENOTSUP;
    return readable;
  }
  FileHandle file(openAgainForWriting(path, readable.fd(), opened));
  if (!file.isOpen()) {
    writeError = errno;
    return readable;
  }
  writeError = 0;
  return file;
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
