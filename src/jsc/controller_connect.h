// The reset sequence the open and the connect operation share.
#pragma once

#include <cstdint>

struct JscHandle;

namespace kst::jsc {

// TRST released when it is low (event 43), or pulsed when asked (event 42), each with its
// waits. -122 without a controller record.
int32_t resetSequence(JscHandle& handle, bool pulse, bool record);

}  // namespace kst::jsc
