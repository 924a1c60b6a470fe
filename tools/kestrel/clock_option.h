// --clock HZ: the test clock a command that connects asks the probe for. The probe runs one of
// its own steps, which need not be the frequency asked; the tool says which it runs.
#pragma once

#include <cstdint>
#include <string>

#include "kestrel/kst_types.h"

namespace tool {

constexpr uint64_t kMinClockHertz = 100000;  // the probe's slowest step
constexpr uint64_t kMaxClockHertz = 100000000;

// "1M", "12.5M", "500k", "100000", with an optional "Hz": the frequency in hertz, 100 kHz
// to 100 MHz. False for anything else.
bool parseClock(const std::string& text, uint64_t& hertz);

// "5.5 MHz", "100 kHz".
std::string clockText(uint64_t hertz);

struct ClockSetting {
  uint32_t frequency;  // what the probe runs
  uint32_t delay;      // its delay setting for it
};
// The step the probe runs for hertz, as the controller chooses it.
ClockSetting clockFor(uint64_t hertz);

// Sets the clock of an opened probe: KST_SetTclkDelay's result.
int32_t setClock(KSTInform* probe, const ClockSetting& setting);

}  // namespace tool
