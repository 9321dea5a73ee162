#include "ini/file/openFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace inikey {
namespace {

// Opens path (relative to folder, or AT_FDCWD) without waiting for a FIFO's other
// end, then lets reads wait as usual. Returns the descriptor, or -1 with errno set.
int openWithoutWaiting(const char* path, int flags, int folder = AT_FDCWD) {
  int fd = ::openat(folder, path, flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  // Only a lease refuses so (a FIFO does not): wait for its holder, as a plain open does.
  if (fd < 0 && errno == EWOULDBLOCK) fd = ::openat(folder, path, flags | O_CLOEXEC | O_NOCTTY);
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

// The folder of this process's descriptors, where /proc is the kernel's and not
// something put in its place; -1 otherwise.
int openDescriptorFolder() {
  constexpr long kProcSuperMagic = 0x9fa0;  // procfs's f_type
  const int folder = ::open("/proc/self/fd", O_PATH | O_DIRECTORY | O_CLOEXEC);
  struct statfs system {};
  if (folder >= 0 && ::fstatfs(folder, &system) == 0 && system.f_type == kProcSuperMagic) {
    return folder;
  }
  if (folder >= 0) ::close(folder);
  return -1;
}

// Opens the regular file that named (an O_PATH descriptor) stands for, with flags:
// through the kernel's /proc, so that the path, which may name another file by now,
// plays no part; where that is missing, by the path, kept only when it is still
// that file. Returns the descriptor, or -1 with errno set: ESTALE or ENOENT when the
// path no longer names that file.
int openAgain(const std::string& path, int named, const struct stat& opened, int flags) {
  if (const FileHandle folder(openDescriptorFolder()); folder.isOpen()) {
    return openWithoutWaiting(std::to_string(named).c_str(), flags, folder.fd());
  }
  // No open of the path can be had that refuses all but a regular file: what the
  // path names now is opened without waiting and closed at once unless it is the file.
  const int fd = openWithoutWaiting(path.c_str(), flags);
  if (fd < 0) return -1;
  struct stat status {};
  if (::fstat(fd, &status) == 0 && status.st_dev == opened.st_dev &&
      status.st_ino == opened.st_ino) {
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
  // O_PATH opens nothing: no device, no FIFO, no lease is touched before the type is known.
  const FileHandle named(::open(path.c_str(), O_PATH | O_CLOEXEC));
  struct stat opened {};
  if (!named.isOpen() || ::fstat(named.fd(), &opened) != 0) {
    writeError = errno;
    return FileHandle();
  }
  if (!S_ISREG(opened.st_mode)) {
    writeError = ENOTSUP;
    return FileHandle(openWithoutWaiting(path.c_str(), O_RDONLY));
  }
  FileHandle file(openAgain(path, named.fd(), opened, O_RDWR));
  if (file.isOpen()) {
    writeError = 0;
    return file;
  }
  writeError = errno;  // EACCES, EROFS, ...: read only
  return FileHandle(openWithoutWaiting(path.c_str(), O_RDONLY));
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

int checkPathNamesFile(const std::string& path, int fd) {
  struct stat named {};
  struct stat opened {};
  if (::fstat(fd, &opened) != 0 || ::stat(path.c_str(), &named) != 0) return errno;
  return named.st_dev == opened.st_dev && named.st_ino == opened.st_ino ? 0 : ESTALE;
}

}  // namespace inikey
