// The kestrel command line: subcommands, options, help and version.
#pragma once

#include <ostream>

#include "options.h"

namespace tool {

constexpr int kRunCommand = -1;

// Parses argv into options. Help and version go to out (status 0); a refused command line
// gets one precise line and a hint on err (status 64). kRunCommand when there is a command
// to run. KESTREL_PROBE stands in for a --probe that was not given.
int parseCommandLine(int argc, const char* const* argv, Options& options, std::ostream& out,
                     std::ostream& err);

}  // namespace tool
