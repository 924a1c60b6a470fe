// Throughput on the modelled USB bus: each ratio row run through the library with the virtual
// probe's bus model on, against the model's own ceiling for the same packets (one OUT and one
// IN of the sizes the row's floor moves, nothing else on the bus). Below 1.0 the library puts
// more on the bus than the command needs: another transfer, a split read, a wait.
#pragma once

#include <vector>

#include "command_rows.h"
#include "kestrel_sim/sim.h"
#include "transport_floor.h"

namespace kstbench {

struct ThroughputResult {
  const CommandRow* row;
  ksim::BusTiming timing;
  double modelledNs;  // per command
  double ceilingNs;
};

std::vector<ThroughputResult> runThroughput(KSTInform* probe);

}  // namespace kstbench
