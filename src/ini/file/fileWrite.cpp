#include "ini/file/fileWrite.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "ini/readLines.h"

namespace inikey {
namespace {

// The kernel's signal set: one bit for each of its 64 signals.
constexpr size_t kKernelSignalSetSize = 64 / 8;

// Where blocks cannot be reserved: refuses a text that would not fit into the
// file's blocks and the free ones, counting the pointer blocks that file systems
// without extents need for every block's worth of block numbers.
int checkFreeSpace(int fd, size_t size) {
  struct stat status {};
  struct statvfs disk {};
  if (::fstat(fd, &status) != 0 || ::fstatvfs(fd, &disk) != 0) return 0;  // cannot tell
  const std::uint64_t block = disk.f_frsize != 0 ? disk.f_frsize : disk.f_bsize;
  if (block == 0) return 0;
  const std::uint64_t dataBlocks = (size + block - 1) / block;
  const std::uint64_t pointerBlocks = dataBlocks / (block / 4) + 3;
  // Root may use the blocks kept back for it.
  const std::uint64_t freeBlocks = ::geteuid() == 0 ? disk.f_bfree : disk.f_bavail;
  const std::uint64_t have =
      static_cast<std::uint64_t>(status.st_blocks) * 512 + freeBlocks * block;
  return (dataBlocks + pointerBlocks) * block > have ? ENOSPC : 0;
}

}  // namespace

int hashContent(int fd, ContentDigest& digest) {
  ContentHash hash;
  std::unique_ptr<char[]> buffer;
  try {
    buffer = std::make_unique_for_overwrite<char[]>(kReadBlockSize);
  } catch (const std::bad_alloc&) {
    return ENOMEM;
  }
  for (off_t offset = 0;;) {
    const ssize_t count = ::pread(fd, buffer.get(), kReadBlockSize, offset);
    if (count < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (count == 0) break;
    hash.add(std::string_view(buffer.get(), static_cast<size_t>(count)));
    offset += count;
  }
  digest = hash.digest();
  return 0;
}

int reserveSpace(int fd, size_t size) {
  if (size == 0) return 0;
  // Space may be reserved past the limit, which only writes meet, part way.
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      size > limit.rlim_cur) {
    return EFBIG;
  }
  while (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) != 0) {
    if (errno == EINTR) continue;
    if (errno == ENOSPC || errno == EDQUOT || errno == EFBIG) return errno;
    return checkFreeSpace(fd, size);
  }
  return 0;
}

int writeAt(int fd, std::string_view data, off_t& offset) {
  while (!data.empty()) {
    const ssize_t written = ::pwrite(fd, data.data(), data.size(), offset);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (written == 0) return EIO;
    data.remove_prefix(static_cast<size_t>(written));
    offset += written;
  }
  return 0;
}

int truncateAndSync(int fd, off_t size) {
  while (::ftruncate(fd, size) != 0) {
    if (errno != EINTR) return errno;
  }
  while (::fdatasync(fd) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

// Straight to the kernel: the C library's own mask functions leave out the two
// signals it uses between threads, and kill can send those too.
SignalsHeld::SignalsHeld() {
  sigset_t held;
  std::memset(&held, 0xff, sizeof held);  // sigfillset leaves those two out as well
  sigemptyset(&previous_);
  ::syscall(SYS_rt_sigprocmask, SIG_BLOCK, &held, &previous_, kKernelSignalSetSize);
}

SignalsHeld::~SignalsHeld() {
  ::syscall(SYS_rt_sigprocmask, SIG_SETMASK, &previous_, nullptr, kKernelSignalSetSize);
}

}  // namespace inikey
