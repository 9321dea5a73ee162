// The in-memory INI document of one file: loaded at construction, written back by save().
// keys.h reads, sets and removes single keys of it.
//
// The headers need C++20. Threads: a document is used by one thread at a time, though
// several may call its const functions (and keys.h's reads) at once while none changes
// it; separate documents are independent, even of one file, whose advisory locks keep
// their loads and saves apart. save() holds back every signal but SIGKILL and SIGSTOP
// while it writes, in its own thread only (the C library's two signals between threads
// too, so that a setuid() or pthread_cancel() aimed at it waits until the file is
// whole): where other threads could take a signal that ends the process, block it there
// too.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory_resource>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "SectionMap.h"
#include "contentDigest.h"
#include "fileHandle.h"

// The library is built with hidden symbols; what is declared here is its interface.
#pragma GCC visibility push(default)
namespace inikey {

// The file's modification time in whole seconds; 0 when it does not exist, -1 when
// its status cannot be queried.
std::int32_t fileModificationTime(const std::string& path);

// The text that save() writes for sections: "[name]", its "key=value" lines and an
// empty line, for each section in order.
std::string savedText(const SectionMap& sections);

// How a document opens its file: ReadWrite for one that may be saved (it falls back
// to reading only where the file cannot be written, and save() then writes nothing);
// Create as ReadWrite, but a file that does not exist counts as loaded and empty, and
// the first save() makes it, with the same lock and sync, never in place of a file
// that appeared meanwhile (EEXIST).
enum class FileAccess { ReadOnly, ReadWrite, Create };

// Neither copied nor moved: its maps live in its arena, and a map copied or moved
// into another resource would be rebuilt entry by entry.
class IniFile {
 public:
  // Opens the file at path once, for the document's whole life, and loads it; a
  // file that cannot be read leaves the document empty, `loaded` false and
  // `loadError` telling why. With onlySections, only those sections, and of each only
  // the keys it names, are kept (a run that reads a few keys needs no more; a
  // section kept for some keys is spelled as the first header above one of them)
  // and the file is only read.
  explicit IniFile(const std::string& path,
                   std::optional<SectionFilter> onlySections = std::nullopt,
                   FileAccess access = FileAccess::ReadWrite);
  virtual ~IniFile() = default;

  // Reloads the file when its modification time changed since the document last
  // matched it, or when it was never loaded; then adds the overlay file, if any.
  void reloadIfChanged();

  // Removes every section and gives their memory back to the arena; the times are kept.
  void clear();

  // Reads and parses the file at path, under a shared lock, on top of the document.
  // Returns false, the document unchanged, when it cannot be opened or read.
  bool load(const std::string& filePath);

  // Applies lines, in order, to the document, starting outside any section. Each is
  // taken whole, as the map operations take names: setValue's checks are not made.
  void parse(const std::vector<std::string>& lines);

  // Parses text on top of the document as a load parses a file holding these bytes
  // (a zero byte too ends the text of the 511-byte read it falls in). The file is
  // neither read nor written: save() writes the result to it.
  void parseText(std::string_view text);

  // Changes made to the document since it was loaded, applied again to a document
  // loaded anew: save() calls it when another process changed the file in between.
  using Redo = std::function<void(IniFile&)>;

  // Rewrites the file, which keeps its inode, through the descriptor it was loaded
  // from, under an exclusive lock, as sorted sections of key=value lines; with a redo,
  // a file that changed since the load is loaded again under the lock and redo applied
  // to it first. On an XFS that can exchange file contents the text is written into an
  // unnamed file beside it, synced, and exchanged with the file's content in one
  // logged step; elsewhere it is written over the old content. Every signal but
  // SIGKILL and SIGSTOP waits until the file is whole and synced; a fault of the
  // process itself still ends it. On every failure the document stays as it was
  // before the call. saveError is 0 when the file was written; otherwise it says why,
  // and nothing was written, except where a write, truncate or sync failed after the
  // first byte (EIO, or ENOSPC or EDQUOT where the space could not be reserved): in
  // place, the file may then hold the new text's first part over the old content, as
  // after a power loss; with the exchange, a sync failed after it leaves the new text:
  //   the document's loadError: it did not load, and would wipe the file;
  //   writeAccessError: the file is not open for writing (EBADF with onlySections);
  //   ENOENT or ESTALE: the path no longer names the file loaded;
  //   ESTALE: the file's bytes changed since the load and there is no redo;
  //   ENOSPC, EDQUOT, EFBIG: the new content would not fit;
  //   ENOMEM: the reload or the redo ran out of memory;
  //   ECANCELED: the redo threw something else, which reaches the caller;
  //   EEXIST: FileAccess::Create, and a file appeared at path after the load; or
  //   another error of making the file, such as ENOENT for a missing folder;
  //   or the errno of the system call that failed (a failed reload's among them).
  //   A file that save() made stays, empty, when its content could not be written.
  void save(const Redo& redo = nullptr);

  // The value of keyName in sectionName; nothing when either is missing. The view
  // is valid until the key is changed or removed, or the document cleared.
  std::optional<std::string_view> findValue(std::string_view sectionName,
                                            std::string_view keyName) const;

  // Replaces names with every section name, as stored, in document order.
  void sectionNames(std::deque<std::string>& names) const;

  // Replaces entries with a copy of the section's keys and values, in key order;
  // leaves entries alone when there is no such section.
  void getSectionEntries(const std::string& sectionName, EntryList& entries) const;

  // What the document knows of its file, for reading only: the calls above keep it.
  const std::string& path() const { return path_; }
  const std::optional<SectionFilter>& onlySections() const { return onlySections_; }
  // The last load of path succeeded; with FileAccess::Create, or found no file.
  bool loaded() const { return loaded_; }
  int loadError() const { return loadError_; }  // errno of the last failed load of path; else 0
  // Why save() cannot write the file, as an errno; 0 when it is open for writing, or
  // is missing and save() is to make it (FileAccess::Create).
  // EBADF: opened FileAccess::ReadOnly or with onlySections; ENOTSUP: not a regular
  // file (a device, a pipe); otherwise the error of opening it for writing (EACCES,
  // EROFS, ...); ESTALE or ENOENT where /proc is not mounted and the path no longer
  // named the file read when it was opened again for writing.
  int writeAccessError() const { return writeAccessError_; }
  int saveError() const { return saveError_; }  // of the last save(), 0 when it wrote; see save()

 private:
  // Where every name, value and map node of the document is placed, one after the
  // other in large blocks; nothing is given back before clear() or destruction.
  // Declared before the maps, which use it. A map made for this document is made
  // with sections.get_allocator(), so that it can be merged without a copy.
  std::pmr::monotonic_buffer_resource arena_;

 public:
  std::int32_t modificationTime = 0;  // of path when the document last matched it
  std::int32_t overlayModificationTime = 0;
  SectionMap sections{&arena_};
  std::string overlayPath;  // a second file loaded on top; save() writes there

 private:
  // Reads and parses the open file from its start, under whatever lock the caller
  // holds; on success records what the file held.
  bool loadOpenFile();

  // Loads the file again and applies redo to it; on failure puts the document back
  // as it was. Returns 0 or an errno.
  int reloadAndRedo(const Redo& redo);

  std::string path_;
  std::optional<SectionFilter> onlySections_;  // load keeps only these, when set
  bool loaded_ = false;
  int loadError_ = 0;
  int writeAccessError_ = 0;
  int saveError_ = 0;
  FileAccess access;
  FileHandle file;           // path, opened once, by the first load
  ContentDigest fileDigest;  // of the bytes the document was last loaded from or saved as
};

}  // namespace inikey
#pragma GCC visibility pop
