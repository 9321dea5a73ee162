// What a saved file can hold: the names and values that the load gives back byte for
// byte after save() wrote them as "[section]" and "key=value" lines.
#pragma once

#include <string_view>

#include "keys.h"

namespace inikey {

// Refusal::None when section, key and value read back unchanged once saved; else the
// part at fault, as keys.h documents for setValue.
Refusal refusalOf(std::string_view sectionName, std::string_view keyName, std::string_view value);

}  // namespace inikey
