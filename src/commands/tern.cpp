// TERN: memory of DSP family C; given a status buffer, the Stat command of each pair is sent
// and the probe answers a status byte per data byte.
#include "kestrel/kst_dsp.h"
#include "link/exchange.h"

using kst::link::Command;
using kst::wire::Reader;

namespace {

Command ternCommand(KST_SMG_HANDLE handle, kst::CommandCode code, uint16_t selector1,
                    uint32_t address, uint16_t count, uint16_t selector2, uint32_t attribute) {
  Command command = Command::throughHandle(handle, code);
  command.u16(selector1).u32(address).u16(count).u16(selector2).u32(attribute);
  return command;
}

}  // namespace

KST_API int32_t TERN_MemReadWithStat(KST_SMG_HANDLE handle, uint16_t selector1, uint32_t address,
                                     uint16_t count, uint16_t selector2, uint32_t attribute,
                                     void* data, void* status) {
  const bool withStatus = status != nullptr;
  const uint32_t each = withStatus ? 2 : 1;
  return ternCommand(handle, withStatus ? kst::TERN_MEMREADSTAT : kst::TERN_MEMREAD, selector1,
                     address, count, selector2, attribute)
      .require(data, count)
      .reply(count, each)
      .memoryTimeout(count * each)
      .run([&](Reader& reply) {
        reply.copyTo(data, count);
        if (withStatus) reply.copyTo(status, count);
      });
}

KST_API int32_t TERN_MemWriteWithStat(KST_SMG_HANDLE handle, uint16_t selector1, uint32_t address,
                                      uint16_t count, uint16_t selector2, uint32_t attribute,
                                      const void* data, void* status) {
  const bool withStatus = status != nullptr;
  return ternCommand(handle, withStatus ? kst::TERN_MEMWRITESTAT : kst::TERN_MEMWRITE, selector1,
                     address, count, selector2, attribute)
      .bytes(data, count)
      .reply(withStatus ? count : 0)
      .memoryTimeout(count)
      .run([&](Reader& reply) {
        if (withStatus) reply.copyTo(status, count);
      });
}
