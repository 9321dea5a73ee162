// Key paths: "[section/]key" in one command-line word.
#pragma once

#include <string>

namespace inikey {

using KeyPath = std::string;

// Splits keyPath at its last "/" into sectionName (before it) and keyName (after it);
// without a "/" the section name is empty. Either part may be empty.
void splitKeyPath(const KeyPath& keyPath, std::string& sectionName, std::string& keyName);

}  // namespace inikey
