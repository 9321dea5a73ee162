#include "ini/file/textOutput.h"

#include "ini/file/fileWrite.h"

namespace inikey {

int flushText(TextOutput& out) {
  const int error = writeAt(out.fd, out.buffer, out.offset);
  out.hash.add(out.buffer);
  out.buffer.clear();
  return error;
}

int putTextPastBuffer(TextOutput& out, std::string_view piece) {
  if (const int error = flushText(out)) return error;
  if (piece.size() <= out.buffer.capacity()) {
    out.buffer += piece;
    return 0;
  }
  out.hash.add(piece);
  return writeAt(out.fd, piece, out.offset);
}

}  // namespace inikey
