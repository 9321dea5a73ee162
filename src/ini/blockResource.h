// Where a document's arena takes its blocks from.
#pragma once

#include <memory_resource>

namespace inikey {

// The upstream of every IniFile's arena: small blocks come from operator new,
// large ones are aligned to and advised for huge pages, so that a large document
// takes a few hundred page faults instead of tens of thousands, and its walks miss
// the TLB less. Like operator new, it throws std::bad_alloc when memory runs out.
// One object for the process; it holds no state.
std::pmr::memory_resource* blockResource();

}  // namespace inikey
