#include "documents.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <vector>

namespace inikey::bench {
namespace {

constexpr char kValueBytes[] = "abcdefghijklmnopqrstuvwxyz0123456789 -./:_";

std::string padded(size_t number, size_t count) {
  const std::string digits = std::to_string(number);
  const size_t width = std::to_string(count - 1).size();
  return std::string(width - digits.size(), '0') + digits;
}

// The engine's output is fixed by the standard; distributions are not, so none is used.
std::vector<size_t> shuffledIndexes(size_t count, std::mt19937_64& random) {
  std::vector<size_t> indexes(count);
  for (size_t i = 0; i < count; ++i) indexes[i] = i;
  for (size_t i = count; i > 1; --i) std::swap(indexes[i - 1], indexes[random() % i]);
  return indexes;
}

std::vector<size_t> sectionOrder(size_t sections) {
  std::mt19937_64 random(sections);
  return shuffledIndexes(sections, random);
}

}  // namespace

std::string documentText(size_t sections, size_t keys) {
  std::mt19937_64 random(sections * 7919 + keys);
  std::string text;
  for (const size_t section : sectionOrder(sections)) {
    text += "[section" + padded(section, sections) + "]\n";
    for (const size_t key : shuffledIndexes(keys, random)) {
      text += "key" + padded(key, keys) + "=v";
      for (size_t length = 30 + random() % 31 - 2; length > 0; --length) {
        text += kValueBytes[random() % (sizeof kValueBytes - 1)];
      }
      text += "z\n";
    }
  }
  return text;
}

std::string lastKeyPath(size_t sections, size_t keys) {
  const std::string text = documentText(sections, keys);
  const size_t header = text.rfind("\n[");
  const size_t lastLine = text.rfind('\n', text.size() - 2);
  const size_t nameStart = header == std::string::npos ? 1 : header + 2;
  const std::string sectionName = text.substr(nameStart, text.find(']', nameStart) - nameStart);
  const std::string keyName = text.substr(lastLine + 1, text.find('=', lastLine) - lastLine - 1);
  return sectionName + "/" + keyName;
}

std::string temporaryFile(const std::string& text) {
  std::string path = (std::filesystem::temp_directory_path() / "inikey-bench-XXXXXX").string();
  const int fd = ::mkstemp(path.data());
  if (fd < 0) std::abort();
  std::FILE* file = ::fdopen(fd, "w");
  if (file == nullptr || std::fwrite(text.data(), 1, text.size(), file) != text.size() ||
      std::fclose(file) != 0) {
    std::abort();
  }
  static std::vector<std::string> created;
  if (created.empty()) {
    std::atexit([] {
      for (const std::string& name : created) ::unlink(name.c_str());
    });
  }
  created.push_back(path);
  return path;
}

}  // namespace inikey::bench
