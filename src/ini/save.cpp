#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "ini/IniFile.h"
#include "ini/fileHandle.h"
#include "ini/fileLock.h"
#include "ini/fileWrite.h"

namespace inikey {
namespace {

// The saved text goes out in pieces of about this size, so that saving a large
// document does not hold a second copy of it.
constexpr size_t kWriteChunk = 1 << 20;

void appendSection(std::string& text, std::string_view sectionName, const KeyMap& keys) {
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

// Overwrites the regular file behind fd from its start with the saved text, cuts
// off what is left of the old content and syncs it; written receives what the
// file now holds. Nothing is overwritten before the space for the new text is
// known to be there, and signals that would end the process wait until the file
// is whole. Returns 0 or an errno.
int replaceContent(int fd, const SectionMap& sections, ContentDigest& written) {
  const size_t size = savedSize(sections);
  if (const int error = reserveSpace(fd, size)) return error;

  const SignalsHeld heldUntilWhole;
  ContentHash hash;
  off_t offset = 0;
  std::string chunk;
  for (const auto& [sectionName, keys] : sections) {
    appendSection(chunk, sectionName, keys);
    if (chunk.size() >= kWriteChunk) {
      if (const int error = writeAt(fd, chunk, offset)) return error;
      hash.add(chunk);
      chunk.clear();
    }
  }
  if (const int error = writeAt(fd, chunk, offset)) return error;
  hash.add(chunk);
  if (const int error = truncateAndSync(fd, offset)) return error;
  written = hash.digest();
  return 0;
}

// 0 when path still names the file open as fd; else ENOENT (removed), ESTALE
// (another file took its name) or the errno of the failed query.
int checkPathNamesFile(const std::string& path, int fd) {
  struct stat named {};
  struct stat opened {};
  if (::fstat(fd, &opened) != 0 || ::stat(path.c_str(), &named) != 0) return errno;
  return named.st_dev == opened.st_dev && named.st_ino == opened.st_ino ? 0 : ESTALE;
}

}  // namespace

std::string savedText(const SectionMap& sections) {
  std::string text;
  text.reserve(savedSize(sections));
  for (const auto& [sectionName, keys] : sections) appendSection(text, sectionName, keys);
  return text;
}

void IniFile::save(const Redo& redo) {
  saveError = EBADF;  // a part of the file never replaces the whole
  if (onlySections) return;
  if (!overlayPath.empty()) {  // the overlay takes every save, and is made when missing
    modificationTime = overlayModificationTime;
    path = overlayPath;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    writeAccessError = fd < 0 ? errno : 0;
    file = FileHandle(fd);
    if (writeAccessError == 0) writeAccessError = hashContent(fd, fileDigest);
  }
  saveError = loaded ? writeAccessError : loadError;
  if (saveError != 0) return;

  const int fd = file.fd();
  const FileLock lock(fd, LOCK_EX);
  // A change is never written into a file that nobody can find by its name.
  saveError = checkPathNamesFile(path, fd);
  if (saveError != 0) return;
  // Another process may have saved since the load: this run's changes then go on
  // top of what it saved, never in place of it.
  ContentDigest current;
  saveError = hashContent(fd, current);
  if (saveError != 0) return;
  if (current != fileDigest) {
    if (!redo) {
      saveError = ESTALE;
      return;
    }
    clear();
    if (!loadOpenFile()) {
      saveError = loadError;
      return;
    }
    redo(*this);
  }
  saveError = replaceContent(fd, sections, fileDigest);
  struct stat status {};
  if (saveError == 0 && ::fstat(fd, &status) == 0) {
    modificationTime = static_cast<std::int32_t>(status.st_mtime);
  }
}

}  // namespace inikey
