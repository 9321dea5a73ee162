#include "ini/keys.h"

#include "ini/roundTrip.h"
#include "util/convert.h"

namespace inikey {
namespace {

// The value of the key as parse converts it, or defaultValue. The conversions differ
// in what they leave in their output on failure, so a failure never reaches it.
template <typename Value, typename Parse>
Value converted(const IniFile& file, std::string_view sectionName, std::string_view keyName,
                Value defaultValue, Parse parse) {
  const auto text = file.findValue(sectionName, keyName);
  Value value{};
  return text && parse(std::string(*text), value) ? value : defaultValue;
}

}  // namespace

std::string getValue(const IniFile& file, std::string_view sectionName, std::string_view keyName,
                     std::string_view defaultValue) {
  return std::string(file.findValue(sectionName, keyName).value_or(defaultValue));
}

std::int32_t getInt(const IniFile& file, std::string_view sectionName, std::string_view keyName,
                    std::int32_t defaultValue, int base) {
  return converted(
      file, sectionName, keyName, defaultValue,
      [base](const std::string& text, std::int32_t& value) { return parseInt(text, value, base); });
}

std::uint32_t getUnsigned(const IniFile& file, std::string_view sectionName,
                          std::string_view keyName, std::uint32_t defaultValue, int base) {
  return converted(file, sectionName, keyName, defaultValue,
                   [base](const std::string& text, std::uint32_t& value) {
                     return parseUnsigned(text, value, base);
                   });
}

std::int64_t getInt64(const IniFile& file, std::string_view sectionName, std::string_view keyName,
                      std::int64_t defaultValue, int base) {
  return converted(file, sectionName, keyName, defaultValue,
                   [base](const std::string& text, std::int64_t& value) {
                     return parseInt64(text, value, base);
                   });
}

std::uint64_t getUnsigned64(const IniFile& file, std::string_view sectionName,
                            std::string_view keyName, std::uint64_t defaultValue, int base) {
  return converted(file, sectionName, keyName, defaultValue,
                   [base](const std::string& text, std::uint64_t& value) {
                     return parseUnsigned64(text, value, base);
                   });
}

double getDouble(const IniFile& file, std::string_view sectionName, std::string_view keyName,
                 double defaultValue) {
  return converted(file, sectionName, keyName, defaultValue, parseDouble);
}

bool getBool(const IniFile& file, std::string_view sectionName, std::string_view keyName,
             bool defaultValue) {
  return converted(file, sectionName, keyName, defaultValue, parseBool);
}

Refusal setValue(IniFile& file, std::string_view sectionName, std::string_view keyName,
                 std::string_view value) {
  const Refusal refusal = refusalOf(sectionName, keyName, value);
  if (refusal != Refusal::None) return refusal;
  // An existing key takes the value into its own string: a node made only to find
  // the key taken would stay in the arena, which frees nothing.
  const auto section = file.sections.find(sectionName);
  if (section != file.sections.end()) {
    const auto key = section->second.find(keyName);
    if (key != section->second.end()) {
      key->second.assign(value);
      return Refusal::None;
    }
  }
  setKey(sectionFor(file.sections, sectionName), keyName, value);
  return Refusal::None;
}

bool removeKey(IniFile& file, std::string_view sectionName, std::string_view keyName) {
  const auto section = file.sections.find(sectionName);
  if (section == file.sections.end()) return false;
  const auto key = section->second.find(keyName);
  if (key == section->second.end()) return false;
  section->second.erase(key);
  return true;
}

bool removeSection(IniFile& file, std::string_view sectionName) {
  const auto section = file.sections.find(sectionName);
  if (section == file.sections.end()) return false;
  file.sections.erase(section);
  return true;
}

}  // namespace inikey
