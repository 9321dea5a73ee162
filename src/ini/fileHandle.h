// An open file and the advisory locks taken through it, released on every path.
#pragma once

namespace inikey {

// Owns a file descriptor and closes it when destroyed; -1 stands for none.
class FileHandle {
 public:
  FileHandle() = default;
  explicit FileHandle(int fd) : fd_(fd) {}
  ~FileHandle();
  FileHandle(FileHandle&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  FileHandle& operator=(FileHandle&& other) noexcept;

  int fd() const { return fd_; }
  bool isOpen() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

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
