#include "pending_commands.h"

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

int32_t autoUpdate(KSTInform**, uint32_t, const char*, uint8_t) {
  return kNotProvided;
}

}  // namespace kst::jsc
