// Where a document's arena takes its blocks from.
#pragma once

#include <memory_resource>

namespace inikey {

// The upstream of every IniFile's arena: every block comes from operator new; a
// middling one is populated in one call and a large one aligned to and advised for
// huge pages, so that a large document takes far fewer page faults and its walks
// miss the TLB less (figures in bench/findings.md). Like operator new, it throws
// std::bad_alloc when memory runs out. One object for the process; it holds no state.
std::pmr::memory_resource* blockResource();

}  // namespace inikey
