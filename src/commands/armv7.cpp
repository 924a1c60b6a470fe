// ARMv7: memory blocks of an ARMv7 target, reached through a scan-manager handle.
#include "kestrel/kst_arm.h"
#include "link/exchange.h"

using kst::link::Command;
using kst::wire::Reader;

namespace {

Command armv7Command(KST_SMG_HANDLE handle, kst::CommandCode code, uint16_t selector1,
                     uint16_t selector2, uint32_t word1, uint32_t word2, uint32_t byteCount) {
  Command command = Command::throughHandle(handle, code);
  command.u16(selector1).u16(selector2).u32(word1).u32(word2).u32(byteCount);
  command.memoryTimeout(byteCount);
  return command;
}

}  // namespace

KST_API int32_t ARMv7_MemRead(KST_SMG_HANDLE handle, uint16_t selector1, uint16_t selector2,
                              uint32_t word1, uint32_t word2, uint32_t byteCount, void* buffer) {
  return armv7Command(handle, kst::ARMV7_MEMREAD, selector1, selector2, word1, word2, byteCount)
      .require(buffer, byteCount)
      .reply(byteCount)
      .run([&](Reader& reply) { reply.copyTo(buffer, byteCount); });
}

KST_API int32_t ARMv7_MemWrite(KST_SMG_HANDLE handle, uint16_t selector1, uint16_t selector2,
                               uint32_t word1, uint32_t word2, uint32_t byteCount,
                               const void* buffer) {
  return armv7Command(handle, kst::ARMV7_MEMWRITE, selector1, selector2, word1, word2, byteCount)
      .bytes(buffer, byteCount)
      .run();
}
