// Finding, opening and claiming a Kestrel probe on USB, and its per-device record.
#pragma once

#include <cstdint>

#include "kestrel/kst_types.h"
#include "libusb_abi.h"

namespace kst::link {

// One open probe. Each has its own libusb context, so closing one never disturbs another.
struct UsbDevice {
  usb::Context* context;
  usb::DeviceHandle* handle;
  uint32_t commandInterface;
  uint8_t commandIn;
  uint8_t commandOut;
  uint32_t dataInterface;
  uint8_t dataIn;
  uint8_t dataOut;  // not used by the library
};

// Stands in the context's record field when there is no device.
inline void* noUsbDevice() {
  return reinterpret_cast<void*>(~static_cast<uintptr_t>(0));
}

// The context's device record, or null when it holds none.
UsbDevice* usbDeviceOf(const KSTInform& context);

// Opens, on the given context, the index-th device (from 0) with the ids among those that can
// be opened; the others it opened are closed again. Null when there is none.
usb::DeviceHandle* openDeviceByIndex(usb::Context* context, uint16_t vendorId, uint16_t productId,
                                     uint32_t index);

UsbDevice* openByIndex(uint16_t vendorId, uint16_t productId, uint32_t index);
UsbDevice* openBySerial(uint16_t vendorId, uint16_t productId, const char* serial);
void closeRecord(UsbDevice* device);

// Opens the first probe found over the identity table; 0 on success (context's record,
// identity and open flag set), non-zero when none was opened.
int OpenUSBHandle(KSTInform& context, const char* serial, uint32_t index);
void CloseUSBHandle(KSTInform& context);

// Devices on the bus of the record's libusb context that show the bootloader identity.
int CountDfuDevices(const UsbDevice& device);

}  // namespace kst::link
