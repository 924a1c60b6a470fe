// IBIS: memory of DSP family B, with a status byte per data byte in the Stat forms.
#include "counts.h"
#include "kestrel/kst_dsp.h"
#include "link/exchange.h"
#include "link/handle_chain.h"
#include "memory_timeout.h"

using kst::commands::exactCount;
using kst::commands::memoryTimeoutMs;
using kst::link::Command;
using kst::wire::Reader;

namespace {

Command readCommand(KSTInform* probe, kst::CommandCode code, uint32_t address, uint32_t count,
                    uint8_t selector1, uint32_t attribute, uint8_t selector2) {
  Command command(probe, code);
  command.u32(address).u32(count).u32(attribute).u8(selector1).u8(selector2);
  command.timeout(memoryTimeoutMs(probe, count));
  return command;
}

// The reserved byte after the flag keeps what the command buffer held.
constexpr uint32_t kReservedOffset = 19;

// With the short-data flag only the first shortLength bytes travel; the count says them all.
Command writeCommand(KSTInform* probe, kst::CommandCode code, uint32_t address, uint32_t count,
                     uint8_t shortLength, uint32_t attribute, uint8_t selector2, uint8_t shortData,
                     const void* data) {
  Command command(probe, code);
  command.u32(address).u32(count).u32(attribute).u8(shortLength).u8(selector2).u8(shortData);
  command.u8(probe == nullptr ? 0 : probe->commandBuffer[kReservedOffset]);
  command.bytes(data, shortData != 0 ? shortLength : count);
  command.timeout(memoryTimeoutMs(probe, count));
  return command;
}

}  // namespace

KST_API int32_t IBIS_MemRead(KST_SMG_HANDLE handle, uint32_t address, uint32_t count,
                             uint8_t selector1, uint32_t attribute, uint8_t selector2, void* data) {
  return readCommand(kst::probeOfSmgHandle(handle), kst::IBIS_MEMREAD, address, count, selector1,
                     attribute, selector2)
      .require(data, count)
      .reply(count)
      .run([&](Reader& reply) { reply.copyTo(data, count); });
}

KST_API int32_t IBIS_MemWrite(KST_SMG_HANDLE handle, uint32_t address, uint32_t count,
                              uint8_t shortLength, uint32_t attribute, uint8_t selector2,
                              uint8_t shortData, const void* data) {
  return writeCommand(kst::probeOfSmgHandle(handle), kst::IBIS_MEMWRITE, address, count,
                      shortLength, attribute, selector2, shortData, data)
      .run();
}

KST_API int32_t IBIS_MemReadStat(KST_SMG_HANDLE handle, uint32_t address, uint32_t count,
                                 uint8_t selector1, uint32_t attribute, uint8_t selector2,
                                 void* data, void* status) {
  return readCommand(kst::probeOfSmgHandle(handle), kst::IBIS_MEMREADSTAT, address, count,
                     selector1, attribute, selector2)
      .require(data, count)
      .require(status, count)
      .reply(exactCount(2 * static_cast<uint64_t>(count)))
      .run([&](Reader& reply) {
        reply.copyTo(data, count);
        reply.copyTo(status, count);
      });
}

KST_API int32_t IBIS_MemWriteStat(KST_SMG_HANDLE handle, uint32_t address, uint32_t count,
                                  uint8_t shortLength, uint32_t attribute, uint8_t selector2,
                                  uint8_t shortData, const void* data, void* status) {
  return writeCommand(kst::probeOfSmgHandle(handle), kst::IBIS_MEMWRITESTAT, address, count,
                      shortLength, attribute, selector2, shortData, data)
      .require(status, count)
      .reply(count)
      .run([&](Reader& reply) { reply.copyTo(status, count); });
}
