#include "ini/file/fileLock.h"

#include <sys/file.h>

#include <cerrno>

namespace inikey {

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
