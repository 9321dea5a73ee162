#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <string_view>

#include "ini/IniFile.h"
#include "ini/file/createFile.h"
#include "ini/file/fileHandle.h"
#include "ini/file/fileLock.h"
#include "ini/file/fileWrite.h"
#include "ini/file/openFile.h"
#include "ini/file/replaceContent.h"

namespace inikey {
namespace {

// Hands put the pieces of a section's saved text in order: "[name]", its key lines
// and the empty line. Stops at the first piece put fails with, and returns its error.
template <class Put>
int layOutSection(std::string_view sectionName, const KeyMap& keys, const Put& put) {
  using Piece = std::string_view;
  for (const Piece piece : {Piece("["), sectionName, Piece("]\n")}) {
    if (const int error = put(piece)) return error;
  }
  for (const auto& [keyName, value] : keys) {
    for (const Piece piece : {Piece(keyName), Piece("="), Piece(value), Piece("\n")}) {
      if (const int error = put(piece)) return error;
    }
  }
  return put("\n");
}

size_t savedSize(const SectionMap& sections) {
  size_t size = 0;
  for (const auto& [sectionName, keys] : sections) {
    size += sectionName.size() + 4;  // "[", "]\n" and the closing empty line
    for (const auto& [keyName, value] : keys) size += keyName.size() + value.size() + 2;
  }
  return size;
}

}  // namespace

std::string savedText(const SectionMap& sections) {
  std::string text;
  text.reserve(savedSize(sections));
  const auto append = [&text](std::string_view piece) {
    text += piece;
    return 0;
  };
  for (const auto& [sectionName, keys] : sections) layOutSection(sectionName, keys, append);
  return text;
}

int IniFile::reloadAndRedo(const Redo& redo) {
  // The document stays aside, in the arena, until the new one is whole: a failure
  // puts it back as it was.
  SectionMap previous(std::move(sections));
  const ContentDigest previousDigest = fileDigest;
  const int previousLoadError = loadError_;
  const auto putBack = [&] {
    sections = std::move(previous);
    fileDigest = previousDigest;
    loadError_ = previousLoadError;
  };
  sections.clear();
  if (!loadOpenFile()) {
    const int error = loadError_;
    putBack();
    return error;
  }
  try {
    redo(*this);
  } catch (const std::bad_alloc&) {
    putBack();
    return ENOMEM;
  } catch (...) {  // the caller's own: it reaches the caller, and nothing is written
    putBack();
    saveError_ = ECANCELED;
    throw;
  }
  return 0;
}

void IniFile::save(const Redo& redo) {
  saveError_ = EBADF;  // a part of the file never replaces the whole
  if (onlySections_) return;
  if (!overlayPath.empty()) {  // the overlay takes every save, and is made when missing
    modificationTime = overlayModificationTime;
    path_ = overlayPath;
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    writeAccessError_ = fd < 0 ? errno : 0;
    file = FileHandle(fd);
    if (writeAccessError_ == 0) writeAccessError_ = hashContent(fd, fileDigest);
  }
  saveError_ = loaded_ ? writeAccessError_ : loadError_;
  if (saveError_ != 0) return;
  if (!file.isOpen()) {  // FileAccess::Create, and there was no file to load
    saveError_ = createFile(path_, file);
    if (saveError_ != 0) return;
  }

  const int fd = file.fd();
  const FileLock lock(fd, LOCK_EX);
  // Another process may have saved since the load: this run's changes then go on
  // top of what it saved, never in place of it.
  ContentDigest current;
  saveError_ = hashContent(fd, current);
  if (saveError_ != 0) return;
  if (current != fileDigest) {
    if (!redo) {
      saveError_ = ESTALE;
      return;
    }
    saveError_ = reloadAndRedo(redo);
    if (saveError_ != 0) return;
  }
  // A change is never written into a file that nobody can find by its name: the
  // last look at the path comes right before the first byte.
  saveError_ = checkPathNamesFile(path_, fd);
  if (saveError_ != 0) return;
  const auto layOut = [this](TextOutput& out) {
    const auto put = [&out](std::string_view piece) { return putText(out, piece); };
    for (const auto& [sectionName, keys] : sections) {
      if (const int error = layOutSection(sectionName, keys, put)) return error;
    }
    return 0;
  };
  saveError_ = replaceContent(fd, path_, savedSize(sections), layOut, fileDigest);
  struct stat status {};
  if (saveError_ == 0 && ::fstat(fd, &status) == 0) {
    modificationTime = static_cast<std::int32_t>(status.st_mtime);
  }
}

}  // namespace inikey
