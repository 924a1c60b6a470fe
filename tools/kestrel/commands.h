// The kestrel tool's subcommands. Each returns the process exit code.
#pragma once

#include "options.h"

namespace tool {

int runInfo(const Options& options);
int runJtagDetect(const Options& options);

}  // namespace tool
