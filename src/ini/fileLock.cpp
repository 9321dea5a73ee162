#include "ini/fileLock.h"

#include <sys/file.h>

#include <cerrno>

namespace inikey {

bool lockFile(int fd, int operation) {
  while (::flock(fd, operation) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

void unlockFile(int fd) { ::flock(fd, LOCK_UN); }

}  // namespace inikey
