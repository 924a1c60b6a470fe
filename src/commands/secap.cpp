// SecAP: 32-bit word blocks through a secure access port. Words travel as the caller's bytes.
#include "kestrel/kst_arm.h"
#include "link/exchange.h"
#include "link/handle_chain.h"
#include "memory_timeout.h"

using kst::commands::memoryTimeoutMs;
using kst::link::Command;
using kst::wire::Reader;

KST_API int32_t SecAP_BulkWrite(KST_SMG_HANDLE handle, uint8_t selector, uint16_t wordCount,
                                const void* words) {
  KSTInform* probe = kst::probeOfSmgHandle(handle);
  const uint32_t bytes = 4u * wordCount;
  return Command(probe, kst::SECAP_BULKWRITE)
      .u8(selector)
      .u16(wordCount)
      .bytes(words, bytes)
      .timeout(memoryTimeoutMs(probe, bytes))
      .run();
}

KST_API int32_t SecAP_BulkRead(KST_SMG_HANDLE handle, uint8_t selector, uint16_t wordCount,
                               void* words) {
  KSTInform* probe = kst::probeOfSmgHandle(handle);
  const uint32_t bytes = 4u * wordCount;
  return Command(probe, kst::SECAP_BULKREAD)
      .require(words, bytes)
      .u8(selector)
      .u16(wordCount)
      .reply(bytes)
      .timeout(memoryTimeoutMs(probe, bytes))
      .run([&](Reader& reply) { reply.copyTo(words, bytes); });
}
