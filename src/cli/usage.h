// What every part of a run shares with the user: the program's name, the -v flag
// and the usage text.
#pragma once

namespace inikey {

// The invocation name after its last "/", shown by the usage text.
extern const char* programName;

// Set by -v: the operations report keys and sections they did not find.
extern bool verboseErrors;

// Writes the usage text to standard error and ends the process with status 1.
[[noreturn]] void printUsage();

}  // namespace inikey
