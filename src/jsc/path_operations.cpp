// Slots 8, 11 and 12: free test-clock cycles, the TAP state, and moves along a path.
#include "controller_handle.h"
#include "kestrel/kst_jtag.h"
#include "operations.h"
#include "result_codes.h"
#include "scan_command.h"
#include "scan_path.h"

namespace kst::jsc {

// Clocks are not a JTAG-only operation: they are sent in SWD mode too.
int32_t cycleTclk(JscHandle* handle, uint32_t count) {
  if (handle == nullptr || controllerOf(handle) == nullptr) return kBadArgument;
  return KST_CycleTclk(probeOf(handle), count);
}

int32_t getJtagState(JscHandle* handle, uint32_t* state) {
  KSTInform* probe = nullptr;
  if (const int32_t result = jtagProbe(handle, probe)) return result;
  return KST_GetJtagState(probe, state);
}

int32_t movePath(JscHandle* handle, const PathDescriptor* path, uint32_t tclkValue,
                 uint32_t repeat) {
  KSTInform* probe = nullptr;
  if (const int32_t result = jtagProbe(handle, probe)) return result;
  if (const int32_t result = checkPath(path)) return result;
  uint32_t tclk = 0;
  if (const int32_t result = tclkCount(*handle, *path, tclkValue, tclk)) return result;
  const bool passThrough = path->startPathMode != 0 || path->scanRegister != 0;
  uint8_t passState = 0;
  if (passThrough && (!passThroughStateOf(*path, passState) || passState == 0)) return kBadArgument;
  for (uint32_t r = 0; r < repeat; ++r) {
    if (passThrough) {
      if (const int32_t result = KST_GotoJtagState(probe, passState, path->startPathMode))
        return result;
    }
    if (const int32_t result = KST_GotoJtagState(probe, path->endState, path->endPathMode))
      return result;
    if (tclk != 0) {
      if (const int32_t result = KST_CycleTclk(probe, tclk)) return result;
    }
  }
  return kOk;
}

}  // namespace kst::jsc
