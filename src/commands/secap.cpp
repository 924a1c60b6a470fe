// SecAP: 32-bit word blocks through a secure access port. Words travel as the caller's bytes.
#include "kestrel/kst_arm.h"
#include "link/exchange.h"

using kst::link::Command;
using kst::wire::Reader;

KST_API int32_t SecAP_BulkWrite(KST_SMG_HANDLE handle, uint8_t selector, uint16_t wordCount,
                                const void* words) {
  const uint32_t bytes = 4u * wordCount;
  return Command::throughHandle(handle, kst::SECAP_BULKWRITE)
      .u8(selector)
      .u16(wordCount)
      .bytes(words, bytes)
      .memoryTimeout(bytes)
      .run();
}

KST_API int32_t SecAP_BulkRead(KST_SMG_HANDLE handle, uint8_t selector, uint16_t wordCount,
                               void* words) {
  const uint32_t bytes = 4u * wordCount;
  return Command::throughHandle(handle, kst::SECAP_BULKREAD)
      .require(words, bytes)
      .u8(selector)
      .u16(wordCount)
      .reply(wordCount, 4)
      .memoryTimeout(bytes)
      .run([&](Reader& reply) { reply.copyTo(words, bytes); });
}
