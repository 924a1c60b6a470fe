// PMON: the power-measurement unit and its DC-DC converter's microcontroller.
#include "kestrel/kst_power.h"
#include "link/exchange.h"

using kst::link::Command;
using kst::wire::Reader;

// The function takes (first, word, second, third); the packet carries first, second, word,
// third.
KST_API int32_t PMON_Setup(KSTInform* context, uint8_t firstByte, uint32_t word, uint8_t secondByte,
                           uint8_t thirdByte) {
  return Command(context, kst::PMON_SETUP)
      .u8(firstByte)
      .u8(secondByte)
      .u32(word)
      .u8(thirdByte)
      .run();
}

KST_API int32_t PMON_Setup_Range(KSTInform* context, uint8_t range) {
  return Command(context, kst::PMON_SETUP_RANGE).u8(range).run();
}

KST_API int32_t PMON_Setup_Dig(KSTInform* context, uint8_t setup) {
  return Command(context, kst::PMON_SETUP_DIG).u8(setup).run();
}

KST_API int32_t PMON_Setup_Dig_Params(KSTInform* context, uint8_t count, const void* parameters) {
  return Command(context, kst::PMON_SETUP_DIG_PARAM).u8(count).bytes(parameters, count).run();
}

KST_API int32_t PMON_Calibrate(KSTInform* context, uint16_t input, uint32_t* firstValue,
                               uint32_t* secondValue) {
  return Command(context, kst::PMON_CALIBRATE).u16(input).reply(8).run([&](Reader& reply) {
    const uint32_t first = reply.u32();
    const uint32_t second = reply.u32();
    if (firstValue != nullptr) *firstValue = first;
    if (secondValue != nullptr) *secondValue = second;
  });
}

KST_API int32_t PMON_Start(KSTInform* context) {
  return Command(context, kst::PMON_START).run();
}

KST_API int32_t PMON_Stop(KSTInform* context) {
  return Command(context, kst::PMON_STOP).run();
}

KST_API int32_t PMON_Cleanup(KSTInform* context) {
  return Command(context, kst::PMON_CLEANUP).run();
}

KST_API int32_t PMON_HardwareInfo(KSTInform* context, uint32_t* word, uint8_t* byte) {
  return Command(context, kst::PMON_HW_INFO).reply(5).run([&](Reader& reply) {
    const uint32_t info = reply.u32();
    const uint8_t extra = reply.u8();
    if (word != nullptr) *word = info;
    if (byte != nullptr) *byte = extra;
  });
}

// The one output of this family written on failure too: 0 then.
KST_API int32_t PMON_DCDC_GetMCUVersion(KSTInform* context, uint32_t* version) {
  return Command(context, kst::PMON_DCDC_MCUVER).reply(4).runAlways([&](Reader& reply) {
    const uint32_t answer = reply.u32();
    if (version != nullptr) *version = answer;
  });
}

KST_API int32_t PMON_DCDC_PowerDownMCU(KSTInform* context) {
  return Command(context, kst::PMON_DCDC_POWERDOWN).run();
}

KST_API int32_t PMON_DCDC_SetVcc(KSTInform* context, uint16_t value) {
  return Command(context, kst::PMON_DCDC_SETVCC).u16(value).run();
}

KST_API int32_t PMON_DCDC_RestartMCU(KSTInform* context) {
  return Command(context, kst::PMON_DCDC_RESTART).run();
}
