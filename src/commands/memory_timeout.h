// The reply time-out of memory transfers: slow test clocks give the probe longer.
#pragma once

#include <cstdint>

#include "kestrel/kst_types.h"

namespace kst::commands {

// 4000 ms + 2 * k * (byteCount / 4) ms with k = max(1, 15.05 / f - 5.5) truncated, f the
// context's test clock in MHz. A null context gives 4000 ms (the command is refused anyway).
uint32_t memoryTimeoutMs(const KSTInform* context, uint32_t byteCount);

}  // namespace kst::commands
