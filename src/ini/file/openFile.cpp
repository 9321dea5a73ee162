#include "ini/file/openFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace inikey {
namespace {

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

}  // namespace

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

int checkPathNamesFile(const std::string& path, int fd) {
  struct stat named {};
  struct stat opened {};
  if (::fstat(fd, &opened) != 0 || ::stat(path.c_str(), &named) != 0) return errno;
  return named.st_dev == opened.st_dev && named.st_ino == opened.st_ino ? 0 : ESTALE;
}

}  // namespace inikey
