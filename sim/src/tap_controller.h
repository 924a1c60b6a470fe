// The 16-state IEEE 1149.1 TAP controller: its transitions and the shortest TMS paths.
#pragma once

#include <cstdint>
#include <vector>

#include "kestrel_sim/sim.h"

namespace ksim {

bool isStateCode(uint32_t code);
TapState nextState(TapState state, bool tms);
bool isShiftState(TapState state);

// TMS values that lead from one state to another along a shortest path. Test-logic reset is
// always reached with five TMS ones, from wherever the controller is believed to be.
std::vector<bool> tmsPath(TapState from, TapState to);

}  // namespace ksim
