#include "util/trim.h"

#include <array>
#include <cstring>

namespace inikey {
namespace {

constexpr char kWhitespace[] = " \t\n\r\v\b";

// Membership by table: the parser trims every line with the default set.
struct ByteSet {
  std::array<bool, 256> contains{};

  explicit ByteSet(const char* set) {
    for (const char* p = set; *p != '\0'; ++p) contains[static_cast<unsigned char>(*p)] = true;
  }
  bool has(char c) const { return contains[static_cast<unsigned char>(c)]; }
};

const ByteSet& whitespaceSet() {
  static const ByteSet set(kWhitespace);
  return set;
}

std::string_view withoutLeft(std::string_view text, const ByteSet& bytes) {
  size_t first = 0;
  while (first < text.size() && bytes.has(text[first])) ++first;
  return text.substr(first);
}

std::string_view withoutRight(std::string_view text, const ByteSet& bytes) {
  size_t end = text.size();
  while (end > 0 && bytes.has(text[end - 1])) --end;
  return text.substr(0, end);
}

}  // namespace

const char* whitespaceCharacters() { return kWhitespace; }

std::string_view trimmedLeftView(std::string_view text, const char* set) {
  return set == nullptr ? withoutLeft(text, whitespaceSet()) : withoutLeft(text, ByteSet(set));
}

std::string_view trimmedRightView(std::string_view text, const char* set) {
  return set == nullptr ? withoutRight(text, whitespaceSet()) : withoutRight(text, ByteSet(set));
}

std::string_view trimmedView(std::string_view text, const char* set) {
  if (set == nullptr) return withoutRight(withoutLeft(text, whitespaceSet()), whitespaceSet());
  const ByteSet bytes(set);
  return withoutRight(withoutLeft(text, bytes), bytes);
}

std::string trimmedLeft(const std::string& text, const char* set) {
  return std::string(trimmedLeftView(text, set));
}

std::string trimmedRight(const std::string& text, const char* set) {
  return std::string(trimmedRightView(text, set));
}

std::string trimmed(const std::string& text, const char* set) {
  return std::string(trimmedView(text, set));
}

void trimLeft(std::string& text, const char* set) {
  text.erase(0, text.size() - trimmedLeftView(text, set).size());
}

void trimRight(std::string& text, const char* set) {
  text.resize(trimmedRightView(text, set).size());
}

void trim(std::string& text, const char* set) {
  trimLeft(text, set);
  trimRight(text, set);
}

void trim(std::string& text) { trim(text, nullptr); }

std::string toLowerCopy(const std::string& text) {
  std::string copy = text;
  for (char& c : copy) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return copy;
}

std::string toUpperCopy(const std::string& text) {
  std::string copy = text;
  for (char& c : copy) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return copy;
}

}  // namespace inikey
