// The 16-state IEEE 1149.1 TAP controller: its transitions and the TMS paths between states.
#pragma once

#include <cstdint>
#include <vector>

#include "kestrel_sim/sim.h"

namespace ksim {

bool isStateCode(uint32_t code);
TapState nextState(TapState state, bool tms);
// Capture to Update of the instruction register.
bool inInstructionColumn(TapState state);
// The TMS of a free test-clock cycle: high in Test-Logic-Reset, low everywhere else, so a
// stable state stays and any other state goes on to the nearest stable one.
bool freeClockTms(TapState state);

bool isPathMode(uint32_t mode);
// TMS values that move the controller from one state to another in the given path mode
// (the kPath* constants of kestrel_sim/sim.h). Only Test-Logic-Reset as the goal passes through it,
// reached with five TMS ones from wherever the controller is believed to be.
std::vector<bool> tmsPath(TapState from, TapState to, uint32_t mode = kPathShortest);

}  // namespace ksim
