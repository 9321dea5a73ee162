// One run of the tool, from the command line to the exit status.
#pragma once

namespace inikey {

// Runs the tool on argv. A run that gets through its operation ends the process
// with status 0 from inside, as command-line errors do with status 1; only a file
// that is not accessible, or a closed standard stream that cannot be replaced,
// returns, with 1.
int run(int argc, char* argv[]);

}  // namespace inikey
