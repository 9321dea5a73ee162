#include "support/process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace inikey::testing {

std::string inikeyBinary() { return INIKEY_BINARY; }

RunResult runInikey(const std::vector<std::string>& args, const std::filesystem::path& folder,
                    const std::string& binary) {
  // A faulty build that writes without end fails soon instead of filling the disk.
  static const rlimit kLargestFile = {256 << 20, 256 << 20};
  ::setrlimit(RLIMIT_FSIZE, &kLargestFile);
  TempDir capture;
  const std::string out = capture / "out", err = capture / "err";
  std::vector<char*> argv = {const_cast<char*>(binary.c_str())};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  pid_t pid = 0;
  const int error = posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (error != 0 || waitpid(pid, &status, 0) != pid) {  // no handler here: no EINTR
    ADD_FAILURE() << "cannot run " << binary << ": " << std::strerror(error != 0 ? error : errno);
    return {};
  }
  return {readFile(out), readFile(err),
          WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status)};
}

TempDir::TempDir() {
  std::string pattern = std::filesystem::temp_directory_path() / "inikey-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp: " << std::strerror(errno);
  path_ = pattern;
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) ADD_FAILURE() << "cannot read " << path;
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void writeFile(const std::filesystem::path& path, const std::string& content) {
  if (!(std::ofstream(path, std::ios::binary) << content).flush()) {
    ADD_FAILURE() << "cannot write " << path;
  }
}

}  // namespace inikey::testing
