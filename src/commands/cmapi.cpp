// CMAPI: the ARM debug port and memory, reached through a scan-manager handle.
#include "kestrel/kst_arm.h"
#include "link/exchange.h"

using kst::link::Command;
using kst::wire::Reader;

namespace {

// The head of the memory commands: three selectors, the address, the count in 16 bits and
// the attribute word. The write limits are the packet's; a read's is its reply's.
template <class Address>
Command memoryCommand(KST_SMG_HANDLE handle, kst::CommandCode code, uint8_t a, uint8_t b, uint8_t c,
                      Address address, uint32_t count, uint32_t attribute) {
  Command command = Command::throughHandle(handle, code);
  command.u8(a).u8(b).u8(c);
  if constexpr (sizeof(Address) == 8)
    command.u64(address);
  else
    command.u32(static_cast<uint32_t>(address));
  command.u16Count(count).u32(attribute).memoryTimeout(count);
  return command;
}

template <class Address>
int32_t memoryRead(KST_SMG_HANDLE handle, kst::CommandCode code, uint8_t a, uint8_t b, uint8_t c,
                   Address address, uint32_t count, uint32_t attribute, void* buffer) {
  return memoryCommand(handle, code, a, b, c, address, count, attribute)
      .require(buffer, count)
      .reply(count)
      .run([&](Reader& reply) { reply.copyTo(buffer, count); });
}

template <class Address>
int32_t memoryWrite(KST_SMG_HANDLE handle, kst::CommandCode code, uint8_t a, uint8_t b, uint8_t c,
                    Address address, uint32_t count, uint32_t attribute, const void* buffer) {
  return memoryCommand(handle, code, a, b, c, address, count, attribute).bytes(buffer, count).run();
}

}  // namespace

KST_API int32_t CMAPI_Connect(KST_SMG_HANDLE handle, uint32_t* value) {
  return Command::throughHandle(handle, kst::CMAPI_CONNECT)
      .require(value)
      .reply(4)
      .run([&](Reader& reply) { *value = reply.u32(); });
}

KST_API int32_t CMAPI_Disconnect(KST_SMG_HANDLE handle) {
  return Command::throughHandle(handle, kst::CMAPI_DISCONNECT).run();
}

// Kept for callers written for other probes; nothing to do on this one.
KST_API int32_t CMAPI_Acquire(KST_SMG_HANDLE) {
  return KST_OK;
}

KST_API int32_t CMAPI_Release(KST_SMG_HANDLE) {
  return KST_OK;
}

KST_API int32_t CMAPI_MemRead(KST_SMG_HANDLE handle, uint8_t a, uint8_t b, uint8_t c,
                              uint32_t address, uint32_t count, uint32_t attribute, void* buffer) {
  return memoryRead(handle, kst::CMAPI_MEMREAD, a, b, c, address, count, attribute, buffer);
}

KST_API int32_t CMAPI_MemWrite(KST_SMG_HANDLE handle, uint8_t a, uint8_t b, uint8_t c,
                               uint32_t address, uint32_t count, uint32_t attribute,
                               const void* buffer) {
  return memoryWrite(handle, kst::CMAPI_MEMWRITE, a, b, c, address, count, attribute, buffer);
}

KST_API int32_t CMAPI_MemRead64(KST_SMG_HANDLE handle, uint8_t a, uint8_t b, uint8_t c,
                                uint64_t address, uint32_t count, uint32_t attribute,
                                void* buffer) {
  return memoryRead(handle, kst::CMAPI_MEMREAD64, a, b, c, address, count, attribute, buffer);
}

KST_API int32_t CMAPI_MemWrite64(KST_SMG_HANDLE handle, uint8_t a, uint8_t b, uint8_t c,
                                 uint64_t address, uint32_t count, uint32_t attribute,
                                 const void* buffer) {
  return memoryWrite(handle, kst::CMAPI_MEMWRITE64, a, b, c, address, count, attribute, buffer);
}

KST_API int32_t CMAPI_DapRegRead(KST_SMG_HANDLE handle, uint8_t a, uint8_t b, uint8_t c,
                                 uint32_t* value) {
  return Command::throughHandle(handle, kst::CMAPI_DAPREGREAD)
      .require(value)
      .u8(a)
      .u8(b)
      .u8(c)
      .reply(4)
      .run([&](Reader& reply) { *value = reply.u32(); });
}

KST_API int32_t CMAPI_DapRegWrite(KST_SMG_HANDLE handle, uint8_t a, uint8_t b, uint8_t c,
                                  const uint32_t* value) {
  return Command::throughHandle(handle, kst::CMAPI_DAPREGWRITE)
      .u8(a)
      .u8(b)
      .u8(c)
      .u32From(value)
      .run();
}
