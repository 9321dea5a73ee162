#include "util/fields.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "util/trim.h"

namespace inikey {
namespace {

// Byte offsets of every separator; field i ends at the i-th of them or at the end of text.
using Separators = std::vector<std::size_t>;

template <typename IsSeparator>
Separators findSeparators(const std::string& text, IsSeparator isSeparator) {
  Separators separators;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (isSeparator(text[i])) separators.push_back(i);
  }
  return separators;
}

Separators findSeparators(const std::string& text, char separator) {
  return findSeparators(text, [separator](char c) { return c == separator; });
}

Separators findSeparators(const std::string& text, const char* set) {
  if (set == nullptr) set = whitespaceCharacters();
  // strchr finds the terminator too, and a NUL byte in the text is never in a C-string set.
  return findSeparators(text,
                        [set](char c) { return c != '\0' && std::strchr(set, c) != nullptr; });
}

// Field numbers are widened so that counting back from the end cannot overflow an int.
std::int64_t fieldCount(const Separators& separators) {
  return static_cast<std::int64_t>(separators.size()) + 1;
}

// Fields first to last, both within the text, with the separators between them.
std::string fieldsBetween(const std::string& text, const Separators& separators, std::int64_t first,
                          std::int64_t last) {
  const std::size_t begin = first == 0 ? 0 : separators[static_cast<std::size_t>(first - 1)] + 1;
  const std::size_t end =
      last == fieldCount(separators) - 1 ? text.size() : separators[static_cast<std::size_t>(last)];
  return text.substr(begin, end - begin);
}

std::string fieldAtSeparators(const std::string& text, const Separators& separators, int number) {
  if (text.empty()) return {};
  const std::int64_t count = fieldCount(separators);
  const std::int64_t index = number < 0 ? count + number : number;
  if (index < 0 || index >= count) return {};
  return fieldsBetween(text, separators, index, index);
}

std::string fieldRangeSeparators(const std::string& text, const Separators& separators, int first,
                                 int last) {
  if (text.empty()) return {};
  const std::int64_t count = fieldCount(separators);
  const std::int64_t from = first < 0 ? std::max<std::int64_t>(first + count, 0) : first;
  const std::int64_t to = last < 0 ? last + count : std::min<std::int64_t>(last, count - 1);
  if (from > to) return {};
  return fieldsBetween(text, separators, from, to);
}

}  // namespace

std::string fieldAt(const std::string& text, char separator, int number) {
  return fieldAtSeparators(text, findSeparators(text, separator), number);
}

std::string fieldAt(const std::string& text, const char* separators, int number) {
  return fieldAtSeparators(text, findSeparators(text, separators), number);
}

std::string fieldRange(const std::string& text, char separator, int first, int last) {
  return fieldRangeSeparators(text, findSeparators(text, separator), first, last);
}

std::string fieldRange(const std::string& text, const char* separators, int first, int last) {
  return fieldRangeSeparators(text, findSeparators(text, separators), first, last);
}

bool isDigits(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isPrintable(const std::string& text) {
  for (const char c : text) {
    if (c == '\0') break;  // the text ends at its first NUL, as a C string would
    // The range isprint has in the "C" locale, kept even if a caller sets another locale.
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte > 0x7E) return false;
  }
  return true;
}

}  // namespace inikey
