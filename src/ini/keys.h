// One key of a document read, converted, set or removed in one call, and whole
// sections removed. Names match without regard to the case of ASCII letters, as
// everywhere in the document. Nothing here prints or ends the process; only running
// out of memory throws (std::bad_alloc).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "IniFile.h"

// The library is built with hidden symbols; what is declared here is its interface.
#pragma GCC visibility push(default)
namespace inikey {

// The value of keyName in sectionName, or defaultValue when either is missing.
std::string getValue(const IniFile& file, std::string_view sectionName, std::string_view keyName,
                     std::string_view defaultValue = {});

// The value converted as parseInt, parseUnsigned, parseInt64, parseUnsigned64, parseDouble
// and parseBool convert it (convert.h): the whole text, so "12 " or "0x1A" in base 10 do not
// convert. defaultValue when the key is missing or its value does not convert.
std::int32_t getInt(const IniFile& file, std::string_view sectionName, std::string_view keyName,
                    std::int32_t defaultValue, int base = 10);
std::uint32_t getUnsigned(const IniFile& file, std::string_view sectionName,
                          std::string_view keyName, std::uint32_t defaultValue, int base = 10);
std::int64_t getInt64(const IniFile& file, std::string_view sectionName, std::string_view keyName,
                      std::int64_t defaultValue, int base = 10);
std::uint64_t getUnsigned64(const IniFile& file, std::string_view sectionName,
                            std::string_view keyName, std::uint64_t defaultValue, int base = 10);
double getDouble(const IniFile& file, std::string_view sectionName, std::string_view keyName,
                 double defaultValue);
bool getBool(const IniFile& file, std::string_view sectionName, std::string_view keyName,
             bool defaultValue);

// Which part of a request setValue refused, having stored nothing: the part that a
// saved file could not give back as it is. save() writes "[section]" and "key=value"
// lines, and the load trims and splits them, so the file cannot hold:
//   in any of the three, a line feed or a zero byte;
//   a section name that starts or ends with "[", "]", a space, a tab or a carriage
//   return (the empty name is held: it is written as "[]");
//   an empty key name, one that starts with ";" or "#" (a comment) or holds "=";
//   a key name or value that starts or ends with a blank (space, tab, carriage
//   return, vertical tab, backspace);
//   a value that starts and ends with a double quote (a lone one too); an empty value
//   is held;
//   a key name that starts with "[" under a value that ends with "]" (KeyName: the
//   line would read as a header).
// Everything else reads back byte for byte. The document's maps (sections) take any
// name or value, unchecked.
enum class Refusal { None, SectionName, KeyName, Value };

// Stores value under keyName in sectionName and returns Refusal::None; or stores
// nothing and returns the part that a saved file could not hold, as above. A missing
// section or key is created, spelled as given; an existing one keeps its spelling,
// and its value takes no more memory than the new one needs. Changes the document
// only: save() writes it.
[[nodiscard]] Refusal setValue(IniFile& file, std::string_view sectionName,
                               std::string_view keyName, std::string_view value);

// Removes the key; its section stays, even when it has no keys left (a save writes
// its header). False when there was no such key.
bool removeKey(IniFile& file, std::string_view sectionName, std::string_view keyName);

// Removes the section with all its keys. False when there was no such section.
bool removeSection(IniFile& file, std::string_view sectionName);

}  // namespace inikey
#pragma GCC visibility pop
