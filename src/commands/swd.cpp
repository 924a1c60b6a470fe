// SWD: the Serial Wire Debug link, its registers and SWO trace.
#include "kestrel/kst_arm.h"
#include "link/exchange.h"

using kst::link::Command;
using kst::wire::Reader;

KST_API int32_t SWD_Connect(KSTInform* context) {
  return Command(context, kst::SWD_CONNECT).run();
}

KST_API int32_t SWD_Disconnect(KSTInform* context) {
  return Command(context, kst::SWD_DISCONNECT).run();
}

KST_API int32_t SWD_EnableSwo(KSTInform* context) {
  return Command(context, kst::SWD_ENABLESWO).run();
}

KST_API int32_t SWD_DisableSwo(KSTInform* context) {
  return Command(context, kst::SWD_DISABLESWO).run();
}

KST_API int32_t SWD_RegRead(KSTInform* context, uint8_t first, uint8_t second, uint32_t* value) {
  return Command(context, kst::SWD_REGREAD)
      .require(value)
      .u8(first)
      .u8(second)
      .reply(4)
      .run([&](Reader& reply) { *value = reply.u32(); });
}

KST_API int32_t SWD_RegWrite(KSTInform* context, uint8_t first, uint8_t second,
                             const uint32_t* value, uint8_t flag) {
  return Command(context, kst::SWD_REGWRITE).u8(first).u8(second).u32From(value).u8(flag).run();
}
