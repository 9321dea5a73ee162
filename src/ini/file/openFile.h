// Opening a document's file once, for its whole life.
#pragma once

#include <string>

#include "IniFile.h"
#include "ini/file/fileHandle.h"

namespace inikey {

// Opens path for the document's life: for reading and writing where that is
// wanted and allowed, else for reading; writeError receives 0, or why the file is
// not open for writing. Its type is first learnt through an O_PATH descriptor, which
// opens nothing, and only a regular file is opened again for writing, through /proc
// as that same file; where /proc is missing, by the path, and kept only when it is
// still that file (else ESTALE, or ENOENT when removed). A run never waits for a
// FIFO's writer. Returns the handle, not open with errno set when the file cannot be read.
FileHandle openDocumentFile(const std::string& path, FileAccess access, int& writeError);

// 0 when path still names the file open as fd; else ENOENT (removed), ESTALE
// (another file took its name) or the errno of the failed query.
int checkPathNamesFile(const std::string& path, int fd);

// The folder that holds path: what comes before its last "/", "/" for a file at
// the root, "." for a bare name.
std::string folderOf(const std::string& path);

}  // namespace inikey
