#include "ini/roundTrip.h"

#include <string_view>

namespace inikey {
namespace {

// What a load trims from both ends of every line, and so from a key's start and a
// value's end; it trims a key's end and a value's start too.
constexpr std::string_view kLineBlanks = " \t\n\r\v\b";
// What a load trims from both ends of a header's name.
constexpr std::string_view kHeaderTrim = "[] \t\r";

// A line feed would end the line early; a zero byte ends the text of a read.
bool fitsOneLine(std::string_view text) {
  return text.find('\n') == std::string_view::npos && text.find('\0') == std::string_view::npos;
}

bool endsIn(std::string_view text, std::string_view set) {
  return !text.empty() && (set.find(text.front()) != std::string_view::npos ||
                           set.find(text.back()) != std::string_view::npos);
}

}  // namespace

Refusal refusalOf(std::string_view sectionName, std::string_view keyName, std::string_view value) {
  if (!fitsOneLine(sectionName) || endsIn(sectionName, kHeaderTrim)) return Refusal::SectionName;
  // An empty key's line is skipped, ";" and "#" start a comment, the first "=" ends
  // the key.
  if (keyName.empty() || !fitsOneLine(keyName) || endsIn(keyName, kLineBlanks) ||
      keyName.front() == ';' || keyName.front() == '#' ||
      keyName.find('=') != std::string_view::npos) {
    return Refusal::KeyName;
  }
  // Quotes at both ends are taken off, whatever they enclose.
  if (!fitsOneLine(value) || endsIn(value, kLineBlanks) ||
      (!value.empty() && value.front() == '"' && value.back() == '"')) {
    return Refusal::Value;
  }
  // A line that starts with "[" and ends with "]" is a header.
  if (keyName.front() == '[' && !value.empty() && value.back() == ']') return Refusal::KeyName;
  return Refusal::None;
}

}  // namespace inikey
