// Opening a document's file once, for its whole life.
#pragma once

#include <string>

#include "IniFile.h"
#include "ini/file/fileHandle.h"

namespace inikey {

// Opens path for the document's life: for reading and writing where that is
// wanted and allowed, else for reading; writeError receives 0, or why the file is
// not open for writing. It is opened for reading first, and what that descriptor
// is decides: only a regular file is ever opened for writing (a device or a FIFO
// swapped in after the access test is not), and a run never waits for a FIFO's
// writer, so that one swapped in cannot hold it. Returns the handle, not open with
// errno set when the file cannot be read.
FileHandle openDocumentFile(const std::string& path, FileAccess access, int& writeError);

// 0 when path still names the file open as fd; else ENOENT (removed), ESTALE
// (another file took its name) or the errno of the failed query.
int checkPathNamesFile(const std::string& path, int fd);

}  // namespace inikey
