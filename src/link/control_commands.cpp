// The probe control command set, the data-port read and the fake scan-manager handle.
#include <cstring>

#include "../trace/command_trace.h"
#include "exchange.h"
#include "handle_chain.h"
#include "kestrel/kst_control.h"
#include "usb_transport.h"

using kst::link::Command;
using kst::wire::Reader;

namespace {

constexpr uint32_t kRegisterWriteTimeoutMs = 8000;

}  // namespace

KST_API int32_t KST_SetSrst(KSTInform* context, uint8_t value) {
  return Command(context, kst::KST_SETSRST).u8(value).run();
}

KST_API int32_t KST_ProductTest(KSTInform* context, uint32_t test, uint32_t* result) {
  return Command(context, kst::KST_PRODUCTTEST)
      .require(result)
      .u32(test)
      .reply(4)
      .run([&](Reader& reply) { *result = reply.u32(); });
}

KST_API int32_t KST_ConnectPMON(KSTInform* context) {
  return Command(context, kst::KST_CONNECTPMON).run();
}

KST_API int32_t KST_RegisterRead(KSTInform* context, uint32_t address, uint16_t* value) {
  return Command(context, kst::KST_REGREAD)
      .require(value)
      .u32(address)
      .reply(2)
      .run([&](Reader& reply) { *value = reply.u16(); });
}

KST_API int32_t KST_RegisterWrite(KSTInform* context, uint32_t address, const uint16_t* value) {
  return Command(context, kst::KST_REGWRITE)
      .u32(address)
      .u16From(value)
      .timeout(kRegisterWriteTimeoutMs)
      .run();
}

KST_API int32_t KST_JTAGIsolate(KSTInform* context) {
  return Command(context, kst::KST_JTAGISOLATE).run();
}

// The function takes the flag first; the packet carries the voltage first.
KST_API int32_t KST_SetSupply(KSTInform* context, uint8_t supply, uint32_t millivolts) {
  return Command(context, kst::KST_SETSUPPLY).u32(millivolts).u8(supply).run();
}

KST_API int32_t KST_PowerIsolate(KSTInform* context, uint8_t value) {
  return Command(context, kst::KST_POWERISOLATE).u8(value).run();
}

KST_API int32_t KST_EEPROMRead(KSTInform* context, uint16_t address, uint16_t count,
                               uint8_t* data) {
  return Command(context, kst::KST_EEPROMREAD)
      .require(data, count)
      .u16(address)
      .u16(count)
      .reply(count)
      .run([&](Reader& reply) { reply.copyTo(data, count); });
}

KST_API int32_t KST_EEPROMWrite(KSTInform* context, uint16_t address, uint16_t count,
                                const uint8_t* data) {
  return Command(context, kst::KST_EEPROMWRITE).u16(address).u16(count).bytes(data, count).run();
}

KST_API int32_t KST_SetProperty(KSTInform* context, uint32_t id, uint32_t value) {
  if (context == nullptr) return KST_ERR_BAD_ARGUMENT;
  if (kst::trace::gate(*context)) kst::trace::propertyLine(id, value);
  return Command(context, kst::KST_SET_PROPERTY).u32(id).u32(value).run();
}

KST_API int32_t KST_ReadDataPort(KSTInform* context, uint8_t* buffer, int32_t length,
                                 int32_t* transferred) {
  if (context == nullptr || buffer == nullptr || transferred == nullptr || length < 0)
    return KST_ERR_BAD_ARGUMENT;
  const int result = kst::link::dataPortRead(*context, buffer, length, transferred);
  return result == 0 ? KST_OK : KST_ERR_DATA_PORT;
}

namespace {

// One chain per thread, as the host framework would hold it for a single probe: threads that
// each drive a probe get a chain each, and a thread's next call replaces its own chain.
struct FakeChain {
  alignas(8) uint8_t smgHandle[kst::kSmgControllerHandleOffset + sizeof(void*)];
  kst::ControllerHandleHead controllerHandle;
  kst::SharedControllerHead controller;
};
thread_local FakeChain g_fakeChain;

}  // namespace

KST_API int32_t KST_CreateFakeSMGHandle(KSTInform* context, KST_SMG_HANDLE* handle) {
  if (context == nullptr || handle == nullptr) return KST_ERR_BAD_ARGUMENT;
  g_fakeChain.controller.probe = context;
  g_fakeChain.controllerHandle.controller = &g_fakeChain.controller;
  kst::ControllerHandleHead* link = &g_fakeChain.controllerHandle;
  std::memcpy(g_fakeChain.smgHandle + kst::kSmgControllerHandleOffset, &link, sizeof link);
  *handle = g_fakeChain.smgHandle;
  return KST_OK;
}
