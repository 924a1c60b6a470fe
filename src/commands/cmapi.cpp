// CMAPI: the ARM debug port and memory, reached through a scan-manager handle.
#include "kestrel/kst_arm.h"
#include "link/exchange.h"
#include "link/handle_chain.h"
#include "memory_timeout.h"

using kst::commands::memoryTimeoutMs;
using kst::link::Command;
using kst::wire::Reader;

namespace {

// The head of the memory commands; the wire count is 16 bits, the limits keep it exact.
Command memoryCommand(KSTInform* probe, kst::CommandCode code, uint8_t a, uint8_t b, uint8_t c,
                      uint64_t address, bool wideAddress, uint32_t count, uint32_t attribute) {
  Command command(probe, code);
  command.u8(a).u8(b).u8(c).u32(static_cast<uint32_t>(address));
  if (wideAddress) command.u32(static_cast<uint32_t>(address >> 32));
  command.u16(static_cast<uint16_t>(count)).u32(attribute).timeout(memoryTimeoutMs(probe, count));
  return command;
}

int32_t memoryRead(KST_SMG_HANDLE handle, kst::CommandCode code, uint8_t a, uint8_t b, uint8_t c,
                   uint64_t address, bool wideAddress, uint32_t count, uint32_t attribute,
                   void* buffer) {
  KSTInform* probe = kst::probeOfSmgHandle(handle);
  return memoryCommand(probe, code, a, b, c, address, wideAddress, count, attribute)
      .require(buffer, count)
      .reply(count)
      .run([&](Reader& reply) { reply.copyTo(buffer, count); });
}

int32_t memoryWrite(KST_SMG_HANDLE handle, kst::CommandCode code, uint8_t a, uint8_t b, uint8_t c,
                    uint64_t address, bool wideAddress, uint32_t count, uint32_t attribute,
                    const void* buffer) {
  KSTInform* probe = kst::probeOfSmgHandle(handle);
  return memoryCommand(probe, code, a, b, c, address, wideAddress, count, attribute)
      .bytes(buffer, count)
      .run();
}

}  // namespace

KST_API int32_t CMAPI_Connect(KST_SMG_HANDLE handle, uint32_t* value) {
  return Command(kst::probeOfSmgHandle(handle), kst::CMAPI_CONNECT)
      .require(value)
      .reply(4)
      .run([&](Reader& reply) { *value = reply.u32(); });
}

KST_API int32_t CMAPI_Disconnect(KST_SMG_HANDLE handle) {
  return Command(kst::probeOfSmgHandle(handle), kst::CMAPI_DISCONNECT).run();
}

KST_API int32_t CMAPI_Acquire(KST_SMG_HANDLE) {
  return KST_OK;
}

KST_API int32_t CMAPI_Release(KST_SMG_HANDLE) {
  return KST_OK;
}

KST_API int32_t CMAPI_MemRead(KST_SMG_HANDLE handle, uint8_t a, uint8_t b, uint8_t c,
                              uint32_t address, uint32_t count, uint32_t attribute, void* buffer) {
  return memoryRead(handle, kst::CMAPI_MEMREAD, a, b, c, address, false, count, attribute, buffer);
}

KST_API int32_t CMAPI_MemWrite(KST_SMG_HANDLE handle, uint8_t a, uint8_t b, uint8_t c,
                               uint32_t address, uint32_t count, uint32_t attribute,
                               const void* buffer) {
  return memoryWrite(handle, kst::CMAPI_MEMWRITE, a, b, c, address, false, count, attribute,
                     buffer);
}

KST_API int32_t CMAPI_MemRead64(KST_SMG_HANDLE handle, uint8_t a, uint8_t b, uint8_t c,
                                uint64_t address, uint32_t count, uint32_t attribute,
                                void* buffer) {
  return memoryRead(handle, kst::CMAPI_MEMREAD64, a, b, c, address, true, count, attribute, buffer);
}

KST_API int32_t CMAPI_MemWrite64(KST_SMG_HANDLE handle, uint8_t a, uint8_t b, uint8_t c,
                                 uint64_t address, uint32_t count, uint32_t attribute,
                                 const void* buffer) {
  return memoryWrite(handle, kst::CMAPI_MEMWRITE64, a, b, c, address, true, count, attribute,
                     buffer);
}

KST_API int32_t CMAPI_DapRegRead(KST_SMG_HANDLE handle, uint8_t a, uint8_t b, uint8_t c,
                                 uint32_t* value) {
  return Command(kst::probeOfSmgHandle(handle), kst::CMAPI_DAPREGREAD)
      .require(value)
      .u8(a)
      .u8(b)
      .u8(c)
      .reply(4)
      .run([&](Reader& reply) { *value = reply.u32(); });
}

KST_API int32_t CMAPI_DapRegWrite(KST_SMG_HANDLE handle, uint8_t a, uint8_t b, uint8_t c,
                                  const uint32_t* value) {
  if (value == nullptr) return KST_ERR_BAD_ARGUMENT;
  return Command(kst::probeOfSmgHandle(handle), kst::CMAPI_DAPREGWRITE)
      .u8(a)
      .u8(b)
      .u8(c)
      .u32(*value)
      .run();
}
