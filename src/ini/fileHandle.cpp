#include "ini/fileHandle.h"

#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace inikey {

FileHandle::~FileHandle() {
  if (fd_ >= 0) ::close(fd_);
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

FileLock::FileLock(int fd, int operation) : fd_(fd), held_(true) {
  while (::flock(fd, operation) != 0) {
    if (errno != EINTR) {
      held_ = false;
      break;
    }
  }
}

FileLock::~FileLock() {
  if (held_) ::flock(fd_, LOCK_UN);
}

}  // namespace inikey
