// The commands the benchmarks and the allocation count run: one table row per call, with its
// arguments fixed, on an open probe whose virtual target has the demo chain.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kestrel/kestrel.h"

namespace kstbench {

struct CommandRow {
  const char* name;
  int32_t (*call)(KSTInform* probe);
  // Payload bytes a call moves, for throughput in MB/s; 0 counts calls per second instead.
  uint32_t payloadBytes = 0;
};

struct RowList {
  const CommandRow* rows;
  std::size_t count;
  const CommandRow* begin() const { return rows; }
  const CommandRow* end() const { return rows + count; }
};

// Connects the target's debug port, which the memory rows need; KST_OK or the failure.
int32_t connectTarget(KSTInform* probe);

// The commands weighed against the transport floor. A command family that lands adds its
// row here (a memory read of 4 KiB, say) and every table of the benchmark takes it.
RowList ratioRows();

struct CommandFamily {
  const char* name;
  RowList rows;
};

// Every command family that has landed, each with a mix of its commands, for the count of
// allocations on the command path. A new family is one more entry.
const CommandFamily* families(std::size_t& count);

}  // namespace kstbench
