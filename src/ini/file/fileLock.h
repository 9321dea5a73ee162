// The advisory locks taken through an open file, released on every path.
#pragma once

namespace inikey {

// Holds a flock lock (LOCK_SH or LOCK_EX) on fd for the scope, waiting until it is
// granted. A lock that cannot be had is no error: the scope goes on without it.
// Every lock of a run goes through its one descriptor, since flock locks taken
// through two descriptors of one file conflict with each other.
class FileLock {
 public:
  FileLock(int fd, int operation);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  int fd_;
  bool held_;
};

}  // namespace inikey
