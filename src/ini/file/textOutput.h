// The saved text on its way to a file, in blocks.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

#include "contentHash.h"

namespace inikey {

// Pieces gather in buffer, whose memory the owner reserves before the first piece,
// and go out to fd from offset when it is full; a piece larger than the buffer goes
// out as it is. So a save holds no second copy of the text and allocates nothing
// once writing has begun.
struct TextOutput {
  int fd = -1;
  off_t offset = 0;  // where the next byte goes
  std::string buffer;
  ContentHash hash;  // of every byte written
};

// Writes what the buffer holds and empties it. Returns 0 or an errno.
int flushText(TextOutput& out);

// Writes what the buffer holds, then piece. Returns 0 or an errno.
int putTextPastBuffer(TextOutput& out, std::string_view piece);

// Appends piece to the text. Returns 0 or an errno.
inline int putText(TextOutput& out, std::string_view piece) {
  if (out.buffer.size() + piece.size() > out.buffer.capacity()) {
    return putTextPastBuffer(out, piece);
  }
  out.buffer += piece;
  return 0;
}

}  // namespace inikey
