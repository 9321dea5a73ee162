// Replacing a file's whole content so that it is never left cut or mixed.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "contentHash.h"
#include "ini/file/textOutput.h"

namespace inikey {

// Hands the pieces of a text in order to putText(out, piece); stops at the first
// error and returns it, else 0.
using LayOutText = std::function<int(TextOutput& out)>;

// Replaces the content of the regular file open for reading and writing as fd, found
// by path, with the size bytes layOut hands out, and waits until they are on storage;
// written receives the digest of what the file then holds. The file keeps its inode,
// owner, mode and links.
//
// Where the file is on an XFS that can exchange file contents and its folder, on the
// same XFS, takes an unnamed file, the text is written and synced there first and then
// exchanged with the file's content in one logged step: a kill, a crash or an error at
// any moment leaves the old text or the new one, whole. Elsewhere it is written over the
// old content from the start, where SIGKILL, a crash of the system or an I/O error part
// way can leave a mix.
//
// On both ways nothing is changed before the room for the text and the memory to
// write it from are had (ENOSPC, EDQUOT, EFBIG, ENOMEM), and the signals that would
// end the process wait until the file is whole. Returns 0 or an errno.
int replaceContent(int fd, const std::string& path, size_t size, const LayOutText& layOut,
                   ContentDigest& written);

}  // namespace inikey
