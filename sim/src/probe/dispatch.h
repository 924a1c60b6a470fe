// Which unit answers which command code.
#pragma once

#include <array>
#include <vector>

#include "probe/unit.h"

namespace ksim {

struct DispatchEntry {
  int unit = -1;  // index into the unit list
  const CommandHandler* handler = nullptr;
};
using DispatchTable = std::array<DispatchEntry, 256>;

// Every unit of the firmware, in the order of sim/units/units.def.
const std::vector<UnitSpec>& firmwareUnits();

// Aborts with a message naming the code and both units when two handlers claim one code.
DispatchTable buildDispatch(const std::vector<UnitSpec>& units);

// The firmware's table, built when the virtual probe is loaded.
const DispatchTable& firmwareDispatch();

}  // namespace ksim
