#include "ini/file/replaceContent.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "ini/file/exchangeRange.h"
#include "ini/file/fileHandle.h"
#include "ini/file/fileWrite.h"
#include "ini/file/openFile.h"

namespace inikey {
namespace {

// The text goes out in blocks of this size.
constexpr size_t kWriteChunk = 1 << 20;

// Gives fd the whole content of other, and other fd's old content. Returns 0 or an errno.
int exchangeContent(int fd, int other, std::uint64_t flags) {
  XfsExchangeRange range{};
  range.file1Fd = other;
  range.flags = kXfsExchangeRangeToEof | flags;
  while (::ioctl(fd, kXfsIocExchangeRange, &range) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

// An unnamed, empty file in path's folder whose content fd's can be exchanged with,
// or none where that cannot be done: not an XFS, one without the exchange, a folder
// the user may not write or on another file system. Costs one fstatfs elsewhere than
// on XFS, and no state is kept between runs.
FileHandle exchangeableFile(int fd, const std::string& path) {
  struct statfs disk {};
  if (::fstatfs(fd, &disk) != 0 || disk.f_type != XFS_SUPER_MAGIC) return {};
  FileHandle other(::open(folderOf(path).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
  if (!other.isOpen() || exchangeContent(fd, other.fd(), kXfsExchangeRangeDryRun) != 0) {
    return {};
  }
  return other;
}

int syncData(int fd) {
  while (::fdatasync(fd) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

}  // namespace

int replaceContent(int fd, const std::string& path, size_t size, const LayOutText& layOut,
                   ContentDigest& written) {
  TextOutput out;
  try {
    out.buffer.reserve(kWriteChunk);
  } catch (const std::bad_alloc&) {
    return ENOMEM;
  }
  // The unnamed file is freed when closed, and by the log's recovery after a crash.
  const FileHandle exchanged = exchangeableFile(fd, path);
  out.fd = exchanged.isOpen() ? exchanged.fd() : fd;
  if (const int error = reserveSpace(out.fd, size)) return error;

  const SignalsHeld heldUntilWhole;
  if (const int error = layOut(out)) return error;
  if (const int error = flushText(out)) return error;
  if (exchanged.isOpen()) {
    // The new text must be on storage before the log says the file holds it.
    if (const int error = syncData(exchanged.fd())) return error;
    if (const int error = exchangeContent(fd, exchanged.fd(), 0)) return error;
    // Forces the log that holds the exchange; one force, where the exchange's own
    // DSYNC would add a second.
    if (const int error = syncData(fd)) return error;
  } else if (const int error = truncateAndSync(fd, out.offset)) {
    return error;
  }
  written = out.hash.digest();
  return 0;
}

}  // namespace inikey
