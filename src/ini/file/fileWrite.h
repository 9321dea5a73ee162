// The steps of rewriting a file in place so that it is never left cut or mixed by
// anything the process can see coming: a full disk, a signal, a crash of the
// system after the lock is released.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <cstddef>
#include <string_view>

#include "contentHash.h"

namespace inikey {

// Hashes everything the file behind fd holds, from its start. Returns 0 or an errno.
int hashContent(int fd, ContentDigest& digest);

// Makes sure the file can hold size bytes before any old byte is overwritten: the
// blocks are reserved where the file system can, and the free space is checked
// where it cannot. Returns 0, ENOSPC (or EDQUOT, EFBIG) when the text cannot fit;
// EFBIG also when it is larger than the process may write (RLIMIT_FSIZE).
int reserveSpace(int fd, size_t size);

// Writes all of data at offset, going on after short writes, and moves offset
// past it. Returns 0 or an errno.
int writeAt(int fd, std::string_view data, off_t& offset);

// Cuts the file to size and waits until its content is on storage. Returns 0 or an errno.
int truncateAndSync(int fd, off_t size);

// Holds back, for its scope, every signal of the calling thread that can be held:
// all but SIGKILL and SIGSTOP, whoever sends them; when the scope ends, those that
// arrived meanwhile are delivered. A fault of the thread itself (SIGSEGV, SIGBUS,
// SIGFPE, SIGILL from its own code) cannot be held and still ends the process.
class SignalsHeld {
 public:
  SignalsHeld();
  ~SignalsHeld();
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t previous_;
};

}  // namespace inikey
