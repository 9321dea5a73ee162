// Making a document's file that does not exist yet.
#pragma once

#include <string>

#include "ini/file/fileHandle.h"

namespace inikey {

// Makes path a new, empty regular file open for reading and writing in file, never
// in place of one that exists by then (EEXIST, a symbolic link included), and syncs
// its folder so that the name outlives a crash of the system. Returns 0 or an errno.
int createFile(const std::string& path, FileHandle& file);

}  // namespace inikey
