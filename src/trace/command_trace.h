// The trace that brackets every command: the gate, the "Executing" line before the packet
// is sent and the "Executed" line (with the probe-log retrieval) after the reply.
#pragma once

#include <cstdint>

#include "kestrel/kst_types.h"

namespace kst::trace {

// Whether this command is traced; may switch the probe's log on a scratch copy of context.
bool gate(KSTInform& context);
// Writes the "Executing" line for the code in byte 3 of the command buffer.
void begin(const KSTInform& context);
// Writes the "Executed" line and, when due, fetches and writes the probe's log.
void end(KSTInform& context, int32_t result);

// Writes the property line of KST_SetProperty (called only when the gate said true).
void propertyLine(uint32_t id, uint32_t value);

}  // namespace kst::trace
