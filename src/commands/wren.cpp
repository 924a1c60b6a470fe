// WREN: memory of DSP family A, addressed in 16-bit words from start up to end.
#include "kestrel/kst_dsp.h"
#include "link/exchange.h"

using kst::link::Command;
using kst::wire::Reader;

namespace {

// Two bytes per word; a count no packet could carry stays too large instead of wrapping.
uint32_t wordBytes(uint32_t words) {
  return words > KST_PACKET_SIZE ? KST_PACKET_SIZE + 1 : 2 * words;
}

Command wrenCommand(KST_SMG_HANDLE handle, kst::CommandCode code, uint32_t start, uint32_t end,
                    uint8_t s1, uint8_t s2, uint8_t s3, uint8_t s4, uint32_t attribute,
                    uint8_t s5) {
  Command command = Command::throughHandle(handle, code);
  command.u32(start).u32(end).u8(s1).u8(s2).u8(s3).u8(s4).u32(attribute).u8(s5);
  command.memoryTimeout(wordBytes(end - start));
  return command;
}

}  // namespace

// An end below the start is refused, not taken as a wrapped-around count.
KST_API int32_t WREN_MemRead(KST_SMG_HANDLE handle, uint32_t start, uint32_t end, uint8_t s1,
                             uint8_t s2, uint8_t s3, uint8_t s4, uint32_t attribute, uint8_t s5,
                             void* buffer) {
  if (end < start) return KST_ERR_BAD_ARGUMENT;
  const uint32_t words = end - start;
  return wrenCommand(handle, kst::WREN_MEMREAD, start, end, s1, s2, s3, s4, attribute, s5)
      .require(buffer, words)
      .reply(words, 2)
      .run([&](Reader& reply) { reply.copyTo(buffer, 2 * words); });
}

KST_API int32_t WREN_MemWrite(KST_SMG_HANDLE handle, uint32_t start, uint32_t end, uint8_t s1,
                              uint8_t s2, uint8_t s3, uint8_t s4, uint32_t attribute, uint8_t s5,
                              uint8_t s6, const void* buffer) {
  if (end < start) return KST_ERR_BAD_ARGUMENT;
  return wrenCommand(handle, kst::WREN_MEMWRITE, start, end, s1, s2, s3, s4, attribute, s5)
      .u8(s6)
      .reserved(2)
      .bytes(buffer, wordBytes(end - start))
      .run();
}
