#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <string>

#include "ini/IniFile.h"
#include "ini/file/fileHandle.h"
#include "ini/file/fileLock.h"
#include "ini/file/openFile.h"
#include "ini/parse.h"
#include "ini/readLines.h"

namespace inikey {
namespace {

// Parses the file behind fd from where it stands, on top of sections. Lines are
// parsed as they arrive, so the file's text is never held whole; into a map of
// their own, so that a read error leaves the document unchanged. Returns 0, the
// errno of the failed read, or ENOMEM when the file does not fit into the memory
// the process may have (an empty document then stays empty).
int parseFile(int fd, SectionMap& sections, const SectionFilter* onlySections, ContentHash* hash) {
  try {
    SectionMap loadedSections(sections.get_allocator());
    ParseState state(onlySections);
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
      state.partBytes = partBytesFor(static_cast<std::uint64_t>(status.st_size));
    }
    const bool complete = readLines(
        fd, [&](std::string_view line) { parseLine(loadedSections, state, line); }, kReadBlockSize,
        hash);
    if (!complete) return errno;
    storePendingKeys(loadedSections, state);
    mergeSections(sections, std::move(loadedSections));
    return 0;
  } catch (const std::bad_alloc&) {
    return ENOMEM;
  }
}

}  // namespace

bool IniFile::loadOpenFile() {
  ContentHash hash;
  if (::lseek(file.fd(), 0, SEEK_SET) < 0 && errno != ESPIPE) {
    loadError_ = errno;
    return false;
  }
  // Only a file that may be saved needs its bytes remembered.
  loadError_ = parseFile(file.fd(), sections, onlySections_ ? &*onlySections_ : nullptr,
                         writeAccessError_ == 0 ? &hash : nullptr);
  if (loadError_ != 0) return false;
  fileDigest = hash.digest();
  return true;
}

bool IniFile::load(const std::string& filePath) {
  if (filePath != path_) {  // the overlay: read once, never written through
    const FileHandle overlay(::open(filePath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!overlay.isOpen()) return false;
    const FileLock lock(overlay.fd(), LOCK_SH);
    return parseFile(overlay.fd(), sections, onlySections_ ? &*onlySections_ : nullptr, nullptr) ==
           0;
  }
  if (!file.isOpen()) {
    file =
        openDocumentFile(path_, onlySections_ ? FileAccess::ReadOnly : access, writeAccessError_);
    if (!file.isOpen()) {
      loadError_ = errno;
      if (loadError_ != ENOENT || access != FileAccess::Create) return false;
      // The first save() makes the file; until then it is as empty as the document.
      loadError_ = 0;
      writeAccessError_ = onlySections_ ? EBADF : 0;
      fileDigest = ContentHash().digest();
      return true;
    }
  }
  const FileLock lock(file.fd(), LOCK_SH);
  if (loadOpenFile()) return true;
  if (sections.empty()) clear();  // gives back what the failed parse took
  return false;
}

}  // namespace inikey
