// Opening and closing a probe, and the core commands every other family relies on.
#include <cstdlib>
#include <cstring>

#include "../trace/command_trace.h"
#include "exchange.h"
#include "handle_chain.h"
#include "kestrel/kst_control.h"
#include "kestrel/kst_probe.h"
#include "libusb_binding.h"
#include "usb_device.h"

using kst::link::Command;

namespace {

constexpr uint32_t kDefaultTclkHz = 1000000;

}  // namespace

KST_API int32_t KST_Connect(KSTInform* context) {
  return Command(context, kst::KST_CONNECT).run();
}

KST_API int32_t KST_Disconnect(KSTInform* context) {
  return Command(context, kst::KST_DISCONNECT).run();
}

KST_API int32_t KST_Version(KSTInform* context, uint32_t* firmwareVersion,
                            uint16_t* hardwareVersion) {
  return Command(context, kst::KST_VERSION)
      .require(firmwareVersion)
      .require(hardwareVersion)
      .reply(6)
      .run([&](kst::wire::Reader& reply) {
        *firmwareVersion = reply.u32();
        *hardwareVersion = reply.u16();
      });
}

KST_API int32_t KST_Echo(KSTInform* context, const void* data, void* output, uint32_t byteCount) {
  return Command(context, kst::KST_ECHO)
      .require(output)
      .u32(byteCount)
      .reply(byteCount)
      .bytes(data, byteCount)
      .run([&](kst::wire::Reader& reply) { reply.copyTo(output, byteCount); });
}

KST_API int32_t KST_Execute(KSTInform* context, uint32_t packetSize, uint32_t replySize,
                            uint32_t attempts, uint32_t timeoutMs) {
  if (context == nullptr) return KST_ERR_BAD_ARGUMENT;
  const bool sizesValid = packetSize >= kst::link::kArgumentsOffset &&
                          packetSize <= KST_PACKET_SIZE && replySize >= kst::link::kReplyHeadSize &&
                          replySize <= KST_PACKET_SIZE;
  return kst::link::tracedExchange(*context, packetSize, replySize, attempts, timeoutMs,
                                   sizesValid);
}

KST_API KSTInform* KST_GetHandle(KST_SMG_HANDLE smgHandle) {
  return kst::probeOfSmgHandle(smgHandle);
}

KST_API int32_t KST_Open(KSTInform** context, uint32_t deviceIndex, const char* serialNumber,
                         uint8_t powerMeasurement) {
  if (context == nullptr) return KST_ERR_BAD_ARGUMENT;
  if (!kst::usb::ensureProcessBinding()) return KST_ERR_USB_LIBRARY;

  // A cache line of slack after the record: probes opened one after the other sit side by side
  // in memory, and each is written by its own thread on every command.
  constexpr size_t kCacheLine = 64;
  auto* probe = static_cast<KSTInform*>(std::calloc(1, sizeof(KSTInform) + kCacheLine));
  if (probe == nullptr) return KST_ERR_NO_MEMORY;
  probe->openFlag = 0;
  probe->usbDevice = kst::link::noUsbDevice();

  if (kst::link::OpenUSBHandle(*probe, serialNumber, deviceIndex) != 0) {
    std::free(probe);
    return KST_ERR_NO_PROBE;
  }
  const int32_t connected = powerMeasurement != 0 ? KST_ConnectPMON(probe) : KST_Connect(probe);
  if (connected != KST_OK) {
    kst::link::CloseUSBHandle(*probe);
    std::free(probe);
    return connected;
  }
  probe->tclkFrequency = kDefaultTclkHz;
  *context = probe;
  return KST_OK;
}

KST_API int32_t KST_Close(KSTInform** context) {
  if (context == nullptr || *context == nullptr) return KST_ERR_BAD_ARGUMENT;
  KSTInform* probe = *context;
  if (probe->openFlag != 0) KST_Disconnect(probe);
  kst::link::CloseUSBHandle(*probe);
  std::free(probe);
  *context = nullptr;
  return KST_OK;
}
