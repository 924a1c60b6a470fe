// The kestrel command line: subcommands, options, help and version.
#pragma once

#include <ostream>
#include <string>

#include "options.h"

namespace tool {

constexpr int kRunCommand = -1;

// Parses argv into options. Help and version go to out (status 0); a refused command line
// gets one precise line and a hint on err (status 64). kRunCommand when there is a command
// to run. KESTREL_PROBE stands in for a --probe that was not given.
int parseCommandLine(int argc, const char* const* argv, Options& options, std::ostream& out,
                     std::ostream& err);

// --json as a word of its own before any "--": known even when the line is refused.
bool jsonAsked(int argc, const char* const* argv);
// The document of a command line that parseCommandLine did not run (refused: its status
// and first line of err; --help or --version: out as "text").
std::string unrunDocument(int status, const std::string& out, const std::string& err);

}  // namespace tool
