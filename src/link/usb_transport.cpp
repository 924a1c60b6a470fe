#include "usb_transport.h"

#include "../platform/platform.h"
#include "libusb_binding.h"
#include "usb_device.h"

namespace kst::link {
namespace {

constexpr uint32_t kDefaultReceiveTimeoutMs = 5000;
constexpr uint32_t kFollowUpTimeoutMs = 500;
constexpr uint32_t kDataPortTimeoutMs = 500;
constexpr int kHaltRetries = 3;

// A transferred count as reported by libusb, never more than was asked for.
uint32_t clampedCount(int transferred, uint32_t asked) {
  if (transferred <= 0) return 0;
  return static_cast<uint32_t>(transferred) < asked ? static_cast<uint32_t>(transferred) : asked;
}

}  // namespace

int USBSendPacket(KSTInform& context, uint32_t byteCount) {
  UsbDevice* device = usbDeviceOf(context);
  if (context.openFlag == 0 || device == nullptr) return kTransportNotOpen;
  if (byteCount > KST_PACKET_SIZE) return kTransportTooLarge;
  int transferred = 0;
  int result = usb::bulkTransfer(device->handle, device->commandOut, context.commandBuffer,
                                 static_cast<int>(byteCount), &transferred, 0);
  for (int retry = 0; result == usb::kErrorPipe && retry < kHaltRetries; ++retry) {
    usb::clearHalt(device->handle, device->commandOut);
    transferred = 0;
    result = usb::bulkTransfer(device->handle, device->commandOut, context.commandBuffer,
                               static_cast<int>(byteCount), &transferred, 0);
  }
  return result == usb::kSuccess && transferred == static_cast<int>(byteCount) ? kTransportOk
                                                                               : kTransportFailed;
}

int USBReceivePacket(KSTInform& context, uint32_t expected, uint32_t* received,
                     uint32_t timeoutMs) {
  if (received != nullptr) *received = 0;
  UsbDevice* device = usbDeviceOf(context);
  if (context.openFlag == 0 || device == nullptr) return kTransportNotOpen;
  if (expected > KST_PACKET_SIZE) expected = KST_PACKET_SIZE;
  const uint32_t timeout = timeoutMs == 0 ? kDefaultReceiveTimeoutMs : timeoutMs;
  const uint32_t followUpTimeout = timeout < kFollowUpTimeoutMs ? timeout : kFollowUpTimeoutMs;

  int transferred = 0;
  if (usb::bulkTransfer(device->handle, device->commandIn, context.replyBuffer,
                        static_cast<int>(expected), &transferred, timeout) != usb::kSuccess)
    return kTransportFailed;
  uint32_t total = clampedCount(transferred, expected);
  // A zero-length packet adds nothing and the reading goes on. So that a device feeding
  // nothing but empty packets (or a trickle of bytes) cannot hold the caller forever, the
  // follow-up reads together get the time-out T once more. A probe writes its reply in one
  // go, so the rest follows the first part at bus speed (a whole 4352-byte reply crosses
  // even a full-speed bus in about 4 ms): a conforming probe never reaches this deadline.
  const uint32_t followUpStart = platform::tickMilliseconds();
  while (total < expected) {
    if (platform::tickMilliseconds() - followUpStart >= timeout) return kTransportFailed;
    transferred = 0;
    const uint32_t room = KST_PACKET_SIZE - total;
    if (usb::bulkTransfer(device->handle, device->commandIn, context.replyBuffer + total,
                          static_cast<int>(room), &transferred, followUpTimeout) != usb::kSuccess)
      return kTransportFailed;
    total += clampedCount(transferred, room);
  }
  if (received != nullptr) *received = total;
  return kTransportOk;
}

int dataPortRead(KSTInform& context, uint8_t* buffer, int32_t length, int32_t* transferred) {
  UsbDevice* device = usbDeviceOf(context);
  if (device == nullptr) return usb::kErrorPipe;
  int count = 0;
  const int result =
      usb::bulkTransfer(device->handle, device->dataIn, buffer, length, &count, kDataPortTimeoutMs);
  if (transferred != nullptr) *transferred = count;
  return result;
}

}  // namespace kst::link
