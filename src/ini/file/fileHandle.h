// An open file, closed on every path.
#pragma once

// The library is built with hidden symbols; what is declared here is its interface.
#pragma GCC visibility push(default)
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

}  // namespace inikey
#pragma GCC visibility pop
