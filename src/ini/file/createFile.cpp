#include "ini/file/createFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace inikey {

int createFile(const std::string& path, FileHandle& file) {
  FileHandle created(
      ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0666));
  if (!created.isOpen()) return errno;
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "."
                             : slash == 0               ? "/"
                                                        : path.substr(0, slash);
  const FileHandle folderHandle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folderHandle.isOpen()) return errno;
  // Some file systems cannot sync a folder; their names are then as safe as they get.
  if (::fsync(folderHandle.fd()) != 0 && errno != EINVAL) return errno;
  file = std::move(created);
  return 0;
}

}  // namespace inikey
