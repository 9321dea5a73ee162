// Running the built tool in tests, and folders that clean up after themselves.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace inikey::testing {

struct RunResult {
  std::string out;  // standard output
  std::string err;  // standard error
  int status = -1;  // exit status, or 128 + signal number when killed
};

// The path of the built binary.
std::string inikeyBinary();

// Runs the built inikey (or binary) with args (argv[0] is its path) in folder, standard
// input /dev/null.
RunResult runInikey(const std::vector<std::string>& args,
                    const std::filesystem::path& folder = std::filesystem::current_path(),
                    const std::string& binary = inikeyBinary());

// A fresh folder under the system's temporary folder, removed with its content at scope end.
class TempDir {
 public:
  TempDir();
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Whole-file helpers that fail the test on error.
std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& content);

}  // namespace inikey::testing
