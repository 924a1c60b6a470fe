// WREN: memory of DSP family A, addressed in 16-bit words from start up to end.
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

// Two bytes per word; an end below the start is no count at all.
uint32_t wordBytes(uint32_t start, uint32_t end) {
  return end < start ? UINT32_MAX : exactCount(2 * static_cast<uint64_t>(end - start));
}

Command wrenCommand(KSTInform* probe, kst::CommandCode code, uint32_t start, uint32_t end,
                    uint8_t s1, uint8_t s2, uint8_t s3, uint8_t s4, uint32_t attribute,
                    uint8_t s5) {
  Command command(probe, code);
  command.u32(start).u32(end).u8(s1).u8(s2).u8(s3).u8(s4).u32(attribute).u8(s5);
  command.timeout(memoryTimeoutMs(probe, wordBytes(start, end)));
  return command;
}

// The two reserved bytes after selector 6 keep what the command buffer held.
constexpr uint32_t kReservedOffset = 22;

uint16_t heldBytes(const KSTInform* probe) {
  return probe == nullptr ? 0 : kst::wire::getU16(probe->commandBuffer + kReservedOffset);
}

}  // namespace

KST_API int32_t WREN_MemRead(KST_SMG_HANDLE handle, uint32_t start, uint32_t end, uint8_t s1,
                             uint8_t s2, uint8_t s3, uint8_t s4, uint32_t attribute, uint8_t s5,
                             void* buffer) {
  const uint32_t bytes = wordBytes(start, end);
  return wrenCommand(kst::probeOfSmgHandle(handle), kst::WREN_MEMREAD, start, end, s1, s2, s3, s4,
                     attribute, s5)
      .require(buffer, bytes)
      .reply(bytes)
      .run([&](Reader& reply) { reply.copyTo(buffer, bytes); });
}

KST_API int32_t WREN_MemWrite(KST_SMG_HANDLE handle, uint32_t start, uint32_t end, uint8_t s1,
                              uint8_t s2, uint8_t s3, uint8_t s4, uint32_t attribute, uint8_t s5,
                              uint8_t s6, const void* buffer) {
  KSTInform* probe = kst::probeOfSmgHandle(handle);
  return wrenCommand(probe, kst::WREN_MEMWRITE, start, end, s1, s2, s3, s4, attribute, s5)
      .u8(s6)
      .u16(heldBytes(probe))
      .bytes(buffer, wordBytes(start, end))
      .run();
}
