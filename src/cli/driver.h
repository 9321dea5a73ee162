// One run of the tool, from the command line to the exit status.
#pragma once

namespace inikey {

// Runs the tool on argv and returns the exit status: 0 when the run got through
// its operation, 1 for a file that is not accessible. Command-line errors end the
// process with status 1 from inside.
int run(int argc, char* argv[]);

}  // namespace inikey
