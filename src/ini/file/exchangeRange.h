// The exchange of two files' contents on XFS, as Linux 6.10 declares it in its
// user interface header (fs/xfs/libxfs/xfs_fs.h, installed as <xfs/xfs_fs.h>):
// struct xfs_exchange_range and XFS_IOC_EXCHANGE_RANGE. Older kernel headers lack
// them; the layout and numbers are the kernel's interface and do not change.
#pragma once

#include <sys/ioctl.h>

#include <cstdint>

namespace inikey {

// The ioctl is made on the file that receives file1's content (file2) and gives
// file1 its own; both must be open for writing on the same XFS.
struct XfsExchangeRange {
  std::int32_t file1Fd;
  std::uint32_t pad;  // must be zero
  std::uint64_t file1Offset;
  std::uint64_t file2Offset;
  std::uint64_t length;
  std::uint64_t flags;
};

// Exchanges from the offsets to the end of both files, and their sizes with them.
constexpr std::uint64_t kXfsExchangeRangeToEof = 1ULL << 0;
// Waits until the exchange is on storage before returning.
constexpr std::uint64_t kXfsExchangeRangeDsync = 1ULL << 1;
// Checks the arguments and whether the exchange can be made, changing nothing.
constexpr std::uint64_t kXfsExchangeRangeDryRun = 1ULL << 2;

constexpr unsigned long kXfsIocExchangeRange = _IOW('X', 129, struct XfsExchangeRange);

}  // namespace inikey
