// The operations a run applies to the document: reading named keys, listing
// sections, deleting and writing. Names are matched without regard to the case of
// ASCII letters; what is printed keeps the spelling of the command line.
#pragma once

#include <deque>
#include <string>

#include "ini/IniFile.h"

namespace inikey {

// Key paths or section names, in command-line order, with the -p prefix before each.
using ArgumentList = std::deque<std::string>;

// Prints name='value' for each key path that names a stored value; the name is the
// key, or with prependSection the section, "/" and the key. Keys not found are
// reported on standard error under -v only.
void readKeys(const IniFile& file, const ArgumentList& arguments, bool prependSection);

// Prints name='value' for every key of each named section, in key order; with
// prependSection the name starts with the argument and "/". Sections not found are
// reported on standard error under -v only.
void listSections(const IniFile& file, const ArgumentList& arguments, bool prependSection);

// Removes the key that target names, or with keysAreSections the section named
// target, with all its keys. Nothing found is reported under -v only.
void deleteKeyOrSection(IniFile& file, const std::string& target, bool keysAreSections);

// Sets "[section/]key=value" (keyPrefix before the key part), creating the section
// and the key as needed. An argument without "=" prints its message and the usage
// text and ends the process with status 1, before anything is saved.
void writeKeyValue(IniFile& file, const std::string& keyPrefix, const std::string& argument);

}  // namespace inikey
