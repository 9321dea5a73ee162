#include "memoryFile.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace inikey::fuzzing {
namespace {

[[noreturn]] void fail(const char* call) {
  std::perror(call);
  std::abort();
}

}  // namespace

MemoryFile makeMemoryFile() {
  MemoryFile file;
  file.fd = ::memfd_create("inikey-fuzz", MFD_CLOEXEC);
  if (file.fd < 0) fail("memfd_create");
  file.path = "/proc/self/fd/" + std::to_string(file.fd);
  return file;
}

void setContent(const MemoryFile& file, std::string_view bytes) {
  if (::ftruncate(file.fd, 0) != 0) fail("ftruncate");
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written =
        ::pwrite(file.fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (written <= 0) fail("pwrite");
    done += static_cast<size_t>(written);
  }
  if (::lseek(file.fd, 0, SEEK_SET) != 0) fail("lseek");
}

std::string content(const MemoryFile& file) {
  struct stat status {};
  if (::fstat(file.fd, &status) != 0) fail("fstat");
  std::string bytes(static_cast<size_t>(status.st_size), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t count =
        ::pread(file.fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (count <= 0) fail("pread");
    done += static_cast<size_t>(count);
  }
  return bytes;
}

}  // namespace inikey::fuzzing
