// Runs a fuzz target once on every file in the folders named, as libFuzzer runs it on
// files given as arguments: the seeds become tests in every build, sanitized or not.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size);

int main(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    for (const auto& seed : std::filesystem::directory_iterator(argv[i])) {
      std::ifstream in(seed.path(), std::ios::binary);
      const std::string bytes(std::istreambuf_iterator<char>(in), {});
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
  }
}
