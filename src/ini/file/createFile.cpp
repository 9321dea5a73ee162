#include "ini/file/createFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "ini/file/openFile.h"

namespace inikey {

int createFile(const std::string& path, FileHandle& file) {
  FileHandle created(
      ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0666));
  if (!created.isOpen()) return errno;
  const FileHandle folderHandle(::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folderHandle.isOpen()) return errno;
  // Some file systems cannot sync a folder; their names are then as safe as they get.
  if (::fsync(folderHandle.fd()) != 0 && errno != EINVAL) return errno;
  file = std::move(created);
  return 0;
}

}  // namespace inikey
