// What a scan or move needs from the framework's path descriptor and the handle's scan
// settings: the descriptor check, the probe's state codes, amble bit counts, the TCLK count
// and the byte count of the scan data.
#pragma once

#include <cstdint>

#include "kestrel/jsc_records.h"

struct JscHandle;

namespace kst::jsc {

// -122 unless the start path mode and register agree, the end path mode is 1 to 3 and the
// end state is a probe state code (1 to 17, not 7). A null descriptor is refused too.
int32_t checkPath(const PathDescriptor* path);

// Probe state codes of the descriptor's register: the shift state scans run in, the state a
// move passes through (0 for none, 0 with false for register 3), and the pause state.
uint8_t scanStateOf(const PathDescriptor& path);
bool passThroughStateOf(const PathDescriptor& path, uint8_t& state);
uint8_t pauseStateOf(const PathDescriptor& path);

struct Ambles {
  uint32_t first;
  uint32_t second;
};
// From the handle's amble values by the descriptor's register and amble mode (-122 for a mode
// outside 1..4).
int32_t ambleCounts(const JscHandle& handle, const PathDescriptor& path, Ambles& ambles);

// From the descriptor's TCLK mode and the operation's value (-122 for table index above 3).
int32_t tclkCount(const JscHandle& handle, const PathDescriptor& path, uint32_t value,
                  uint32_t& count);

// ceil(bits / 8) rounded up to an even number.
uint32_t scanByteCount(uint32_t bits);

}  // namespace kst::jsc
