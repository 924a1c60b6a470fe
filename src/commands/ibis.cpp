// IBIS: memory of DSP family B, with a status byte per data byte in the Stat forms.
#include "kestrel/kst_dsp.h"
#include "link/exchange.h"

using kst::link::Command;
using kst::wire::Reader;

namespace {

Command readCommand(KST_SMG_HANDLE handle, kst::CommandCode code, uint32_t address, uint32_t count,
                    uint8_t selector1, uint32_t attribute, uint8_t selector2) {
  Command command = Command::throughHandle(handle, code);
  command.u32(address).u32(count).u32(attribute).u8(selector1).u8(selector2);
  command.memoryTimeout(count);
  return command;
}

// With the short-data flag only the first shortLength bytes travel; the count says them all.
Command writeCommand(KST_SMG_HANDLE handle, kst::CommandCode code, uint32_t address, uint32_t count,
                     uint8_t shortLength, uint32_t attribute, uint8_t selector2, uint8_t shortData,
                     const void* data) {
  Command command = Command::throughHandle(handle, code);
  command.u32(address).u32(count).u32(attribute).u8(shortLength).u8(selector2).u8(shortData);
  command.reserved(1).bytes(data, shortData != 0 ? shortLength : count).memoryTimeout(count);
  return command;
}

}  // namespace

KST_API int32_t IBIS_MemRead(KST_SMG_HANDLE handle, uint32_t address, uint32_t count,
                             uint8_t selector1, uint32_t attribute, uint8_t selector2, void* data) {
  return readCommand(handle, kst::IBIS_MEMREAD, address, count, selector1, attribute, selector2)
      .require(data, count)
      .reply(count)
      .run([&](Reader& reply) { reply.copyTo(data, count); });
}

KST_API int32_t IBIS_MemWrite(KST_SMG_HANDLE handle, uint32_t address, uint32_t count,
                              uint8_t shortLength, uint32_t attribute, uint8_t selector2,
                              uint8_t shortData, const void* data) {
  return writeCommand(handle, kst::IBIS_MEMWRITE, address, count, shortLength, attribute, selector2,
                      shortData, data)
      .run();
}

// The reply is the data bytes, then as many status bytes.
KST_API int32_t IBIS_MemReadStat(KST_SMG_HANDLE handle, uint32_t address, uint32_t count,
                                 uint8_t selector1, uint32_t attribute, uint8_t selector2,
                                 void* data, void* status) {
  return readCommand(handle, kst::IBIS_MEMREADSTAT, address, count, selector1, attribute, selector2)
      .require(data, count)
      .require(status, count)
      .reply(count, 2)
      .run([&](Reader& reply) {
        reply.copyTo(data, count);
        reply.copyTo(status, count);
      });
}

KST_API int32_t IBIS_MemWriteStat(KST_SMG_HANDLE handle, uint32_t address, uint32_t count,
                                  uint8_t shortLength, uint32_t attribute, uint8_t selector2,
                                  uint8_t shortData, const void* data, void* status) {
  return writeCommand(handle, kst::IBIS_MEMWRITESTAT, address, count, shortLength, attribute,
                      selector2, shortData, data)
      .require(status, count)
      .reply(count)
      .run([&](Reader& reply) { reply.copyTo(status, count); });
}
