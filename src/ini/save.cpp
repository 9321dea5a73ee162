#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "ini/IniFile.h"
#include "ini/fileLock.h"

namespace inikey {
namespace {

// The saved text goes out in pieces of about this size, so that saving a large
// document does not hold a second copy of it.
constexpr size_t kWriteChunk = 1 << 20;

void appendSection(std::string& text, const std::string& sectionName, const KeyMap& keys) {
  text += '[';
  text += sectionName;
  text += "]\n";
  for (const auto& [keyName, value] : keys) {
    text += keyName;
    text += '=';
    text += value;
    text += '\n';
  }
  text += '\n';
}

size_t savedSize(const SectionMap& sections) {
  size_t size = 0;
  for (const auto& [sectionName, keys] : sections) {
    size += sectionName.size() + 4;  // "[", "]\n" and the closing empty line
    for (const auto& [keyName, value] : keys) size += keyName.size() + value.size() + 2;
  }
  return size;
}

// Writes all of data at the file offset, going on after short writes. Returns 0 or an errno.
int writeAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (written == 0) return EIO;
    data.remove_prefix(static_cast<size_t>(written));
  }
  return 0;
}

// Makes sure the blocks for size bytes exist before any old byte is overwritten,
// so that a full disk stops the save while the file is still intact. File systems
// without the call get no reservation. Returns 0 or an errno.
int reserveSpace(int fd, size_t size) {
  if (size == 0) return 0;
  while (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) != 0) {
    if (errno == EINTR) continue;
    if (errno == ENOSPC || errno == EDQUOT || errno == EFBIG) return errno;
    return 0;
  }
  return 0;
}

// Overwrites the file from its start with the saved text and cuts off what is left
// of the old content. Returns 0 or an errno.
int replaceContent(int fd, const SectionMap& sections) {
  struct stat status {};
  if (::fstat(fd, &status) != 0) return errno;
  // Devices and pipes can be written to but neither reserved nor truncated.
  const bool regular = S_ISREG(status.st_mode);
  const size_t size = savedSize(sections);
  if (regular) {
    if (const int error = reserveSpace(fd, size)) return error;
  }

  std::string chunk;
  for (const auto& [sectionName, keys] : sections) {
    appendSection(chunk, sectionName, keys);
    if (chunk.size() >= kWriteChunk) {
      if (const int error = writeAll(fd, chunk)) return error;
      chunk.clear();
    }
  }
  if (const int error = writeAll(fd, chunk)) return error;
  if (regular && ::ftruncate(fd, static_cast<off_t>(size)) != 0) return errno;
  return 0;
}

}  // namespace

std::string savedText(const SectionMap& sections) {
  std::string text;
  text.reserve(savedSize(sections));
  for (const auto& [sectionName, keys] : sections) appendSection(text, sectionName, keys);
  return text;
}

void IniFile::save() {
  saveError = 0;
  if (onlySections) return;
  if (!overlayPath.empty()) {
    modificationTime = overlayModificationTime;
    path = overlayPath;
  }
  // Not truncated on open: the old content goes only once the lock is ours.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return;
  const bool locked = lockFile(fd, LOCK_EX);
  saveError = replaceContent(fd, sections);
  if (saveError == 0) modificationTime = fileModificationTime(path);
  if (locked) unlockFile(fd);
  if (::close(fd) != 0 && saveError == 0) saveError = errno;
}

}  // namespace inikey
