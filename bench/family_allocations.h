// Counts the allocations of many commands of one family on an open probe.
#pragma once

#include "allocation_counter.h"
#include "command_rows.h"

namespace kstbench {

struct FamilyCount {
  AllocationCount allocations;
  uint32_t failedCommands;  // commands that did not return KST_OK (their path is not the one)
};

// Runs `commands` commands, the family's rows in turn, inside the counting gate.
FamilyCount countFamily(KSTInform* probe, const CommandFamily& family, uint32_t commands);

}  // namespace kstbench
