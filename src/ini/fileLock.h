// Advisory whole-file locks between processes.
#pragma once

namespace inikey {

// Takes a flock lock (LOCK_SH or LOCK_EX) on fd, waiting until it is granted.
// Returns false when the lock cannot be had at all; callers then go on without it.
bool lockFile(int fd, int operation);

// Releases the lock that lockFile took.
void unlockFile(int fd);

}  // namespace inikey
