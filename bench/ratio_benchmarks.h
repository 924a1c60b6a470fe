// The library against its transport floor, per command, on Google Benchmark: each row runs
// as the bare transfers (floor), as the transfers with the caller's copies (see
// TransportFloor::replay), through the library, and through the library tracing at level 3
// when a logger is bound. Repetitions of all of them are interleaved at random and
// the least CPU time of each is kept, so a load that comes and goes on the machine weighs on
// both sides of a ratio alike and can only lengthen a repetition, never shorten it.
#pragma once

#include <string>
#include <vector>

#include "command_rows.h"
#include "transport_floor.h"

namespace kstbench {

struct RatioOptions {
  double minSeconds = 0.05;  // per repetition
  int repetitions = 15;
  bool traceLevel3 = true;  // also run the library tracing at level 3 (needs the logger)
  bool floorCopies = true;  // also run the floor with the caller's copies
  bool console = false;     // Google Benchmark's own lines as well
};

struct RatioResult {
  const CommandRow* row;
  std::string transfers;  // what the floor moves
  double floorNs;
  double floorCopiesNs;  // 0 when not run
  double libraryNs;
  double tracedNs;  // at level 3; 0 when not run
};

// Whether the library bound a logger; its level is set through the logger's own control.
bool loggerBound();
void setLoggerLevel(int level);

// Records each row's floor on the open probe and runs the benchmarks; empty on failure.
std::vector<RatioResult> runRatios(KSTInform* probe, const RatioOptions& options, int argc,
                                   char** argv);

}  // namespace kstbench
