#include "pending_commands.h"

#include "kestrel/kst_update.h"
#include "result_codes.h"

namespace kst::jsc {

int32_t swdRegisterRead(KSTInform*, uint8_t, uint8_t, uint32_t*) {
  return kNotProvided;
}

int32_t swdRegisterWrite(KSTInform*, uint8_t, uint8_t, uint32_t*, uint8_t) {
  return kNotProvided;
}

int32_t swdConnect(KSTInform*) {
  return kNotProvided;
}

int32_t swdDisconnect(KSTInform*) {
  return kNotProvided;
}

int32_t swdEnableSwo(KSTInform*) {
  return kNotProvided;
}

int32_t swdDisableSwo(KSTInform*) {
  return kNotProvided;
}

int32_t autoUpdate(KSTInform** probe, uint32_t deviceIndex, const char* serial,
                   uint8_t powerMeasurement) {
  return KST_AutoUpdate(probe, deviceIndex, serial, powerMeasurement, nullptr);
}

}  // namespace kst::jsc
