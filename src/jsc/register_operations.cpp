// Slots 26, 27, 52 and 53: the probe's own registers, and the SWD port's registers.
#include "controller_handle.h"
#include "kestrel/kst_arm.h"
#include "kestrel/kst_control.h"
#include "operations.h"
#include "result_codes.h"

namespace kst::jsc {
namespace {

// -122 without a record or value, -612 unless the record is connected in SWD mode.
int32_t swdProbe(JscHandle* handle, const void* value, KSTInform*& probe) {
  if (handle == nullptr || controllerOf(handle) == nullptr || value == nullptr) return kBadArgument;
  if (!controllerOf(handle)->swdConnected) return kSwdNotConnected;
  probe = probeOf(handle);
  return kOk;
}

}  // namespace

int32_t swdRegRead(JscHandle* handle, uint8_t port, uint8_t address, uint32_t* value) {
  KSTInform* probe = nullptr;
  if (const int32_t result = swdProbe(handle, value, probe)) return result;
  return SWD_RegRead(probe, port, address, value);
}

int32_t swdRegWrite(JscHandle* handle, uint8_t port, uint8_t address, uint32_t* value,
                    uint8_t check) {
  KSTInform* probe = nullptr;
  if (const int32_t result = swdProbe(handle, value, probe)) return result;
  return SWD_RegWrite(probe, port, address, value, check);
}

int32_t registerRead(JscHandle* handle, uint32_t, uint32_t, uint32_t address, uint32_t,
                     uint16_t* value) {
  if (handle == nullptr || value == nullptr || controllerOf(handle) == nullptr) return kBadArgument;
  return KST_RegisterRead(probeOf(handle), address, value);
}

int32_t registerWrite(JscHandle* handle, uint32_t, uint32_t, uint32_t address, uint32_t,
                      uint16_t* value) {
  if (handle == nullptr || value == nullptr || controllerOf(handle) == nullptr) return kBadArgument;
  return KST_RegisterWrite(probeOf(handle), address, value);
}

}  // namespace kst::jsc
