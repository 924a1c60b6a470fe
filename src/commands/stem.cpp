// STEM: set-up, start and stop of the STEM unit.
#include "kestrel/kst_power.h"
#include "link/exchange.h"

using kst::link::Command;

KST_API int32_t STEM_Setup(KSTInform* context, uint8_t setup, uint32_t word) {
  return Command(context, kst::STEM_SETUP).u8(setup).u32(word).run();
}

KST_API int32_t STEM_Start(KSTInform* context) {
  return Command(context, kst::STEM_START).run();
}

KST_API int32_t STEM_Stop(KSTInform* context) {
  return Command(context, kst::STEM_STOP).run();
}
