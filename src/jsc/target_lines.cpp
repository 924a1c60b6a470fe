// Slot 37: the target's system reset (with its waits) and power isolation.
#include "controller_handle.h"
#include "kestrel/kst_control.h"
#include "kestrel/kst_jtag.h"
#include "operations.h"
#include "platform/platform.h"
#include "result_codes.h"

namespace kst::jsc {
namespace {

enum LineKind : uint32_t { kNoLine0 = 0, kNoLine1 = 1, kSystemReset = 2, kPowerIsolation = 3 };

constexpr uint8_t kActionMask = 0x0F;
constexpr uint8_t kDriveLines = 0x10;
constexpr uint8_t kActionAssert = 1;
constexpr uint8_t kActionRelease = 2;
constexpr uint8_t kActionPulse = 3;
constexpr uint8_t kActionPulsePaused = 7;  // waits as busy pauses instead of clocks
constexpr uint32_t kPauseUnits = 50000;    // about 47.7 ms
constexpr uint32_t kWaitMilliseconds = 50;

// One wait: a busy pause for action 7, else cycles of the test clock (result not used).
void wait(KSTInform* probe, uint8_t action, uint32_t cycles) {
  if (action == kActionPulsePaused)
    platform::pause(kPauseUnits);
  else
    KST_CycleTclk(probe, cycles);
}

// Drives the reset line as the action asks: the first failing KST_SetSrst's code, else 0.
int32_t driveReset(KSTInform* probe, uint8_t action, uint32_t cycles) {
  switch (action) {
    case kActionAssert:
      return KST_SetSrst(probe, 0);
    case kActionRelease:
      return KST_SetSrst(probe, 1);
    case kActionPulse:
    case kActionPulsePaused:
      if (const int32_t result = KST_SetSrst(probe, 0)) return result;
      wait(probe, action, cycles);
      return KST_SetSrst(probe, 1);
    default:
      return kOk;
  }
}

int32_t systemReset(const SharedController& record, uint8_t queryOnly, uint8_t* done, uint8_t flags,
                    uint8_t waits) {
  const uint8_t action = flags & kActionMask;
  const uint32_t cycles = record.tclkFrequency / 1000 * kWaitMilliseconds;
  if (queryOnly) {
    *done = 1;
    return kOk;
  }
  KSTInform* probe = record.chain.probe;
  if (waits) wait(probe, action, cycles);
  const int32_t driven = (flags & kDriveLines) ? driveReset(probe, action, cycles) : kOk;
  // The target gets its settling time after the reset line moved, even when it could not.
  if (waits) wait(probe, action, 2 * cycles);
  if (driven != kOk) return driven;
  *done = 1;
  return kOk;
}

}  // namespace

int32_t controlTargetLines(JscHandle* handle, uint32_t kind, uint8_t queryOnly, uint8_t* done,
                           uint8_t flags, uint8_t waits) {
  if (handle == nullptr || done == nullptr) return kBadArgument;
  *done = 0;
  if (kind == kNoLine0 || kind == kNoLine1) return kOk;
  if (kind != kSystemReset && kind != kPowerIsolation) return kBadArgument;
  const SharedController* record = controllerOf(handle);
  if (record == nullptr) return kBadArgument;
  if (kind == kSystemReset) return systemReset(*record, queryOnly, done, flags, waits);
  if (!queryOnly) {
    if (const int32_t result = KST_PowerIsolate(record->chain.probe, flags)) return result;
  }
  *done = 1;
  return kOk;
}

}  // namespace kst::jsc
