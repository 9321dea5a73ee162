// One key of a document read, converted, set or removed in one call, and whole
// sections removed. Names match without regard to the case of ASCII letters, as
// everywhere in the document. Nothing here prints or ends the process; only running
// out of memory throws (std::bad_alloc).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "IniFile.h"

namespace inikey {

// The value of keyName in sectionName, or defaultValue when either is missing.
std::string getValue(const IniFile& file, std::string_view sectionName, std::string_view keyName,
                     std::string_view defaultValue = {});

// The value converted as parseInt, parseUnsigned, parseDouble and parseBool convert it
// (convert.h): the whole text, so "12 " or "0x1A" in base 10 do not convert. defaultValue
// when the key is missing or its value does not convert.
std::int32_t getInt(const IniFile& file, std::string_view sectionName, std::string_view keyName,
                    std::int32_t defaultValue, int base = 10);
std::uint32_t getUnsigned(const IniFile& file, std::string_view sectionName,
                          std::string_view keyName, std::uint32_t defaultValue, int base = 10);
double getDouble(const IniFile& file, std::string_view sectionName, std::string_view keyName,
                 double defaultValue);
bool getBool(const IniFile& file, std::string_view sectionName, std::string_view keyName,
             bool defaultValue);

// Stores value under keyName in sectionName. A missing section or key is created,
// spelled as given; an existing one keeps its spelling. Changes the document only:
// save() writes it.
void setValue(IniFile& file, std::string_view sectionName, std::string_view keyName,
              std::string_view value);

// Removes the key; its section stays, even when it has no keys left (a save writes
// its header). False when there was no such key.
bool removeKey(IniFile& file, std::string_view sectionName, std::string_view keyName);

// Removes the section with all its keys. False when there was no such section.
bool removeSection(IniFile& file, std::string_view sectionName);

}  // namespace inikey
